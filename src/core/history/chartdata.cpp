#include "core/history/chartdata.h"

#include <algorithm>

namespace zentova
{

BarSpan barSpanFor(const QDate &first, const QDate &last)
{
    const qint64 days = first.daysTo(last) + 1;
    if (days <= 93)
        return BarSpan::Day;
    return days <= 732 ? BarSpan::Week : BarSpan::Month;
}

QList<ChartBar> chartBars(const QList<HistoryDay> &days, const QDate &first, const QDate &last)
{
    QList<ChartBar> bars;
    if (!first.isValid() || !last.isValid() || last < first)
        return bars;
    const BarSpan span = barSpanFor(first, last);
    for (QDate start = first; start <= last;) {
        QDate end = start;
        if (span == BarSpan::Week)
            end = start.addDays(7 - start.dayOfWeek());
        else if (span == BarSpan::Month)
            end = QDate(start.year(), start.month(), start.daysInMonth());
        ChartBar bar;
        bar.first = start;
        bar.last = std::min(end, last);
        bars.append(bar);
        start = end.addDays(1);
    }
    // A bar's index from a date: bars are in date order, so a binary search.
    for (const HistoryDay &day : days) {
        if (day.date < first || day.date > last)
            continue;
        const auto bar = std::partition_point(bars.begin(), bars.end(),
                                              [&](const ChartBar &b) { return b.last < day.date; });
        for (size_t c = 0; c < day.counts.size(); ++c)
            bar->counts[c] += day.counts[c];
    }
    return bars;
}

QList<qint64> roundTicks(qint64 top, int most)
{
    top = std::max<qint64>(top, 1);
    most = std::max(most, 1);
    qint64 step = 1;
    for (qint64 power = 1;; power *= 10) {
        const qint64 candidates[] = {power, 2 * power, 5 * power};
        const auto fits = std::find_if(std::begin(candidates), std::end(candidates),
                                       [&](qint64 s) { return (top + s - 1) / s <= most; });
        if (fits != std::end(candidates)) {
            step = *fits;
            break;
        }
    }
    QList<qint64> ticks{0};
    while (ticks.last() < top)
        ticks.append(ticks.last() + step);
    return ticks;
}

void HourTally::add(const LogEntry &line)
{
    if (line.counter < 0 || line.counter >= CounterCount)
        return;
    ++m_lines;
    const size_t c = size_t(line.counter);
    const int hour = (line.at.time().hour() - m_startHour + 24) % 24;
    QList<Open> &open = m_open[c];
    if (line.kind == LogKind::Undo) {
        // A count taken back was never an hour's work; a set, a raise to
        // zero and the prompt's No were none.
        if (!open.isEmpty()) {
            const Open taken = open.takeLast();
            m_hours[size_t(taken.hour)][c] -= taken.delta;
        }
        return;
    }
    if (line.kind == LogKind::Count)
        m_hours[size_t(hour)][c] += line.delta;
    if (isUndoable(line.kind))
        open.append({hour, line.kind == LogKind::Count ? qint64(line.delta) : 0});
}

HourCounts hourCounts(const QList<LogEntry> &lines, int startHour)
{
    HourTally tally(startHour);
    for (const LogEntry &line : lines)
        tally.add(line);
    return tally.hours();
}

MetDays metDays(std::span<const HistoryDay> days, int counter)
{
    MetDays result;
    for (const HistoryDay &day : days) {
        const int target = day.targets[size_t(counter)];
        if (target <= 0)
            continue;
        ++result.withTarget;
        result.met += day.counts[size_t(counter)] >= target;
    }
    return result;
}

} // namespace zentova
