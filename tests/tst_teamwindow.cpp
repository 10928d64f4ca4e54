// The team window against a real server's rows: what it shows, copies and
// saves, for each range, following new rows while it is open, and saying so
// when the server goes away.
#include "core/team/teamserver.h"
#include "gui/team/teamwindow.h"
#include "formcontrols.h"
#include "pgcluster.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <atomic>
#include <thread>

using namespace zentova;

namespace
{

const QDate kToday(2026, 12, 9); // a Wednesday

TeamRow row(const QString &person, const QDate &day, int counter, const QString &title, int delta)
{
    static int n = 0;
    ++n;
    return {teamRowId(person, "log", n), person, person, day,
            QDateTime(day, QTime(9, 0).addSecs(n)), counter, title, delta, 0, QString(), delta};
}

} // namespace

class TestTeamWindow : public QObject
{
    Q_OBJECT
    // First, so that it ends what the others leave.
    test::ProcessReaper m_reaper;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_cluster.start(), qPrintable(m_cluster.error()));
        QString problem;
        QList<RefusedRow> refused;
        QVERIFY2(m_rows.open(m_cluster.server(), &problem), qPrintable(problem));
        QVERIFY2(prepareTeamTables(m_rows, &problem), qPrintable(problem));
        // Today, earlier this week (Monday), earlier this month, last month.
        QVERIFY2(insertTeamRows(m_rows,
                               {row("佐藤", kToday, 1, "電話", 3), row("佐藤", kToday, 2, "メール", 2),
                                row("鈴木", kToday, 3, "電話", 4), // the same title, elsewhere
                                row("鈴木", kToday.addDays(-2), 1, "来客", 5),
                                row("佐藤", kToday.addDays(-8), 1, "電話", 10),
                                row("佐藤", kToday.addMonths(-1), 1, "電話", 100)},
                               &refused, &problem),
                 qPrintable(problem));
    }

    void rangesShowWhatTheRowsAddUpTo_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<QString>("copied");
        QTest::addRow("today") << 0
                               << "名前\t電話\tメール\t合計\n佐藤\t3\t2\t5\n鈴木\t4\t0\t4\n合計\t7\t2\t9\n";
        QTest::addRow("this week, from Monday")
            << 1 << "名前\t電話\t来客\tメール\t合計\n佐藤\t3\t0\t2\t5\n鈴木\t4\t5\t0\t9\n合計\t7\t5\t2\t14\n";
        QTest::addRow("this month")
            << 2 << "名前\t電話\t来客\tメール\t合計\n佐藤\t13\t0\t2\t15\n鈴木\t4\t5\t0\t9\n合計\t17\t5\t2\t24\n";
    }

    void rangesShowWhatTheRowsAddUpTo()
    {
        QFETCH(int, range);
        QFETCH(QString, copied);
        TeamWindow window({m_cluster.server(), "佐藤", "F"}, kToday);
        QVERIFY(shownAndRead(window));
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(range);
        QTRY_COMPARE_WITH_TIMEOUT(withoutStatusColumns(window.clipboardText()), copied, 10000);
    }

    // The table found by a name, and sorted by a heading as numbers.
    void searchedAndSorted()
    {
        TeamWindow window({m_cluster.server(), "佐藤", "F"}, kToday);
        QVERIFY(shownAndRead(window));
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(2); // 15 and 9
        auto *table = window.findChild<QTableWidget *>("table");
        QTRY_COMPARE_WITH_TIMEOUT(table->item(0, 4) ? table->item(0, 4)->text() : QString(),
                                  QStringLiteral("15"), 10000);
        table->sortByColumn(4, Qt::AscendingOrder);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("鈴木"));
        window.findChild<QLineEdit *>("searchBox")->setText("佐");
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("佐藤"));
    }

    // New rows show within the window's refresh; a server gone is said.
    void followsNewRowsAndSaysWhenTheServerIsGone()
    {
        TeamWindow window({m_cluster.server(), "佐藤", "F"}, kToday);
        QVERIFY(shownAndRead(window));
        QString problem;
        QList<RefusedRow> refused;
        QVERIFY(insertTeamRows(m_rows, {row("田中", kToday, 1, "電話", 6)}, &refused, &problem));
        QTRY_VERIFY_WITH_TIMEOUT(window.clipboardText().contains("田中\t6\t0\t6"),
                                 2 * TeamWindow::RefreshMs + 1000);
        QVERIFY(m_cluster.stop());
        QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QLabel *>("status")->text().startsWith(
                                     "チームのサーバーに接続できません"),
                                 15000);
        QVERIFY(!window.findChild<QTableWidget *>("table")->isEnabled());
        QVERIFY(window.clipboardText().contains("田中")); // the last read stays, greyed
        QVERIFY(m_cluster.restart());
        QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QTableWidget *>("table")->isEnabled(), 15000);
    }

    // Closing the window while its query waits on a locked table: the close
    // does not wait, and the server's statement is cancelled.
    void closingNeverWaitsForALockedTable()
    {
        QString problem;
        TeamConnection locker;
        QVERIFY(locker.open(m_cluster.server(), &problem));
        QVERIFY(runTeamStatement(locker, "BEGIN", nullptr, &problem));
        QVERIFY(runTeamStatement(locker, "LOCK TABLE zentova_total IN ACCESS EXCLUSIVE MODE",
                                 nullptr, &problem));
        const QString waiting =
            "SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'";
        // Should the close wait, the lock goes after a while, and says so.
        std::atomic<bool> released = false;
        std::thread watchdog([&] {
            for (int i = 0; i < 200 && !released; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!released.exchange(true))
                m_cluster.psql("SELECT pg_terminate_backend(pid) FROM pg_locks"
                               " WHERE mode = 'AccessExclusiveLock' AND granted AND pid <> "
                               "pg_backend_pid()");
        });
        auto *window = new TeamWindow({m_cluster.server(), "佐藤", "F"}, kToday);
        window->show();
        QTRY_COMPARE(m_cluster.psql(waiting), QStringLiteral("1"));
        window->close(); // deleted on close
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const bool closedUnderTheLock = !released.exchange(true);
        watchdog.join();
        QVERIFY(closedUnderTheLock);
        QTRY_COMPARE(m_cluster.psql(waiting), QStringLiteral("0"));
        QVERIFY(runTeamStatement(locker, "ROLLBACK", nullptr, &problem));
    }

private:
    static bool shownAndRead(TeamWindow &window)
    {
        test::checkItemModels(window);
        QSignalSpy read(&window, &TeamWindow::refreshed);
        window.show();
        return read.wait(10000);
    }

    // The table's own columns: the last change and the strip's state
    // follow the total and change with the clock.
    static QString withoutStatusColumns(const QString &text)
    {
        QStringList lines = text.split(u'\n');
        for (QString &line : lines) {
            QStringList cells = line.split(u'\t');
            if (cells.size() > 3 && !line.startsWith(QStringLiteral("合計")))
                cells = cells.mid(0, cells.size() - 2);
            line = cells.join(u'\t');
        }
        return lines.join(u'\n');
    }

    PgCluster m_cluster;
    TeamConnection m_rows; // the rows the windows read, added as they go
};

QTEST_MAIN(TestTeamWindow)
#include "tst_teamwindow.moc"
