// The history window's charts: the bars of a range (days, weeks, months), the
// round ticks, a day's hours, the days that met their targets, what the
// pointer and the keys reach, and the pixels of a known range.
#include "core/history/chartdata.h"
#include "core/history/dayhours.h"
#include "core/state/counterstate.h"
#include "gui/history/historychart.h"
#include "gui/history/historywindow.h"
#include "formcontrols.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace zentova;

namespace
{

HistoryDay day(const QDate &date, std::array<int, CounterCount> counts,
               std::array<int, CounterCount> targets = {})
{
    HistoryDay d;
    d.date = date;
    d.titles = std::array<QString, CounterCount>{
        QStringLiteral("電話"), QStringLiteral("メール"), {}, {}, {}};
    d.counts = counts;
    d.targets = targets;
    return d;
}

QString describe(const ChartBar &bar)
{
    qint64 total = 0;
    for (qint64 c : bar.counts)
        total += c;
    return bar.first.toString(u"yyyy-MM-dd") + ".." + bar.last.toString(u"yyyy-MM-dd") + ':' +
           QString::number(total);
}

// The coloured run at the foot of column x: the painted bar's height.
int paintedHeight(const QImage &image, int x, int baseline)
{
    int height = 0;
    for (int y = baseline; y >= 0 && image.pixelColor(x, y).saturation() > 80; --y)
        ++height;
    return height;
}

} // namespace

class TestChart : public test::SandboxTest
{
    Q_OBJECT
private slots:
    void barsOfARange_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QList<HistoryDay>>("days");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("bars"); // the first, the last, and every bar counted
        const QList<HistoryDay> days{day({2023, 12, 31}, {3, 1, 0, 0, 0}),
                                     day({2024, 1, 1}, {4, 0, 0, 0, 0}),
                                     day({2024, 2, 29}, {5, 0, 0, 0, 0})};
        QTest::addRow("days across a change of year, empty days as zero")
            << QDate(2023, 12, 30) << QDate(2024, 1, 2) << days << 4
            << QStringList{"2023-12-30..2023-12-30:0", "2023-12-31..2023-12-31:4",
                           "2024-01-01..2024-01-01:4", "2024-01-02..2024-01-02:0"};
        QTest::addRow("a leap day, days outside left out")
            << QDate(2024, 2, 28) << QDate(2024, 3, 1) << days << 3
            << QStringList{"2024-02-28..2024-02-28:0", "2024-02-29..2024-02-29:5",
                           "2024-03-01..2024-03-01:0"};
        QTest::addRow("93 days are still days")
            << QDate(2023, 12, 1) << QDate(2024, 3, 2) << days << 93
            << QStringList{"2023-12-01..2023-12-01:0", "2023-12-31..2023-12-31:4",
                           "2024-01-01..2024-01-01:4", "2024-02-29..2024-02-29:5",
                           "2024-03-02..2024-03-02:0"};
        // Weeks run Monday to Sunday: 2023-12-31 is a Sunday, 2024-01-01 a Monday.
        QTest::addRow("weeks, cut at the range's ends")
            << QDate(2023, 11, 29) << QDate(2024, 3, 2) << days << 14
            << QStringList{"2023-11-29..2023-12-03:0", "2023-12-25..2023-12-31:4",
                           "2024-01-01..2024-01-07:4", "2024-02-26..2024-03-02:5"};
        QTest::addRow("months beyond two years")
            << QDate(2021, 12, 15) << QDate(2024, 3, 2) << days << 28
            << QStringList{"2021-12-15..2021-12-31:0", "2023-12-01..2023-12-31:4",
                           "2024-01-01..2024-01-31:4", "2024-02-01..2024-02-29:5",
                           "2024-03-01..2024-03-02:0"};
    }

    void barsOfARange()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QList<HistoryDay>, days);
        const QList<ChartBar> made = chartBars(days, first, last);
        QTEST(int(made.size()), "count");
        QStringList shown{describe(made.first())};
        for (const ChartBar &bar : made.mid(1, made.size() - 2))
            if (!describe(bar).endsWith(":0"))
                shown << describe(bar);
        shown << describe(made.last());
        QTEST(shown, "bars");
    }

    void roundTicks_data()
    {
        QTest::addColumn<qint64>("top");
        QTest::addColumn<QList<qint64>>("ticks");
        QTest::addRow("nothing counted") << qint64(0) << QList<qint64>{0, 1};
        QTest::addRow("7") << qint64(7) << QList<qint64>{0, 2, 4, 6, 8};
        QTest::addRow("10, on a tick") << qint64(10) << QList<qint64>{0, 2, 4, 6, 8, 10};
        QTest::addRow("11") << qint64(11) << QList<qint64>{0, 5, 10, 15};
        QTest::addRow("250") << qint64(250) << QList<qint64>{0, 50, 100, 150, 200, 250};
        QTest::addRow("ten years of a full counter")
            << qint64(32767) * 3650 << QList<qint64>{0, 50000000, 100000000, 150000000};
    }

    void roundTicks()
    {
        QFETCH(qint64, top);
        QTEST(zentova::roundTicks(top), "ticks");
    }

    void axisNumbersKeepApartAtEveryHeight_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<qint64>("highest");
        for (int height : {240, 120, 80, 64})
            for (qint64 highest : {2, 7, 40})
                QTest::addRow("%d px, %lld", height, highest) << height << highest;
    }

    void axisNumbersKeepApartAtEveryHeight()
    {
        QFETCH(int, height);
        QFETCH(qint64, highest);
        BarChart chart;
        chart.resize(300, height);
        chart.setBars({{"1", "", {int(highest), 0, 0, 0, 0}}}, {"a", {}, {}, {}, {}});
        const QList<qint64> ticks = chart.ticks();
        QCOMPARE(ticks.first(), 0);
        QVERIFY(ticks.last() >= highest);
        const int plotHeight = chart.barRect(0).height() * ticks.last() / highest;
        const double apart = double(plotHeight) / (ticks.size() - 1);
        QVERIFY2(ticks.size() < 2 || apart >= chart.fontMetrics().height(),
                 qPrintable(QStringLiteral("%1 px between numbers").arg(apart)));
    }

    // Labels under the bars never touch each other, the axis' numbers or the
    // edge, at any width; some are always shown.
    void labelsKeepApart_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("labels");
        QStringList hours, days, months;
        for (int h = 0; h < 24; ++h)
            hours << (h % 3 == 0 ? QString::number((h + 6) % 24) : QString());
        for (int d = 1; d <= 31; ++d)
            days << (d == 1 ? QStringLiteral("12/1") : QString::number(d));
        for (int m = 0; m < 120; ++m)
            months << QStringLiteral("%1/%2").arg(2015 + m / 12).arg(m % 12 + 1);
        for (int width : {160, 300, 480, 760}) {
            QTest::addRow("%d px, hours", width) << width << hours;
            QTest::addRow("%d px, days", width) << width << days;
            QTest::addRow("%d px, months", width) << width << months;
        }
    }

    void labelsKeepApart()
    {
        QFETCH(int, width);
        QFETCH(QStringList, labels);
        BarChart chart;
        chart.resize(width, 200);
        QList<BarChart::Bar> bars;
        for (const QString &label : labels)
            bars.append({label, "", {1, 0, 0, 0, 0}});
        chart.setBars(bars, {"a", {}, {}, {}, {}});
        QList<QRect> shown;
        for (const QRect &r : chart.labelRects())
            if (!r.isEmpty())
                shown << r;
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown.first().left() >= chart.plotArea().left());
        QVERIFY(shown.last().right() <= chart.rect().right());
        for (qsizetype i = 1; i < shown.size(); ++i)
            QVERIFY(shown[i - 1].right() < shown[i].left());
    }

    // The legend wraps rather than cut a title: every entry whole, inside
    // the chart, apart from the others, and above the plot.
    void legendKeepsEveryTitleWhole_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<qint64>("target");
        QTest::addRow("wide, with a target") << 900 << qint64(40);
        QTest::addRow("1024x600 at 1.5, half the window") << 300 << qint64(40);
        QTest::addRow("narrowest") << 160 << qint64(0);
    }

    void legendKeepsEveryTitleWhole()
    {
        QFETCH(int, width);
        QFETCH(qint64, target);
        BarChart chart;
        chart.resize(width, 240);
        const std::array<QString, CounterCount> names{"電話対応中", "メール対応", "返品受付処",
                                                      "訪問の予定", "来客応対中"};
        chart.setBars({{"1", "", {5, 4, 3, 2, 1}}}, names);
        chart.setTargetLine(target);
        const QList<QRect> legend = chart.legendRects();
        QCOMPARE(legend.size(), CounterCount + 1);
        QCOMPARE(legend.last().isNull(), target == 0);
        const QFontMetrics fm = chart.fontMetrics();
        for (int i = 0; i < legend.size(); ++i) {
            const QRect r = legend[i];
            if (r.isNull())
                continue;
            if (i < CounterCount)
                QVERIFY2(r.width() > 14 + fm.horizontalAdvance(names[size_t(i)]), qPrintable(names[size_t(i)]));
            QVERIFY(r.left() >= 0 && r.right() < width);
            QVERIFY(r.bottom() < chart.plotArea().top());
            for (int j = 0; j < i; ++j)
                QVERIFY(!r.intersects(legend[j]));
        }
    }

    // Bars of 10, 20, 0 and 40 on an axis to 40 (the target line of 25 fits
    // below): painted a quarter, a half, nothing and the whole plot high.
    void barsArePaintedToScale()
    {
        BarChart chart;
        chart.resize(420, 240);
        chart.setBars({{"1", "", {10, 0, 0, 0, 0}},
                       {"2", "", {15, 5, 0, 0, 0}},
                       {"3", "", {}},
                       {"4", "", {10, 30, 0, 0, 0}}},
                      {"a", "b", {}, {}, {}});
        chart.setTargetLine(25);
        QCOMPARE(chart.axisTop(), qint64(40));
        const QImage image = chart.grab().toImage();
        const int full = chart.barRect(3).height();
        QVERIFY(full > 100);
        const int expected[] = {full / 4, full / 2, 0, full};
        for (int i = 0; i < 4; ++i) {
            const QRect r = chart.barRect(i);
            QVERIFY(qAbs(paintedHeight(image, r.center().x(), r.bottom()) - expected[i]) <= 1);
        }
        // The second counter stacks on the first, in its own colour.
        const QRect last = chart.barRect(3);
        QCOMPARE(image.pixelColor(last.center().x(), last.bottom() - 2), counterColour(0));
        QCOMPARE(image.pixelColor(last.center().x(), last.top() + 2), counterColour(1));
    }

    // A past day's hours from a long log, a chunk at a time: every line of
    // the day and none of the days around it, until told to stop.
    void hoursOfALongLog()
    {
        QByteArray log = countLogHeader();
        QList<LogEntry> third;
        for (int i = 0; i < 8000; ++i) { // four days of some 70 kB each
            const LogEntry e{QDateTime(QDate(2024, 1, 1 + i / 2000), QTime(i % 24, i % 60)),
                             i % 5, QStringLiteral("電話"), 1 + i % 3, i, LogKind::Count};
            log += countLogLine(e);
            if (e.at.date() == QDate(2024, 1, 3))
                third << e;
        }
        m_sandbox->writeFile("Countlog-2024-01.csv", log);
        const DayBounds day = DayBounds::of(QDate(2024, 1, 3), 0);
        const QStringList files = countLogFiles(day.day);
        QCOMPARE(loggedDayHours(files, day, false)->hours(), hourCounts(third, 0));
        QCOMPARE(countLogOfDay(day.day, -1), third);
        QVERIFY(!loggedDayHours(files, day, true));
    }

    // Last month, seen on 2024-01-01: the chart and the table choose the same
    // day, the hours follow it, and the words say what the bars show.
    void windowChartFollowsTheTableAndTheStrip()
    {
        m_sandbox->writeFile(
            "history.csv",
            historyFileText({day({2023, 12, 4}, {10, 0, 0, 0, 0}, {15, 0, 0, 0, 0}),
                             day({2023, 12, 5}, {20, 0, 0, 0, 0}, {15, 0, 0, 0, 0}),
                             day({2023, 12, 20}, {10, 30, 0, 0, 0}, {30, 0, 0, 0, 0})}));
        KeptHours kept{6, {}};
        kept.hours[3] = {10, 25, 0, 0, 0}; // 09:00 of 2023-12-20, kept as it closed
        keepDayHours(QDate(2023, 12, 20), kept);
        m().setTitle(0, QStringLiteral("電話"));
        m().setTitle(1, QStringLiteral("メール"));
        HistoryWindow window(m());
        test::checkItemModels(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(int(HistoryRange::LastMonth));
        auto *chart = window.findChild<BarChart *>("daysChart");
        auto *table = window.findChild<QTableView *>("table");
        QCOMPARE(chart->barCount(), 31);
        QCOMPARE(chart->message(), QString());
        // The hours shown are of a day in the range: its newest with counts.
        QCOMPARE(window.hoursDay(), QDate(2023, 12, 20));
        QVERIFY(window.findChild<BarChart *>("hoursChart")
                    ->accessibleDescription()
                    .endsWith(QStringLiteral("最も多いのは 9 時台の 35 件。")));
        QVERIFY2(chart->accessibleDescription().contains(
                     QStringLiteral("合計 70 件、最も多い日は 2023-12-20 (水) の 40 件")),
                 qPrintable(chart->accessibleDescription()));
        QCOMPARE(window.findChild<QLabel *>("metDays")->text(),
                 QStringLiteral("目標: 電話 達成 1 / 3 日"));

        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->barRect(4).center());
        QCOMPARE(window.hoursDay(), QDate(2023, 12, 5));
        QCOMPARE(window.shownDays()[table->currentIndex().row()].date, QDate(2023, 12, 5));
        // Counted before the log began: the hours say so, once it is read.
        QTRY_VERIFY(window.findChild<BarChart *>("hoursChart")
                    ->accessibleDescription()
                    .contains(QStringLiteral("記録し始める前")));

        table->setCurrentIndex(table->model()->index(0, 0)); // 2023-12-20
        QCOMPARE(chart->current(), 19);
        chart->setFocus();
        QTest::keyClick(chart, Qt::Key_Left); // a day without a line: no row
        QCOMPARE(window.hoursDay(), QDate(2023, 12, 19));
        QVERIFY(!table->selectionModel()->hasSelection());

        // Today's count shows up at once; until then the range has none.
        window.findChild<QComboBox *>("rangeBox")->setCurrentIndex(int(HistoryRange::ThisMonth));
        QCOMPARE(chart->barRect(0).height(), 0);
        QCOMPARE(chart->message(), QStringLiteral("この期間の記録はありません"));
        for (int i = 0; i < 3; ++i)
            m().count(0, 1);
        QTRY_VERIFY(chart->barRect(0).height() > 0);
        QCOMPARE(chart->message(), QString());

        window.findChild<QPushButton *>("copyImageButton")->click();
        QCOMPARE(QApplication::clipboard()->image().size(), window.chartImage().size());
        // Headed with the range and its dates, above the charts.
        const QDate today = m().openDay().day;
        QCOMPARE(window.rangeHeading(),
                 QStringLiteral("今月（%1 〜 %2）")
                     .arg(QDate(today.year(), today.month(), 1).toString(Qt::ISODate),
                          today.toString(Qt::ISODate)));
        QVERIFY(window.chartImage().height() > chart->parentWidget()->height());
    }

};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
