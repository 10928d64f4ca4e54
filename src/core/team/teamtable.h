// The team window's table from the server's totals: a row a person, a
// column a title (the titles as each person named their counters, the same
// title in one column), the person's total, their last change, and whether
// a strip of theirs reaches the server.
#pragma once

#include "core/team/teamserver.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

namespace zentova
{

struct TeamTable {
    struct Person {
        QString name;
        QList<qint64> counts; // by column
        qint64 total = 0;
        QDateTime lastChange; // invalid: none in the range
        QDateTime seen;       // a strip's last word; invalid: never
        bool reaching = false;
    };
    QStringList titles; // the most counted first
    QList<Person> people; // by name
};

// A strip that spoke within this long of the server's clock reaches it.
constexpr qint64 TeamReachingSecs = 150;

TeamTable teamTable(const TeamTotals &totals);

// The chart's groups: the titles themselves, or where there are more than
// its five colours, the four most counted and その他 for the rest. Each
// person's counts by group.
struct TeamChartGroups {
    QStringList names;
    QList<QList<qint64>> counts; // by person, then group
};
TeamChartGroups teamChartGroups(const TeamTable &table, const QString &others);

// The chart's bars: a person each, by name; on a floor of more than `most`
// people, the `most` who counted most (most first) and one bar of the rest,
// labelled `rest` with their number (%1), so that the chart stays readable
// and its cost does not grow with the floor.
struct TeamChartBar {
    QString label;
    QList<qint64> counts; // by group
    int people = 1;       // behind the bar
};
QList<TeamChartBar> teamChartBars(const TeamTable &table, const TeamChartGroups &groups, int most,
                                  const QString &rest);

} // namespace zentova
