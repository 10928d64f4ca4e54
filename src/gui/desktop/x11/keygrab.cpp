// Keys held from the X server: a passive grab on the root window for each
// key, once for every state of Caps Lock and Num Lock, so that the server
// hands the key to the strip whichever window has the keyboard.
#include "gui/desktop/globalkeys.h"
#include "gui/desktop/x11/xievent.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <vector>
#include <xcb/xcb.h>

namespace zentova
{

namespace
{

constexpr uint32_t kNumLockSym = 0xff7f;
constexpr uint8_t kBadAccess = 10; // the key is grabbed by another client

template <typename Reply> struct Freed {
    Reply *reply;
    ~Freed() { std::free(reply); }
    Reply *operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

class X11Keys final : public GlobalKeys, public QAbstractNativeEventFilter
{
public:
    X11Keys(xcb_connection_t *c, Reach reach)
        : m_reach(reach), m_c(c), m_root(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11Keys() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        letGo();
        xcb_flush(m_c);
    }

    Reach reach() const override { return m_reach; }

    QStringList hold(const QList<KeyBinding> &bindings) override
    {
        letGo();
        m_bindings = bindings;
        m_refused.clear();
        learnKeyboard();
        for (const KeyBinding &binding : bindings) {
            const std::optional<DesktopKey> key = parseKeyText(binding.text);
            const std::vector<xcb_keycode_t> codes =
                key ? codesOf(key->keysym) : std::vector<xcb_keycode_t>{};
            if (codes.empty() || !grab(binding, codes, key->modifiers))
                m_refused.append(binding.text);
        }
        xcb_flush(m_c);
        return m_refused;
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS:
            return pressed(reinterpret_cast<const xcb_key_press_event_t *>(event));
        case XCB_KEY_RELEASE:
            return released(reinterpret_cast<const xcb_key_release_event_t *>(event));
        case XCB_MAPPING_NOTIFY:
            // Another keyboard map: the same keys may sit on other codes.
            if (!m_bindings.isEmpty())
                QTimer::singleShot(0, this, [this] {
                    const QList<KeyBinding> bindings = m_bindings;
                    hold(bindings);
                });
            return false;
        default:
            return false;
        }
    }

private:
    struct Held {
        KeyBinding binding;
        xcb_keycode_t code;
        uint16_t modifiers;
    };

    bool grab(const KeyBinding &binding, const std::vector<xcb_keycode_t> &codes,
              uint16_t modifiers)
    {
        std::vector<xcb_void_cookie_t> asked;
        for (xcb_keycode_t code : codes)
            for (uint16_t state : withLocks(modifiers, m_numLock))
                asked.push_back(xcb_grab_key_checked(m_c, 0, m_root, state, code,
                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        bool refused = false;
        for (xcb_void_cookie_t cookie : asked) {
            if (xcb_generic_error_t *error = xcb_request_check(m_c, cookie)) {
                refused = refused || error->error_code == kBadAccess;
                std::free(error);
            }
        }
        for (xcb_keycode_t code : codes) {
            if (refused)
                ungrab(code, modifiers);
            else
                m_held.push_back({binding, code, modifiers});
        }
        return !refused;
    }

    void ungrab(xcb_keycode_t code, uint16_t modifiers)
    {
        for (uint16_t state : withLocks(modifiers, m_numLock))
            xcb_ungrab_key(m_c, code, m_root, state);
    }

    void letGo()
    {
        for (const Held &held : m_held)
            ungrab(held.code, held.modifiers);
        m_held.clear();
        m_down.fill(false);
    }

    // The keyboard's map, and which modifier bit Num Lock sets.
    void learnKeyboard()
    {
        const xcb_setup_t *setup = xcb_get_setup(m_c);
        m_firstCode = setup->min_keycode;
        const auto mapAsked = xcb_get_keyboard_mapping(
            m_c, setup->min_keycode, uint8_t(setup->max_keycode - setup->min_keycode + 1));
        const auto modifiersAsked = xcb_get_modifier_mapping(m_c);
        m_syms.clear();
        m_perCode = 0;
        if (Freed map{xcb_get_keyboard_mapping_reply(m_c, mapAsked, nullptr)}) {
            const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map.reply);
            m_syms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map.reply));
            m_perCode = map->keysyms_per_keycode;
        }
        m_numLock = 0;
        if (Freed mods{xcb_get_modifier_mapping_reply(m_c, modifiersAsked, nullptr)}) {
            const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mods.reply);
            const int per = mods->keycodes_per_modifier;
            for (int bit = 0; bit < 8; ++bit)
                for (int k = 0; k < per; ++k)
                    if (codes[bit * per + k] && symAt(codes[bit * per + k], 0) == kNumLockSym)
                        m_numLock = uint16_t(1u << bit);
        }
    }

    xcb_keysym_t symAt(xcb_keycode_t code, int column) const
    {
        const size_t at = size_t(code - m_firstCode) * m_perCode + size_t(column);
        return code >= m_firstCode && column < m_perCode && at < m_syms.size() ? m_syms[at] : 0;
    }

    // The codes of the keys that give `keysym`, alone or with Shift.
    std::vector<xcb_keycode_t> codesOf(uint32_t keysym) const
    {
        std::vector<xcb_keycode_t> codes;
        const uint32_t upper = keysym >= 'a' && keysym <= 'z' ? keysym - 0x20 : keysym;
        for (int column = 0; column < 2 && codes.empty(); ++column) {
            for (size_t code = m_firstCode;
                 m_perCode && code < m_firstCode + m_syms.size() / m_perCode; ++code) {
                const xcb_keysym_t sym = symAt(xcb_keycode_t(code), column);
                if (sym == keysym || (column == 1 && sym == upper))
                    codes.push_back(xcb_keycode_t(code));
            }
        }
        return codes;
    }

    bool pressed(const xcb_key_press_event_t *e)
    {
        if (e->event != m_root)
            return false;
        for (const Held &held : m_held) {
            if (held.code != e->detail || !sameModifiers(e->state, held.modifiers, m_numLock))
                continue;
            // A key held down repeats: one press is one count.
            const bool repeat = m_down[e->detail] || m_releasedAt[e->detail] == e->time;
            m_down[e->detail] = true;
            if (!repeat) {
                const KeyBinding binding = held.binding;
                QTimer::singleShot(0, this, [this, binding] { emit GlobalKeys::pressed(binding); });
            }
            return true;
        }
        return false;
    }

    bool released(const xcb_key_release_event_t *e)
    {
        if (e->event != m_root || !m_down[e->detail])
            return false;
        m_down[e->detail] = false;
        m_releasedAt[e->detail] = e->time;
        return true;
    }

    const Reach m_reach;
    xcb_connection_t *const m_c;
    const xcb_window_t m_root;
    std::vector<Held> m_held;
    std::vector<xcb_keysym_t> m_syms;
    int m_perCode = 0;
    xcb_keycode_t m_firstCode = 8;
    uint16_t m_numLock = 0;
    std::array<bool, 256> m_down{};
    std::array<xcb_timestamp_t, 256> m_releasedAt{};
};

} // namespace

std::unique_ptr<GlobalKeys> x11GlobalKeys(GlobalKeys::Reach reach)
{
    xcb_connection_t *c = qtConnection();
    if (!c)
        return nullptr;
    return std::make_unique<X11Keys>(c, reach);
}

} // namespace zentova
