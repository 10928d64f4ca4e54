#include "core/state/autosave.h"

#include "core/base/errortrap.h"
#include "core/base/runtime.h"

#include <exception>

namespace zentova
{

Autosave::Autosave(std::function<void()> store) : m_store(std::move(store))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DelayMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { saveNow(); });
}

void Autosave::arm()
{
    m_armed = true;
}

void Autosave::disarm()
{
    m_armed = false;
    m_timer.stop();
}

void Autosave::schedule()
{
    if (m_armed && !m_timer.isActive())
        m_timer.start(DelayMs);
}

bool Autosave::saveNow()
{
    m_timer.stop();
    try {
        m_store();
        m_failureReported = false;
        return true;
    } catch (...) {
        if (m_armed)
            m_timer.start(RetryMs);
        if (!m_failureReported) {
            m_failureReported = true;
            showErrorDescription(describe(std::current_exception()));
        }
        return false;
    }
}

} // namespace zentova
