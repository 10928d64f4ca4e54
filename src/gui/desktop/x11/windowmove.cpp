#include "gui/desktop/x11/windowmove.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace zentova
{

namespace
{

// The atoms moving a window needs, asked of the X server once: they stay the
// same for the life of the connection.
struct Atoms {
    xcb_connection_t *connection = nullptr;
    xcb_atom_t supported = XCB_ATOM_NONE;
    xcb_atom_t moveResize = XCB_ATOM_NONE;
    xcb_atom_t supportingCheck = XCB_ATOM_NONE;
    xcb_atom_t name = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
    xcb_atom_t type = XCB_ATOM_NONE;
    xcb_atom_t dialogType = XCB_ATOM_NONE;
    xcb_atom_t normalType = XCB_ATOM_NONE;
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
    // Every question goes out before any answer is awaited.
    const xcb_intern_atom_cookie_t supported = ask("_NET_SUPPORTED");
    const xcb_intern_atom_cookie_t moveResize = ask("_NET_WM_MOVERESIZE");
    const xcb_intern_atom_cookie_t supportingCheck = ask("_NET_SUPPORTING_WM_CHECK");
    const xcb_intern_atom_cookie_t name = ask("_NET_WM_NAME");
    const xcb_intern_atom_cookie_t utf8 = ask("UTF8_STRING");
    const xcb_intern_atom_cookie_t type = ask("_NET_WM_WINDOW_TYPE");
    const xcb_intern_atom_cookie_t dialogType = ask("_NET_WM_WINDOW_TYPE_DIALOG");
    const xcb_intern_atom_cookie_t normalType = ask("_NET_WM_WINDOW_TYPE_NORMAL");
    known = {c,
             answer(supported),
             answer(moveResize),
             answer(supportingCheck),
             answer(name),
             answer(utf8),
             answer(type),
             answer(dialogType),
             answer(normalType)};
    return known;
}

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t *c)
{
    return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

// The name the running window manager gives itself on its check window.
QByteArray windowManagerName(xcb_connection_t *c, const Atoms &atoms)
{
    xcb_get_property_reply_t *check = xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootOf(c), atoms.supportingCheck, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    xcb_window_t wm = XCB_WINDOW_NONE;
    if (check && check->format == 32 && xcb_get_property_value_length(check) == 4)
        wm = *static_cast<const xcb_window_t *>(xcb_get_property_value(check));
    std::free(check);
    if (wm == XCB_WINDOW_NONE)
        return {};
    xcb_get_property_reply_t *name = xcb_get_property_reply(
        c, xcb_get_property(c, 0, wm, atoms.name, atoms.utf8, 0, 64), nullptr);
    QByteArray found;
    if (name && name->format == 8)
        found = QByteArray(static_cast<const char *>(xcb_get_property_value(name)),
                           xcb_get_property_value_length(name));
    std::free(name);
    return found;
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
    xcb_connection_t *c = x11Connection();
    if (!c)
        return false;
    const xcb_window_t root = rootOf(c);
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

bool holdForWeston(QWindow *window)
{
    xcb_connection_t *c =
        QGuiApplication::platformName() == QLatin1String("xcb") ? x11Connection() : nullptr;
    if (!window || !c)
        return false;
    const Atoms &known = atoms(c);
    if (windowManagerName(c, known) != "Weston WM")
        return false;
    // Weston reads the first type; the second is for any other reader. The
    // property keeps the dialog first should Qt write the types again (it
    // does at every change of the window's flags).
    window->setProperty("_q_xcb_wm_window_type", 0x80); // Qt's own value for a dialog
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t types[] = {known.dialogType, known.normalType};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, known.type, XCB_ATOM_ATOM, 32, 2, types);
    const uint32_t bypass = 1;
    xcb_change_window_attributes(c, id, XCB_CW_OVERRIDE_REDIRECT, &bypass);
    xcb_flush(c);
    return true;
}

void releaseToWeston(QWindow *window)
{
    xcb_connection_t *c = window ? x11Connection() : nullptr;
    if (!c)
        return;
    const uint32_t managed = 0;
    xcb_change_window_attributes(c, xcb_window_t(window->winId()), XCB_CW_OVERRIDE_REDIRECT,
                                 &managed);
    xcb_flush(c);
}

std::optional<QPoint> placeOnScreen(QWindow *window)
{
    xcb_connection_t *c = window && QGuiApplication::platformName() == QLatin1String("xcb")
                              ? x11Connection()
                              : nullptr;
    if (!c)
        return std::nullopt;
    xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, xcb_window_t(window->winId()), rootOf(c), 0, 0), nullptr);
    if (!reply)
        return std::nullopt;
    // Root coordinates are device pixels.
    const QPoint place =
        (QPointF(reply->dst_x, reply->dst_y) / window->devicePixelRatio()).toPoint();
    std::free(reply);
    return place;
}

QPoint staleBy(const QWidget *window)
{
    if (!window || !window->isVisible() || !window->windowHandle())
        return {};
    const auto seen = placeOnScreen(window->windowHandle());
    return seen ? *seen - window->geometry().topLeft() : QPoint();
}

} // namespace zentova
