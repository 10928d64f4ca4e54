// The count log: every change of a counter's value with its local date and
// time, so that a day's counts can be told apart from the next day's and
// broken into hours. One file a month beside Countdata.dat,
// Countlog-YYYY-MM.csv (the month of the day a line belongs to), UTF-8 with a
// byte-order mark, CRLF, RFC 4180 quoting:
//
//   日時,項目番号,項目,増減,件数,種類
//   2026-12-07 09:15:02,1,電話,1,14,
//
// 種類 is empty for counted work, else one of the words below. The counter
// model is the journal's only writer: it appends the lines of each store
// before the record, and never rewrites one.
//
// A month's file that is not the program's own any more (saved again by a
// spreadsheet in another encoding) is never appended to: the month goes on
// in Countlog-YYYY-MM-2.csv, and so on.
#pragma once

#include "core/state/countrecord.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace zentova
{

enum class LogKind {
    Count,       // a click, a key, `zentova --count`: ""
    Settings,    // the settings dialog set the count outright: 設定
    Carried,     // counts carried into a new day by a strip that crossed the turn: 繰越
    NotRestored, // counts set aside by the restore prompt's No: 復元なし
    Correction,  // a difference with the record closed at start-up: 補正
    Undo,        // a slip taken back, the opposite of the change: 取消
    Raised,      // a right press that brought a count below zero back to zero: ゼロ戻し
    Reset,       // the menu's 0 に戻す, the work before it kept: リセット
    Amended,     // a finished day's line corrected from the history: 修正
};

struct LogEntry {
    QDateTime at;
    int counter = 0; // 0 to 4
    QString title;
    int delta = 0;
    int count = 0; // after the change
    LogKind kind = LogKind::Count;
    bool operator==(const LogEntry &) const = default;
};

using CounterSums = std::array<int, CounterCount>;

// The month's first file, Countlog-YYYY-MM.csv.
QString countLogPath(const QDate &day);
// The month's files that exist, in order: the first, then -2, -3...
QStringList countLogFiles(const QDate &day);
// Where lines of `day` are appended: the month's newest file, or a new one
// after it where that one is not the program's own.
QString countLogFileFor(const QDate &day);
// True for a missing or empty file, or one that begins as the program
// writes them.
bool isOwnCountLog(const QString &path);

QByteArray countLogHeader();                    // with the byte-order mark and the line end
QByteArray countLogLine(const LogEntry &entry); // with the line end
// The lines of a log's text that are the program's own, each read within its
// own line (a stray quote never swallows the next ones). `skipped` counts
// the others: the header, lines of another form, a last line left
// unfinished.
QList<LogEntry> parseCountLog(const QByteArray &text, int *skipped = nullptr,
                              QList<qint64> *offsets = nullptr);

// Appends whole lines to a log file, exactly: a file of another kind (a
// FIFO, a folder) is refused, a line left unfinished by a write cut short
// before is cut off first, and a write cut short now is cut back to where it
// began, so that a retry never writes a line twice. Returns the file's size
// after the lines. Errors are runtime errors.
qint64 appendLogLines(const QString &path, const QByteArray &lines);
// The same for any file of whole lines; `header` starts a new one.
qint64 appendWholeLines(const QString &path, const QByteArray &lines, const QByteArray &header = {});

// The kind's word in the log's last field: empty for a count, 設定, 繰越...
QString kindWord(LogKind kind);

// The lines of `day` in its month's files, read from the end of each file
// until a line two days earlier. With `most` bytes or more to read in a file
// before that, nothing (the day is too long to read back).
std::optional<QList<LogEntry>> countLogOfDay(const QDate &day, qint64 most);
QList<LogEntry> countLogOfDay(const QDate &day);
// The lines timed from `from` up to `to` (not included), in the files of
// their months; nothing with `most` bytes or more to read in a file.
std::optional<QList<LogEntry>> countLogBetween(const QDateTime &from, const QDateTime &to,
                                               qint64 most);
// Each line of a month's file from a line earlier than `before` on, in the
// file's order, read a chunk at a time; false where `each` stopped it.
bool eachLogLineFrom(const QString &path, const QDateTime &before,
                     const std::function<bool(const LogEntry &)> &each);
// The lines appended to `path` after its first `from` bytes, and where they
// end (lines that are no whole line of the program's are passed over).
QList<LogEntry> countLogAfter(const QString &path, qint64 from, QList<qint64> *offsets = nullptr);

// What the lines add up to, counter by counter: the strip's count at the
// end of the day.
CounterSums loggedCounts(const QList<LogEntry> &day);
// The day's own work, counter by counter, as its history line holds it:
// counts carried in from the day before are not its work, counts set aside
// by the restore prompt's No start it again from zero, and an outright set
// or a correction never takes it below zero.
CounterSums workedCounts(const QList<LogEntry> &day);
// What a change of `kind` by `delta` leaves of a day's work `worked`: never
// below zero at any step, carried counts none of it, the prompt's No none,
// a right press that only brings a count back to zero none.
int workedAfter(LogKind kind, int worked, int delta);

// Taking back a slip, the same live and when a day is read back from its log:
// what a person did can be taken back (a carry or a correction is the day's
// own), and a 取消 gives back exactly the work its change made, `made`.
bool isUndoable(LogKind kind);
int workedUndone(int worked, int made);
// For each line of a day's log, the line a 取消 takes back: its counter's
// latest change a person made that is not taken back yet, as the strip took
// them back, newest first. -1 for any other line, or where none is found.
QList<qsizetype> undoneLines(const QList<LogEntry> &day);

} // namespace zentova
