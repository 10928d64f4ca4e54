#include "core/history/historyrange.h"

#include <algorithm>

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

std::pair<qsizetype, qsizetype> rowsInRange(const QList<HistoryDay> &days, HistoryRange range,
                                            const QDate &today)
{
    if (range == HistoryRange::Everything)
        return {0, days.size()};
    const auto [from, to] = rangeDates(range, today, today);
    const auto newer = [](const HistoryDay &day, const QDate &date) { return day.date > date; };
    const auto first = std::lower_bound(days.begin(), days.end(), to, newer);
    const auto end = std::lower_bound(first, days.end(), from.addDays(-1), newer);
    return {first - days.begin(), end - first};
}

} // namespace zentova
