// The strip's run, in the program's own module: everything with a window.
#include "app/session.h"
#include "core/base/msgbox.h"
#include "gui/widgets/messageboxes.h"

#include <QApplication>
#include <QStyleFactory>

using namespace zentova;

namespace
{

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

extern "C" __attribute__((visibility("default"))) int zentova_run_strip(int argc, char **argv)
{
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
