// How `zentova --count N` reaches the copy that runs on the same data
// folder: a local socket in the user's runtime folder, named after the data
// folder, carrying one short line each way. Plain Unix sockets rather than
// QLocalSocket: Qt Network would bring eight more libraries (Kerberos and a
// proxy resolver among them) into every start, 2.4 MiB of memory for one
// line of text.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

struct sockaddr_un;

namespace zentova
{

struct CountRequest {
    int counter = 0;   // 0 to 4
    int delta = 0;     // +1 or -1
    QDateTime at{};    // when the strip accepted it
    int by = 0;        // `--by K`: K instead of the counter's step
    bool undo = false; // `--undo`: the day's last change taken back instead
    bool focus = false; // `--focus`: the strip given the keyboard instead
    bool fromStrip = false; // a click on the strip that waited for a box, not a command
};

// What became of a request, as the running copy answers it.
enum class CountOutcome {
    Done,     // counted, taken back, or the keyboard given
    Nothing,  // `--undo` with nothing to take back
    Untitled, // the counter has no title: it is not on the strip
    Limit,    // the count would pass 32767
};

// The folder the sockets go in, which only the user can enter, so that no
// other account reaches them: the session's runtime folder where it is the
// user's own; else one made for the user in the temporary folder, then in
// the cache. Empty where none can be had; `why` then says why.
QString countSocketFolder(QString *why = nullptr);
// The socket's full path for a data folder in that folder; empty with none.
QString countSocketPath(const QString &dataFolder, QString *why = nullptr);

// The socket address of `path`; false when the path does not fit in one.
bool socketAddress(const QString &path, ::sockaddr_un *address);

// "count 3\n" or "uncount 3\n", counters numbered from 1 as the user sees them.
QByteArray countRequestLine(const CountRequest &request);
// Anything but exactly such a line is no request.
std::optional<CountRequest> parseCountRequestLine(const QByteArray &line);
// A line never needs more; a peer that sends more is dropped.
constexpr int MaxRequestBytes = 24;

// The running copy's answers.
inline constexpr char AcceptedReply[] = "ok\n";
inline constexpr char EndingReply[] = "ending\n";
inline constexpr char NothingReply[] = "none\n"; // `--undo` with nothing to take back
inline constexpr char UntitledReply[] = "untitled\n";
inline constexpr char LimitReply[] = "limit\n";
const char *replyFor(CountOutcome outcome);

// Whether a live copy listens for `dataFolder` (a socket left by a killed
// copy refuses the connection).
bool countSocketAnswers(const QString &dataFolder);

// Hands the request to the running copy and waits for its answer (a second
// at most). 0: taken; 1: nothing to take back; 3: no copy runs, or it is
// ending; 4: the counter has no title; 5: the count would pass 32767.
// `error` says which.
int sendCountRequest(const QString &dataFolder, const CountRequest &request, QString *error);

} // namespace zentova
