#include "gui/desktop/x11/keyboardguard.h"
#include "gui/desktop/x11/xievent.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace zentova
{

namespace
{

// How long after an offer a press that caused it may still arrive: the
// window manager replays the press to the strip once it has made the offer.
constexpr int kPressLateMs = 80;
constexpr uint32_t kSameMomentMs = 50;

xcb_intern_atom_cookie_t askAtom(xcb_connection_t *c, const char *name)
{
    return xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name);
}

xcb_atom_t answer(xcb_connection_t *c, xcb_intern_atom_cookie_t asked)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, asked, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    return answer(c, askAtom(c, name));
}

bool windowManagerRuns(xcb_connection_t *c)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const bool runs = reply && xcb_get_property_value_length(reply) == 4;
    std::free(reply);
    return runs;
}

} // namespace

KeyboardGuard::KeyboardGuard(QWidget *strip) : m_strip(strip)
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return; // another platform: nothing to guard
    m_protocolsAsked = askAtom(c, "WM_PROTOCOLS").sequence;
    m_takeFocusAsked = askAtom(c, "WM_TAKE_FOCUS").sequence;
    // No input hint: the window manager offers the keyboard and leaves it
    // where it is until the strip takes it.
    strip->setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_filtering = true;
}

KeyboardGuard::~KeyboardGuard()
{
    if (!m_filtering)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    xcb_connection_t *c = m_atomsLearnt ? nullptr : qtConnection();
    if (c) {
        xcb_discard_reply(c, m_protocolsAsked);
        xcb_discard_reply(c, m_takeFocusAsked);
    }
}

void KeyboardGuard::learnOfferAtoms()
{
    if (m_atomsLearnt)
        return;
    m_atomsLearnt = true;
    xcb_connection_t *c = qtConnection();
    m_protocols = answer(c, {m_protocolsAsked});
    m_takeFocus = answer(c, {m_takeFocusAsked});
}

bool KeyboardGuard::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_strip)
        return false;
    const WId id = m_strip->internalWinId();
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    if (id == 0)
        return false;
    if (type == XCB_GE_GENERIC) {
        const auto *input = static_cast<const XiDeviceEvent *>(message);
        if (m_inputExtension < 0)
            m_inputExtension = inputExtensionOf(qtConnection());
        if (input->extension == m_inputExtension && input->eventType == XiButtonPress &&
            input->event == uint32_t(id)) {
            m_lastPress = input->time;
            m_pressed = true;
        }
    } else if (type == XCB_BUTTON_PRESS) {
        const auto *press = static_cast<const xcb_button_press_event_t *>(message);
        if (press->event == uint32_t(id)) {
            m_lastPress = press->time;
            m_pressed = true;
        }
    } else if (type == XCB_CLIENT_MESSAGE) {
        const auto *offer = static_cast<const xcb_client_message_event_t *>(message);
        learnOfferAtoms();
        if (offer->window == uint32_t(id) && offer->type == m_protocols &&
            offer->data.data32[0] == m_takeFocus) {
            offered(offer->data.data32[1]);
            return true; // ours to answer
        }
    }
    return false;
}

void KeyboardGuard::offered(uint32_t time)
{
    // The press that made the offer comes to the strip shortly before or
    // after it: wait for it a moment, then judge by the server's times.
    m_pressed = false;
    QTimer::singleShot(kPressLateMs, this, [this, time] {
        if (!offerMadeByClick(time, m_lastPress, m_pressed))
            takeKeyboard();
    });
}

bool offerMadeByClick(uint32_t offer, uint32_t lastPress, bool pressedSince)
{
    // A press right after the offer, or one of the same moment by the
    // server's milliseconds, on either side: GNOME's XWayland stamps its
    // offer a millisecond before the press that caused it. The clock wraps.
    const auto apart = int32_t(offer - lastPress);
    return pressedSince || (lastPress != 0 && std::abs(apart) <= int32_t(kSameMomentMs));
}

void KeyboardGuard::takeKeyboardAtStart()
{
    xcb_connection_t *c = qtConnection();
    if (c && !windowManagerRuns(c))
        takeKeyboard();
}

void KeyboardGuard::takeKeyboard()
{
    xcb_connection_t *c = qtConnection();
    if (!c || !m_strip || m_strip->internalWinId() == 0)
        return;
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, xcb_window_t(m_strip->internalWinId()),
                        XCB_CURRENT_TIME);
    xcb_flush(c);
}

} // namespace zentova
