// The history window opened on ten years of days (3650 lines): the time from
// creating the window to its first frame on the screen, median of ROUNDS.
// Usage: historybench [ROUNDS]
#include "history/historywindow.h"

#include "history/history.h"
#include "platform/files/folders.h"
#include <QComboBox>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zentova;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir folder;
    setAppFolder(folder.path());
    QList<HistoryDay> days;
    for (int k = 3650; k >= 1; --k) {
        HistoryDay day;
        day.date = QDate::currentDate().addDays(-k);
        day.titles = {"受付", "電話", "メール", "来客", "その他"};
        day.counts = {k % 97, k % 31, k % 13, 7, 1};
        days << day;
    }
    QFile file(historyPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(historyFileText(days)) < 0)
        return 1;
    file.close();

    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        auto *window = new HistoryWindow;
        window->findChild<QComboBox *>("rangeBox")->setCurrentIndex(int(HistoryRange::Everything));
        window->show();
        if (!QTest::qWaitForWindowExposed(window) || window->shownDays().size() != 3651)
            return 1;
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        delete window;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("history_open_ms %.1f days 3650\n", ms[ms.size() / 2]);
    return 0;
}
