#include "history/historyrange.h"

namespace zentova
{

QList<HistoryDay> daysInRange(const QList<HistoryDay> &days, HistoryRange range, const QDate &today)
{
    QDate from;
    QDate to = today;
    switch (range) {
    case HistoryRange::ThisWeek:
        from = today.addDays(1 - today.dayOfWeek()); // weeks start on Monday
        break;
    case HistoryRange::ThisMonth:
        from = QDate(today.year(), today.month(), 1);
        break;
    case HistoryRange::LastMonth:
        from = QDate(today.year(), today.month(), 1).addMonths(-1);
        to = QDate(today.year(), today.month(), 1).addDays(-1);
        break;
    case HistoryRange::Everything:
        return days;
    }
    QList<HistoryDay> shown;
    for (const HistoryDay &day : days) {
        if (day.date >= from && day.date <= to)
            shown.append(day);
    }
    return shown;
}

} // namespace zentova
