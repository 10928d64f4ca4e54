// Zentova: a tally counter strip for the desk.
#include "app/commandline.h"
#include "app/session.h"
#include "platform/files/folders.h"
#include "platform/msgbox.h"
#include "remote/countchannel.h"
#include "widgets/messageboxes.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>
#include <csignal>
#include <cstdio>

using namespace zentova;

namespace
{

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

// A copy in a folder that other accounts can write does not start: Qt
// would load what they rename in there while the application object is
// built.
bool refusesItsFolder()
{
    const QByteArray bytes = programFolderBytes();
    const QString why = refusalToStartFrom(bytes.isEmpty() ? QString() : QFile::decodeName(bytes));
    if (why.isEmpty())
        return false;
    std::fprintf(stderr, "zentova: %s\n", qUtf8Printable(why));
    return true;
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

    if (refusesItsFolder())
        return 1;
    preferXWaylandInWaylandSession();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The strip has no taskbar button, so Qt would not count it as the last
    // window; the run ends when the session says so.
    QApplication::setQuitOnLastWindowClosed(false);
    RealMessageBoxes boxes;
    setMessageBoxBackend(&boxes);

    Session session;
    QObject::connect(&session, &Session::finished, &app,
                     [](int status) { QCoreApplication::exit(status); });
    switch (session.start()) {
    case Session::Start::AlreadyRunning:
        return 0;
    case Session::Start::Ended:
        return session.exitStatus();
    case Session::Start::Running:
        break;
    }
    return app.exec();
}
