// Keys that count from anywhere: the sequences the desktop hands to the strip
// while another program has the keyboard ([Keys] in Options.ini, Qt's
// portable key text such as "Ctrl+Alt+1"), and what they come to in the X
// protocol's terms.
#pragma once

#include "core/state/countrecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace zentova
{

struct KeyOptions {
    std::array<QString, CounterCount> count;   // [Keys] Count1..Count5
    std::array<QString, CounterCount> uncount; // [Keys] Uncount1..Uncount5
    QString undo;                              // [Keys] Undo
    QString focus;                             // [Keys] Focus: the strip's keyboard
    bool operator==(const KeyOptions &) const = default;
};

KeyOptions readKeyOptions();
// As writeDayOptions: only what changed from `shown` to `chosen` is written.
KeyOptions writeKeyOptions(const KeyOptions &shown, const KeyOptions &chosen);

struct KeyBinding {
    enum class Action { Count, Uncount, Undo, Focus };
    Action action = Action::Count;
    int counter = 0; // for a count or an uncount
    QString text;    // as the user sees it
    bool operator==(const KeyBinding &) const = default;
};

// The keys in force: each sequence set, and for a counter with a count key
// but no uncount key of its own, the count key with Shift added.
QList<KeyBinding> keyBindings(const KeyOptions &keys);
// The first sequence given twice among `keys` (empty: none).
QString twiceGiven(const KeyOptions &keys);

// What to say of keys another program holds.
QString keysRefusedMessage(const QStringList &texts);

// A key as the X server knows it: modifier bits and a key symbol.
namespace xmod
{
constexpr uint16_t Shift = 0x01, Lock = 0x02, Control = 0x04, Alt = 0x08, Super = 0x40;
}
struct DesktopKey {
    uint16_t modifiers = 0;
    uint32_t keysym = 0;
    bool operator==(const DesktopKey &) const = default;
};

// Qt's portable text of one key ("Ctrl+Alt+1", "Meta+F5", "Num+7"); nothing
// for an empty text, a sequence of several keys or a key with no symbol.
std::optional<DesktopKey> parseKeyText(const QString &text);
// The modifier sets to hold for `key` so that it works whatever Caps Lock
// and Num Lock (whose bit the keyboard's map tells) are set to.
std::array<uint16_t, 4> withLocks(uint16_t modifiers, uint16_t numLock);
// Whether a key press with modifier state `state` is `modifiers`, the lock
// keys aside.
bool sameModifiers(uint16_t state, uint16_t modifiers, uint16_t numLock);

} // namespace zentova
