#include "platform/clock.h"

namespace zentova
{

namespace
{
const Clock *g_clock = nullptr;
}

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
    return Now().date();
}

QTime TimeOfDay()
{
    return Now().time();
}

} // namespace zentova
