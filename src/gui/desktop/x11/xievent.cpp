#include "gui/desktop/x11/xievent.h"

#include <QGuiApplication>
#include <cstdlib>

namespace zentova
{

uint8_t inputExtensionOf(xcb_connection_t *c)
{
    static const char name[] = "XInputExtension";
    xcb_query_extension_reply_t *reply = xcb_query_extension_reply(
        c, xcb_query_extension(c, uint16_t(sizeof name - 1), name), nullptr);
    const uint8_t opcode = reply && reply->present ? reply->major_opcode : 0;
    std::free(reply);
    return opcode;
}

xcb_connection_t *qtConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

} // namespace zentova
