// Zentova: a tally counter strip for the desk.
#include "main_window/countserver.h"
#include "main_window/frmmain.h"
#include "platform/commandline.h"
#include "platform/countchannel.h"
#include "platform/endsignals.h"
#include "platform/folders.h"
#include "platform/icon.h"
#include "platform/instancelock.h"
#include "platform/msgbox.h"
#include "platform/windowwatch.h"
#include "state/autosave.h"
#include "state/countdata.h"
#include "state/history.h"

#include <QApplication>
#include <QSessionManager>
#include <QStyleFactory>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace zentova;

namespace
{

// Qt ends the process with exit() when it loses the X server (the server
// died, or xkill ended us). What runs at exit stores the day first.
std::function<void()> g_storeAtExit;

void storeAtExit()
{
    if (g_storeAtExit)
        g_storeAtExit();
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// What needs no window: answers on the terminal, and a count handed to the
// running copy. No display is opened, no widget is made.
int runWithoutWindow(int argc, char *argv[], const CommandLine &command)
{
    if (command.action == CommandLine::Action::Print) {
        std::fputs(qUtf8Printable(command.text), stdout);
        return 0;
    }
    if (command.action == CommandLine::Action::Refuse) {
        std::fputs(qUtf8Printable(command.text), stderr);
        return 2;
    }
    QCoreApplication core(argc, argv);
    QString error;
    const int status =
        sendCountRequest(dataFolder(), CountRequest{command.counter, command.delta}, &error);
    if (status != 0)
        std::fprintf(stderr, "zentova: %s\n", qUtf8Printable(error));
    return status;
}

// In a Wayland session a client can neither keep itself above other windows
// nor choose its place, which is all a strip is about: run through XWayland
// where there is one (DISPLAY is set), natively where there is not or where
// it refuses us. What the user sets wins.
void preferXWaylandInWaylandSession()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace

int main(int argc, char *argv[])
{
    // A write past a file-size limit must fail like a full disk, not kill us.
    std::signal(SIGXFSZ, SIG_IGN);

    QCoreApplication::setApplicationName(QStringLiteral("zentova"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZENTOVA_VERSION));
    const CommandLine command = parseCommandLine(argumentsOf(argc, argv));
    if (command.action != CommandLine::Action::Run)
        return runWithoutWindow(argc, argv, command);

    preferXWaylandInWaylandSession();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The strip has no taskbar button, so Qt would not count it as the last
    // window; the run ends when the strip has unloaded.
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceLock lock;
    if (lock.acquire(countDataLockFolders()) == InstanceLock::Result::HeldByAnotherCopy) {
        MsgBox(alreadyRunningMessage(), msgstyle::OkInformation);
        return 0;
    }
    // A copy killed between its temporary file and the rename left it behind;
    // with the lock held, no live copy is writing one.
    removeWriteLeftovers(countDataPath());
    removeWriteLeftovers(historyPath());

    frmMain form;
    Autosave autosave;
    // Counts from `zentova --count N`; a copy that cannot listen runs on
    // without them.
    CountServer counts(form);
    counts.listen(dataFolder());
    QObject::connect(&form, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);

    // Ending without a person to answer: a failing save is told on standard
    // error and in the exit status, never in a box that would hold the end.
    const auto storeForEnd = [&]() -> bool {
        if (!autosave.isArmed())
            return true;
        QString error;
        const bool stored = autosave.saveQuietly(&error);
        autosave.disarm();
        if (!stored)
            std::fprintf(stderr, "zentova: the counts could not be stored: %s\n",
                         qUtf8Printable(error));
        return stored;
    };

    // The desktop going away (logout, kill, a closed terminal, the session
    // ending), or the strip's window destroyed by another program: store the
    // day at once and end without the farewell box, since nobody is there
    // to answer it. Any box or dialog open is left behind.
    bool ending = false;
    const auto endRun = [&] {
        if (ending)
            return;
        ending = true;
        counts.setEnding();
        const bool stored = storeForEnd();
        form.unloadSilently();
        QCoreApplication::exit(stored ? 0 : 1);
    };
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &app, endRun);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [&](QSessionManager &) { endRun(); });
    WindowDestroyedWatch windowWatch(&form);
    QObject::connect(&windowWatch, &WindowDestroyedWatch::destroyedByOthers, &app, [&] {
        if (!form.isUnloaded())
            endRun();
    });

    form.load();
    if (ending)
        return 0;
    autosave.arm();
    QObject::connect(&form, &frmMain::unloaded, &autosave, &Autosave::disarm);
    g_storeAtExit = [&] { storeForEnd(); };
    std::atexit(storeAtExit);
    form.placeAtStart();
    form.show();
    form.activateWindow();
    counts.setReady();
    // The icon matters to message boxes and the dialog, not to the first
    // frame of a strip without a title bar: give it once the strip is up.
    QTimer::singleShot(0, &app, [] { QApplication::setWindowIcon(appIcon()); });
    const int status = app.exec();
    g_storeAtExit = nullptr;
    return status;
}
