// Zentova: a tally counter strip for the desk.
#include "main_window/frmmain.h"
#include "platform/endsignals.h"
#include "platform/folders.h"
#include "platform/icon.h"
#include "platform/instancelock.h"
#include "platform/msgbox.h"
#include "state/autosave.h"

#include <QApplication>
#include <QSessionManager>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>

using namespace zentova;

int main(int argc, char *argv[])
{
    // A write past a file-size limit must fail like a full disk, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zentova"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The strip has no taskbar button, so Qt would not count it as the last
    // window; the run ends when the strip has unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceLock lock;
    if (lock.acquire(dataFolder()) == InstanceLock::Result::HeldByAnotherCopy) {
        MsgBox(alreadyRunningMessage(), msgstyle::OkInformation);
        return 0;
    }

    frmMain form;
    Autosave autosave;
    QObject::connect(&form, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);

    // The desktop going away (logout, kill, a closed terminal, the session
    // ending): store the day at once and end without the farewell box, since
    // nobody is there to answer it. Any box or dialog open is left behind.
    bool ending = false;
    const auto endRun = [&] {
        if (ending)
            return;
        ending = true;
        if (autosave.isArmed())
            autosave.saveNow();
        autosave.disarm();
        form.unloadSilently();
        QCoreApplication::exit(0);
    };
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &app, endRun);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&](QSessionManager &) { endRun(); });

    form.load();
    if (ending)
        return 0;
    autosave.arm();
    QObject::connect(&form, &frmMain::unloaded, &autosave, &Autosave::disarm);
    form.show();
    // The icon matters to message boxes and the dialog, not to the first
    // frame of a strip without a title bar: give it once the strip is up.
    QTimer::singleShot(0, &app, [] { QApplication::setWindowIcon(appIcon()); });
    return app.exec();
}
