#include "core/team/teamtable.h"

#include "core/state/countrecord.h"

#include <QHash>
#include <algorithm>
#include <numeric>

namespace zentova
{

TeamTable teamTable(const TeamTotals &totals)
{
    TeamTable table;
    QHash<QString, qint64> byTitle;
    QHash<QString, qsizetype> row;
    const auto personRow = [&](const QString &name) -> TeamTable::Person & {
        auto found = row.constFind(name);
        if (found == row.cend()) {
            found = row.insert(name, table.people.size());
            table.people.append({name, {}, 0, {}, {}, false});
        }
        return table.people[*found];
    };
    for (const TeamTotal &t : totals.totals)
        byTitle[t.title] += t.count;
    table.titles = byTitle.keys();
    std::sort(table.titles.begin(), table.titles.end(), [&](const QString &a, const QString &b) {
        return byTitle[a] != byTitle[b] ? byTitle[a] > byTitle[b] : a < b;
    });
    for (const TeamTotal &t : totals.totals) {
        TeamTable::Person &p = personRow(t.person);
        p.counts.resize(table.titles.size());
        p.counts[table.titles.indexOf(t.title)] += t.count;
        p.total += t.count;
        if (t.lastChange.isValid() && (!p.lastChange.isValid() || t.lastChange > p.lastChange))
            p.lastChange = t.lastChange;
    }
    for (const TeamPresence &s : totals.strips) {
        TeamTable::Person &p = personRow(s.person);
        if (s.seen.isValid() && (!p.seen.isValid() || s.seen > p.seen))
            p.seen = s.seen;
    }
    for (TeamTable::Person &p : table.people) {
        p.counts.resize(table.titles.size());
        p.reaching = p.seen.isValid() && totals.serverNow.isValid() &&
                     p.seen.secsTo(totals.serverNow) <= TeamReachingSecs;
    }
    std::sort(table.people.begin(), table.people.end(),
              [](const TeamTable::Person &a, const TeamTable::Person &b) {
                  return a.name.localeAwareCompare(b.name) < 0;
              });
    return table;
}

TeamChartGroups teamChartGroups(const TeamTable &table, const QString &others)
{
    TeamChartGroups groups;
    const qsizetype shown = table.titles.size() > CounterCount ? CounterCount - 1
                                                               : table.titles.size();
    groups.names = table.titles.mid(0, shown);
    if (shown < table.titles.size())
        groups.names << others;
    for (const TeamTable::Person &p : table.people) {
        QList<qint64> counts(groups.names.size());
        for (qsizetype c = 0; c < p.counts.size(); ++c)
            counts[std::min(c, qsizetype(groups.names.size() - 1))] += p.counts[c];
        groups.counts.append(counts);
    }
    return groups;
}

QList<TeamChartBar> teamChartBars(const TeamTable &table, const TeamChartGroups &groups, int most,
                                  const QString &rest)
{
    QList<qsizetype> order(table.people.size());
    std::iota(order.begin(), order.end(), 0);
    const bool floor = order.size() > most;
    if (floor) {
        // Stable: people of the same total stay in name order.
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return table.people[a].total > table.people[b].total;
        });
    }
    QList<TeamChartBar> bars;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const qsizetype p = order[i];
        if (floor && i >= most) {
            if (bars.size() == most)
                bars.append({QString(), QList<qint64>(groups.names.size()), 0});
            for (qsizetype g = 0; g < groups.names.size(); ++g)
                bars.last().counts[g] += groups.counts[p][g];
            ++bars.last().people;
            continue;
        }
        bars.append({table.people[p].name, groups.counts[p], 1});
    }
    if (floor)
        bars.last().label = rest.arg(bars.last().people);
    return bars;
}

} // namespace zentova
