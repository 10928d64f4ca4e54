// Keeps Countdata.dat up to date while the strip runs, so a crash, a kill or
// a power cut costs at most the last second of counting.
//
// Every change of the counters (the model says so) schedules one store;
// changes that come while a store is pending ride along with it. The store
// is the model's: the record of the live state dated with the open day,
// exactly as the close would store it, written atomically.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace zentova
{

class Autosave : public QObject
{
    Q_OBJECT
public:
    static constexpr int DelayMs = 400;
    // While the stored record is behind the live state because a write
    // failed (a full disk, a folder made read-only), it is tried again
    // this often, without another box.
    static constexpr int RetryMs = 3000;

    // `store` stores the live state; it throws runtime errors.
    explicit Autosave(std::function<void()> store);

    // Starts listening for changes (after start-up has filled the state).
    void arm();
    // Stops: nothing pending is written, nothing later is scheduled.
    void disarm();
    bool isArmed() const { return m_armed; }
    bool isPending() const { return m_timer.isActive(); }

    // The counter state has changed: one write soon, once armed.
    void schedule();

    // Writes now. The first failure of a run is reported with the error box,
    // later ones silently until a write succeeds again. Returns success.
    bool saveNow();

private:
    std::function<void()> m_store;
    QTimer m_timer;
    bool m_armed = false;
    bool m_failureReported = false;
};

} // namespace zentova
