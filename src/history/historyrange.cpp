#include "history/historyrange.h"

namespace zentova
{

std::pair<QDate, QDate> rangeDates(HistoryRange range, const QDate &today, const QDate &oldest)
{
    const QDate monthStart(today.year(), today.month(), 1);
    switch (range) {
    case HistoryRange::ThisWeek:
        return {today.addDays(1 - today.dayOfWeek()), today}; // weeks start on Monday
    case HistoryRange::ThisMonth:
        return {monthStart, today};
    case HistoryRange::LastMonth:
        return {monthStart.addMonths(-1), monthStart.addDays(-1)};
    case HistoryRange::Everything:
        break;
    }
    return {oldest.isValid() && oldest < today ? oldest : today, today};
}

QList<HistoryDay> daysInRange(const QList<HistoryDay> &days, HistoryRange range, const QDate &today)
{
    if (range == HistoryRange::Everything)
        return days;
    const auto [from, to] = rangeDates(range, today, today);
    QList<HistoryDay> shown;
    for (const HistoryDay &day : days) {
        if (day.date >= from && day.date <= to)
            shown.append(day);
    }
    return shown;
}

} // namespace zentova
