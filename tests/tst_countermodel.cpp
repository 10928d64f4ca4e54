// Every count in exactly one day: the counter model through the turn of the
// day (at midnight or the turn hour, after a suspend, with the clock set back
// or the hour changed, across summer time), kills between its files, boxes
// that hold counts, and logs damaged as people damage them; each judged by
// the history's lines, the record and the log.
#include "core/files/atomicfile.h"
#include "core/history/chartdata.h"
#include "core/history/dayhours.h"
#include "core/history/history.h"
#include "core/model/countermodel.h"
#include "core/settings/applysettings.h"
#include "core/state/countdata.h"
#include "core/state/countlog.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <sys/stat.h>

using namespace zentova;

namespace
{

QString countsText(const std::array<int, CounterCount> &counts)
{
    QStringList parts;
    for (int c : counts)
        parts << QString::number(c);
    return parts.join(u',');
}

int g_commitsLeft = 0;
void exitAtCommit()
{
    if (--g_commitsLeft == 0)
        ::_exit(0);
}

} // namespace

class TestCounterModel : public test::SandboxTest
{
    Q_OBJECT
    void setUp() override
    {
        m_lines.clear();
        CountRecord titles; // no day yet: nothing to offer back or keep
        titles.Title = {"A", "B", "C", "D", "E"};
        writeRecordFile(countDataPath(), titles);
        m_told.clear();
        m_dialogOpen = false;
        m_logBlocked = false;
        m_closed.clear();
    }

    void tearDown() override
    {
        setSyncFunction(nullptr);
        setBeforeCommitHook(nullptr);
    }

private slots:
    void everyCountInExactlyOneDay_data()
    {
        // Steps: a time ("23:59:58", "+1d 00:00:01" from 2024-01-01), "start"
        // (a new run; the prompt answered Yes, "start no" No), "prompt" (a new
        // run whose prompt is still up), "c1"/"u1" a click/right press on
        // counter 1 ("c1@23:59:59" held since then), "tick", "set 1 7",
        // "dialog" (the settings dialog opened) and "ok 1 7" (its OK with
        // counter 1's box retyped), "options 0" (the options window's OK),
        // "hand 0" (Options.ini's hour edited by hand), "close" (after the
        // farewell), "end" (a signal or the session's end), "kill after log"
        // / "kill after ledger" (a store killed there), and what is done to
        // the log: "tear", "tear line", "quote", "future", "resave",
        // "blocked"/"unblocked", "fifo", "full"/"room". Every change is
        // stored at once, as the autosave does within a second.
        struct Case {
            const char *name;
            QString options; // [Day] as Options.ini holds it at first
            QString steps;
            QString history; // every line as date:counts; empty: the record's day alone
            QString record;  // date:counts
            int told = 0;        // messages of the journal
            int corrections = 0; // 補正 lines in the logs
        };
        const QString midnight = "start;23:59:58;c1;c1;+1d 00:00:01;tick;c1;close";
        const QString reset = "StartHour=0\nResetCounts=true";
        const QString next = ";+9d 09:00:00;start";
        const Case cases[] = {
            {"midnight: carried", "",
             midnight + next, "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:3,0,0,0,0"},
            {"midnight: reset", reset,
             midnight + next, "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:1,0,0,0,0"},
            {"turn at 6: 05:59:59 is the day before, 06:00:00 the day", "StartHour=6",
             "+1d 05:59:59;start;c1;tick;+1d 06:00:00;tick;c2;close",
             "2024-01-01:1,0,0,0,0", "2024-01-02:1,1,0,0,0"},
            {"suspended Friday evening, resumed Monday", "",
             "+4d 17:00:00;start;c1;c1;+7d 09:00:00;tick;c3;close",
             "2024-01-05:2,0,0,0,0", "2024-01-08:2,0,1,0,0"},
            {"suspended Friday evening, resumed Monday in the turn's hour", "StartHour=6",
             "+4d 17:00:00;start;c1;+7d 06:30:00;tick;c3;close",
             "2024-01-05:1,0,0,0,0", "2024-01-08:1,0,1,0,0"},
            {"options window open across the turn", "",
             "start;23:59:58;c1;+1d 00:00:05;options 0;tick;c1;close",
             "2024-01-01:1,0,0,0,0", "2024-01-02:2,0,0,0,0"},
            {"a reset of two taken back at once", "", "09:00:00;start;c1;c2;c2;reset 1 2;z;close" + next,
             "", "2024-01-01:1,2,0,0,0"},
            {"a reset across the turn", "", "start;23:59:58;c1;+1d 00:00:01;reset 1;c2;close" + next,
             "2024-01-01:1,0,0,0,0 2024-01-02:0,1,0,0,0", "2024-01-02:0,1,0,0,0"},
            {"farewell answered after midnight", "",
             "start;23:59:58;c1;c2;+1d 00:00:05;close" + next,
             "2024-01-01:1,1,0,0,0 2024-01-02:0,0,0,0,0", "2024-01-02:1,1,0,0,0"},
            {"alarm box across midnight, then the session ends", reset,
             "start;23:59:58;c1;+1d 00:00:05;c1@23:59:59;end",
             "2024-01-01:2,0,0,0,0", "2024-01-02:0,0,0,0,0"},
            {"clock set back across the turn", "",
             "start;23:59:58;c1;+1d 00:00:01;tick;c1;23:59:50;tick;c2;close" + next,
             "2024-01-01:1,0,0,0,0 2024-01-02:1,1,0,0,0", "2024-01-02:2,1,0,0,0"},
            {"clock set back, killed and restarted in the replayed minute", "",
             "start;23:59:58;c1;+1d 00:00:01;tick;c1;23:59:50;c2;start;c1;close" + next,
             "2024-01-01:1,0,0,0,0 2024-01-02:2,1,0,0,0", "2024-01-02:3,1,0,0,0"},
            {"turn hour 6 to 0 at 03:00 takes effect at 06:00", "StartHour=6",
             "+1d 02:00:00;start;c1;+1d 03:00:00;options 0;c1;tick;"
             "+1d 06:00:00;tick;c1;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:3,0,0,0,0"},
            {"turn hour 0 to 6 at 10:00: the day ends at midnight", "",
             "09:00:00;start;c1;10:00:00;options 6;c1;+1d 00:00:01;tick;c1;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:3,0,0,0,0"},
            {"turn hour edited by hand, a restart at 03:00", "StartHour=6",
             "09:00:00;start;c1;close;hand 0;+1d 03:00:00;start;c1;close;+1d 07:00:00;start",
             "", "2024-01-01:2,0,0,0,0"},
            {"summer time skips the turn hour", "StartHour=2\nResetCounts=true",
             "+89d 23:00:00;start;c1;+90d 01:30:00;c1;+90d 03:00:00;tick;c1;close;"
             "+99d 09:00:00;start",
             "2024-03-30:2,0,0,0,0 2024-03-31:1,0,0,0,0", "2024-03-31:1,0,0,0,0"},
            {"killed after the log's append", "",
             "09:00:00;start;c1;c1;kill after log c1;start;close" + next,
             "", "2024-01-01:2,0,0,0,0", 0, 1},
            {"killed after the ledger, before the record", "",
             "09:00:00;start;c1;c1;kill after ledger c1;start;close" + next,
             "", "2024-01-01:2,0,0,0,0", 0, 1},
            {"a sync that fails: the append is cut back, then written once", "",
             "09:00:00;start;c1;full;c1;c1;room;c1;close" + next, "", "2024-01-01:4,0,0,0,0", 1, 0},
            {"disk full, then the session ends", "",
             "09:00:00;start;c1;full;c1;c1;end;room;start;close" + next,
             "", "2024-01-01:1,0,0,0,0", 1, 0},
            {"a log that cannot be written at one store, then can", "",
             "09:00:00;start;c1;blocked;c1;c2;unblocked;c1;close" + next,
             "", "2024-01-01:3,1,0,0,0", 1, 0},
            // A FIFO is no log of the program's: the month goes on in the next file.
            {"a FIFO at the log's place", "",
             "09:00:00;start;c1;fifo;c1;close;unblocked;start;close" + next,
             "", "2024-01-01:2,0,0,0,0", 1, 0},
            {"a torn last line inside a quoted title", "",
             "09:00:00;start;c1;c1;tear;c1;close" + next, "", "2024-01-01:3,0,0,0,0"},
            {"a last line lacking only its line end", "",
             "09:00:00;start;c1;tear line;c1;close" + next, "", "2024-01-01:2,0,0,0,0"},
            {"a stray quote", "",
             "09:00:00;start;c1;quote;c1;c1;close" + next, "", "2024-01-01:3,0,0,0,0"},
            {"a line dated in the future", "",
             "09:00:00;start;c1;future;c1;+1d 09:00:00;tick;c1;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:3,0,0,0,0", 0, 1},
            {"the log saved again by a spreadsheet", "",
             "09:00:00;start;c1;c2;resave;c1;c1;c2;+1d 09:00:00;tick;c1;close" + next,
             "2024-01-01:3,2,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:4,2,0,0,0", 1, 2},
            {"a torn line found at a start", "",
             "09:00:00;start;c1;c1;tear line;start;close" + next, "", "2024-01-01:2,0,0,0,0"},
            {"Countday.ini edited by hand", "",
             "09:00:00;start;c1;c1;close;ledger Worked=9,0,0,0,0;start;close" + next, "",
             "2024-01-01:2,0,0,0,0", 1},
            {"Countday.ini a line behind its log", "",
             "09:00:00;start;c1;c1;c1;close;ledger lags;start;close" + next, "",
             "2024-01-01:3,0,0,0,0", 1},
            {"the dialog's outright set", "",
             "09:00:00;start;c1;c1;set 1 10;set 1 4;c2;set 2 0;close" + next,
             "", "2024-01-01:4,0,0,0,0"},
            {"set below zero, then a right press works nothing", "",
             "09:00:00;start;set 1 -100;u1;close" + next, "", "2024-01-01:0,0,0,0,0"},
            {"carried in, set to 0, counted once", "", midnight + ";start;set 1 0;c1;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:1,0,0,0,0", "2024-01-02:1,0,0,0,0"},
            {"a step of 5: clicks and a right press", "[Step]\nCounter1=5",
             "09:00:00;start;c1;c1;u1;c2;close" + next, "", "2024-01-01:5,1,0,0,0"},
            {"a right press below the step goes to zero", "[Step]\nCounter1=5",
             "09:00:00;start;c1;set 1 3;u1;close" + next, "", "2024-01-01:0,0,0,0,0"},
            {"--by K whatever the step", "[Step]\nCounter1=5",
             "09:00:00;start;c1;b1 7;close" + next, "", "2024-01-01:12,0,0,0,0"},
            {"a bad step is one", "[Step]\nCounter1=0\nCounter2=x\nCounter3=1001",
             "09:00:00;start;c1;c2;c3;close" + next, "", "2024-01-01:1,1,1,0,0"},
            {"a slip taken back", "",
             "09:00:00;start;c1;c1;c2;z;close" + next, "", "2024-01-01:2,0,0,0,0"},
            {"a set and a click taken back", "",
             "09:00:00;start;c1;set 1 10;z;z;close" + next, "", "2024-01-01:0,0,0,0,0"},
            {"a right press taken back", "[Step]\nCounter1=3",
             "09:00:00;start;c1;c1;u1;z;close" + next, "", "2024-01-01:6,0,0,0,0"},
            {"the dialog's OK is one change", "",
             "09:00:00;start;c1;c2;dialog;ok 1 7 2 9;z;close" + next, "", "2024-01-01:1,1,0,0,0"},
            {"nothing from before the turn", "",
             "start;23:59:58;c1;+1d 00:00:01;tick;z;close" + next,
             "2024-01-01:1,0,0,0,0 2024-01-02:0,0,0,0,0", "2024-01-02:1,0,0,0,0"},
            {"the prompt's Yes", "",
             "09:00:00;start;c1;c1;close;start;c1;close" + next, "", "2024-01-01:3,0,0,0,0"},
            {"the prompt's No", "", "09:00:00;start;c1;c1;close;start no;c1;close" + next,
             "2024-01-01:3,0,0,0,0", "2024-01-01:1,0,0,0,0"},
            {"counted under the prompt, then the session ends", "",
             "09:00:00;start;c1;close;prompt;c1;c2;end;start;close" + next,
             "", "2024-01-01:2,1,0,0,0"},
            {"counted under the prompt, then No", "",
             "09:00:00;start;c1;close;prompt;c2;answer no;close" + next,
             "2024-01-01:1,1,0,0,0", "2024-01-01:0,1,0,0,0"},
            {"an undo asked behind a box after midnight", "",
             "start;23:59:48;c1;c1;+1d 00:00:05;z@00:00:03;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:0,0,0,0,0", "2024-01-02:2,0,0,0,0"},
            {"held under Set before midnight, applied after", "",
             "start;23:59:58;c1;dialog;+1d 00:00:03;c1@23:59:59;ok 1 2;tick;close" + next,
             "2024-01-01:2,0,0,0,0 2024-01-02:0,0,0,0,0", "2024-01-02:2,0,0,0,0"},
            {"a turn behind the open dialog, carried", "",
             "start;23:59:50;c1;c1;dialog;+1d 00:00:05;ok 2 3;tick;c2;close" + next,
             "2024-01-01:2,3,0,0,0 2024-01-02:0,1,0,0,0", "2024-01-02:2,4,0,0,0"},
            {"a turn behind the open dialog, reset", reset,
             "start;23:59:50;c1;c1;dialog;+1d 00:00:05;ok 2 3;tick;c2;close" + next,
             "2024-01-01:2,3,0,0,0 2024-01-02:0,1,0,0,0", "2024-01-02:0,1,0,0,0"},
        };
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("told");
        QTest::addColumn<int>("corrections");
        for (const Case &c : cases)
            QTest::newRow(c.name) << c.options << c.steps
                                  << (c.history.isEmpty() ? c.record : c.history).split(u' ')
                                  << c.record << c.told << c.corrections;
    }

    void everyCountInExactlyOneDay()
    {
        QFETCH(QString, options);
        QFETCH(QString, steps);
        QFETCH(QStringList, history);
        QFETCH(QString, record);
        if (!options.isEmpty())
            m_sandbox->writeFile("Options.ini", (options.startsWith(u'[') ? "" : "[Day]\n") +
                                                    options.toUtf8() + "\n");
        for (const QString &step : steps.split(u';'))
            run(step);

        QStringList lines;
        for (const HistoryDay &day : historyDays(m_sandbox->readFile("history.csv")))
            lines << day.date.toString(Qt::ISODate) + u':' + countsText(day.counts);
        QCOMPARE(lines, history);
        const CountRecord stored = readRecordFile(countDataPath());
        const QDate storedDay = dateFromDayNumber(stored.SavedDate);
        std::array<int, CounterCount> counts{};
        std::copy(stored.Count.begin(), stored.Count.end(), counts.begin());
        QCOMPARE(storedDay.toString(Qt::ISODate) + u':' + countsText(counts), record);
        // The log of the record's day, as the day was bounded when the run
        // ended, adds up to the record, and every line the program wrote has
        // its time.
        QCOMPARE(m_lastDay.day, storedDay);
        const auto logged = countLogBetween(m_lastDay.start, m_lastDay.end, -1);
        QVERIFY(logged);
        QCOMPARE(countsText(loggedCounts(*logged)), countsText(counts));
        QVERIFY(!QFileInfo::exists(m_sandbox->path("Countlog-.csv")));
        QTEST(int(m_told.size()), "told");
        qsizetype corrected = 0;
        for (const QString &name : QDir(m_sandbox->folder()).entryList({"Countlog-*.csv"}))
            corrected += m_sandbox->readFile(name).count(",補正\r\n");
        QTEST(int(corrected), "corrections");
        // So does the log of every day that closed, to its last counts.
        const auto kept = readKeptHours();
        for (const auto &[bounds, counts] : std::as_const(m_closed)) {
            const auto lines = countLogBetween(bounds.start, bounds.end, -1);
            QVERIFY(lines);
            QCOMPARE(bounds.day.toString(Qt::ISODate) + u':' + countsText(loggedCounts(*lines)),
                     bounds.day.toString(Qt::ISODate) + u':' + countsText(counts));
            // Its hours were kept as it closed: the log's, where it needed
            // no correction.
            QVERIFY(kept.contains(bounds.day));
            if (corrected == 0)
                QCOMPARE(kept.value(bounds.day).hours, hourCounts(*lines, bounds.hour));
        }
    }

    // The day's line and its hours as the strip keeps them, and as they are
    // read back from the log without Countday.ini: the same, whatever was
    // taken back.
    void workedReadBackAsKept_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("worked"); // counter 1's, kept and read back
        const QString carried = "start;23:59:58;c1;c1;+1d 00:00:01;tick";
        const auto row = [](const char *name, const QString &options, const QString &steps,
                            int worked) { QTest::newRow(name) << options << steps << worked; };
        row("a click taken back", "", "09:00:00;start;c1;c1;z", 1);
        row("carried counts set to 0, taken back", "", carried + ";set 1 0;z", 0);
        row("a right press below zero, taken back", "", "09:00:00;start;set 1 -1;u1;z", 0);
        row("a right press below zero", "", "09:00:00;start;c1;set 1 -100;u1", 0);
        row("a right press under the step, taken back", "[Step]\nCounter1=5",
            "09:00:00;start;c1;set 1 3;u1;z", 3);
        row("the prompt's No, taken back", "", "09:00:00;start;c1;c1;close;start no;c1;z;z", 2);
        row("the dialog's OK of two counters, taken back", "",
            "09:00:00;start;c1;c2;dialog;ok 1 7 2 9;z;c1", 2);
        row("a set between clicks, taken back twice", "", "09:00:00;start;c1;c1;set 1 10;c1;z;z",
            2);
        row("a reset keeps the work before it", "", "09:00:00;start;c1;c1;c2;reset 1 2;c1", 3);
        row("a reset of two, taken back at once", "", "09:00:00;start;c1;c2;reset 1 2;z;c1;z;z",
            1);
        row("a day turning at 6, its hours from 6", "[Day]\nStartHour=6",
            "+1d 06:30:00;start;c1;c2;+1d 09:10:00;c1;c1;z;+2d 05:10:00;c1;set 1 9;z", 3);
    }

    // The moment a target is met (3 for counter 1), and what keeps the
    // mark for the rest of the day.
    void targetMoment_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("reached"); // times it was told
        QTest::addColumn<bool>("met");    // at the end
        const QString three = "09:00:00;start;c1;c1;c1";
        QTest::newRow("by clicks") << three << 1 << true;
        QTest::newRow("a click short") << "09:00:00;start;c1;c1" << 0 << false;
        QTest::newRow("a right press after it") << three + ";u1" << 1 << true;
        QTest::newRow("an undo back under it") << three + ";z" << 1 << false;
        QTest::newRow("an undo, then again") << three + ";z;c1" << 2 << true;
        QTest::newRow("a set") << "09:00:00;start;set 1 5" << 1 << true;
        QTest::newRow("a command's step") << "09:00:00;start;c1;b1 2" << 1 << true;
        QTest::newRow("a reset keeps it") << three + ";reset 1" << 1 << true;
        QTest::newRow("not the next day") << three + ";+1d 09:00:00;tick" << 1 << false;
        QTest::newRow("a target raised over it") << three + ";u1;target 1 4" << 1 << false;
    }

    void targetMoment()
    {
        QFETCH(QString, steps);
        m_sandbox->writeFile("Options.ini", "[Targets]\nCounter1=3\n");
        std::unique_ptr<QSignalSpy> reached;
        for (const QString &step : steps.split(u';')) {
            run(step);
            if (step == "start")
                reached = std::make_unique<QSignalSpy>(&model(), &CounterModel::targetReached);
        }
        QTEST(int(reached->size()), "reached");
        QTEST(model().isTargetMet(0), "met");
        QVERIFY(!model().isTargetMet(1));
    }

    void workedReadBackAsKept()
    {
        QFETCH(QString, options);
        QFETCH(QString, steps);
        if (!options.isEmpty())
            m_sandbox->writeFile("Options.ini", options.toUtf8() + "\n");
        for (const QString &step : steps.split(u';'))
            run(step);
        const DayBounds &day = model().openDay();
        const auto log = countLogBetween(day.start, day.end, -1);
        QVERIFY(log);
        QCOMPARE(countsText(workedCounts(*log)), countsText(model().openDayLine().counts));
        QCOMPARE(hourCounts(*log, day.hour), model().openDayHours());
        QCOMPARE(loggedDayHours(countLogFiles(day.day), day, false)->hours(),
                 model().openDayHours());
        QTEST(model().openDayLine().counts[0], "worked");
    }

    // While the restore prompt waits (the titles not yet on the strip), a
    // command's count is judged by the record's titles.
    void aCountWaitingOnThePromptIsJudgedByTheRecordsTitles()
    {
        for (const char *step : {"09:00:00", "start", "c1", "close"})
            act(step);
        CounterModel starting;
        starting.LoadCountData();
        QVERIFY(starting.offersRestore());
        QCOMPARE(starting.refusal(0, 1, 0), CounterModel::Refusal::None);
    }

    // An end while the prompt waits (the strip's titles not yet set from the
    // record) stores the record's titles, lap and alarm, and its counts.
    void anEndUnderThePromptKeepsTheRecord()
    {
        for (const char *step : {"09:00:00", "start", "c1"})
            act(step);
        model().setLapOn(FlagOn);
        model().setTimerOn(FlagOn);
        model().setAlarmHour(7);
        act("close");
        const CountRecord stored = readRecordFile(countDataPath());
        CounterModel starting;
        starting.LoadCountData();
        starting.store();
        QCOMPARE(readRecordFile(countDataPath()), stored);
    }

    // No two lines share a journal and a place, whatever became of the log:
    // archived away mid-day, or a copy in its place (what a copied data
    // folder's strip finds) starts a journal of its own.
    void everyLineHasAPlaceOfItsOwn()
    {
        for (const char *step : {"09:00:00", "start", "c1", "c1", "moved", "c1", "c2", "end",
                                 "copied", "start", "c1"})
            act(step); // a log moved away adds up to nothing

        QSet<QString> places, journals;
        for (const JournalLine &l : std::as_const(m_lines)) {
            places << l.journal + u'/' + l.file + u':' + QString::number(l.offset);
            journals << l.journal;
        }
        QCOMPARE(m_lines.size(), 5);
        QCOMPARE(places.size(), 5);
        QCOMPARE(journals.size(), 3);
    }

    // Countday.ini says where the journal stood: a start reads only what
    // came after, however long the day's log is.
    void aStartReadsOnlyWhatFollowsTheLedger()
    {
        run("09:00:00");
        run("start");
        for (int i = 0; i < 3; ++i)
            run("c1");
        run("close");
        // A line before the ledger's place changed in place (same length): a
        // start that read it back would correct the record by it.
        QByteArray log = m_sandbox->readFile("Countlog-2024-01.csv");
        const qsizetype second = log.indexOf(",1,A,1,2,");
        QVERIFY(second > 0);
        log.replace(second, 9, ",1,A,7,2,");
        m_sandbox->writeFile("Countlog-2024-01.csv", log);
        act("start"); // the log no longer adds up, on purpose
        act("close");
        QCOMPARE(m_sandbox->readFile("Countlog-2024-01.csv"), log);
        // Without the ledger the day is read back from the log, and corrected.
        QVERIFY(QFile::remove(ledgerPath()));
        act("start");
        act("close");
        QVERIFY(m_sandbox->readFile("Countlog-2024-01.csv").endsWith(",1,A,-6,3,補正\r\n"));
    }

    // A past day put right from the history: its line in history.csv, a 修正
    // line a counter dated that day, the team told the difference; 元に戻す
    // takes it back the same way. The open day is the strip's to set.
    void aPastDayIsCorrectedAndTakenBack()
    {
        for (const char *step : {"09:00:00", "start", "c1", "c1", "c1", "+1d 09:00:00", "tick"})
            act(step);
        const HistoryDay before = historyDays(readHistoryText()).first();
        QCOMPARE(before.counts[0], 3);
        HistoryDay after = before;
        after.counts = {1, 2, 0, 0, 0};
        m_lines.clear();
        model().correctDay(before, after);
        QCOMPARE(historyDays(readHistoryText()).first(), after);
        const QByteArray amended = "2024-01-01 23:59:59,1,A,-2,1,修正\r\n"
                                   "2024-01-01 23:59:59,2,B,2,2,修正\r\n";
        QVERIFY(m_sandbox->readFile("Countlog-2024-01.csv").endsWith(amended));
        QCOMPARE(m_lines.size(), 2);
        QCOMPARE(m_lines[0].day, before.date);
        QCOMPARE(m_lines[0].worked, -2);
        QCOMPARE(m_lines[1].worked, 2);
        QCOMPARE(model().undoLabel(), QStringLiteral("修正 2024-01-01 (09:00)"));
        QVERIFY(model().undo());
        QCOMPARE(historyDays(readHistoryText()).first(), before);
        QVERIFY(m_sandbox->readFile("Countlog-2024-01.csv")
                    .endsWith(amended + "2024-01-01 23:59:59,1,A,2,3,修正\r\n"
                                        "2024-01-01 23:59:59,2,B,-2,0,修正\r\n"));
        QCOMPARE(m_lines.size(), 4);
        QVERIFY(!model().canUndo());
        HistoryDay today = model().openDayLine();
        today.counts[0] = 9;
        model().correctDay(model().openDayLine(), today);
        QVERIFY(!model().canUndo());
    }

    // A 修正 line at the log's end is dated days before the lines around it:
    // a day read back from the end is not cut short by it.
    void aCorrectionLineDoesNotHideTheDaysLines()
    {
        const QDateTime day(QDate(2024, 1, 10), QTime(9, 0));
        const LogEntry count{day, 0, "A", 1, 1, LogKind::Count};
        const QByteArray amend =
            countLogLine({QDateTime(QDate(2024, 1, 1), QTime(23, 59, 59)), 0, "A", 1, 4,
                          LogKind::Amended});
        const qsizetype line = countLogLine(count).size();
        // The last 64 KiB chunk begins inside the line before the 修正 line.
        const qsizetype after = (64 * 1024 - amend.size() - 1) / line;
        QByteArray log = countLogHeader();
        for (int i = 0; i < 100; ++i)
            log += countLogLine(count);
        log += amend;
        for (qsizetype i = 0; i < after; ++i)
            log += countLogLine(count);
        m_sandbox->writeFile("Countlog-2024-01.csv", log);
        QCOMPARE(countLogOfDay(day.date()).size(), 100 + after);
    }

    void logLinesAsASpreadsheetReadsThem()
    {
        m_sandbox->clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 15, 2)));
        run("start");
        model().setTitle(0, QStringLiteral("電話, \"外線\""));
        model().count(0, 1);
        model().store();
        QCOMPARE(m_sandbox->readFile("Countlog-2026-12.csv"),
                 "\xEF\xBB\xBF" +
                     QStringLiteral("日時,項目番号,項目,増減,件数,種類\r\n"
                                    "2026-12-07 09:15:02,1,\"電話, \"\"外線\"\"\",1,1,\r\n")
                         .toUtf8());
    }

    // Fifty changes can be taken back, newest first, each said as the menu
    // says it; the fifty-first stays.
    void fiftyChangesBack()
    {
        run("09:00:00");
        run("start");
        for (int i = 0; i < 51; ++i)
            model().count(1, 1);
        QCOMPARE(model().undoLabel(), QStringLiteral("B +1 (09:00)"));
        for (int i = 0; i < 50; ++i)
            QVERIFY(model().undo());
        QVERIFY(!model().undo());
        QCOMPARE(model().gCount(1), int16_t(1));
        QCOMPARE(model().openDayLine().counts[1], 1);
        QCOMPARE(model().openDayHours()[9][1], 1); // what was taken back left the 9 o'clock bar
        model().setCount(0, 7);
        QCOMPARE(model().undoLabel(), QStringLiteral("A +7 (09:00)"));
        model().setTitle(0, QStringLiteral("%2%3")); // a title is shown as it is
        QCOMPARE(model().undoLabel(), QStringLiteral("%2%3 +7 (09:00)"));
    }

    void dayBoundsOnTheClock_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addRow("the skipped hour begins the next day at 03:00")
            << QDate(2024, 3, 30) << 2 << "2024-03-30T02:00:00"
            << "2024-03-31T03:00:00";
        QTest::addRow("the repeated hour: the first 02:30")
            << QDate(2024, 10, 27) << 2 << "2024-10-27T02:00:00"
            << "2024-10-28T02:00:00";
    }

    void dayBoundsOnTheClock()
    {
        QFETCH(QDate, day);
        QFETCH(int, hour);
        QFETCH(QString, start);
        QFETCH(QString, end);
        const DayBounds bounds = DayBounds::of(day, hour);
        QCOMPARE(bounds.start.toString(Qt::ISODate), start);
        QCOMPARE(bounds.end.toString(Qt::ISODate), end);
        QCOMPARE(bounds.clamp(bounds.start.addSecs(-60)), bounds.start);
        QCOMPARE(bounds.clamp(bounds.end), bounds.end.addSecs(-1));
    }

    void ledgerKeepsWhatItWasGiven()
    {
        Ledger ledger;
        ledger.bounds = DayBounds::of(QDate(2024, 3, 30), 2);
        ledger.worked = {1, 0, 32767, 0, 4};
        ledger.hours[23][4] = -2;
        ledger.logFile = "Countlog-2024-03-2.csv";
        ledger.logSize = 5000000000;
        ledger.logged = {-100, 0, 0, 0, 9};
        QCOMPARE(parseLedger(ledgerText(ledger)), ledger);
        QByteArray cut = ledgerText(ledger);
        cut.chop(20);
        QVERIFY(!parseLedger(cut));
        QVERIFY(!parseLedger(ledgerText(ledger).replace("Hour=2", "Hour=24")));
        QVERIFY(!parseLedger(ledgerText(ledger).replace("File=", "File=../")));
    }

private:
    CounterModel &model() { return *m_sandbox->model; }

    QString logPath() const { return countLogPath(dateFromDayNumber(dayNumber(Today()))); }

    void newRun()
    {
        m_sandbox->model = std::make_unique<CounterModel>();
        connect(&model(), &CounterModel::problem, this,
                [this](const QString &message) { m_told << message; });
        model().setJournalSink([this](const QList<JournalLine> &lines) { m_lines += lines; });
        model().LoadCountData();
        for (int i = 0; i < CounterCount; ++i)
            model().setTitle(i, model().gSaved().Title[size_t(i)]);
    }

    void store()
    {
        try {
            model().store();
        } catch (const RuntimeError &) {
            // the autosave tries again later
        }
    }

    // The open day and its counts as they stand before a step; a day that a
    // step closes is checked against them at the end.
    void run(const QString &step)
    {
        std::optional<std::pair<DayBounds, CounterSums>> before;
        if (m_sandbox->model && !model().isLoading()) {
            before = {model().openDay(), {}};
            for (int i = 0; i < CounterCount; ++i)
                before->second[size_t(i)] = model().gCount(i);
        }
        const bool starting = step.startsWith("start") || step.startsWith("prompt");
        if (starting) // a run that starts closes the stored day, as stored
            before = storedDay();
        act(step);
        if (before && m_sandbox->model && before->first.day != model().openDay().day)
            m_closed.append(*before);
        // After every store that could reach the log, the log of the stored
        // day adds up to the stored record.
        if (!m_logBlocked && (starting || step == "close" || step == "end" || step == "tick")) {
            if (const auto stored = storedDay()) {
                const auto lines = countLogBetween(stored->first.start, stored->first.end, -1);
                QVERIFY(lines);
                QCOMPARE(countsText(loggedCounts(*lines)), countsText(stored->second));
            }
        }
    }

    // The stored record's day, as Countday.ini bounds it, and its counts.
    std::optional<std::pair<DayBounds, CounterSums>> storedDay() const
    {
        const CountRecord record = readRecordFile(countDataPath());
        const auto ledger = parseLedger(m_sandbox->readFile("Countday.ini"));
        if (!ledger || ledger->bounds.day != dateFromDayNumber(record.SavedDate))
            return std::nullopt;
        CounterSums counts{};
        std::copy(record.Count.begin(), record.Count.end(), counts.begin());
        return std::pair{ledger->bounds, counts};
    }

    void act(const QString &step)
    {
        const QStringList words = step.split(u' ');
        if (step.contains(u':') && !step.contains(u'@')) {
            const bool later = words[0].startsWith(u'+');
            const QDate date =
                QDate(2024, 1, 1).addDays(later ? words[0].mid(1).chopped(1).toInt() : 0);
            m_sandbox->clock.set(QDateTime(date, QTime::fromString(words.last(), "HH:mm:ss")));
        } else if (words[0] == "start" || words[0] == "prompt") {
            newRun();
            if (words[0] == "start")
                model().restore(words.value(1) != "no");
        } else if (words[0] == "answer") {
            model().restore(words[1] == "yes");
            store();
        } else if (words[0].size() >= 2 && words[0][1].isDigit() &&
                   (words[0][0] == u'c' || words[0][0] == u'u')) {
            const int index = words[0].mid(1, 1).toInt() - 1;
            QDateTime at;
            if (words[0].contains(u'@')) // held since then, on the clock's date
                at = QDateTime(Now().date().addDays(-1),
                               QTime::fromString(words[0].mid(3), "HH:mm:ss"));
            model().count(index, words[0][0] == u'c' ? 1 : -1, at);
            if (!m_dialogOpen && !model().isLoading()) // nothing is stored under a box
                store();
        } else if (words[0].size() == 2 && words[0][0] == u'b') { // bN K: --count N --by K
            model().count(words[0].mid(1).toInt() - 1, 1, {}, words[1].toInt());
            store();
        } else if (words[0].startsWith(u'z')) { // z@HH:mm:ss: asked then, behind a box
            model().undo(words[0].contains(u'@')
                             ? QDateTime(Now().date(), QTime::fromString(words[0].mid(2), "HH:mm:ss"))
                             : QDateTime());
            store();
        } else if (words[0] == "tick") {
            model().passTurn(Now());
            store();
        } else if (words[0] == "set") {
            model().setCount(words[1].toInt() - 1, int16_t(words[2].toInt()));
            store();
        } else if (words[0] == "target") { // target 1 4: the options window's
            DayOptions options = model().options();
            options.targets[size_t(words[1].toInt() - 1)] = words[2].toInt();
            model().setOptions(options);
        } else if (words[0] == "reset") { // reset 1 [2...]: the menu's 0 に戻す
            QList<int> indexes;
            for (const QString &w : words.mid(1))
                indexes.append(w.toInt() - 1);
            model().reset(indexes);
            store();
        } else if (words[0] == "dialog") {
            m_dialogOpen = true;
            for (int i = 0; i < CounterCount; ++i)
                m_shown[size_t(i)] = QString::number(model().gCount(i));
        } else if (words[0] == "ok") {
            SettingsInput input;
            for (int i = 0; i < CounterCount; ++i)
                input.titles[size_t(i)] = model().gTitle(i);
            input.counts = input.shownCounts = m_shown;
            for (qsizetype w = 1; w + 1 < words.size(); w += 2) // ok 1 7 [2 9...]
                input.counts[size_t(words[w].toInt() - 1)] = words[w + 1];
            applySettings(model(), input, nullptr);
            m_dialogOpen = false;
            store();
        } else if (words[0] == "options") {
            DayOptions chosen = model().options();
            chosen.startHour = words[1].toInt();
            model().setOptions(writeDayOptions(model().options(), chosen));
        } else if (words[0] == "ledger") { // "ledger lags": a line behind the log; else an edit
            QByteArray text = m_sandbox->readFile("Countday.ini");
            if (words[1] == "lags") {
                auto ledger = parseLedger(text);
                QVERIFY(ledger);
                const QByteArray log = m_sandbox->readFile(ledger->logFile);
                ledger->logSize = log.lastIndexOf('\n', ledger->logSize - 2) + 1;
                text = ledgerText(*ledger);
            } else {
                const QByteArray key = words[1].section(u'=', 0, 0).toUtf8() + '=';
                const qsizetype at = text.indexOf('\n' + key) + 1;
                text.replace(at, text.indexOf('\n', at) - at, words[1].toUtf8());
            }
            m_sandbox->writeFile("Countday.ini", text);
        } else if (words[0] == "moved") { // the log archived away mid-day
            QVERIFY(QFile::rename(logPath(), logPath() + ".old"));
        } else if (words[0] == "copied") { // a copy in its place, as a copied folder has it
            QVERIFY(QFile::copy(logPath(), logPath() + ".copy"));
            QVERIFY(QFile::remove(logPath()) && QFile::rename(logPath() + ".copy", logPath()));
        } else if (words[0] == "hand") {
            m_sandbox->writeFile("Options.ini", "[Day]\nStartHour=" + words[1].toUtf8() + "\n");
        } else if (words[0] == "close" || words[0] == "end") {
            model().passTurn(Now());
            m_lastDay = model().openDay();
            try {
                if (words[0] == "close") {
                    model().setSaved(model().record());
                    model().SaveCountData();
                } else {
                    model().store();
                }
            } catch (const RuntimeError &) {
            }
        } else if (words[0] == "kill") { // after log|ledger cN: a click whose store dies there
            model().count(words[3].mid(1).toInt() - 1, 1);
            const int commits = words[2] == "log" ? 1 : 2;
            QCOMPARE(test::inChild([&] {
                         g_commitsLeft = commits;
                         setBeforeCommitHook(&exitAtCommit);
                         model().store();
                     }),
                     0);
        } else if (words[0] == "tear" || words[0] == "quote" || words[0] == "future") {
            QFile log(logPath());
            QVERIFY(log.open(QIODevice::Append));
            const QByteArray day = Now().date().toString(Qt::ISODate).toLatin1();
            log.write(words[0] == "quote" ? day + " 09:00:00,1,\"A,1,9,\r\n"
                      : words[0] == "future"
                          ? Now().date().addDays(1).toString(Qt::ISODate).toLatin1() +
                                " 09:00:00,1,A,1,9,\r\n"
                      : words.size() > 1 ? day + " 09:00:00,1,A,1,9,"
                                         : day + " 09:00:00,1,\"A");
        } else if (words[0] == "resave") { // UTF-16, its own dates, sorted
            const QString text =
                QString::fromUtf8(m_sandbox->readFile(QFileInfo(logPath()).fileName()));
            QStringList rows = text.split(u'\n', Qt::SkipEmptyParts);
            std::sort(rows.begin() + 1, rows.end());
            QByteArray utf16("\xFF\xFE");
            const QString out = rows.join(u'\n').replace(u'-', u'/');
            utf16.append(reinterpret_cast<const char *>(out.utf16()), out.size() * 2);
            m_sandbox->writeFile(QFileInfo(logPath()).fileName(), utf16);
        } else if (words[0] == "blocked" || words[0] == "fifo") {
            m_logBlocked = true;
            QVERIFY(QFile::rename(logPath(), logPath() + ".aside"));
            if (words[0] == "blocked")
                QVERIFY(QDir().mkdir(logPath()));
            else
                QCOMPARE(::mkfifo(QFile::encodeName(logPath()).constData(), 0600), 0);
        } else if (words[0] == "unblocked") {
            m_logBlocked = false;
            QVERIFY(QDir().rmdir(logPath()) || QFile::remove(logPath()));
            QVERIFY(QFile::rename(logPath() + ".aside", logPath()));
        } else if (words[0] == "full") {
            m_logBlocked = true;
            setSyncFunction([](int) { return errno = ENOSPC, -1; });
        } else if (words[0] == "room") {
            m_logBlocked = false;
            setSyncFunction(nullptr);
        } else {
            QFAIL(qPrintable("no such step: " + step));
        }
    }

    QStringList m_told;
    QList<JournalLine> m_lines; // as the runs told them
    bool m_dialogOpen = false;
    DayBounds m_lastDay; // the open day when the last run ended
    bool m_logBlocked = false;
    QList<std::pair<DayBounds, CounterSums>> m_closed;
    std::array<QString, CounterCount> m_shown;
};

QTEST_GUILESS_MAIN(TestCounterModel)
#include "tst_countermodel.moc"
