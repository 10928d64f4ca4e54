// Finished days: the record of an earlier day kept as its line in
// history.csv (or as a dated copy), and the history window's range, totals,
// clipboard text and CSV.
#include "core/base/csv.h"
#include "core/history/history.h"
#include "core/state/autosave.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "formcontrols.h"
#include "gui/history/historywindow.h"
#include "gui/strip/frmmain.h"
#include "testsupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTableView>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTest>
#include <sys/stat.h>

using namespace zentova;

namespace
{

QList<HistoryDay> shownRows(const HistoryWindow &window)
{
    const auto days = window.shownDays();
    return QList<HistoryDay>(days.begin(), days.end());
}

// A saved CSV read back as the table it holds, a tab between cells.
QStringList savedTable(const QByteArray &csv)
{
    QStringList rows;
    if (!csv.startsWith("\xEF\xBB\xBF"))
        return {"no byte-order mark"};
    for (const QList<QByteArray> &record : csvRecords(csv.mid(3))) {
        QStringList cells;
        for (const QByteArray &field : record)
            cells << QString::fromUtf8(field);
        rows << cells.join(u'\t');
    }
    return rows;
}

// The sandbox's clock stands on 2024-01-01 (day 45292).
constexpr double kToday = 45292;

CountRecord dayRecord(double day, std::array<int16_t, 5> counts = {12, 7, 100, 3, 45})
{
    CountRecord r;
    r.Count = counts;
    r.Title = {QStringLiteral("受付"), QStringLiteral("a,b"), QStringLiteral("say \"hi\""),
               QStringLiteral("①～"), QString()};
    r.AlarmHourText = QStringLiteral("0");
    r.AlarmMinuteText = QStringLiteral("0");
    r.SavedDate = day;
    return r;
}

} // namespace

class TestHistory : public test::SandboxTest
{
    Q_OBJECT
private slots:
    void earlierDayBecomesExactlyOneLine()
    {
        CountRecord day = dayRecord(kToday - 1);
        day.Title[4] = QStringLiteral("two\r\nlines");
        QVERIFY(!archive(day));
        const QByteArray text = m_sandbox->readFile("history.csv");
        QCOMPARE(text,
                 QByteArray("\xEF\xBB\xBF") +
                     QStringLiteral("日付,項目1,件数1,項目2,件数2,項目3,件数3,"
                                    "項目4,件数4,項目5,件数5,合計,目標1,目標2,目標3,目標4,目標5\r\n"
                                    "2023-12-31,受付,12,\"a,b\",7,\"say \"\"hi\"\"\",100,"
                                    "①～,3,\"two\r\nlines\",45,167,0,0,0,0,0\r\n")
                         .toUtf8());
        QCOMPARE(historyDays(text).value(0), dayOfRecord(day)); // and back, titles whole
    }

    void whichRecordsBecomeHistory_data()
    {
        QTest::addColumn<QByteArray>("before"); // days already in the history
        QTest::addColumn<double>("stored");
        QTest::addColumn<QStringList>("after");
        const QByteArray two =
            historyFileText({dayOfRecord(dayRecord(kToday - 5, {1, 0, 0, 0, 0})),
                             dayOfRecord(dayRecord(kToday - 1, {2, 0, 0, 0, 0}))});
        QTest::addRow("new file") << QByteArray() << kToday - 3 << QStringList{"2023-12-29:167"};
        QTest::addRow("between, in date order")
            << two << kToday - 3 << QStringList{"2023-12-27:1", "2023-12-29:167", "2023-12-31:2"};
        QTest::addRow("same date replaced")
            << two << kToday - 1 << QStringList{"2023-12-27:1", "2023-12-31:167"};
        QTest::addRow("today: not yet")
            << two << kToday << QStringList{"2023-12-27:1", "2023-12-31:2"};
        QTest::addRow("later day: left alone")
            << two << kToday + 2 << QStringList{"2023-12-27:1", "2023-12-31:2"};
        QTest::addRow("no day (a new data file)") << QByteArray() << 0.0 << QStringList{};
        HistoryDay broken = dayOfRecord(dayRecord(kToday - 5, {1, 0, 0, 0, 0}));
        broken.titles[0] = QStringLiteral("x\n").repeated(5);
        broken.titles[3] = QStringLiteral("\r\ny").repeated(5);
        QTest::addRow("titles broken over ten lines")
            << historyFileText({broken}) << kToday - 3
            << QStringList{"2023-12-27:1", "2023-12-29:167"};
        QByteArray damaged = two;
        damaged.insert(damaged.indexOf("2023-12-31"), "not a day,\"broken\r\n2023-12-30,x\r\n");
        const HistoryDay fifth = dayOfRecord(dayRecord(kToday - 5, {1, 0, 0, 0, 0}));
        QTest::addRow("after the last line") << historyFileText({fifth}) << kToday - 3
                                             << QStringList{"2023-12-27:1", "2023-12-29:167"};
        HistoryDay third = dayOfRecord(dayRecord(kToday - 3, {1, 0, 0, 0, 0}));
        QTest::addRow("its date already there, above an earlier day")
            << historyFileText({third, fifth}) << kToday - 3
            << QStringList{"2023-12-29:167", "2023-12-27:1"};
        HistoryDay twice = dayOfRecord(dayRecord(kToday - 3, {500, 0, 0, 0, 0}));
        QTest::addRow("a date written twice becomes one line")
            << historyFileText({twice, twice}).replace("500", "1") + historyLine(twice) + "\r\n"
            << kToday - 3 << QStringList{"2023-12-29:655"};
        QTest::addRow("a file of blank lines gets its header")
            << QByteArray("\r\n\r\n") << kToday - 3 << QStringList{"2023-12-29:167"};
        QTest::addRow("lines that are no day are kept")
            << damaged << kToday - 2
            << QStringList{"2023-12-27:1", "2023-12-30:167", "2023-12-31:2"};
    }

    void whichRecordsBecomeHistory()
    {
        QFETCH(QByteArray, before);
        QFETCH(double, stored);
        if (!before.isEmpty())
            m_sandbox->writeFile("history.csv", before);
        QVERIFY(!archive(dayRecord(stored)));
        const QByteArray text = m_sandbox->readFile("history.csv");
        QStringList days;
        for (const HistoryDay &day : historyDays(text))
            days << day.date.toString(Qt::ISODate) + ':' + QString::number(day.total());
        QTEST(days, "after");
        QCOMPARE(text.count(historyHeader()), text.isEmpty() ? 0 : 1);
        // Whatever was there that is no day stays, byte for byte.
        for (const HistoryEntry &entry : parseHistory(before))
            if (!entry.day)
                QVERIFY(text.contains(entry.bytes));
    }

    // A history begun before there were targets: its lines read with none and
    // stay byte for byte; the header names the new columns; a day keeps the
    // targets it was kept with.
    void linesWithoutTargetsReadAndStay()
    {
        const QByteArray oldLine = "2023-12-30,a,1,,0,,0,,0,,0,1\r\n";
        m_sandbox->writeFile(
            "history.csv", "\xEF\xBB\xBF" + historyHeader().left(historyHeader().indexOf(",目標")) +
                               "\r\n" + oldLine);
        m_sandbox->writeFile("Options.ini", "[Targets]\nCounter1=9\n");
        QVERIFY(!archive(dayRecord(kToday - 1)));
        m_sandbox->writeFile("Options.ini", "[Targets]\nCounter1=3\n");
        QVERIFY(!archive(dayRecord(kToday - 1))); // the day kept again
        const QByteArray text = m_sandbox->readFile("history.csv");
        QVERIFY(text.startsWith("\xEF\xBB\xBF" + historyHeader() + "\r\n" + oldLine));
        const QList<HistoryDay> days = historyDays(text);
        QCOMPARE(days.size(), 2);
        QCOMPARE(days[0].targets, (std::array<int, 5>{}));
        QCOMPARE(days[1].targets, (std::array<int, 5>{9, 0, 0, 0, 0}));
    }

    // A history a spreadsheet saved as UTF-16 is not added to: it stays byte
    // for byte, and the day goes to its dated copy, which the box names.
    void historyInAnotherEncodingIsLeftAlone()
    {
        auto toUtf16 = QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        const QByteArray utf16 = toUtf16(QStringLiteral("日付,項目1\r\n2023-12-01,受付,1\r\n"));
        m_sandbox->writeFile("history.csv", utf16);
        const auto said = archive(dayRecord(kToday - 1));
        QVERIFY(said && said->contains(datedRecordPath(QDate(2023, 12, 31))));
        QCOMPARE(m_sandbox->readFile("history.csv"), utf16);
        QVERIFY(!archive(dayRecord(kToday))); // nor at the next start
        QCOMPARE(m_sandbox->readFile("history.csv"), utf16);
    }

    void unwritableHistoryKeepsTheDayElsewhereOrNotReplaced()
    {
        // Neither the history nor the dated copy can be written at first.
        QVERIFY(QDir(m_sandbox->folder()).mkdir("history.csv"));
        QVERIFY(QDir(m_sandbox->folder()).mkdir("Countdata-2023-12-31.dat"));
        const CountRecord yesterday = dayRecord(kToday - 1);
        writeRecordFile(countDataPath(), yesterday);
        frmMain w(m());
        w.load();
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        test::cmdC(w, 0)->click();
        Autosave autosave([this] { m().store(); });
        QVERIFY(!autosave.saveNow());
        QCOMPARE(readRecordFile(countDataPath()), yesterday);
        // With the dated copy free, the day is kept there and the strip
        // goes on storing.
        QVERIFY(QDir(m_sandbox->folder()).rmdir("Countdata-2023-12-31.dat"));
        QVERIFY(autosave.saveNow());
        QCOMPARE(m_sandbox->readFile("Countdata-2023-12-31.dat"), encodeRecord(yesterday));
        QCOMPARE(readRecordFile(countDataPath()).Count[0], int16_t(1));
    }

    void datedCopyReturnsToTheHistoryAndAStrayRecordIsKept()
    {
        QVERIFY(QDir(m_sandbox->folder()).mkdir("history.csv"));
        const CountRecord yesterday = dayRecord(kToday - 1);
        const auto said = archive(yesterday);
        QVERIFY(said && said->contains(datedRecordPath(QDate(2023, 12, 31)))); // names the file
        QVERIFY(QDir(m_sandbox->folder()).rmdir("history.csv"));
        // The next start, the clock set back a day: the stored record is of a later day.
        const CountRecord later = dayRecord(kToday + 1, {4, 0, 0, 0, 0});
        QVERIFY(!archive(later));
        QCOMPARE(historyDays(m_sandbox->readFile("history.csv")),
                 QList<HistoryDay>{dayOfRecord(yesterday)});
        QVERIFY(!QFile::exists(datedRecordPath(QDate(2023, 12, 31))));
        // A closed day is never opened again: the later day is still the
        // open one, its counts offered back.
        QVERIFY(m().offersRestore());
        QCOMPARE(m().openDay().day, QDate(2024, 1, 2));
    }

    void windowRangesTotalsClipboardAndCsv_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<QStringList>("dates"); // newest first
        QTest::addRow("this week") << int(HistoryRange::ThisWeek) << QStringList{"2024-01-01"};
        QTest::addRow("this month") << int(HistoryRange::ThisMonth) << QStringList{"2024-01-01"};
        QTest::addRow("last month")
            << int(HistoryRange::LastMonth) << QStringList{"2023-12-31", "2023-12-01"};
        // A day after today (the clock was set back since) is above today.
        QTest::addRow("everything")
            << int(HistoryRange::Everything)
            << QStringList{"2024-01-03", "2024-01-01", "2023-12-31", "2023-12-01", "2023-11-30"};
    }

    void windowRangesTotalsClipboardAndCsv()
    {
        QFETCH(int, range);
        QFETCH(QStringList, dates);
        QList<HistoryDay> stored;
        for (const QDate &date :
             {QDate(2023, 11, 30), QDate(2023, 12, 1), QDate(2023, 12, 31), QDate(2024, 1, 3)}) {
            HistoryDay day = dayOfRecord(dayRecord(0, {20000, 20000, 1, 0, 0}));
            day.date = date;
            stored << day;
        }
        HistoryDay again = stored[1]; // 2023-12-01 once more, by hand, with less
        again.counts = {5, 5, 0, 0, 0};
        m_sandbox->writeFile("history.csv", historyFileText(stored + QList{again}) + "garbage\r\n");
        m().setTitle(0, QStringLiteral("今日"));
        m().setCount(0, 5);

        HistoryWindow window(m());

        test::checkItemModels(window);
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(range);
        QStringList shown;
        for (const HistoryDay &day : shownRows(window))
            shown << day.date.toString(Qt::ISODate);
        QCOMPARE(shown, dates);
        const qint64 total = (dates.size() - dates.contains("2024-01-01")) * 40001LL +
                             (dates.contains("2024-01-01") ? 5 : 0);
        QVERIFY2(window.findChild<QLabel *>("totals")->text().endsWith(
                     QStringLiteral("合計: %1").arg(total)),
                 qPrintable(window.findChild<QLabel *>("totals")->text()));

        window.copyToClipboard();
        const QStringList lines =
            QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        // The table as shown: its headings, its rows, the range's totals.
        QCOMPARE(lines.size(), dates.size() + 2);
        QVERIFY2(lines[0].startsWith(QStringLiteral("日付\t今日\t")) &&
                     lines[0].endsWith(QStringLiteral("\t合計")),
                 qPrintable(lines[0]));
        for (int i = 0; i < dates.size(); ++i)
            QVERIFY(lines[i + 1].startsWith(dates[i] + QStringLiteral(" (")));
        QCOMPARE(lines.last(), QStringLiteral("期間の合計（%1 日）").arg(dates.size()) +
                                   lines.last().mid(lines.last().indexOf(u'\t')));
        QVERIFY(lines.last().endsWith(QStringLiteral("\t%1").arg(total)));

        // Saved, what is seen: the same table.
        window.saveShownRows(m_sandbox->path("export.csv"));
        QCOMPARE(savedTable(m_sandbox->readFile("export.csv")), lines);

        // Today's row follows the strip wherever it stands.
        const int today = int(dates.indexOf("2024-01-01"));
        const QAbstractItemModel *table = window.findChild<QTableView *>("table")->model();
        QSignalSpy repaint(table, &QAbstractItemModel::dataChanged);
        m().count(0, 1);
        if (today >= 0) {
            QTRY_COMPARE(repaint.size(), 1);
            QCOMPARE(repaint[0][0].toModelIndex().row(), today);
            QCOMPARE(table->index(today, 1).data().toString(), QStringLiteral("6"));
        }
    }

    // A history far larger than years of counting (a file made elsewhere) is
    // read aside: the window opens with today's row at once and fills after,
    // the strip's loop never waiting on it.
    void aHugeHistoryIsReadAside()
    {
        QList<HistoryDay> days(70000, dayOfRecord(dayRecord(0, {1, 0, 0, 0, 0})));
        for (qsizetype i = 0; i < days.size(); ++i)
            days[i].date = QDate(2023, 12, 31).addDays(-i);
        m_sandbox->writeFile("history.csv", historyFileText(days));
        m().setCount(0, 2);
        HistoryWindow window(m());
        test::checkItemModels(window);
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(int(HistoryRange::Everything));
        QCOMPARE(shownRows(window).size(), 1);
        QCOMPARE(shownRows(window)[0].counts[0], 2);
        QTRY_COMPARE_WITH_TIMEOUT(shownRows(window).size(), 70001, 20000);
        QVERIFY(
            window.findChild<QLabel *>("totals")->text().endsWith(QStringLiteral("合計: 70002")));
    }

    void exportsDefuseTitlesASpreadsheetWouldRun()
    {
        HistoryDay day = dayOfRecord(dayRecord(kToday - 1));
        day.titles = std::array<QString, CounterCount>{"=1+2", "+3-1", "-4+5", "@SUM(1)", "\tx"};
        day.counts[1] = -7; // a number all the same
        const QByteArray stored = historyFileText({day});
        m_sandbox->writeFile("history.csv", stored);
        for (int i = 0; i < CounterCount; ++i)
            m().setTitle(i, day.titles[size_t(i)]); // the table's headings
        HistoryWindow window(m());
        test::checkItemModels(window);
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(int(HistoryRange::Everything));
        const QString defused = "日付\t'=1+2\t'+3-1\t'-4+5\t'@SUM(1)\t' x\t合計\n";
        QVERIFY2(window.clipboardText().startsWith(defused), qPrintable(window.clipboardText()));
        window.saveShownRows(m_sandbox->path("export.csv"));
        QVERIFY(window.clipboardText().contains("\t12\t-7\t100\t"));
        QVERIFY2(m_sandbox->readFile("export.csv").contains("'=1+2,'+3-1,'-4+5,'@SUM(1),'\tx,"),
                 m_sandbox->readFile("export.csv").constData());
        QVERIFY(m_sandbox->readFile("export.csv").contains(",12,-7,100,"));

        // Saved in the user's documents, named and headed after its range.
        QTimer::singleShot(0, &window, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), "CSV で保存: " + window.rangeHeading());
            const QString documents =
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            QCOMPARE(dialog->selectedFiles().value(0),
                     (QFileInfo(documents).isDir() ? documents : QDir::homePath()) +
                         "/zentova-2023-12-31_2024-01-01.csv");
            dialog->reject();
        });
        window.findChild<QPushButton *>("saveButton")->click();
        QCOMPARE(m_sandbox->readFile("history.csv"), stored); // the history keeps its own
    }

    void windowFollowsTheStripUnderItsTitlesAndClosesWithEscape()
    {
        frmMain strip(m());
        strip.load();
        m().setTitle(1, QStringLiteral("電話"));
        strip.findChild<QAction *>("historyAction")->trigger();
        auto *window = strip.findChild<HistoryWindow *>();
        QVERIFY(window && window->isVisible());
        for (int k = 0; k < 3; ++k)
            test::cmdC(strip, 1)->click();
        QTRY_COMPARE(shownRows(*window).value(0).counts[1], 3);
        QVERIFY(window->findChild<QLabel *>("totals")->text().contains(QStringLiteral("電話: 3")));
        // A window of its own to a screen reader, its lists named by their labels.
        QCOMPARE(QAccessible::queryAccessibleInterface(window)->role(), QAccessible::Window);
        for (const auto &[list, label, name] :
             {std::tuple{"rangeBox", "期間:", "期間"}, {"counterBox", "グラフ:", "グラフの項目"}}) {
            const QAccessibleInterface *box =
                QAccessible::queryAccessibleInterface(window->findChild<QComboBox *>(list));
            QCOMPARE(box->text(QAccessible::Name), QString::fromUtf8(name)); // not the item shown
            const auto labels = box->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels[0].first->text(QAccessible::Name), QString::fromUtf8(label));
        }
        // Escape closes an open list first, the window only then.
        auto *range = window->findChild<QComboBox *>("rangeBox");
        window->activateWindow();
        range->showPopup();
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget()->windowHandle(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(window->isVisible());
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!strip.findChild<HistoryWindow *>());
    }

    void csvGoesInPlaceWhereItsFolderRefusesTemporaryFiles()
    {
        // A file the user may write, in a folder only another account may.
        m_sandbox->writeFile("history.csv", historyFileText({dayOfRecord(dayRecord(kToday - 1))}));
        QVERIFY(QDir(m_sandbox->folder()).mkdir("shared"));
        const QString path = m_sandbox->path("shared/export.csv");
        m_sandbox->writeFile("shared/export.csv", "old");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOther | QFile::WriteOther |
                                                QFile::ReadOwner | QFile::WriteOwner));
        for (const QString &folder : {m_sandbox->folder(), m_sandbox->path("shared")})
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        HistoryWindow window(m());
        test::checkItemModels(window);
        const int status = test::inChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            window.saveShownRows(path);
            ::_exit(m_sandbox->boxes.calls.isEmpty() ? 0 : 3);
        });
        QCOMPARE(::chmod(QFile::encodeName(m_sandbox->folder()).constData(), 0700), 0);
        QCOMPARE(status, 0);
        QCOMPARE(savedTable(m_sandbox->readFile("shared/export.csv")).join(u'\n') + u'\n',
                 window.clipboardText());
    }

private:

    // A start on the record: the day it holds is kept where it is finished.
    std::optional<QString> archive(const CountRecord &record)
    {
        writeRecordFile(countDataPath(), record);
        m_sandbox->model = std::make_unique<CounterModel>();
        m().LoadCountData();
        return m().takeStartMessage();
    }
};

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
