// Where a logical day begins and ends on the local clock.
#pragma once

#include <QDate>
#include <QDateTime>

namespace zentova
{

// The first moment the local clock shows at or after `hour`:00 of `date`.
// Where summer time skips that hour, the turn is at the first second that
// exists after it, so a day always has a start.
QDateTime turnTime(const QDate &date, int hour);

// One logical day: it began at `start` and ends at `end` (not included).
// Its turn hour is the one in force when it opened; a change of hour takes
// effect at the next turn.
struct DayBounds {
    QDate day;
    int hour = 0;
    QDateTime start;
    QDateTime end;

    // The day `day` of a clock turning at `hour`.
    static DayBounds of(const QDate &day, int hour);
    bool isValid() const { return day.isValid() && start.isValid() && end.isValid(); }
    // `at` moved into the day: a moment before its start (the clock set back
    // into a day already closed) is the start, one past its end the last
    // second.
    QDateTime clamp(const QDateTime &at) const;
    // The hour of the day `at` is in, 0 being the turn hour's.
    int hourIndex(const QDateTime &at) const;
    bool operator==(const DayBounds &) const = default;
};

// The day after `open` closes at `now`: the day the clock says under `hour`,
// and at least the next one; it begins where `open` ended unless days were
// skipped (a suspend), and ends at the following turn under `hour`.
DayBounds nextDay(const DayBounds &open, const QDateTime &now, int hour);

} // namespace zentova
