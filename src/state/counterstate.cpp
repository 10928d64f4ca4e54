#include "state/counterstate.h"

namespace zentova
{

CounterArray<int16_t> gCount;
CounterArray<QString> gTitle;
int16_t gLapOn = FlagOff;
int16_t gTimerOn = FlagOff;
int16_t gAlarmHour = 0;
int16_t gAlarmMinute = 0;
CountRecord gSaved;

QString counterHeading(const QString &title, int index)
{
    return title.isEmpty() ? QStringLiteral("項目%1").arg(index + 1) : title;
}

void resetCounterState()
{
    gCount.fill(0);
    gTitle.fill(QString());
    gLapOn = FlagOff;
    gTimerOn = FlagOff;
    gAlarmHour = 0;
    gAlarmMinute = 0;
    gSaved = CountRecord();
}

void ShowCounterFrames(CounterFrames &frames)
{
    for (int i = 0; i < CounterCount; ++i) {
        if (gTitle(i).isEmpty()) {
            frames.setCounterFrameVisible(i, false);
        } else {
            frames.setCounterFrameVisible(i, true);
            frames.setCounterFrameCaption(i, gTitle(i));
        }
    }
}

} // namespace zentova
