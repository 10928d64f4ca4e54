// What the settings dialog's OK does to the counter state, step by step, free
// of the dialog: the boxes' texts in, the counter state and the strip's
// frames out.
#pragma once

#include "core/base/runtime.h"
#include "core/model/countermodel.h"

#include <QString>
#include <array>

namespace zentova
{

struct SettingsInput {
    std::array<QString, CounterCount> titles;
    std::array<QString, CounterCount> counts;
    // The count boxes as the dialog filled them: a box left as it was sets
    // nothing, so that a day that turned behind the dialog keeps its counts.
    std::array<QString, CounterCount> shownCounts;
    bool lapOn = false;
    bool alarmOn = false;
    QString alarmHour;
    QString alarmMinute;
};

// The boxes OK reads a number from: the count boxes by counter, then the
// alarm's hour and minute.
enum class SettingsBox { AlarmHour = CounterCount, AlarmMinute };

// OK stopped at a box: the error's description names the box, and the dialog
// takes the user back to it.
class SettingsBoxError : public RuntimeError
{
public:
    SettingsBoxError(ErrorCode code, QString description, SettingsBox box);
    SettingsBox box() const { return m_box; }

private:
    SettingsBox m_box;
};

// Applies `input` in the order the user sees the dialog take it: the counts
// of the counters that already had a title, the titles, the lap flag, the
// alarm, and last the strip's frames (`strip` may be null). A count or a time
// that is no number stops it there with a SettingsBoxError; what was applied
// before stays applied.
void applySettings(CounterModel &model, const SettingsInput &input, CounterFrames *strip);

} // namespace zentova
