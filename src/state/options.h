// The options of one data folder, in its Options.ini beside Countdata.dat, so
// that two data folders keep their own. A missing or damaged file, or a bad
// value, means the default.
#pragma once

#include <QString>

namespace zentova
{

struct DayOptions {
    int startHour = 0;        // the hour the day turns, 0 to 23
    bool resetCounts = false; // the counts go back to 0 at the turn
    bool operator==(const DayOptions &) const = default;
};

QString optionsPath();
DayOptions readDayOptions();
// Errors are runtime errors.
void writeDayOptions(const DayOptions &options);

} // namespace zentova
