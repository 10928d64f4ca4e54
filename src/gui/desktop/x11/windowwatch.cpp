#include "gui/desktop/x11/windowwatch.h"

#include <QCoreApplication>
#include <xcb/xproto.h>

namespace zentova
{

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
    const auto *event = static_cast<const xcb_destroy_notify_event_t *>(message);
    // The high bit marks an event sent by another client.
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    const WId id = m_window->internalWinId();
    if (id != 0 && event->window == uint32_t(id))
        emit destroyedByOthers();
    return false;
}

} // namespace zentova
