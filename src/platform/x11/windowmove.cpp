#include "platform/x11/windowmove.h"

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace zentova
{

namespace
{

// The two atoms a move needs, asked of the X server once: they stay the same
// for the life of the connection.
struct Atoms {
    xcb_connection_t *connection = nullptr;
    xcb_atom_t supported = XCB_ATOM_NONE;
    xcb_atom_t moveResize = XCB_ATOM_NONE;
};

const Atoms &atoms(xcb_connection_t *c)
{
    static Atoms known;
    if (known.connection == c)
        return known;
    const auto ask = [c](const char *name) {
        return xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
    };
    const auto answer = [c](xcb_intern_atom_cookie_t cookie) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    };
    // Both questions go out before either answer is awaited.
    const xcb_intern_atom_cookie_t supported = ask("_NET_SUPPORTED");
    const xcb_intern_atom_cookie_t moveResize = ask("_NET_WM_MOVERESIZE");
    known = {c, answer(supported), answer(moveResize)};
    return known;
}

// Whether the window manager (which may have changed since the last move)
// lists the move request among what it supports.
bool windowManagerMoves(xcb_connection_t *c, xcb_window_t root, const Atoms &atoms)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atoms.supported, XCB_ATOM_ATOM, 0, 4096), nullptr);
    bool found = false;
    if (reply && reply->format == 32) {
        const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        const int n = xcb_get_property_value_length(reply) / 4;
        for (int i = 0; i < n && !found; ++i)
            found = list[i] == atoms.moveResize;
    }
    std::free(reply);
    return found;
}

bool startX11Move(QWindow *window, const QPointF &globalPos)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11 ? x11->connection() : nullptr;
    if (!c)
        return false;
    const xcb_setup_t *setup = xcb_get_setup(c);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    const Atoms &known = atoms(c);
    if (known.moveResize == XCB_ATOM_NONE || !windowManagerMoves(c, root, known))
        return false;

    // Root coordinates are device pixels.
    const QPointF device = globalPos * window->devicePixelRatio();
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = known.moveResize;
    message.data.data32[0] = uint32_t(qRound(device.x()));
    message.data.data32[1] = uint32_t(qRound(device.y()));
    message.data.data32[2] = 8; // _NET_WM_MOVERESIZE_MOVE
    message.data.data32[3] = XCB_BUTTON_INDEX_1;
    message.data.data32[4] = 1; // from an application
    // The window manager needs the pointer, which the press gave to us.
    xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    return true;
}

} // namespace

bool startDesktopMove(QWindow *window, const QPointF &globalPos)
{
    if (!window)
        return false;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return startX11Move(window, globalPos);
    return window->startSystemMove();
}

} // namespace zentova
