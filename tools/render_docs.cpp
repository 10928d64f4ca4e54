// Renders the strip and the settings dialog, with sample titles and counts,
// to PNG files for the README. Run with QT_SCALE_FACTOR=2 for the 200 % set.
// Usage: render_docs OUTPUT_DIR [SUFFIX]
#include "core/files/folders.h"
#include "core/state/counterstate.h"
#include "gui/settings/frmset.h"
#include "gui/strip/frmmain.h"
#include "gui/widgets/icon.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <cstdio>

using namespace zentova;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_docs OUTPUT_DIR [SUFFIX]\n");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QDir().mkpath(out);
    QTemporaryDir folder;
    setAppFolder(folder.path());

    const QStringList titles = {QStringLiteral("受付"), QStringLiteral("電話"),
                                QStringLiteral("メール"), QString(), QStringLiteral("来客対応")};
    const int counts[] = {42, 100, 7, 0, 1300};
    CounterModel model;
    for (int i = 0; i < CounterCount; ++i) {
        model.setTitle(i, titles[i]);
        model.setCount(i, int16_t(counts[i]));
    }
    model.setTimerOn(FlagOn);
    model.setAlarmHour(17);
    model.setAlarmMinute(30);

    frmMain strip(model);
    for (int i = 0; i < CounterCount; ++i)
        strip.findChild<CaptionLabel *>(QStringLiteral("lblC%1").arg(i))
            ->setCaption(QString::number(model.gCount(i)));
    ShowCounterFrames(model.titles(), strip);
    strip.findChild<CaptionLabel *>(QStringLiteral("lblTime"))->setCaption(QStringLiteral("09:41"));
    strip.show();
    app.processEvents();
    bool ok = strip.grab().save(out + QStringLiteral("/strip") + suffix + QStringLiteral(".png"));

    frmSet dialog(model, &strip, &strip);
    dialog.prepareToShow();
    dialog.show();
    app.processEvents();
    ok = dialog.grab().save(out + QStringLiteral("/settings") + suffix + QStringLiteral(".png")) &&
         ok;
    return ok ? 0 : 1;
}
