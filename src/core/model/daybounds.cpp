#include "core/model/daybounds.h"

#include <QTime>
#include <algorithm>

namespace zentova
{

QDateTime turnTime(const QDate &date, int hour)
{
    // A local time in a summer-time gap is invalid; the gap is at most a few
    // hours, so the next minutes that exist are found by walking the face.
    for (int minutes = hour * 60; minutes < hour * 60 + 24 * 60; ++minutes) {
        const QDateTime at(date.addDays(minutes / (24 * 60)),
                           QTime(0, 0).addSecs((minutes % (24 * 60)) * 60));
        if (at.isValid())
            return at;
    }
    return QDateTime();
}

DayBounds DayBounds::of(const QDate &day, int hour)
{
    return {day, hour, turnTime(day, hour), turnTime(day.addDays(1), hour)};
}

QDateTime DayBounds::clamp(const QDateTime &at) const
{
    if (!at.isValid() || at < start)
        return start;
    if (at >= end)
        return end.addSecs(-1);
    return at;
}

int DayBounds::hourIndex(const QDateTime &at) const
{
    return (at.time().hour() - hour + 24) % 24;
}

DayBounds nextDay(const DayBounds &open, const QDateTime &now, int hour)
{
    const QDate onTheClock = now.time().hour() < hour ? now.date().addDays(-1) : now.date();
    const QDate day = std::max(onTheClock, open.day.addDays(1));
    DayBounds next = DayBounds::of(day, hour);
    if (day == open.day.addDays(1))
        next.start = open.end;
    // A new hour can put the next turn before this day's own start: the day
    // then runs to the turn after.
    while (next.end <= next.start || next.end <= now)
        next.end = turnTime(next.end.date().addDays(1), hour);
    return next;
}

} // namespace zentova
