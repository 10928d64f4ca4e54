#include "core/settings/applysettings.h"
#include "core/base/language.h"

#include <QScopeGuard>

namespace zentova
{

namespace
{

// A box's text as a number; a text that is no number stops OK with the
// error, whose description goes on to say which box to mend and how.
int16_t readBox(const QString &text, SettingsBox box, const QString &boxName)
{
    try {
        return textToInt16(text);
    } catch (const RuntimeError &e) {
        const QString advice =
            e.code() == ErrorCode::Overflow
                ? translate("Settings", "%1は -32768 から 32767 までの数にしてください。")
                : translate("Settings", "%1を数で入れてください。");
        throw SettingsBoxError(e.code(), e.description() + u'\n' + advice.arg(boxName), box);
    }
}

} // namespace

SettingsBoxError::SettingsBoxError(ErrorCode code, QString description, SettingsBox box)
    : RuntimeError(code, std::move(description)), m_box(box)
{
}

void applySettings(CounterModel &model, const SettingsInput &input, CounterFrames *strip)
{
    const auto &gTitle = model.titles();
    // One OK is one change to take back, whatever it set.
    model.beginChanges();
    const auto ended = qScopeGuard([&] { model.endChanges(); });
    // The counts first, of the counters that had a title before this OK: a
    // count typed for a counter that is only now given its title is not
    // taken.
    for (int i = 0; i < CounterCount; ++i) {
        if (gTitle(i).isEmpty())
            continue;
        const int16_t value =
            readBox(input.counts[size_t(i)], SettingsBox(i),
                    translate("Settings", "「%1」の件数").arg(gTitle(i)));
        if (input.counts[size_t(i)] != input.shownCounts[size_t(i)] ||
            input.shownCounts[size_t(i)].isNull())
            model.setCount(i, value, LogKind::Settings);
        if (strip)
            strip->setCounterValue(i, model.gCount(i));
    }
    // Then the titles; an emptied box takes its counter out of use.
    for (int j = 0; j < CounterCount; ++j) {
        const QString &text = input.titles[size_t(j)];
        if (!text.isEmpty()) {
            model.setTitle(j, text);
        } else {
            model.setCount(j, 0, LogKind::Settings); // under the title it had
            model.setTitle(j, QString());
            if (strip)
                strip->setCounterFrameVisible(j, false);
        }
    }
    model.setLapOn(input.lapOn ? FlagOn : FlagOff);
    if (input.alarmOn) {
        model.setTimerOn(FlagOn);
        model.setAlarmHour(readBox(input.alarmHour, SettingsBox::AlarmHour,
                                   translate("Settings", "アラームの時")));
        model.setAlarmMinute(readBox(input.alarmMinute, SettingsBox::AlarmMinute,
                                     translate("Settings", "アラームの分")));
    } else {
        model.setTimerOn(FlagOff);
        model.setAlarmHour(0);
        model.setAlarmMinute(0);
    }
    // Last, the strip's frames follow the titles.
    if (strip)
        ShowCounterFrames(gTitle, *strip);
}

} // namespace zentova
