// Click cost in-process: 10 000 left clicks on counter 0's button of the real
// strip, and as many on the baseline window's button, alternating in rounds.
// Usage: clickbench [CLICKS] [ROUNDS]; prints the median time of each.
#include "baseline.h"
#include "core/files/folders.h"
#include "core/state/counterstate.h"
#include "gui/strip/frmmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace zentova;

namespace
{

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

template <typename Click> double timeClicks(int clicks, Click click)
{
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < clicks; ++k)
        click();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const int clicks = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

    QTemporaryDir folder;
    setAppFolder(folder.path());
    CounterModel model;
    frmMain strip(model);
    model.setTitle(0, QStringLiteral("受付"));
    ShowCounterFrames(model.titles(), strip);
    strip.show();
    BaselineWindow baseline;
    baseline.show();
    int baselineCount = 0;
    QObject::connect(baseline.firstButton, &QPushButton::clicked,
                     [&] { baseline.firstLabel->setText(QString::number(++baselineCount)); });
    if (!QTest::qWaitForWindowExposed(&strip) || !QTest::qWaitForWindowExposed(&baseline)) {
        std::fprintf(stderr, "clickbench: windows not shown\n");
        return 1;
    }

    auto *button = strip.findChild<QWidget *>(QStringLiteral("cmdC0"));
    std::vector<double> program, floor;
    for (int r = 0; r < rounds; ++r) {
        model.setCount(0, 0);
        program.push_back(timeClicks(clicks, [&] { QTest::mouseClick(button, Qt::LeftButton); }));
        floor.push_back(
            timeClicks(clicks, [&] { QTest::mouseClick(baseline.firstButton, Qt::LeftButton); }));
    }
    if (model.gCount(0) != clicks || baselineCount != clicks * rounds) {
        std::fprintf(stderr, "clickbench: clicks were lost (%d, %d)\n", int(model.gCount(0)),
                     baselineCount);
        return 1;
    }
    std::printf("clicks %d program_ms %.1f baseline_ms %.1f\n", clicks, median(program),
                median(floor));
    return 0;
}
