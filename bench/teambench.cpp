// The team against a local PostgreSQL of its own (tests/pgcluster): ten
// people counting 1,000 times each, every row to arrive once; what a store
// costs the strip with a team set against none (count and store, as the
// autosave does it, alternating in rounds); and the team window opening on
// fifty people and a year of rows; counts and stores while that window waits
// on a table another session holds locked, and how long it takes to close.
// Usage: teambench [ROUNDS] [COUNTS] [DAYS]: each person's counts (1000) and
// the days of rows the window opens on (365); prints one line of figures.
//        teambench --serve: the server alone, for bench/run.sh's strips.
#include "core/files/folders.h"
#include "core/model/countermodel.h"
#include "core/state/countdata.h"
#include "core/team/team.h"
#include "core/team/teamserver.h"
#include "gui/team/teamwindow.h"
#include "pgcluster.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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
    if (!openTeamDatabase(QStringLiteral("locker"), cluster.server(), &problem)) {
        std::fprintf(stderr, "teambench: %s\n", qPrintable(problem));
        return 1;
    }
    for (int r = 0; r < rounds; ++r) {
        free.push_back(countAndStore(model, 100));
        QSqlDatabase locker = QSqlDatabase::database(QStringLiteral("locker"));
        locker.transaction();
        QSqlQuery(locker).exec(QStringLiteral("LOCK TABLE zentova_change IN ACCESS EXCLUSIVE MODE"));
        auto *window = new TeamWindow(
            {cluster.server(), QStringLiteral("bench"), QStringLiteral("bench")},
            QDate::currentDate());
        window->show();
        for (int waited = 0; waited < 10000 &&
                             cluster.psql("SELECT count(*) FROM pg_stat_activity"
                                          " WHERE wait_event_type = 'Lock'") == QLatin1String("0");
             waited += 20)
            QTest::qWait(20);
        locked.push_back(countAndStore(model, 100));
        QElapsedTimer closing;
        closing.start();
        delete window;
        closes.push_back(double(closing.nsecsElapsed()) / 1e6);
        locker.rollback();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));
    team.setOptions({});

    std::printf("sent %d rows in %.0f ms: arrived (rows, distinct ids, sum) %s; 200 counts stored"
                " %.1f ms alone, %.1f ms with a team; team window on 50 people x %d days: %.1f ms;"
                " 100 counts stored %.1f ms, %.1f ms with the team window waiting on a locked"
                " table, which closed in %.2f ms\n",
                People * Counts, sentMs, qPrintable(arrived), median(alone), median(joined), days,
                median(opens), median(free), median(locked), median(closes));
    return 0;
}
