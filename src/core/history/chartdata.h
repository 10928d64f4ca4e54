// What the history window's charts stand for, as rules on days and log lines
// alone: the bars of a range (days, or weeks and months over longer ranges),
// the round ticks of their axis, a day's counts hour by hour, and the days
// that met their targets.
#pragma once

#include "core/history/history.h"
#include "core/state/countlog.h"

#include <QDate>
#include <QList>
#include <array>
#include <span>

namespace zentova
{

enum class BarSpan { Day, Week, Month };

struct ChartBar {
    QDate first; // the days the bar stands for, cut to the range
    QDate last;
    std::array<qint64, CounterCount> counts{};
    bool operator==(const ChartBar &) const = default;
};

// Up to about three months a bar is a day; up to about two years, a week
// from Monday; beyond, a month.
BarSpan barSpanFor(const QDate &first, const QDate &last);
// The bars from `first` to `last`, oldest first; a day with no line counts
// as zero rather than leaving a gap.
QList<ChartBar> chartBars(const QList<HistoryDay> &days, const QDate &first, const QDate &last);

// Ticks from 0 up to the first at or above `top`, a step of 1, 2 or 5 times a
// power of ten, and no more than `most` steps.
QList<qint64> roundTicks(qint64 top, int most = 5);

// A day's counted work hour by hour, the first hour being the one at which
// the day turns. Set counts, carried counts and corrections are no hour's work.
using HourCounts = std::array<std::array<qint64, CounterCount>, 24>;
HourCounts hourCounts(const QList<LogEntry> &lines, int startHour);

// The same a line at a time, in the log's order, for a day too long to hold
// as a list: it keeps only what a 取消 may still take back.
class HourTally
{
public:
    explicit HourTally(int startHour) : m_startHour(startHour) {}
    void add(const LogEntry &line);
    const HourCounts &hours() const { return m_hours; }
    bool isEmpty() const { return m_lines == 0; }

private:
    struct Open {
        int hour;
        qint64 delta; // a count's; 0 for a change that was no hour's work
    };
    int m_startHour;
    HourCounts m_hours{};
    std::array<QList<Open>, CounterCount> m_open;
    qint64 m_lines = 0;
};

// Of the days that had a target for `counter`, how many met it, each day by
// its own target.
struct MetDays {
    int met = 0;
    int withTarget = 0;
    bool operator==(const MetDays &) const = default;
};
MetDays metDays(std::span<const HistoryDay> days, int counter);

} // namespace zentova
