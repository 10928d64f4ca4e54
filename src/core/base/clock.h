// The local clock behind a seam that tests set.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace zentova
{

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// nullptr restores the system clock.
void setClock(const Clock *clock);

QDateTime Now();
// The day the program counts in: the clock's date, or for shift work the
// date the clock showed `dayStartHour()` hours ago, so that a night's counts
// stay in the day they began.
QDate Today();
QTime TimeOfDay();

// The hour at which the day turns, 0 to 23 (0: midnight).
void setDayStartHour(int hour);
int dayStartHour();
// The day that the moment `at` belongs to.
QDate dayOf(const QDateTime &at);

} // namespace zentova
