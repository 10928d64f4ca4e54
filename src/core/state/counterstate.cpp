#include "core/state/counterstate.h"
#include "core/base/language.h"

namespace zentova
{

QString counterHeading(const QString &title, int index)
{
    return title.isEmpty() ? translate("Counters", "項目%1").arg(index + 1) : title;
}

void ShowCounterFrames(const CounterArray<QString> &gTitle, CounterFrames &frames)
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
