#include "settings/applysettings.h"

#include "state/countlog.h"

namespace zentova
{

void applySettings(const SettingsInput &input, CounterFrames *strip)
{
    // The counts first, of the counters that had a title before this OK: a
    // count typed for a counter that is only now given its title is not
    // taken.
    for (int i = 0; i < CounterCount; ++i) {
        if (gTitle(i).isEmpty())
            continue;
        const int before = gCount(i);
        gCount(i) = textToInt16(input.counts[size_t(i)]);
        logCountChange(i, before, LogKind::Settings);
        if (strip)
            strip->setCounterValue(i, gCount(i));
    }
    // Then the titles; an emptied box takes its counter out of use.
    for (int j = 0; j < CounterCount; ++j) {
        const QString &text = input.titles[size_t(j)];
        if (!text.isEmpty()) {
            gTitle(j) = text;
        } else {
            const int before = gCount(j);
            gCount(j) = 0;
            logCountChange(j, before, LogKind::Settings); // under the title it had
            gTitle(j) = QString();
            if (strip)
                strip->setCounterFrameVisible(j, false);
        }
    }
    gLapOn = input.lapOn ? FlagOn : FlagOff;
    if (input.alarmOn) {
        gTimerOn = FlagOn;
        gAlarmHour = textToInt16(input.alarmHour);
        gAlarmMinute = textToInt16(input.alarmMinute);
    } else {
        gTimerOn = FlagOff;
        gAlarmHour = 0;
        gAlarmMinute = 0;
    }
    // Last, the strip's frames follow the titles.
    if (strip)
        ShowCounterFrames(*strip);
}

} // namespace zentova
