#include "gui/desktop/x11/blockedinput.h"
#include "gui/desktop/x11/xievent.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>
#include <utility>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

namespace zentova
{

namespace
{

constexpr uint32_t kDigitOne = 0x31;    // XK_1
constexpr uint32_t kKeypadOne = 0xffb1; // XK_KP_1

} // namespace

BlockedInput::BlockedInput(QWidget *strip) : m_strip(strip)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

BlockedInput::~BlockedInput()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

int BlockedInput::digitOf(uint8_t keycode)
{
    // The keyboard's map once: which keys give the digits, on the main row
    // or the keypad.
    if (!m_digitsRead) {
        m_digitsRead = true;
        xcb_connection_t *c = qtConnection();
        if (!c)
            return 0;
        const xcb_setup_t *setup = xcb_get_setup(c);
        const uint8_t first = setup->min_keycode;
        const int count = setup->max_keycode - first + 1;
        xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, first, uint8_t(count)), nullptr);
        if (!map)
            return 0;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        const int perKey = map->keysyms_per_keycode;
        for (int k = 0; k < count && perKey > 0; ++k) {
            const xcb_keysym_t sym = syms[k * perKey];
            if (sym >= kDigitOne && sym < kDigitOne + 9)
                m_digits.insert(uint8_t(first + k), int(sym - kDigitOne) + 1);
            else if (perKey > 1 && syms[k * perKey + 1] >= kKeypadOne &&
                     syms[k * perKey + 1] < kKeypadOne + 9)
                m_digits.insert(uint8_t(first + k), int(syms[k * perKey + 1] - kKeypadOne) + 1);
        }
        free(map);
    }
    return m_digits.value(keycode, 0);
}

bool BlockedInput::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_strip || !QApplication::activeModalWidget())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const uint8_t type = event->response_type & 0x7f;
    const WId id = m_strip->internalWinId();
    if (id == 0 || (event->response_type & 0x80))
        return false; // no window yet, or an event another client sent
    const qreal scale = m_strip->windowHandle() ? m_strip->windowHandle()->devicePixelRatio() : 1;
    const auto press = [&](uint32_t button, QPointF at) {
        if (button == 1 || button == 3)
            emit pressed((at / scale).toPoint(), button == 1 ? Qt::LeftButton : Qt::RightButton);
    };
    if (type == XCB_GE_GENERIC) {
        const auto *input = static_cast<const XiDeviceEvent *>(message);
        if (m_inputExtension < 0)
            m_inputExtension = qtConnection() ? inputExtensionOf(qtConnection()) : 0;
        // The press comes once from the pointer and once from the device
        // behind it, with the same time: one press.
        if (input->extension == m_inputExtension && input->eventType == XiButtonPress &&
            input->event == uint32_t(id) &&
            std::exchange(m_lastPress, std::pair(input->time, input->detail)) !=
                std::pair(input->time, input->detail))
            press(input->detail, QPointF(input->eventX / 65536.0, input->eventY / 65536.0));
    } else if (type == XCB_BUTTON_PRESS || type == XCB_KEY_PRESS) {
        // The core events, where the server has no X Input: both kinds share
        // their layout up to the position and the state.
        const auto *input = static_cast<const xcb_button_press_event_t *>(message);
        if (input->event != uint32_t(id))
            return false;
        if (type == XCB_BUTTON_PRESS)
            press(input->detail, QPointF(input->event_x, input->event_y));
        else if (const int n = digitOf(input->detail))
            emit digit(n, input->state & XCB_MOD_MASK_SHIFT);
    }
    return false;
}

} // namespace zentova
