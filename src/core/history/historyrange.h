// The ranges the history window offers, as a rule on dates alone.
#pragma once

#include "core/history/history.h"

#include <QDate>
#include <QList>
#include <utility>

namespace zentova
{

// In the order the window lists them.
enum class HistoryRange { ThisWeek, ThisMonth, LastMonth, Everything };

// The first and the last day of `range` as seen on `today`; everything runs
// from the oldest day.
std::pair<QDate, QDate> rangeDates(HistoryRange range, const QDate &today, const QDate &oldest);

// Where the days of `range` as seen on `today` are among days given newest
// first: the first row and the number of rows.
std::pair<qsizetype, qsizetype> rowsInRange(const QList<HistoryDay> &days, HistoryRange range,
                                            const QDate &today);

} // namespace zentova
