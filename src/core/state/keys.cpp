#include "core/state/keys.h"
#include "core/base/language.h"

#include <algorithm>
#include <utility>

namespace zentova
{

namespace
{

struct Named {
    const char *name;
    uint32_t keysym;
};

// Qt's portable names of the keys that are no character, with the longer
// spellings a hand-edited file may use.
constexpr Named kNamedKeys[] = {
    {"Space", 0x20},      {"Esc", 0xff1b},       {"Escape", 0xff1b}, {"Tab", 0xff09},
    {"Backtab", 0xfe20},  {"Backspace", 0xff08}, {"Return", 0xff0d}, {"Enter", 0xff8d},
    {"Ins", 0xff63},      {"Insert", 0xff63},    {"Del", 0xffff},    {"Delete", 0xffff},
    {"Pause", 0xff13},    {"Print", 0xff61},     {"SysReq", 0xff15}, {"Home", 0xff50},
    {"End", 0xff57},      {"Left", 0xff51},      {"Up", 0xff52},     {"Right", 0xff53},
    {"Down", 0xff54},     {"PgUp", 0xff55},      {"PageUp", 0xff55}, {"PgDown", 0xff56},
    {"PageDown", 0xff56}, {"Menu", 0xff67},      {"Help", 0xff6a},
};

// The keypad's keys, after "Num+".
constexpr Named kKeypadKeys[] = {
    {"*", 0xffaa}, {"+", 0xffab}, {"-", 0xffad}, {".", 0xffae}, {"/", 0xffaf}, {"Enter", 0xff8d},
};

struct Split {
    uint16_t modifiers = 0;
    bool keypad = false;
    qsizetype keyAt = 0; // where the key's own name starts
};

// The modifiers in front of the key: "Ctrl+Alt+1" is Control and Alt
// before "1"; "Ctrl++" is Control before "+".
Split splitModifiers(const QString &text)
{
    static const std::pair<QLatin1String, uint16_t> prefixes[] = {
        {QLatin1String("Ctrl+"), xmod::Control},
        {QLatin1String("Alt+"), xmod::Alt},
        {QLatin1String("Shift+"), xmod::Shift},
        {QLatin1String("Meta+"), xmod::Super},
        {QLatin1String("Num+"), 0},
    };
    Split split;
    for (bool found = true; found;) {
        found = false;
        for (const auto &[prefix, bit] : prefixes) {
            if (text.size() - split.keyAt > prefix.size() &&
                QStringView(text).mid(split.keyAt).startsWith(prefix, Qt::CaseInsensitive)) {
                split.modifiers |= bit;
                split.keypad = split.keypad || bit == 0;
                split.keyAt += prefix.size();
                found = true;
            }
        }
    }
    return split;
}

std::optional<uint32_t> keysymOf(const QString &name, bool keypad)
{
    if (keypad) {
        if (name.size() == 1 && name[0] >= u'0' && name[0] <= u'9')
            return 0xffb0 + uint32_t(name[0].unicode() - u'0');
        for (const Named &key : kKeypadKeys)
            if (name.compare(QLatin1String(key.name), Qt::CaseInsensitive) == 0)
                return key.keysym;
        return std::nullopt;
    }
    if (name.size() >= 2 && (name[0] == u'F' || name[0] == u'f')) {
        bool ok = false;
        const int n = name.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 35)
            return 0xffbe + uint32_t(n - 1);
    }
    for (const Named &key : kNamedKeys)
        if (name.compare(QLatin1String(key.name), Qt::CaseInsensitive) == 0)
            return key.keysym;
    // A character of Latin-1 is its own symbol; a letter's is the small one.
    if (name.size() == 1) {
        const char16_t c = QChar(name[0]).toLower().unicode();
        if ((c > 0x20 && c < 0x7f) || (c >= 0xa0 && c <= 0xff))
            return uint32_t(c);
    }
    return std::nullopt;
}

constexpr uint16_t kHeld = xmod::Shift | xmod::Control | xmod::Alt | xmod::Super;

} // namespace

std::optional<DesktopKey> parseKeyText(const QString &given)
{
    const QString text = given.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const Split split = splitModifiers(text);
    const QString name = text.mid(split.keyAt);
    // "Ctrl+A, Ctrl+B" is two keys in a row: no desktop holds that.
    if (name.size() > 1 && name.contains(u','))
        return std::nullopt;
    const std::optional<uint32_t> keysym = keysymOf(name, split.keypad);
    if (!keysym)
        return std::nullopt;
    return DesktopKey{split.modifiers, *keysym};
}

std::array<uint16_t, 4> withLocks(uint16_t modifiers, uint16_t numLock)
{
    return {modifiers, uint16_t(modifiers | xmod::Lock), uint16_t(modifiers | numLock),
            uint16_t(modifiers | xmod::Lock | numLock)};
}

bool sameModifiers(uint16_t state, uint16_t modifiers, uint16_t numLock)
{
    return (state & kHeld & ~numLock) == modifiers;
}

QList<KeyBinding> keyBindings(const KeyOptions &keys)
{
    using Action = KeyBinding::Action;
    QList<KeyBinding> bindings;
    const auto add = [&](Action action, int counter, const QString &text) {
        if (parseKeyText(text))
            bindings.append({action, counter, text.trimmed()});
    };
    for (int i = 0; i < CounterCount; ++i) {
        add(Action::Count, i, keys.count[size_t(i)]);
        add(Action::Uncount, i, keys.uncount[size_t(i)]);
    }
    add(Action::Undo, 0, keys.undo);
    add(Action::Focus, 0, keys.focus);
    // Shift with a count key takes one away, unless it is a key of its own.
    const QList<KeyBinding> given = bindings;
    for (int i = 0; i < CounterCount; ++i) {
        const std::optional<DesktopKey> count = parseKeyText(keys.count[size_t(i)]);
        if (!count || (count->modifiers & xmod::Shift) || parseKeyText(keys.uncount[size_t(i)]))
            continue;
        const QString text = keys.count[size_t(i)].trimmed();
        const qsizetype keyAt = splitModifiers(text).keyAt;
        const QString shifted = text.left(keyAt) + QStringLiteral("Shift+") + text.mid(keyAt);
        const DesktopKey key{uint16_t(count->modifiers | xmod::Shift), count->keysym};
        const bool taken = std::any_of(given.begin(), given.end(), [&](const KeyBinding &b) {
            return parseKeyText(b.text) == key;
        });
        if (!taken)
            bindings.append({Action::Uncount, i, shifted});
    }
    return bindings;
}

QString keysRefusedMessage(const QStringList &texts)
{
    return translate("Keys", "%1 はほかのプログラムが使っているため、このキーでは数えられません。")
        .arg(texts.join(translate("Keys", "、")));
}

QString twiceGiven(const KeyOptions &keys)
{
    QList<DesktopKey> seen;
    QList<QString> texts{keys.count.begin(), keys.count.end()};
    texts << QList<QString>{keys.uncount.begin(), keys.uncount.end()} << keys.undo << keys.focus;
    for (const QString &text : texts) {
        const std::optional<DesktopKey> key = parseKeyText(text);
        if (!key)
            continue;
        if (seen.contains(*key))
            return text.trimmed();
        seen.append(*key);
    }
    return {};
}

} // namespace zentova
