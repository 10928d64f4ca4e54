// Zentova: a tally counter strip for the desk.
#include "main_window/frmmain.h"
#include "platform/icon.h"

#include <QApplication>
#include <QStyleFactory>
#include <csignal>

int main(int argc, char *argv[])
{
    // A write past a file-size limit must fail like a full disk, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zentova"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(zentova::appIcon());
    // The strip has no taskbar button, so Qt would not count it as the last
    // window; the run ends when the strip has unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    zentova::frmMain form;
    QObject::connect(&form, &zentova::frmMain::unloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    form.load();
    form.show();
    return app.exec();
}
