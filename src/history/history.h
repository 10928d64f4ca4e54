// history.csv: one line for every finished day, beside Countdata.dat, in a
// form any spreadsheet opens (UTF-8 with a byte-order mark, CRLF, fields
// quoted as RFC 4180 says).
//
// A day is finished when the strip starts on a later day: the stored record
// of the earlier day then becomes its line before anything can replace it.
// Where the history cannot be written, the record is kept whole as
// Countdata-YYYY-MM-DD.dat instead; where neither can, Countdata.dat is not
// overwritten until one of them can.
#pragma once

#include "state/countrecord.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace zentova
{

struct HistoryDay {
    QDate date;
    std::array<QString, CounterCount> titles{};
    std::array<int, CounterCount> counts{};
    // The targets in force when the day was kept (0: none). Lines written
    // before there were targets have none.
    std::array<int, CounterCount> targets{};

    qint64 total() const;
    bool operator==(const HistoryDay &) const = default;
};

// The header line, without its line end. A history begun before there were
// targets has the shorter header of before, which the next write replaces.
QByteArray historyHeader();
// What the titles of an exported copy become: the history file keeps them as
// they are; a copy for a spreadsheet (the saved CSV, the clipboard) defuses a
// title a spreadsheet would take for a formula (=, +, -, @, a tab or a
// carriage return first) with a leading apostrophe.
enum class Titles { AsTheyAre, Defused };
QString defusedTitle(const QString &title);

// One day's line, without its line end.
QByteArray historyLine(const HistoryDay &day, Titles titles = Titles::AsTheyAre);
// The whole text of a history file holding `days` in the given order.
QByteArray historyFileText(const QList<HistoryDay> &days, Titles titles = Titles::AsTheyAre);

// A history file's records as they stand: each one's bytes, and the day it
// holds where it is a day's line. The header and anything that is no day's
// line (a line edited by hand, a damaged one) have no day and are kept as
// they are.
struct HistoryEntry {
    QByteArray bytes;
    std::optional<HistoryDay> day;
};
QList<HistoryEntry> parseHistory(const QByteArray &text);
// The days of a history file, oldest first as stored; other lines skipped.
QList<HistoryDay> historyDays(const QByteArray &text);

QString historyPath();
// The history file's text; empty when there is none. Errors are runtime errors.
QByteArray readHistoryText();
QString datedRecordPath(const QDate &date); // Countdata-YYYY-MM-DD.dat
HistoryDay dayOfRecord(const CountRecord &record);

// A finished day's line: the day's own work from the count log where the log
// has lines of that day, else the record's counts (days before the log), with
// the targets of Options.ini as they stand.
HistoryDay finishedDayOf(const CountRecord &record);

// Keeps the record's day: its line in the history (replacing the line of the
// same date without ever lowering a count), or where the history cannot be
// written, the record whole as its dated copy; returns the history's error
// then. Throws where neither could be written.
std::optional<QString> keepDay(const CountRecord &record);

// Called at start-up with the record just read. A record of an earlier day
// than today becomes its line (see keepDay); a record the strip would replace
// without offering it back (of a later day, or with a time of day in its
// date) is kept whole as its dated copy. Then the dated copies of earlier
// days go into the history and are removed. Returns the message to show
// where the day went to its dated copy; throws where neither could be
// written, after which every store first tries again (keepFinishedDay).
std::optional<QString> archiveFinishedDay(const CountRecord &record);

// Before Countdata.dat is overwritten: a finished day that could not be
// kept yet is tried again. Throws while it still cannot be kept, so the
// record that holds it is not replaced.
void keepFinishedDay();
// Forgets a day waiting to be kept (a fresh start; tests).
void resetFinishedDay();

} // namespace zentova
