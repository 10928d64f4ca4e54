#include "core/base/clock.h"

namespace zentova
{

namespace
{
const Clock *g_clock = nullptr;
int g_dayStartHour = 0;
} // namespace

void setClock(const Clock *clock)
{
    g_clock = clock;
}

QDateTime Now()
{
    return g_clock ? g_clock->now() : QDateTime::currentDateTime();
}

QDate Today()
{
    return dayOf(Now());
}

void setDayStartHour(int hour)
{
    g_dayStartHour = hour >= 0 && hour <= 23 ? hour : 0;
}

int dayStartHour()
{
    return g_dayStartHour;
}

QDate dayOf(const QDateTime &at)
{
    // On the clock's face, as the user reads the turn hour: no time zone
    // arithmetic, which costs a conversion for every line of the log read.
    const QDate date = at.date();
    return at.time().hour() < g_dayStartHour ? date.addDays(-1) : date;
}

QTime TimeOfDay()
{
    return Now().time();
}

} // namespace zentova
