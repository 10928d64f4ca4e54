// Every count in its day: the count log, the day's turn while the strip runs
// (at midnight or at the turn hour, after a suspend, with the clock set
// back), kills between the log and the record, and the restore prompt, each
// judged by the history's lines, the record and the log.
#include "formcontrols.h"
#include "history/history.h"
#include "main_window/frmmain.h"
#include "platform/files/atomicfile.h"
#include "settings/frmset.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "state/countlog.h"
#include "state/options.h"
#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

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

} // namespace

class TestCountLog : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_sandbox = std::make_unique<test::Sandbox>();
        CountRecord titles; // no day yet: nothing to offer back or keep
        titles.Title = {"A", "B", "C", "D", "E"};
        writeRecordFile(countDataPath(), titles);
    }

    void cleanup()
    {
        m_dialog.reset();
        m_form.reset();
        m_sandbox.reset();
    }

    void everyCountInItsDay_data()
    {
        QTest::addColumn<QString>("options"); // [Day] as Options.ini holds it
        // Steps: a time ("23:59:58", "+1d 00:00:01" from 2024-01-01), "start",
        // "start no", "c1" a click on counter 1, "tick" of the clock, "set 1 7"
        // (the dialog's OK), "dialog" (left open), "ok 1 7" (in the open
        // dialog), "close", "tear" (a crash's half line in the log), "kill
        // after log c1" / "kill after record c1" (a click, then killed between
        // the log's append and the record's replacement). What the strip
        // changes is stored at once, as the autosave does.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("history"); // every line: date:counts
        QTest::addColumn<QString>("record");      // date:counts
        const QString midnight = "start;23:59:58;c1;c1;+1d 00:00:01;tick;c1;close";
        QTest::addRow("midnight: carried")
            << "" << midnight + ";+2d 09:00:00;start"
            << QStringList{"2024-01-01:2,0,0,0,0", "2024-01-02:1,0,0,0,0"}
            << "2024-01-02:3,0,0,0,0";
        QTest::addRow("midnight: reset")
            << "StartHour=0\nResetCounts=true" << midnight + ";+2d 09:00:00;start"
            << QStringList{"2024-01-01:2,0,0,0,0", "2024-01-02:1,0,0,0,0"}
            << "2024-01-02:1,0,0,0,0";
        QTest::addRow("turn at 6: 05:59:59 is the day before, 06:00:00 the day")
            << "StartHour=6"
            << "+1d 05:59:59;start;c1;tick;+1d 06:00:00;tick;c2;close"
            << QStringList{"2024-01-01:1,0,0,0,0"} << "2024-01-02:1,1,0,0,0";
        QTest::addRow("suspended Friday evening, resumed Monday")
            << ""
            << "+4d 17:00:00;start;c1;c1;+7d 09:00:00;tick;c3;close"
            << QStringList{"2024-01-05:2,0,0,0,0"} << "2024-01-08:2,0,1,0,0";
        QTest::addRow("clock set back across the turn")
            << ""
            << "start;23:59:58;c1;+1d 00:00:01;tick;c1;23:59:50;tick;c2;close;+2d 09:00:00;start"
            << QStringList{"2024-01-01:2,1,0,0,0"} << "2024-01-01:2,1,0,0,0";
        QTest::addRow("killed after the log's append")
            << ""
            << "09:00:00;start;c1;c1;kill after log c1;start;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:2,0,0,0,0"} << "2024-01-01:2,0,0,0,0";
        QTest::addRow("killed after the record's replacement")
            << ""
            << "09:00:00;start;c1;c1;kill after record c1;start;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:3,0,0,0,0"} << "2024-01-01:3,0,0,0,0";
        QTest::addRow("a torn last line")
            << ""
            << "09:00:00;start;c1;c1;tear;c1;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:3,0,0,0,0"} << "2024-01-01:3,0,0,0,0";
        QTest::addRow("the dialog's outright set")
            << ""
            << "09:00:00;start;c1;c1;set 1 10;set 1 4;c2;set 2 0;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:4,0,0,0,0"} << "2024-01-01:4,0,0,0,0";
        QTest::addRow("the prompt's Yes")
            << ""
            << "09:00:00;start;c1;c1;close;start;c1;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:3,0,0,0,0"} << "2024-01-01:3,0,0,0,0";
        QTest::addRow("the prompt's No")
            << ""
            << "09:00:00;start;c1;c1;close;start no;c1;close;+1d 09:00:00;start"
            << QStringList{"2024-01-01:1,0,0,0,0"} << "2024-01-01:1,0,0,0,0";
        QTest::addRow("Yes after a carried-over day")
            << "" << midnight + ";start;c1;close;+2d 09:00:00;start"
            << QStringList{"2024-01-01:2,0,0,0,0", "2024-01-02:2,0,0,0,0"}
            << "2024-01-02:4,0,0,0,0";
        QTest::addRow("No after a carried-over day")
            << "" << midnight + ";start no;c1;close;+2d 09:00:00;start"
            << QStringList{"2024-01-01:2,0,0,0,0", "2024-01-02:1,0,0,0,0"}
            << "2024-01-02:1,0,0,0,0";
        QTest::addRow("a turn while the dialog is open")
            << "StartHour=0\nResetCounts=true"
            << "start;23:59:50;c1;c1;dialog;+1d 00:00:05;tick;ok 1 7;tick;c2;close;+2d "
               "09:00:00;start"
            << QStringList{"2024-01-01:7,0,0,0,0", "2024-01-02:0,1,0,0,0"}
            << "2024-01-02:0,1,0,0,0";
    }

    void everyCountInItsDay()
    {
        QFETCH(QString, options);
        QFETCH(QString, steps);
        QFETCH(QStringList, history);
        QFETCH(QString, record);
        if (!options.isEmpty())
            m_sandbox->writeFile("Options.ini", "[Day]\n" + options.toUtf8() + "\n");
        for (const QString &step : steps.split(u';'))
            run(step);

        QStringList lines;
        for (const HistoryDay &day : historyDays(m_sandbox->readFile("history.csv"))) {
            lines << day.date.toString(Qt::ISODate) + u':' + countsText(day.counts);
            // Each line is what the log of its day says was done that day.
            QCOMPARE(countsText(workedCounts(countLogOfDay(day.date))), countsText(day.counts));
        }
        QCOMPARE(lines, history);
        const CountRecord stored = readRecordFile(countDataPath());
        const QDate storedDay = dateFromDayNumber(stored.SavedDate);
        std::array<int, CounterCount> counts{};
        std::copy(stored.Count.begin(), stored.Count.end(), counts.begin());
        QCOMPARE(storedDay.toString(Qt::ISODate) + u':' + countsText(counts), record);
        // The log of the record's day adds up to the record.
        QCOMPARE(countsText(loggedCounts(countLogOfDay(storedDay))), countsText(counts));
    }

    void logLinesAsASpreadsheetReadsThem()
    {
        m_sandbox->clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 15, 2)));
        m_form = std::make_unique<frmMain>();
        m_form->load();
        gTitle(0) = QStringLiteral("電話, \"外線\"");
        test::cmdC(*m_form, 0)->click();
        storeRecord(recordFromLiveState());
        QCOMPARE(m_sandbox->readFile("Countlog-2026-12.csv"),
                 "\xEF\xBB\xBF" +
                     QStringLiteral("日時,項目番号,項目,増減,件数,種類\r\n"
                                    "2026-12-07 09:15:02,1,\"電話, \"\"外線\"\"\",1,1,\r\n")
                         .toUtf8());
    }

private:
    void run(const QString &step)
    {
        const QStringList words = step.split(u' ');
        if (step.contains(u':')) { // a time, perhaps with days after 2024-01-01
            const bool later = words[0].startsWith(u'+');
            const QDate date =
                QDate(2024, 1, 1).addDays(later ? words[0].mid(1).chopped(1).toInt() : 0);
            m_sandbox->clock.set(QDateTime(date, QTime::fromString(words.last(), "HH:mm:ss")));
        } else if (words[0] == "start") {
            m_dialog.reset();
            m_form.reset(); // a new run: nothing of the last one's memory
            resetCounterState();
            resetCountLog();
            m_sandbox->boxes.setNextAnswer(words.value(1) == "no" ? msgresult::No : msgresult::Yes);
            m_form = std::make_unique<frmMain>();
            m_form->load();
            m_sandbox->boxes.calls.clear();
        } else if (words[0].size() == 2 && words[0][0] == u'c') {
            test::cmdC(*m_form, words[0].mid(1).toInt() - 1)->click();
            store();
        } else if (words[0] == "tick") {
            QVERIFY(test::tick(*m_form));
            store();
        } else if (words[0] == "set" || words[0] == "dialog") {
            m_dialog = std::make_unique<frmSet>(m_form.get(), m_form.get());
            m_dialog->prepareToShow();
            m_dialog->setWindowModality(Qt::ApplicationModal);
            m_dialog->show();
            if (words[0] == "set")
                run("ok " + words[1] + u' ' + words[2]);
        } else if (words[0] == "ok") {
            test::txtC(*m_dialog, words[1].toInt() - 1)->setText(words[2]);
            QTest::mouseClick(test::cmdOK(*m_dialog), Qt::LeftButton);
            QVERIFY(!m_dialog->isVisible());
            m_dialog.reset();
            store();
        } else if (words[0] == "close") {
            m_form->unload();
        } else if (words[0] == "tear") {
            QFile log(countLogPath(Today()));
            QVERIFY(log.open(QIODevice::Append));
            log.write("2024-01-01 09:0");
        } else if (words[0] == "kill") { // kill after log|record cN
            test::cmdC(*m_form, words[3].mid(1).toInt() - 1)->click();
            if (words[2] == "log") {
                appendPendingLog();
            } else {
                resetCountLog();
                writeRecordFile(countDataPath(), recordFromLiveState());
            }
            m_form.reset();
        } else {
            QFAIL(qPrintable("no such step: " + step));
        }
    }

    // What the autosave does within a second of a change.
    void store()
    {
        if (!m_form->isUnloaded())
            storeRecord(recordFromLiveState());
    }

    std::unique_ptr<test::Sandbox> m_sandbox;
    std::unique_ptr<frmMain> m_form;
    std::unique_ptr<frmSet> m_dialog;
};

QTEST_MAIN(TestCountLog)
#include "tst_countlog.moc"
