#include "platform/x11/windowwatch.h"

#include <QCoreApplication>
#include <cstdint>

namespace zentova
{

namespace
{

// A DestroyNotify event as the X protocol puts it on the wire (the layout of
// xcb_destroy_notify_event_t), so that the program needs no X headers.
struct DestroyNotify {
    uint8_t responseType;
    uint8_t pad;
    uint16_t sequence;
    uint32_t event;
    uint32_t window;
};
constexpr uint8_t kDestroyNotify = 17;

} // namespace

WindowDestroyedWatch::WindowDestroyedWatch(QWidget *window) : m_window(window)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestroyedWatch::~WindowDestroyedWatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowDestroyedWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_window)
        return false;
    const auto *event = static_cast<const DestroyNotify *>(message);
    // The high bit marks an event sent by another client.
    if ((event->responseType & 0x7f) != kDestroyNotify)
        return false;
    const WId id = m_window->internalWinId();
    if (id != 0 && event->window == uint32_t(id))
        emit destroyedByOthers();
    return false;
}

} // namespace zentova
