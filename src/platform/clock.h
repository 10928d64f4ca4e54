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

// A clock that stands still until moved.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at = {}) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(const QDateTime &at) { m_at = at; }

private:
    QDateTime m_at;
};

} // namespace zentova
