// Zentova: a tally counter strip for the desk.
//
// The program itself needs Qt Core alone: `zentova --count N`, run by a
// desktop shortcut for every count all day, loads nothing with a window. The
// strip is a module of the program's own (zentova_strip.so, beside the
// program or in its installed lib/<architecture>/zentova), loaded to run.
#include "core/base/language.h"
#include "core/cli/commandline.h"
#include "core/files/folders.h"
#include "core/remote/countchannel.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <dlfcn.h>

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
int runWithoutWindow(const CommandLine &command)
{
    if (command.action == CommandLine::Action::Print) {
        std::fputs(qUtf8Printable(command.text), stdout);
        return 0;
    }
    if (command.action == CommandLine::Action::Refuse) {
        std::fputs(qUtf8Printable(command.text), stderr);
        return 2;
    }
    // No application object: the count needs none, and costs less without.
    QString error;
    CountRequest request{command.counter, command.delta, {}, command.by};
    request.undo = command.action == CommandLine::Action::Undo;
    request.focus = command.action == CommandLine::Action::Focus;
    const int status = sendCountRequest(dataFolder(), request, &error);
    if (status != 0)
        std::fprintf(stderr, "zentova: %s\n", qUtf8Printable(error));
    return status;
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

// Loads the strip's module and runs the strip; its exit status.
int runStrip(int argc, char *argv[])
{
    const QString folder = QFile::decodeName(programFolderBytes());
    QString errors;
    for (const QString &path : moduleCandidates(folder, QStringLiteral("zentova_strip.so"))) {
        // Never unloaded: the strip's objects live until the process ends.
        // Bound as called: binding every function of the window libraries
        // that are not bound at once by themselves took 1.5 ms of a 23 ms
        // start, for functions most runs never call.
        void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_LAZY | RTLD_LOCAL);
        const auto run =
            module ? reinterpret_cast<int (*)(int, char **)>(::dlsym(module, "zentova_run_strip"))
                   : nullptr;
        if (run)
            return run(argc, argv);
        errors += QStringLiteral("\n  ") + QString::fromLocal8Bit(::dlerror());
    }
    std::fprintf(
        stderr, "zentova: %s%s\n",
        qUtf8Printable(translate("Command", "帯を表示する部品 (zentova_strip.so) が見つかりません "
                                            "(the strip's module could not be loaded)")),
        qUtf8Printable(errors));
    return 1;
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
        return runWithoutWindow(command);

    if (refusesItsFolder())
        return 1;
    return runStrip(argc, argv);
}
