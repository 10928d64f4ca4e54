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

namespace
{
CounterFrames *g_frames = nullptr;
StateChangedHook g_stateChanged = nullptr;
} // namespace

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

void setCounterFrames(CounterFrames *frames)
{
    g_frames = frames;
}

CounterFrames *counterFrames()
{
    return g_frames;
}

void ShowCounterFrames()
{
    if (!g_frames)
        return;
    for (int i = 0; i < CounterCount; ++i) {
        if (gTitle(i).isEmpty()) {
            g_frames->setCounterFrameVisible(i, false);
        } else {
            g_frames->setCounterFrameVisible(i, true);
            g_frames->setCounterFrameCaption(i, gTitle(i));
        }
    }
}

void setStateChangedHook(StateChangedHook hook)
{
    g_stateChanged = hook;
}

void counterStateChanged()
{
    if (g_stateChanged)
        g_stateChanged();
}

} // namespace zentova
