// The options of one data folder, in its Options.ini beside Countdata.dat, so
// that two data folders keep their own. A missing or damaged file, or a bad
// value, means the default.
#pragma once

#include "state/countrecord.h"

#include <QString>
#include <array>

namespace zentova
{

struct DayOptions {
    int startHour = 0;        // the hour the day turns, 0 to 23
    bool resetCounts = false; // the counts go back to 0 at the turn
    // Each counter's daily target ([Targets] Counter1..Counter5), 0 to 32767;
    // 0 is no target.
    std::array<int, CounterCount> targets{};
    // What a click, a key or `--count N` adds to each counter, and a right
    // press or `--uncount N` takes away ([Step] Counter1..Counter5), 1 to
    // 1000; a missing or bad value is 1.
    std::array<int, CounterCount> steps{1, 1, 1, 1, 1};
    bool operator==(const DayOptions &) const = default;
};

QString optionsPath();
DayOptions readDayOptions();
// Stores what changed from `shown` to `chosen`, and nothing else: a value
// edited in the file meanwhile by hand keeps its edit unless `chosen` changed
// it too. Returns the options now in force. Errors are runtime errors.
DayOptions writeDayOptions(const DayOptions &shown, const DayOptions &chosen);

} // namespace zentova
