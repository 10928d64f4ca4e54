// The history window, chart included, opened on ten years of days (3650
// lines) and a year of count log (200 counts a day): the time from creating
// the window to its first frame on the screen, median of ROUNDS, and what
// the open window adds to the process's memory.
// Usage: historybench [ROUNDS] [YEARS] [--bare]  (--bare: the toolkit's
//        floor, a bare window of the same size with a table, measured the same way)
//        historybench --prepare-log DIR   (a data folder for bench/run.sh:
//        yesterday's record, a year of log up to it)
//        historybench --prepare-big-log DIR MIB   (yesterday's record, and
//        a log of MIB mebibytes all of that day, with its Countday.ini)
//        historybench --prepare-history DIR   (ten years of days, and the
//        year of log of --prepare-log)
#include "core/files/atomicfile.h"
#include "core/files/folders.h"
#include "core/history/history.h"
#include "core/model/ledger.h"
#include "core/state/countdata.h"
#include "core/state/countlog.h"
#include "gui/history/historywindow.h"
#include "gui/strip/frmmain.h"
#include "gui/widgets/controls.h"
#include "baseline.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zentova;

namespace
{

const std::array<QString, CounterCount> kTitles{"受付", "電話", "メール", "来客", "その他"};

long rssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// A year of log, 200 counts a day up to yesterday, one file a month, and the
// record of yesterday that the log adds up to.
bool prepareLog()
{
    const QDate today = QDate::currentDate();
    QByteArray log = countLogHeader();
    std::array<int, CounterCount> counts{};
    for (QDate day = today.addYears(-1); day < today; day = day.addDays(1)) {
        if (day.day() == 1 && log.size() > countLogHeader().size()) {
            QFile month(countLogPath(day.addDays(-1)));
            if (!month.open(QIODevice::WriteOnly) || month.write(log) != log.size())
                return false;
            log = countLogHeader();
        }
        counts.fill(0);
        for (int n = 0; n < 200; ++n) {
            const int c = n % CounterCount;
            ++counts[size_t(c)];
            log += countLogLine({QDateTime(day, QTime(9, 0).addSecs(n * 120)), c,
                                 kTitles[size_t(c)], 1, counts[size_t(c)], LogKind::Count});
        }
    }
    CountRecord yesterday;
    std::copy(counts.begin(), counts.end(), yesterday.Count.begin());
    yesterday.Title = kTitles;
    yesterday.AlarmHourText = yesterday.AlarmMinuteText = QStringLiteral("0");
    yesterday.SavedDate = dayNumber(today.addDays(-1));
    QFile file(countLogPath(today.addDays(-1)));
    if (!file.open(QIODevice::WriteOnly) || file.write(log) != log.size())
        return false;
    writeRecordFile(countDataPath(), yesterday);
    return true;
}

// One day of `mib` mebibytes of log: counts up and down again, so that the
// counter stays small, and the Countday.ini the strip kept with it.
bool prepareBigLog(qint64 mib)
{
    const QDate day = QDate::currentDate().addDays(-1);
    const DayBounds bounds = DayBounds::of(day, 0);
    QFile log(countLogPath(day));
    if (!log.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk = countLogHeader();
    int count = 0;
    for (qint64 n = 0; log.size() + chunk.size() < mib * 1024 * 1024; ++n) {
        const int delta = count == 0 ? 1 : -1;
        count += delta;
        chunk += countLogLine(
            {bounds.start.addSecs(n % 86000), 0, kTitles[0], delta, count, LogKind::Count});
        if (chunk.size() > (1 << 20)) {
            log.write(chunk);
            chunk.clear();
        }
    }
    log.write(chunk);
    log.close();
    CountRecord record;
    std::copy(kTitles.begin(), kTitles.end(), record.Title.begin());
    record.Count[0] = int16_t(count);
    record.SavedDate = dayNumber(day);
    writeRecordFile(countDataPath(), record);
    Ledger ledger;
    ledger.bounds = bounds;
    ledger.worked[0] = count;
    ledger.logFile = QFileInfo(log.fileName()).fileName();
    ledger.logSize = QFileInfo(log.fileName()).size();
    ledger.logged[0] = count;
    ledger.counts[0] = count;
    writeFileAtomically(ledgerPath(), ledgerText(ledger));
    return true;
}

bool writeHistory(int dayCount)
{
    QList<HistoryDay> days;
    for (int k = dayCount; k >= 1; --k) {
        HistoryDay day;
        day.date = QDate::currentDate().addDays(-k);
        day.titles = kTitles;
        day.counts = {k % 97, k % 31, k % 13, 7, 1};
        days << day;
    }
    QFile file(historyPath());
    return file.open(QIODevice::WriteOnly) && file.write(historyFileText(days)) >= 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--prepare-history") {
        QCoreApplication core(argc, argv);
        setAppFolder(QString::fromLocal8Bit(argv[2]));
        return writeHistory(3650) && prepareLog() ? 0 : 1;
    }
    if (argc == 4 && QByteArray(argv[1]) == "--prepare-big-log") {
        QCoreApplication core(argc, argv);
        setAppFolder(QString::fromLocal8Bit(argv[2]));
        return prepareBigLog(QByteArray(argv[3]).toLongLong()) ? 0 : 1;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--prepare-log") {
        QCoreApplication core(argc, argv);
        setAppFolder(QString::fromLocal8Bit(argv[2]));
        return prepareLog() ? 0 : 1;
    }
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int years = argc > 2 ? std::atoi(argv[2]) : 10;
    // The toolkit's floor: a bare window of the same size and font with a
    // table, its header and the same lists and buttons, and no days.
    const bool bare = argc > 3 && QByteArray(argv[3]) == "--bare";
    const int dayCount = years * 365;
    QTemporaryDir folder;
    setAppFolder(folder.path());
    if (!writeHistory(dayCount) || !prepareLog())
        return 1;

    // The strip first, as in a real run: what the window adds is measured
    // on top of what the strip has already loaded.
    CounterModel model;
    frmMain strip(model);
    strip.show();
    if (!QTest::qWaitForWindowExposed(&strip))
        return 1;
    std::vector<double> ms;
    long addedKiB = 0;
    for (int r = 0; r < rounds; ++r) {
        const long before = rssKiB();
        QElapsedTimer t;
        t.start();
        QWidget *window = nullptr;
        if (bare) {
            window = bareHistoryWindow(uiFont());
            window->show();
            if (!QTest::qWaitForWindowExposed(window))
                return 1;
        } else {
            auto *history = new HistoryWindow(model);
            history->findChild<QComboBox *>("rangeBox")
                ->setCurrentIndex(int(HistoryRange::Everything));
            history->show();
            if (!QTest::qWaitForWindowExposed(history) ||
                history->shownDays().size() != size_t(dayCount + 1))
                return 1;
            window = history;
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (r == 0)
            addedKiB = rssKiB() - before; // the first opening loads what the rest share
        delete window;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("history_open_ms %.1f days %d rss_added_kib %ld\n", ms[ms.size() / 2], dayCount,
                addedKiB);
    return 0;
}
