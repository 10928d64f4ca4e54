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
QDate Today();
QTime TimeOfDay();

} // namespace zentova
