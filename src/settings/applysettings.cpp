#include "settings/applysettings.h"

#include <QScopeGuard>

namespace zentova
{

void applySettings(CounterModel &model, const SettingsInput &input, CounterFrames *strip)
{
    auto &gTitle = model.gTitle;
    // One OK is one change to take back, whatever it set.
    model.beginChanges();
    const auto ended = qScopeGuard([&] { model.endChanges(); });
    // The counts first, of the counters that had a title before this OK: a
    // count typed for a counter that is only now given its title is not
    // taken.
    for (int i = 0; i < CounterCount; ++i) {
        if (gTitle(i).isEmpty())
            continue;
        const int16_t value = textToInt16(input.counts[size_t(i)]);
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
            gTitle(j) = text;
        } else {
            model.setCount(j, 0, LogKind::Settings); // under the title it had
            gTitle(j) = QString();
            if (strip)
                strip->setCounterFrameVisible(j, false);
        }
    }
    model.gLapOn = input.lapOn ? FlagOn : FlagOff;
    if (input.alarmOn) {
        model.gTimerOn = FlagOn;
        model.gAlarmHour = textToInt16(input.alarmHour);
        model.gAlarmMinute = textToInt16(input.alarmMinute);
    } else {
        model.gTimerOn = FlagOff;
        model.gAlarmHour = 0;
        model.gAlarmMinute = 0;
    }
    // Last, the strip's frames follow the titles.
    if (strip)
        ShowCounterFrames(gTitle, *strip);
}

} // namespace zentova
