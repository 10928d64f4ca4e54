// SIGTERM, SIGINT and SIGHUP (logging out, kill, a closed terminal) turned
// into a Qt signal. The handler only writes a byte to a pipe; the work is
// done by the event loop, where it is safe.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace zentova
{

class EndSignals : public QObject
{
    Q_OBJECT
public:
    EndSignals();
    ~EndSignals() override;

signals:
    void endRequested(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace zentova
