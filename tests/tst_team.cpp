// The team's server, for real: a PostgreSQL cluster of the test's own, strips'
// outboxes sending to it through libpq, and the totals read back.
// Nothing is counted twice or left out, whatever the server does meanwhile.
#include "core/model/countermodel.h"
#include "core/state/countdata.h"
#include "core/team/outbox.h"
#include "core/team/publisher.h"
#include "core/team/team.h"
#include "core/team/teamreader.h"
#include "core/team/teamserver.h"
#include "core/team/teamtable.h"
#include "pgcluster.h"
#include "testsupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace zentova;

namespace
{

// `n` counts of `counter` (0 to 4), as the log's lines from byte `from` of
// the file `file`.
QList<JournalLine> counts(int n, int counter, const QString &file, qint64 from = 100,
                          const QDate &day = QDate(2026, 12, 8))
{
    QList<JournalLine> lines;
    for (int i = 0; i < n; ++i) {
        const LogEntry e{QDateTime(day, QTime(9, 0).addSecs(i)), counter, QStringLiteral("電話"), 1,
                         i + 1, LogKind::Count};
        lines.append({e, day, file, from, QString(), 1});
        from += countLogLine(e).size();
    }
    return lines;
}

} // namespace

class TestTeam : public QObject
{
    Q_OBJECT
    // First, so that it ends what the others leave.
    test::ProcessReaper m_reaper;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_cluster.start(), qPrintable(m_cluster.error()));
    }

    void init()
    {
        if (!m_cluster.isRunning()) // a test that failed while it was stopped
            QVERIFY(m_cluster.restart());
        m_cluster.psql("DROP TABLE IF EXISTS zentova_change, zentova_strip, zentova_schema,"
                       " zentova_total; DROP FUNCTION IF EXISTS zentova_add_totals");
    }

    // Whatever a case did, the day lines the server keeps are its rows' sums.
    void cleanup()
    {
        if (m_cluster.isRunning() && !m_cluster.psql("SELECT to_regclass('zentova_total')").isEmpty())
            QCOMPARE(linesUnlikeTheRows(m_cluster), QStringLiteral("0"));
    }

    // Three strips naming a primary and its standby; the standby falls
    // behind, the primary takes rows it never passes on and dies, the
    // standby is promoted: the new primary ends with every row once.
    void aFailoverLosesNoRow()
    {
        PgCluster primary, standby;
        QVERIFY2(primary.start(), qPrintable(primary.error()));
        QVERIFY2(standby.startStandbyOf(primary), qPrintable(standby.error()));
        const QString both = QStringLiteral("host=%1,%2 port=%3,%4 dbname=team user=admin"
                                            " target_session_attrs=read-write")
                                 .arg(primary.socketFolder(), standby.socketFolder())
                                 .arg(primary.port())
                                 .arg(standby.port());
        std::vector<std::unique_ptr<QTemporaryDir>> folders;
        std::vector<std::unique_ptr<Team>> teams;
        qint64 from = 100;
        const auto countOnEach = [&](int n) {
            for (auto &team : teams)
                team->journaled(counts(n, 0, "Countlog-2026-12.csv", from));
            from += 10000;
            for (auto &team : teams) {
                if (!allSent(*team, 60000))
                    return false;
            }
            return true;
        };
        for (int i = 0; i < 3; ++i) {
            folders.push_back(std::make_unique<QTemporaryDir>());
            teams.push_back(std::make_unique<Team>(folders.back()->path()));
            teams.back()->setOptions({both, QStringLiteral("p%1").arg(i), QStringLiteral("f%1").arg(i)});
        }
        QVERIFY(countOnEach(10));
        QTRY_COMPARE_WITH_TIMEOUT(standby.psql("SELECT count(*) FROM zentova_change"),
                                  QStringLiteral("30"), 10000);
        QVERIFY(standby.stopReplication());
        QVERIFY(countOnEach(7));
        // A team window may read the standby: it says it is one, and shows
        // what it has.
        for (const PgCluster *server : {&standby, &primary}) {
            const TeamTotals totals = totalsOf(server->server(), QDate(2026, 12, 8));
            QCOMPARE(totals.behindSecs >= 0, server == &standby);
            QCOMPARE(totals.totals.value(0).count, server == &standby ? 10 : 17);
        }
        QCOMPARE(primary.psql("SELECT count(*) FROM zentova_change"), QStringLiteral("51"));
        QVERIFY(primary.crash());
        QVERIFY(standby.promote());
        QVERIFY(countOnEach(5));
        QCOMPARE(standby.psql("SELECT count(*) || '/' || count(DISTINCT id) || '/' || sum(delta)"
                              " FROM zentova_change"),
                 QStringLiteral("66/66/66"));
        QCOMPARE(linesUnlikeTheRows(standby), QStringLiteral("0"));
    }

    // A database of the first tables, with rows in it, is brought up to
    // date by the first strip: its day lines are made from the rows there.
    void anEarlierDatabaseIsUpgradedWithItsRows()
    {
        for (const QString &statement : teamSetupScript("admin").split(";\n")) {
            if (statement.contains("CREATE TABLE IF NOT EXISTS zentova_total"))
                break; // the first tables, as schema 1 made them
            m_cluster.psql(statement.contains("zentova_change (")
                               ? QString(statement).replace(",\n    worked integer", "")
                               : statement);
        }
        m_cluster.psql("INSERT INTO zentova_change"
                       " (id, person, folder, day, at, counter, title, delta, count)"
                       " SELECT gen_random_uuid(), '鈴木', 'G', '2026-12-07', now(), 1, '電話', d, 0"
                       " FROM unnest(ARRAY[1, 1, 1, -1]) AS d");
        QTemporaryDir folder;
        Team team(folder.path());
        team.setOptions({m_cluster.server(), "佐藤", "F"});
        team.journaled(counts(3, 0, "Countlog-2026-12.csv"));
        QVERIFY(allSent(team));
        QCOMPARE(m_cluster.psql("SELECT max(version) FROM zentova_schema"), QStringLiteral("3"));
        QCOMPARE(m_cluster.psql("SELECT person || '=' || total FROM zentova_total ORDER BY 1"),
                 QStringLiteral("佐藤=3\n鈴木=2"));
    }

    // The window's totals: a person's title over their day lines, each line
    // below none counting none (as its strip shows), untitled counting
    // nothing, the busy day's (marked *) apart; read whole, then only the
    // people and titles changed since.
    void dayLinesAddUpToTheWindowsTotals()
    {
        const QDate day(2026, 12, 8);
        QDate on = day;
        QString problem;
        TeamConnection db;
        QVERIFY(db.open(m_cluster.server(), &problem));
        QVERIFY(prepareTeamTables(db, &problem));
        int n = 0;
        const auto add = [&](QList<std::tuple<const char *, const char *, int, const char *, int>> changes) {
            QList<TeamRow> rows;
            for (const auto &[person, folder, counter, title, worked] : changes) {
                ++n;
                rows.append({teamRowId(folder, "log", n), person, folder, on,
                             QDateTime(on, QTime(9, n)), counter, title, worked, 0, QString(),
                             worked});
            }
            QList<RefusedRow> refused;
            return insertTeamRows(db, rows, &refused, &problem);
        };
        const auto seen = [](const TeamChanges &c) {
            QStringList out;
            for (const auto &[part, mark] : {std::pair{&c.changed, ""}, {&c.busyDay, "*"}})
                for (const TeamTotal &t : *part)
                    out << t.person + mark + u'=' + QString::number(t.count) + u'@' +
                               QString::number(t.lastChange.time().minute());
            out.sort();
            return out.join(u' ');
        };
        const auto read = [&](const QByteArray &since, TeamChanges *out) {
            return readTeamChanges(db, day.addDays(-1), day, day, since, out, &problem);
        };
        QVERIFY(add({{"佐藤", "F", 1, "電話", 4}, {"佐藤", "G", 1, "電話", 2},
                     {"鈴木", "H", 1, "電話", -3}, {"鈴木", "H", 2, "", 9}}));
        on = day.addDays(-1);
        QVERIFY(add({{"佐藤", "F", 1, "電話", 5}}));
        TeamChanges whole, since;
        QVERIFY2(read({}, &whole), qPrintable(problem));
        QCOMPARE(seen(whole), QStringLiteral("佐藤*=6@2 佐藤=5@5 鈴木*=0@3"));
        QVERIFY(read(whole.snapshot, &since));
        QCOMPARE(seen(since), QString());
        on = day;
        QVERIFY(add({{"鈴木", "H", 1, "電話", 4}}));
        QVERIFY(read(whole.snapshot, &since));
        QCOMPARE(seen(since), QStringLiteral("鈴木*=1@6"));
        on = day.addDays(-1);
        QVERIFY(add({{"佐藤", "F", 1, "電話", 1}}));
        QVERIFY(read(whole.snapshot, &since));
        QCOMPARE(seen(since), QStringLiteral("佐藤=6@7 鈴木*=1@6"));
        TeamTotalsKept kept;
        kept.apply(whole);
        kept.apply(since);
        const QList<TeamTotal> totals = kept.totals().totals;
        QCOMPARE(totals.size(), 2);
        QCOMPARE(totals.value(0).count, 12);
        QCOMPARE(totals.value(0).lastChange, QDateTime(day, QTime(9, 2)));
        QCOMPARE(totals.value(1).count, 1);
    }

    // Twenty strips and three windows through PgBouncer in transaction
    // mode with two server connections: every row arrives once (some sent
    // twice), and every window reads every person's total.
    void throughAPoolerInTransactionMode()
    {
        PgPooler pooler;
        QVERIFY2(pooler.start(m_cluster, 2), qPrintable(pooler.error()));
        constexpr int Strips = 20;
        std::vector<std::unique_ptr<QTemporaryDir>> folders;
        std::vector<std::unique_ptr<Team>> teams;
        std::vector<std::unique_ptr<TeamReader>> windows;
        QList<TeamTotals> lastRead(3);
        for (int w = 0; w < 3; ++w) {
            windows.push_back(std::make_unique<TeamReader>(pooler.server()));
            connect(windows.back().get(), &TeamReader::read, this,
                    [&, w](const TeamTotals &t) { lastRead[w] = t; });
        }
        for (int i = 0; i < Strips; ++i) {
            folders.push_back(std::make_unique<QTemporaryDir>());
            teams.push_back(std::make_unique<Team>(folders.back()->path()));
            teams.back()->setOptions({pooler.server(), QStringLiteral("p%1").arg(i, 2, 10, QChar(u'0')),
                                      QStringLiteral("f%1").arg(i)});
            teams.back()->journaled(counts(i + 1, 0, "Countlog-2026-12.csv"));
            teams.back()->journaled(counts(i + 1, 0, "Countlog-2026-12.csv")); // sent twice
            for (auto &window : windows)
                window->ask(QDate(2026, 12, 1), QDate(2026, 12, 31));
        }
        for (auto &team : teams)
            QVERIFY2(allSent(*team, 60000), qPrintable(team->problem()));
        QCOMPARE(m_cluster.psql("SELECT count(*) || '/' || count(DISTINCT id) || '/' || sum(delta)"
                                " FROM zentova_change"),
                 QStringLiteral("210/210/210"));
        for (int w = 0; w < 3; ++w) {
            // Asked until it has read them all (an answer may come between).
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    windows[size_t(w)]->ask(QDate(2026, 12, 1), QDate(2026, 12, 31));
                    qint64 sum = 0;
                    for (const TeamTotal &t : std::as_const(lastRead[w].totals))
                        sum += t.count;
                    return lastRead[w].totals.size() == Strips && sum == 210;
                }(),
                20000);
        }
        QCOMPARE(m_cluster.psql("SELECT max(version) FROM zentova_schema"), QStringLiteral("3"));
    }

    // What the server took is kept to be sent again: its newest day, and
    // anything taken within the hour; only for the server that took it.
    void theOutboxKeepsWhatWasTakenLately()
    {
        QTemporaryDir folder;
        Outbox outbox(folder.path());
        const auto send = [&](const QDate &day, const QString &server) {
            QList<TeamRow> rows;
            for (const JournalLine &l : counts(2, 0, "Countlog-2026-12.csv", 100, day))
                rows << teamRowOf(l, "佐藤", "F");
            outbox.append(rows);
            qint64 end = 0;
            outbox.waiting(100, &end);
            outbox.markSent(end, server);
        };
        const auto days = [&](const QDateTime &at, const QString &server) {
            QStringList out;
            for (const TeamRow &r : outbox.recentlySent(at, server))
                out << r.day.toString("d");
            return out.join(u' ');
        };
        send(QDate(2026, 12, 7), "A");
        send(QDate(2026, 12, 8), "A");
        const QDateTime now = QDateTime::currentDateTime();
        QCOMPARE(days(now, "A"), QStringLiteral("7 7 8 8"));
        QCOMPARE(days(now.addSecs(7200), "A"), QStringLiteral("8 8")); // the day goes on
        QCOMPARE(days(now, "B"), QString());
        send(QDate(2026, 12, 8), "B"); // another team: what A took is not B's
        QCOMPARE(days(now, "A"), QString());
        QCOMPARE(days(now, "B"), QStringLiteral("8 8"));
        // Two hours on, a new day's rows leave only themselves in the file.
        const QString recent = folder.filePath("Teamoutbox.recent.csv");
        QList<QByteArray> lines = readAll(recent).split('\n');
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) // after the server's line
            lines[i] = QByteArray::number(now.addSecs(-7200).toMSecsSinceEpoch()) +
                       lines[i].mid(lines[i].indexOf(','));
        const QByteArray aged = lines.join('\n');
        QFile file(recent);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(aged) == aged.size());
        file.close();
        send(QDate(2026, 12, 9), "B");
        QCOMPARE(readAll(recent).count('\n'), 3); // its server's line and two rows
    }

    // A floor's chart: the most counting people by name, the rest in one
    // bar; a team that fits keeps its name order.
    void chartBarsOfAFloor_data()
    {
        QTest::addColumn<int>("people");
        QTest::addColumn<QString>("bars"); // label=count, each bar
        QTest::addRow("fits") << 3 << "p0=0 p1=1 p2=2";
        QTest::addRow("two more than room")
            << 5 << "p4=4 p2=2 p3=2 ほか 2 人=1"; // p2 and p3 tie: by name
    }

    void chartBarsOfAFloor()
    {
        QFETCH(int, people);
        TeamTable table;
        table.titles = {"電話"};
        for (int i = 0; i < people; ++i) {
            const qint64 n = i == 3 ? 2 : i;
            table.people.append({QStringLiteral("p%1").arg(i), {n}, n, {}, {}, false});
        }
        QStringList bars;
        for (const TeamChartBar &bar :
             teamChartBars(table, teamChartGroups(table, "その他"), 3, "ほか %1 人"))
            bars << bar.label + u'=' + QString::number(bar.counts.value(0));
        QTEST(bars.join(u' '), "bars");
    }

    void outboxLinesReadBack_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("row");
        const TeamRow row{teamRowId("F", "Countlog-2026-12.csv", 40),
                          "山田 花子",
                          "F",
                          QDate(2026, 3, 29),
                          QDateTime(QDate(2026, 3, 29), QTime(2, 30), QTimeZone("Europe/Berlin")),
                          5,
                          "返品,\"受付\"",
                          -3,
                          7,
                          "取消"};
        const QByteArray good = outboxLine(row);
        QTest::addRow("a row with quotes and a comma") << good << true;
        QTest::addRow("cut short") << good.left(good.size() - 9) << false;
        QTest::addRow("counter 6") << QByteArray(good).replace(",5,", ",6,") << false;
        QTest::addRow("no id") << good.mid(36) << false;
    }

    void outboxLinesReadBack()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, row);
        const auto read = parseOutboxLine(line);
        QCOMPARE(read.has_value(), row);
        if (row) {
            QCOMPARE(outboxLine(*read), line);
            QCOMPARE(read->at.offsetFromUtc(), 3600); // the moment kept, summer time or not
            // As written before the day line's part was kept: the delta's.
            const QByteArray before = line.left(line.lastIndexOf(',')) + '\n';
            QCOMPARE(parseOutboxLine(before)->worked, read->delta);
        }
    }

    void serverTextsBecomeConnectOptions_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("options"); // "" where it is neither form
        const QString limits = " connect_timeout=10 tcp_user_timeout=20000 application_name=zentova";
        QTest::addRow("URI") << "postgresql://zentova@db.example:5433/office?sslmode=verify-full"
                             << "user='zentova' host='db.example' port='5433' dbname='office' "
                                "sslmode='verify-full'" + limits;
        QTest::addRow("URI, a socket folder as its host")
            << "postgresql://zentova@%2Fvar%2Frun%2Fpostgresql/office"
            << "user='zentova' host='/var/run/postgresql' dbname='office'" + limits;
        QTest::addRow("URI, the socket folder as a parameter")
            << "postgresql:///office?host=/tmp/pg&port=5499"
            << "dbname='office' host='/tmp/pg' port='5499'" + limits;
        QTest::addRow("URI, IPv6") << "postgres://[::1]:5432/team"
                                   << "host='::1' port='5432' dbname='team'" + limits;
        QTest::addRow("key=value, quoted")
            << "host=db dbname='my office' connect_timeout=3"
            << "host='db' dbname='my office' connect_timeout='3' tcp_user_timeout=20000 "
               "application_name=zentova";
        QTest::addRow("a quote inside") << R"(dbname='it\'s')"
                                        << R"(dbname='it\'s')" + limits;
        QTest::addRow("words") << "db.example office" << "";
        QTest::addRow("an open quote") << "dbname='office" << "";
    }

    void serverTextsBecomeConnectOptions()
    {
        QFETCH(QString, server);
        QTEST(teamConnectOptions(server), "options");
    }

    void tableGroupsTitlesAcrossPeople()
    {
        const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
        TeamTotals totals;
        totals.serverNow = now;
        totals.totals = {{"鈴木", "電話", 5, now.addSecs(-60)},
                         {"佐藤", "電話", 7, now.addSecs(-30)},
                         {"佐藤", "メール", 2, now.addSecs(-900)},
                         {"鈴木", "来客", 9, now.addSecs(-10)}};
        totals.strips = {{"鈴木", now.addSecs(-TeamReachingSecs - 1)},
                         {"佐藤", now.addSecs(-5)},
                         {"田中", now.addSecs(-20)}}; // reaches, nothing counted yet
        const TeamTable table = teamTable(totals);
        QCOMPARE(table.titles, (QStringList{"電話", "来客", "メール"}));
        QCOMPARE(table.people.size(), 3);
        QStringList seen;
        for (const TeamTable::Person &p : table.people) {
            QStringList counts;
            for (qint64 n : p.counts)
                counts << QString::number(n);
            seen << QStringLiteral("%1:%2=%3 %4 %5")
                        .arg(p.name, counts.join(u','))
                        .arg(p.total)
                        .arg(p.lastChange.isValid() ? p.lastChange.toString("HH:mm:ss") : "-")
                        .arg(p.reaching ? "on" : "off");
        }
        seen.sort();
        QCOMPARE(seen, (QStringList{"佐藤:7,0,2=9 11:59:30 on", "田中:0,0,0=0 - on",
                                    "鈴木:5,9,0=14 11:59:50 off"}));
    }

    void chartGroupsTheRestAsOthers_data()
    {
        QTest::addColumn<int>("titles");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<qint64>>("first"); // the first person's counts by group
        QTest::addRow("five fit") << 5 << QStringList{"t0", "t1", "t2", "t3", "t4"}
                                  << QList<qint64>{1, 2, 3, 4, 5};
        QTest::addRow("seven: four and the rest")
            << 7 << QStringList{"t0", "t1", "t2", "t3", "その他"} << QList<qint64>{1, 2, 3, 4, 18};
        QTest::addRow("none") << 0 << QStringList{} << QList<qint64>{};
    }

    void chartGroupsTheRestAsOthers()
    {
        QFETCH(int, titles);
        TeamTable table;
        TeamTable::Person p{"A", {}, 0, {}, {}, false};
        for (int t = 0; t < titles; ++t) {
            table.titles << QStringLiteral("t%1").arg(t);
            p.counts << t + 1;
        }
        table.people = {p};
        const TeamChartGroups groups = teamChartGroups(table, "その他");
        QTEST(groups.names, "names");
        QTEST(groups.counts.value(0), "first");
    }

    // Two data folders publish as two people; each row arrives once and
    // the sums are what each strip's counters moved.
    void twoFoldersPublishAsTwoPeople()
    {
        QTemporaryDir a, b;
        Team first(a.path()), second(b.path());
        first.setOptions({m_cluster.server(), "佐藤", "folder-a"});
        second.setOptions({m_cluster.server(), "鈴木", "folder-b"});
        first.journaled(counts(30, 0, "Countlog-2026-12.csv"));
        second.journaled(counts(12, 2, "Countlog-2026-12.csv")); // the same log name elsewhere
        first.journaled(counts(5, 1, "Countlog-2026-12.csv", 5000));
        QVERIFY(allSent(first) && allSent(second));
        QCOMPARE(m_cluster.psql("SELECT person || ':' || counter || '=' || sum(delta)"
                                " FROM zentova_change GROUP BY person, counter ORDER BY 1"),
                 QStringLiteral("佐藤:1=30\n佐藤:2=5\n鈴木:3=12"));
        QCOMPARE(m_cluster.psql("SELECT max(version) FROM zentova_schema"), QStringLiteral("3"));
        QCOMPARE(m_cluster.psql("SELECT count(*) FROM zentova_strip"), QStringLiteral("2"));

        // And the team's totals read back as the window reads them.
        const TeamTable table = teamTable(totalsOf(m_cluster.server(), QDate(2026, 12, 1),
                                                   QDate(2026, 12, 8)));
        QCOMPARE(table.titles, QStringList{"電話"});
        QCOMPARE(table.people.size(), 2);
        QCOMPARE(table.people[0].total + table.people[1].total, 47);
        QVERIFY(table.people[0].reaching && table.people[1].reaching);
        // Another range, no counts.
        QCOMPARE(totalsOf(m_cluster.server(), QDate(2026, 12, 9), QDate(2026, 12, 31)).totals.size(),
                 0);
    }

    // The server stopped mid-day and started again: the rows made meanwhile
    // wait and arrive, none lost and none twice; rows sent again (a lost
    // answer, a kill before the mark) are kept once.
    void aStoppedServerLosesAndDoublesNothing()
    {
        QTemporaryDir folder;
        {
            Team team(folder.path());
            team.setOptions({m_cluster.server(), "佐藤", "F"});
            team.journaled(counts(10, 0, "Countlog-2026-12.csv"));
            QVERIFY(allSent(team));
            QVERIFY(m_cluster.stop());
            QSignalSpy told(&team, &Team::statusChanged);
            team.journaled(counts(7, 0, "Countlog-2026-12.csv", 9000));
            QTRY_VERIFY_WITH_TIMEOUT(!team.problem().isEmpty(), 15000);
            QVERIFY(!team.outbox().isEmpty());
            QVERIFY(m_cluster.restart());
            QVERIFY(allSent(team, 90000)); // after the back-off
            QVERIFY(team.reaching());
        }
        QCOMPARE(m_cluster.psql("SELECT sum(delta) || '/' || count(*) FROM zentova_change"),
                 QStringLiteral("17/17"));

        // The same rows once more, as after a kill between the server's
        // answer and the mark, then a new start that sends what waits.
        QList<TeamRow> again;
        for (const JournalLine &l : counts(10, 0, "Countlog-2026-12.csv"))
            again << teamRowOf(l, "佐藤", "F");
        Outbox(folder.path()).append(again);
        Team restarted(folder.path());
        restarted.setOptions({m_cluster.server(), "佐藤", "F"});
        QVERIFY(allSent(restarted));
        QCOMPARE(m_cluster.psql("SELECT sum(delta) || '/' || count(*) FROM zentova_change"),
                 QStringLiteral("17/17"));
    }

    // A morning counted alone, then the team joined, then a restart
    // answered いいえ: the team's day is the strip's day line.
    void theTeamsDayIsTheDayLine()
    {
        test::Sandbox sandbox;
        CountRecord titled;
        titled.Title = {"電話", "メール", "来客", "", ""};
        writeRecordFile(countDataPath(), titled);
        Team team(sandbox.folder());
        const auto start = [&](bool restoring) {
            sandbox.model = std::make_unique<CounterModel>();
            sandbox.model->setJournalSink([&](const QList<JournalLine> &l) { team.journaled(l); });
            sandbox.model->LoadCountData();
            for (int i = 0; i < CounterCount; ++i)
                sandbox.model->setTitle(i, sandbox.model->gSaved().Title[size_t(i)]);
            sandbox.model->restore(restoring);
        };
        start(true);
        for (const int counter : {0, 0, 0, 0, 1, 1, 1, 2, 3}) // the fourth has no title
            sandbox.model->count(counter, 1);
        sandbox.model->store();
        team.setOptions({m_cluster.server(), "佐藤", "F"});
        team.catchUp(*sandbox.model);
        start(false);
        sandbox.model->count(0, 1);
        sandbox.model->store();
        QVERIFY(allSent(team));
        QStringList seen;
        for (const TeamTotal &t : totalsOf(m_cluster.server(), sandbox.model->openDay().day).totals)
            seen << t.title + u'=' + QString::number(t.count);
        seen.sort();
        QCOMPARE(seen, (QStringList{"メール=3", "来客=1", "電話=5"}));
        QCOMPARE(sandbox.model->openDayLine().counts[0], 5);
    }

    // A NUL in a title arrives as U+FFFD; a row the server refuses for what
    // it holds goes aside with the reason, and the rows after it arrive.
    void aRefusedRowGoesAsideAndTheRestArrive()
    {
        QTemporaryDir folder;
        Team team(folder.path());
        team.setOptions({m_cluster.server(), "佐藤", "F"});
        team.journaled(counts(1, 0, "Countlog-2026-12.csv"));
        QVERIFY(allSent(team));
        m_cluster.psql("ALTER TABLE zentova_change ADD CHECK (length(title) <= 20)");
        QList<JournalLine> lines = counts(3, 0, "Countlog-2026-12.csv", 5000);
        lines[0].entry.title = QStringLiteral("電") + QChar(u'\0') + QStringLiteral("話");
        lines[1].entry.title = QString(21, u'長');
        team.journaled(lines);
        QVERIFY(allSent(team));
        QCOMPARE(m_cluster.psql("SELECT string_agg(title, '|' ORDER BY title) FROM zentova_change"),
                 QStringLiteral("電話|電話|電\uFFFD話"));
        const QList<QByteArray> rejected = readAll(team.outbox().rejectedPath()).split('\n');
        QCOMPARE(rejected.size(), 2); // one line, and nothing after its end
        QVERIFY2(rejected[0].contains("check constraint") && rejected[0].contains("長長"),
                 rejected[0].constData());
        QCOMPARE(team.markText(), "送れない行があります（1 行、Teamoutbox.rejected.csv）");
    }

    // The server changed while a send waits on a locked table: the send
    // given up on is cancelled and moves no mark, and the new server gets
    // every row since.
    void aServerChangedMidSendGetsEveryRow()
    {
        m_cluster.psql("DROP DATABASE IF EXISTS other");
        m_cluster.psql("CREATE DATABASE other");
        const QString other = m_cluster.server().replace("dbname=team", "dbname=other");
        QTemporaryDir folder;
        Team team(folder.path());
        team.setOptions({m_cluster.server(), "佐藤", "F"});
        team.journaled(counts(1, 0, "Countlog-2026-12.csv"));
        QVERIFY(allSent(team));
        QString problem;
        TeamConnection locker, otherServer;
        QVERIFY(locker.open(m_cluster.server(), &problem));
        QVERIFY(otherServer.open(other, &problem));
        {
            QVERIFY(runTeamStatement(locker, "BEGIN", nullptr, &problem));
            QVERIFY(runTeamStatement(locker, "LOCK TABLE zentova_change IN ACCESS EXCLUSIVE MODE",
                                     nullptr, &problem));
            team.journaled(counts(5, 0, "Countlog-2026-12.csv", 5000));
            QTRY_COMPARE(m_cluster.psql("SELECT count(*) FROM pg_stat_activity"
                                        " WHERE wait_event_type = 'Lock'"),
                         QStringLiteral("1"));
            team.setOptions({other, "佐藤", "F"});
            QVERIFY(runTeamStatement(locker, "ROLLBACK", nullptr, &problem));
            QVERIFY(allSent(team));
            QList<QStringList> rows;
            QVERIFY(runTeamStatement(otherServer, "SELECT count(*) FROM zentova_change", &rows,
                                     &problem));
            QCOMPARE(rows, QList<QStringList>{{"5"}});
        }
        QCOMPARE(m_cluster.psql("SELECT count(*) FROM zentova_change"), QStringLiteral("1"));
    }

    // Servers that cannot be used: the cause is told once, the rows wait,
    // and a change is taken at once while the publisher is stuck.
    void unusableServersAreToldOnce_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("mark"); // on the strip, once a minute has passed
        QTest::addRow("wrong password") << "tcp:wrong" << "password"
                                        << "チームのサーバーにログインできません";
        QTest::addRow("wrong host") << "host=nowhere.invalid dbname=team connect_timeout=2"
                                    << "nowhere.invalid" << "チームのサーバーに 09:00 から未接続です";
        QTest::addRow("never answers") // its port, in the cause
            << "silent" << "port" << "チームのサーバーに 09:00 から未接続です";
    }

    void unusableServersAreToldOnce()
    {
        QFETCH(QString, server);
        QFETCH(QString, cause);
        FixedClock clock(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
        setClock(&clock);
        const auto realClock = qScopeGuard([] { setClock(nullptr); });
        m_cluster.psql("DO $$ BEGIN CREATE ROLE teammate LOGIN PASSWORD 'right';"
                       " EXCEPTION WHEN duplicate_object THEN NULL; END $$");
        QTcpServer silent; // takes the connection and never says a word
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QList<QTcpSocket *> held;
        connect(&silent, &QTcpServer::newConnection, this,
                [&] { held << silent.nextPendingConnection(); });
        if (server == "tcp:wrong") {
            server = m_cluster.serverOverTcp("teammate", "wrong");
        } else if (server == "silent") {
            server = QStringLiteral("host=127.0.0.1 port=%1 dbname=team connect_timeout=2")
                         .arg(silent.serverPort());
            cause = QString::number(silent.serverPort());
        }
        QTemporaryDir folder;
        Team team(folder.path());
        QSignalSpy told(&team, &Team::statusChanged);
        team.setOptions({server, "佐藤", "F"});
        for (int i = 0; i < 3; ++i)
            team.journaled(counts(1, 0, "Countlog-2026-12.csv", 100 + i * 40));
        // Taken while the publisher is still trying.
        QVERIFY(!team.outbox().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!team.problem().isEmpty(), 20000);
        QVERIFY2(team.problem().contains(cause, Qt::CaseInsensitive), qPrintable(team.problem()));
        QVERIFY(!team.reaching());
        // Retried (at 1 s, 2 s ...) but told once.
        QTest::qWait(3500);
        QCOMPARE(told.count(), 2); // joined, then the cause
        qint64 end = 0;
        QCOMPARE(team.outbox().waiting(100, &end).size(), 3);
        QCOMPARE(team.markText(), QString()); // not yet a minute
        clock.set(clock.now().addSecs(61));
        QTEST(team.markText(), "mark");
    }

    // A strip ends at once, whatever its publisher waits for: here a server
    // that takes the connection and never answers.
    void endingNeverWaitsForASilentServer()
    {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QList<QTcpSocket *> held;
        connect(&silent, &QTcpServer::newConnection, this,
                [&] { held << silent.nextPendingConnection(); });
        QTemporaryDir folder;
        {
            Team team(folder.path());
            team.setOptions({
                QStringLiteral("host=127.0.0.1 port=%1 dbname=team").arg(silent.serverPort()),
                "佐藤", "F"});
            team.journaled(counts(1, 0, "Countlog-2026-12.csv"));
            QTRY_VERIFY(!held.isEmpty()); // the publisher waits for an answer
        }
        // Ended without waiting for the publisher to give up on it.
        QCoreApplication::processEvents();
        QCOMPARE(held.first()->state(), QAbstractSocket::ConnectedState);
        QVERIFY(!Outbox(folder.path()).isEmpty()); // the row waits for the next start
    }

    // A role that may not make tables: told so, until the administrator's
    // script has made them and given it its rights.
    void aRoleWithoutCreateRightNeedsTheScript()
    {
        m_cluster.psql("DO $$ BEGIN CREATE ROLE strip LOGIN;"
                       " EXCEPTION WHEN duplicate_object THEN NULL; END $$");
        QTemporaryDir folder;
        Team team(folder.path());
        team.setOptions({m_cluster.server("strip"), "佐藤", "F"});
        team.journaled(counts(4, 0, "Countlog-2026-12.csv"));
        QTRY_VERIFY_WITH_TIMEOUT(!team.problem().isEmpty(), 15000);
        QVERIFY2(team.problem().contains("permission denied"), qPrintable(team.problem()));
        bool ok = false;
        m_cluster.psql(teamSetupScript("strip"), &ok);
        QVERIFY(ok);
        QVERIFY(allSent(team, 90000));
        QCOMPARE(m_cluster.psql("SELECT sum(delta) FROM zentova_change"), QStringLiteral("4"));
        // The least rights: it adds rows, and changes and removes none.
        QString problem;
        TeamConnection db;
        QVERIFY(db.open(m_cluster.server("strip"), &problem));
        for (const char *change : {"DELETE FROM zentova_change",
                                   "UPDATE zentova_change SET delta = 100",
                                   "UPDATE zentova_total SET total = 100"})
            QVERIFY(!runTeamStatement(db, change, nullptr, &problem));
        QList<QStringList> rows;
        QVERIFY(runTeamStatement(db, "SELECT total FROM zentova_total", &rows, &problem));
        QCOMPARE(rows, QList<QStringList>{{"4"}}); // kept by the server, for the role
    }

    // The model tells each log line as it is written and, after a kill that
    // left Countday.ini behind the log, tells those lines again at the next
    // start: the same rows, which the server keeps once.
    void linesToldAgainMakeTheSameRows()
    {
        test::Sandbox sandbox;
        CountRecord titled;
        titled.Title = {"電話", "", "", "", ""};
        writeRecordFile(countDataPath(), titled);
        QList<TeamRow> rows;
        const auto listen = [&](CounterModel &model) {
            model.setJournalSink([&](const QList<JournalLine> &lines) {
                for (const JournalLine &l : lines)
                    rows << teamRowOf(l, "佐藤", "F");
            });
        };
        listen(*sandbox.model);
        sandbox.model->LoadCountData();
        sandbox.model->restore(false);
        sandbox.model->setTitle(0, "電話");
        sandbox.model->count(0, 1);
        sandbox.model->store();
        const QByteArray ledger = sandbox.readFile("Countday.ini");
        const QByteArray record = sandbox.readFile("Countdata.dat");
        sandbox.model->count(0, 1);
        sandbox.model->count(0, 1);
        sandbox.model->store();
        QCOMPARE(rows.size(), 3);
        // Killed after the log's append: the ledger and the record are the
        // earlier ones.
        sandbox.writeFile("Countday.ini", ledger);
        sandbox.writeFile("Countdata.dat", record);
        const QList<TeamRow> first = rows;
        rows.clear();
        sandbox.model = std::make_unique<CounterModel>();
        listen(*sandbox.model);
        sandbox.model->LoadCountData();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], first[1]);
        QCOMPARE(rows[1], first[2]);
        // The record, which the strip trusts, still says 1: the log is
        // brought back to it, and so is the team's sum.
        QCOMPARE(rows[2].kind, QStringLiteral("補正"));
        QCOMPARE(rows[0].delta + rows[1].delta + rows[2].delta + first[0].delta, 1);
    }

    // What the README gives an administrator is what the program makes.
    void theAdministratorsScriptIsTheProgramsOwn()
    {
        QFile script(QStringLiteral(ZENTOVA_TEAM_SQL));
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(script.readAll()), teamSetupScript("zentova"));
    }

private:
    // The team's totals from `first` to `last` (or `first` alone), read as
    // the window reads them; none where they cannot be read.
    static TeamTotals totalsOf(const QString &server, const QDate &first, QDate last = {})
    {
        TeamTotals totals;
        QString problem;
        TeamConnection db;
        if (db.open(server, &problem) &&
            !readTeamTotals(db, first, last.isValid() ? last : first, &totals, &problem))
            qWarning() << problem;
        return totals;
    }

    // The day lines the server keeps that are not their rows' sums: each
    // row's change to its day line (its delta where it has none).
    static QString linesUnlikeTheRows(const PgCluster &cluster)
    {
        return cluster.psql("SELECT count(*) FROM (SELECT day, person, folder, counter, title,"
                            " sum(coalesce(worked, delta)) AS n FROM zentova_change"
                            " GROUP BY day, person, folder, counter, title) AS rows"
                            " FULL JOIN zentova_total USING (day, person, folder, counter, title)"
                            " WHERE rows.n IS DISTINCT FROM zentova_total.total");
    }

    // Every row on the server, the strip reaching it.
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool allSent(Team &team, int ms = 20000)
    {
        for (int waited = 0; waited < ms; waited += 50) {
            if (team.outbox().isEmpty() && team.reaching())
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    PgCluster m_cluster;
};

QTEST_GUILESS_MAIN(TestTeam)
#include "tst_team.moc"
