// The options of one data folder, in its Options.ini beside Countdata.dat, so
// that two data folders keep their own. A missing or damaged file, or a bad
// value, means the default.
#pragma once

#include "core/state/countrecord.h"

#include <QString>
#include <array>
#include <cstdint>

namespace zentova
{

// Each counter's colour in the charts, the team window and the strip's
// frame, as 0xRRGGBB: by default Okabe and Ito's blue, orange, bluish
// green, vermilion and reddish purple, told apart with every common kind
// of colour blindness.
inline constexpr std::array<uint32_t, CounterCount> kCounterColours{0x0072b2, 0xe69f00, 0x009e73,
                                                                    0xd55e00, 0xcc79a7};

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
    // The chime plays once as a counter meets its target ([Targets] Chime).
    bool chimeAtTarget = false;
    // [Colours] Counter1..Counter5, "#rrggbb"; a missing or bad one is the
    // default.
    std::array<uint32_t, CounterCount> colours = kCounterColours;
    bool operator==(const DayOptions &) const = default;
};

QString optionsPath();
DayOptions readDayOptions();
// Stores what changed from `shown` to `chosen`, and nothing else: a value
// edited in the file meanwhile by hand keeps its edit unless `chosen` changed
// it too. Returns the options now in force. Errors are runtime errors.
DayOptions writeDayOptions(const DayOptions &shown, const DayOptions &chosen);

// Joining a team ([Team]): the server, a libpq connection string or URI
// (empty: no team), the name the team sees (empty: defaultTeamName()), and
// the data folder's own id among the team's rows. No password is kept here: libpq's own ways apply.
struct TeamOptions {
    QString server;
    QString name;
    QString folder;
    // Where the team window reads (`WindowServer=`, a site's own setting,
    // e.g. a standby with target_session_attrs=prefer-standby); empty: the
    // server.
    QString windowServer = {};
    bool operator==(const TeamOptions &) const = default;
};

TeamOptions readTeamOptions();
// As writeDayOptions: only what changed from `shown` to `chosen` is written.
TeamOptions writeTeamOptions(const TeamOptions &shown, const TeamOptions &chosen);
// The name a team sees by default: the login's full name, else the login.
QString defaultTeamName();
// The data folder's id among the team's rows, made and kept the first time
// with where the folder is (FolderPlace=), and made anew for a folder that
// is not where it was made (a copy, a folder moved): `renewed` then.
QString teamFolderId(bool *renewed = nullptr);

} // namespace zentova
