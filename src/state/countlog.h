// The count log: every change of a counter's value with its local date and
// time, so that a day's counts can be told apart from the next day's and
// broken into hours. One file a month beside Countdata.dat,
// Countlog-YYYY-MM.csv (the month of the day a line belongs to), UTF-8 with a
// byte-order mark, CRLF, RFC 4180 quoting:
//
//   日時,項目番号,項目,増減,件数,種類
//   2026-12-07 09:15:02,1,電話,1,14,
//
// 種類 is empty for counted work, else one of the words below. Lines are
// appended, never rewritten; they wait in memory until the record is stored
// (storeRecord appends them first), so a click costs no write of its own.
#pragma once

#include "state/countrecord.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <array>

namespace zentova
{

enum class LogKind {
    Count,       // a click, a key, `zentova --count`: ""
    Settings,    // the settings dialog set the count outright: 設定
    Carried,     // counts carried into a new day by a strip that crossed the turn: 繰越
    NotRestored, // counts set aside by the restore prompt's No: 復元なし
    Correction,  // a difference with the record closed at start-up: 補正
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

QString countLogPath(const QDate &day);
QByteArray countLogHeader();                    // with the byte-order mark and the line end
QByteArray countLogLine(const LogEntry &entry); // with the line end
QList<LogEntry> parseCountLog(const QByteArray &text);

// A change of gCount(index) from `before` to what it holds now, noted with
// the time and the counter's title. No change, no line.
void logCountChange(int index, int before, LogKind kind = LogKind::Count);
// A line made elsewhere (a correction dated within its day).
void logEntry(const LogEntry &entry);
// Appends the lines that wait. Lines that cannot be written wait for the
// next store; the record, not the log, is what the strip trusts.
void appendPendingLog();
// Forgets the lines that wait (a fresh start; tests).
void resetCountLog();

// The lines of `day`, read from the end of its month's file, and those that
// still wait.
QList<LogEntry> countLogOfDay(const QDate &day);

// What the lines add up to, counter by counter: the strip's count at the
// end of the day.
CounterSums loggedCounts(const QList<LogEntry> &day);
// The day's own work, counter by counter, as its history line holds it:
// counts carried in from the day before are not its work, counts set aside
// by the restore prompt's No start it again from zero, and an outright set
// or a correction never takes it below zero.
CounterSums workedCounts(const QList<LogEntry> &day);

// At start-up, with the record just read: where the log of the record's day
// does not add up to the record (the log fell behind or ran ahead at a
// kill), one correction line a counter closes the difference. Errors of the
// log's file are not the strip's: they leave it as it is.
void reconcileCountLog(const CountRecord &record);

} // namespace zentova
