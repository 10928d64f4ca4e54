// The clock's wake-up: once at each minute of the wall clock, and at once
// when the clock is set. A strip that shows hours and minutes has nothing to
// do in between, so a laptop with it open is not woken every second.
//
// On Linux a timerfd on CLOCK_REALTIME armed for the next minute's start
// (absolute, cancelled when the clock is set) does exactly that: it fires at
// the minute even after a suspend across it, and at once after a clock
// change, forward or back. Elsewhere a single-shot timer stands in.
#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace zentova
{

// The first moment of the minute after `msecsSinceEpoch`, plus `late`
// milliseconds: a wake-up that comes just past the minute reads the new
// minute.
qint64 nextMinute(qint64 msecsSinceEpoch, int late = 20);

class MinuteTimer : public QObject
{
    Q_OBJECT
public:
    explicit MinuteTimer(QObject *parent = nullptr);
    ~MinuteTimer() override;
    // Fires at every minute from now on; stop() ends it.
    void start();
    void stop();
    bool isActive() const { return m_active; }

signals:
    // At the minute, or the clock was set (`clockSet`).
    void fired(bool clockSet);

private:
    void arm();
    void wake();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_fallback;
    bool m_active = false;
};

} // namespace zentova
