// The team against a local PostgreSQL of its own (tests/pgcluster): ten
// people counting 1,000 times each, every row to arrive once; what a store
// costs the strip with a team set against none (count and store, as the
// autosave does it, alternating in rounds); and the team window opening on
// fifty people and a year of rows; counts and stores while that window waits
// on a table another session holds locked, and how long it takes to close.
// Usage: teambench [ROUNDS] [COUNTS] [DAYS]: each person's counts (1000) and
// the days of rows the window opens on (365); prints one line of figures.
//        teambench --serve: the server alone, for bench/run.sh's strips.
//        teambench --floor PEOPLE CHANGES SECONDS: a floor through PgBouncer
//        (see floorRun); prints one line of figures.
#include "core/files/folders.h"
#include "core/model/countermodel.h"
#include "core/state/countdata.h"
#include "core/team/team.h"
#include "core/team/teamserver.h"
#include "gui/team/teamwindow.h"
#include "pgcluster.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <sys/resource.h>
#include <cstdio>
#include <memory>
#include <vector>

using namespace zentova;

namespace
{

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// `counts` counts of counter 0, each stored as the autosave stores it: the
// milliseconds they took.
double countAndStore(CounterModel &model, int counts)
{
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < counts; ++k) {
        model.count(0, 1);
        model.store();
    }
    return double(t.nsecsElapsed()) / 1e6;
}

// Milliseconds a statement takes through `db`, median of `times`.
double timed(int times, const std::function<bool()> &statement)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        if (!statement())
            return -1;
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

// A floor: `people` strips' history of a month (`perDay` changes a day
// each, 22 days) preloaded; then as many strips (the real publishers, each
// a Team with its thread) sending a change every 5 s for `seconds` seconds
// through PgBouncer in transaction mode, while a team window's reads are
// measured: its first read of the month, its refresh (the lines changed
// since), the refresh on the month's last day alone against the month of 22
// (the changes land on that day, the window's busy one), and the earlier
// window's query over the raw rows.
int floorRun(int people, int perDay, int seconds)
{
    // A thousand connections, each with its thread's descriptors.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    PgCluster cluster;
    PgPooler pooler;
    if (!cluster.start() || !pooler.start(cluster, 20)) {
        std::fprintf(stderr, "teambench: %s%s\n", qPrintable(cluster.error()),
                     qPrintable(pooler.error()));
        return 1;
    }
    QString problem;
    TeamConnection db;
    if (!db.open(pooler.server(), &problem)) {
        std::fprintf(stderr, "teambench: %s\n", qPrintable(problem));
        return 1;
    }
    if (!prepareTeamTables(db, &problem))
        return 1;
    const QDate first(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    const QDate last = first.addDays(21);
    // The month, a day at a time; its day lines made the way the upgrade
    // makes them.
    QElapsedTimer loading;
    loading.start();
    cluster.psql("ALTER TABLE zentova_change DISABLE TRIGGER zentova_change_totals");
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        bool ok = false;
        cluster.psql(QStringLiteral(
                         "INSERT INTO zentova_change (id, person, folder, day, at, counter, title,"
                         " delta, count, kind, worked) SELECT gen_random_uuid(), 'person ' || p,"
                         " 'folder ' || p, '%1', '%1 09:00'::timestamptz + c * interval '1 min',"
                         " 1 + c % 5, (ARRAY['受付','電話','メール','来客','その他'])[1 + c % 5],"
                         " 1, c / 5, '', 1 FROM generate_series(1, %2) p, generate_series(0, %3) c")
                         .arg(day.toString(Qt::ISODate))
                         .arg(people)
                         .arg(perDay - 1),
                     &ok);
        if (ok)
            cluster.psql(QStringLiteral(
                             "INSERT INTO zentova_total (day, person, folder, counter, title, total,"
                             " last) SELECT day, person, folder, counter, title, sum(coalesce(worked,"
                             " delta)), max(at) FROM zentova_change WHERE day = '%1' GROUP BY 1, 2, 3,"
                             " 4, 5")
                             .arg(day.toString(Qt::ISODate)),
                         &ok);
        if (!ok)
            return 1;
    }
    cluster.psql("ALTER TABLE zentova_change ENABLE TRIGGER zentova_change_totals");
    cluster.psql("VACUUM ANALYZE");
    const double loadS = double(loading.elapsed()) / 1000;

    // The earlier window's query, over the rows.
    const double rawMs = timed(3, [&] {
        QList<QStringList> rows;
        return runTeamStatement(db, QStringLiteral(
                   "SELECT person, title, sum(n) FROM (SELECT person, title, greatest(0,"
                   " sum(coalesce(worked, delta))) AS n FROM zentova_change WHERE day BETWEEN"
                   " '%1' AND '%2' AND title <> '' GROUP BY person, folder, day, counter, title)"
                   " AS lines GROUP BY person, title")
                          .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)),
                   &rows, &problem);
    });
    TeamChanges lines;
    const double firstMs = timed(3, [&] {
        return readTeamChanges(db, first, last, last, {}, &lines, &problem);
    });
    const QByteArray monthSnapshot = lines.snapshot;
    readTeamChanges(db, last, last, last, {}, &lines, &problem);
    const QByteArray daySnapshot = lines.snapshot;

    // The strips, each a change every five seconds, spread over the five.
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    std::vector<std::unique_ptr<Team>> teams;
    for (int p = 0; p < people; ++p) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        teams.push_back(std::make_unique<Team>(folders.back()->path()));
        teams.back()->setOptions({pooler.server(), QStringLiteral("person %1").arg(p + 1),
                                  QStringLiteral("folder %1").arg(p + 1)});
    }
    std::vector<double> refreshMonth, refreshDay;
    QByteArray sinceMonth = monthSnapshot, sinceDay = daySnapshot;
    int sent = 0;
    QElapsedTimer running;
    running.start();
    for (qint64 next = 0; running.elapsed() < seconds * 1000;) {
        while (next * 5000 / people <= running.elapsed()) {
            const int p = int(next % people);
            const LogEntry e{QDateTime(last, QTime(17, 0)).addMSecs(next), 1,
                             QStringLiteral("電話"), 1, int(next / people) + 1, LogKind::Count};
            teams[size_t(p)]->journaled({{e, last, QStringLiteral("Countlog.csv"),
                                          100 + (next / people) * 40, QString(), 1}});
            ++next;
            ++sent;
        }
        // The window's refresh every 1.5 s, on the month and on its last day.
        if (running.elapsed() / 1500 > qint64(refreshMonth.size())) {
            QElapsedTimer t;
            t.start();
            if (readTeamChanges(db, first, last, last, sinceMonth, &lines, &problem))
                sinceMonth = lines.snapshot;
            refreshMonth.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            if (readTeamChanges(db, last, last, last, sinceDay, &lines, &problem))
                sinceDay = lines.snapshot;
            refreshDay.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        QTest::qWait(5);
    }
    const auto allSent = [&] {
        return std::all_of(teams.begin(), teams.end(),
                           [](const auto &t) { return t->outbox().isEmpty(); });
    };
    for (int waited = 0; !allSent() && waited < 300000; waited += 50)
        QTest::qWait(50);
    teams.clear();
    const QString arrived = cluster.psql(
        "SELECT count(*) || ' ' || count(DISTINCT id) FROM zentova_change");
    const QString unlike = cluster.psql(
        "SELECT count(*) FROM (SELECT day, person, folder, counter, title,"
        " sum(coalesce(worked, delta)) AS n FROM zentova_change"
        " GROUP BY day, person, folder, counter, title) AS rows"
        " FULL JOIN zentova_total USING (day, person, folder, counter, title)"
        " WHERE rows.n IS DISTINCT FROM zentova_total.total");
    std::printf("%d strips through PgBouncer (20 server connections), %lld rows preloaded in %.0f s:"
                " sent %d changes in %d s; rows on the server (all, distinct) %s of %lld; day lines"
                " unlike their rows: %s; the window on the month: first read %.1f ms, refresh %.1f"
                " ms (on its last day alone %.1f ms), the earlier window's query over the rows %.1f ms\n",
                people, qint64(people) * perDay * 22, loadS, sent, seconds, qPrintable(arrived),
                qint64(people) * perDay * 22 + sent, qPrintable(unlike), firstMs,
                median(refreshMonth), median(refreshDay), rawMs);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--floor")
        return floorRun(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3; // or --serve
    const int Counts = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int days = argc > 3 ? std::atoi(argv[3]) : 365;
    PgCluster cluster;
    if (!cluster.start()) {
        std::fprintf(stderr, "teambench: %s\n", qPrintable(cluster.error()));
        return 1;
    }
    // A server for bench/run.sh's strips: its connection on a line, then up
    // until standard input closes.
    if (argc > 1 && QByteArray(argv[1]) == "--serve") {
        std::printf("%s\n", qPrintable(cluster.server()));
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }

    // Ten people, a thousand counts each, as their strips make them.
    constexpr int People = 10;
    std::vector<std::unique_ptr<QTemporaryDir>> folders;
    std::vector<std::unique_ptr<Team>> teams;
    for (int p = 0; p < People; ++p) {
        folders.push_back(std::make_unique<QTemporaryDir>());
        teams.push_back(std::make_unique<Team>(folders.back()->path()));
        teams.back()->setOptions({cluster.server(), QStringLiteral("person %1").arg(p),
                                  QStringLiteral("folder %1").arg(p)});
    }
    QElapsedTimer sending;
    sending.start();
    for (int k = 0; k < Counts; ++k) {
        for (int p = 0; p < People; ++p) {
            const QDate day = QDate::currentDate();
            const LogEntry e{QDateTime(day, QTime(9, 0)).addSecs(k), 0, QStringLiteral("電話"), 1,
                             k + 1, LogKind::Count};
            teams[size_t(p)]->journaled(
                {{e, day, QStringLiteral("Countlog.csv"), 100 + k * 40, QString(), 1}});
        }
        if (k % 50 == 0)
            QCoreApplication::processEvents();
    }
    const auto allSent = [&] {
        return std::all_of(teams.begin(), teams.end(),
                           [](const auto &t) { return t->outbox().isEmpty(); });
    };
    for (int waited = 0; !allSent() && waited < 120000; waited += 20)
        QTest::qWait(20);
    const double sentMs = double(sending.nsecsElapsed()) / 1e6;
    const QString arrived = cluster.psql(
        "SELECT count(*) || ' ' || count(DISTINCT id) || ' ' || sum(delta) FROM zentova_change");
    teams.clear();

    // What a count and its store cost the strip with a team and without.
    QTemporaryDir data;
    setAppFolder(data.path());
    CountRecord titled;
    titled.Title = {QStringLiteral("電話"), {}, {}, {}, {}};
    writeRecordFile(countDataPath(), titled);
    CounterModel model;
    model.LoadCountData();
    model.restore(false);
    model.setTitle(0, QStringLiteral("電話"));
    Team team(data.path());
    std::vector<double> alone, joined;
    for (int r = 0; r < rounds; ++r) {
        model.setJournalSink({});
        alone.push_back(countAndStore(model, 200));
        model.setJournalSink([&](const QList<JournalLine> &lines) { team.journaled(lines); });
        team.setOptions({cluster.server(), QStringLiteral("bench"), QStringLiteral("bench")});
        joined.push_back(countAndStore(model, 200));
        team.setOptions({});
    }

    // The team window on fifty people and a year of rows (40 a day each).
    cluster.psql(QStringLiteral(
                     "INSERT INTO zentova_change SELECT gen_random_uuid(), 'person ' || p, 'f' || p,"
                     " current_date - d, now() - d * interval '1 day', 1 + n % 5, 'title ' || n % 5,"
                     " 1, n, '' FROM generate_series(0, 49) p, generate_series(0, %1) d,"
                     " generate_series(1, 40) n")
                     .arg(days - 1));
    cluster.psql("ANALYZE zentova_change");
    std::vector<double> opens;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        TeamWindow window({cluster.server(), QStringLiteral("bench"), QStringLiteral("bench")},
                          QDate::currentDate());
        QSignalSpy read(&window, &TeamWindow::refreshed);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window) || (read.isEmpty() && !read.wait(20000))) {
            std::fprintf(stderr, "teambench: the team window did not read\n");
            return 1;
        }
        QCoreApplication::processEvents();
        opens.push_back(double(t.nsecsElapsed()) / 1e6);
        // The fifty, and the strips that counted above.
        if (window.table().people.size() < 50) {
            std::fprintf(stderr, "teambench: %d people shown\n", int(window.table().people.size()));
            return 1;
        }
    }
    // The team window open on a table another session holds locked (its
    // read waits, and so do the publisher's rows): a count and its store
    // cost what they cost before, and the window closes at once.
    model.setJournalSink([&](const QList<JournalLine> &lines) { team.journaled(lines); });
    team.setOptions({cluster.server(), QStringLiteral("bench"), QStringLiteral("bench")});
    std::vector<double> free, locked, closes;
    QString problem;
    TeamConnection locker;
    if (!locker.open(cluster.server(), &problem)) {
        std::fprintf(stderr, "teambench: %s\n", qPrintable(problem));
        return 1;
    }
    for (int r = 0; r < rounds; ++r) {
        free.push_back(countAndStore(model, 100));
        runTeamStatement(locker, QStringLiteral("BEGIN"), nullptr, &problem);
        runTeamStatement(locker, QStringLiteral("LOCK TABLE zentova_total IN ACCESS EXCLUSIVE MODE"),
                         nullptr, &problem);
        auto *window = new TeamWindow(
            {cluster.server(), QStringLiteral("bench"), QStringLiteral("bench")},
            QDate::currentDate());
        window->show();
        for (QDeadlineTimer waiting(10000);
             !waiting.hasExpired() &&
             cluster.psql("SELECT count(*) FROM pg_stat_activity"
                          " WHERE wait_event_type = 'Lock'") == QLatin1String("0");)
            QTest::qWait(20);
        locked.push_back(countAndStore(model, 100));
        QElapsedTimer closing;
        closing.start();
        delete window;
        closes.push_back(double(closing.nsecsElapsed()) / 1e6);
        runTeamStatement(locker, QStringLiteral("ROLLBACK"), nullptr, &problem);
    }
    team.setOptions({});

    std::printf("sent %d rows in %.0f ms: arrived (rows, distinct ids, sum) %s; 200 counts stored"
                " %.1f ms alone, %.1f ms with a team; team window on 50 people x %d days: %.1f ms;"
                " 100 counts stored %.1f ms, %.1f ms with the team window waiting on a locked"
                " table, which closed in %.2f ms\n",
                People * Counts, sentMs, qPrintable(arrived), median(alone), median(joined), days,
                median(opens), median(free), median(locked), median(closes));
    return 0;
}
