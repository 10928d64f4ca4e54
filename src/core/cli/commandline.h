// The command line: the window by default, answers on the terminal for
// --help and --version, and a count handed to the running strip.
#pragma once

#include <QString>
#include <QStringList>

namespace zentova
{

struct CommandLine {
    enum class Action {
        Run,    // show the strip
        Print,  // write `text` to standard output and end with status 0
        Refuse, // write `text` to standard error and end with status 2
        Count,  // hand a count to the running copy
        Undo,   // have the running copy take back its last change
        Focus,  // give the running copy's strip the keyboard
    };
    Action action = Action::Run;
    QString text;
    int counter = 0; // 0 to 4, for Count
    int delta = 0;   // +1 or -1, for Count
    int by = 0;      // `--by K` (1 to 1000) with --count; 0: the counter's step
};

// Reads the program's arguments (the first being the program). The toolkit's
// own options (-platform, -display, -style...) pass through to it.
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace zentova
