// history.csv: one line for every finished day, beside Countdata.dat, in a
// form any spreadsheet opens (UTF-8 with a byte-order mark, CRLF, fields
// quoted as RFC 4180 says).
//
// A finished day's line is written as the day closes. Where the history
// cannot be written, the day's record is kept whole as
// Countdata-YYYY-MM-DD.dat instead; where neither can, Countdata.dat is not
// overwritten until one of them can.
#pragma once

#include "core/state/countrecord.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <memory>
#include <optional>

namespace zentova
{

// A day's five titles. Years of days share the same few titles: a copy
// shares them with the day it came from until one of them is changed.
class DayTitles
{
public:
    DayTitles() = default;
    DayTitles(const std::array<QString, CounterCount> &titles);
    const QString &operator[](size_t i) const;
    QString &operator[](size_t i); // a title to change: this day's own from here
    const std::array<QString, CounterCount> &all() const;
    bool operator==(const DayTitles &other) const;

private:
    std::shared_ptr<std::array<QString, CounterCount>>
        m_titles; // shared, never changed while shared
};

struct HistoryDay {
    QDate date;
    DayTitles titles;
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
// A copy for a spreadsheet (the saved CSV, the clipboard) defuses a text a
// spreadsheet would take for a formula (=, +, -, @, a tab or a carriage
// return first) with a leading apostrophe; the history file keeps its titles
// as they are.
QString defusedTitle(const QString &title);

// One day's line, without its line end.
QByteArray historyLine(const HistoryDay &day);
// The whole text of a history file holding `days` in the given order.
QByteArray historyFileText(const QList<HistoryDay> &days);
// A cell of a copy for a spreadsheet: a number as it is, any other text
// defused.
QString spreadsheetCell(const QString &cell);
// A table of cells as a spreadsheet's CSV: UTF-8 with a byte-order mark,
// CR LF, its cells as spreadsheetCell makes them.
QByteArray spreadsheetText(const QList<QStringList> &rows);

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

// A finished day's line worked out from the count log where the log has
// lines of that day, else the record's counts (days before the log), with
// the targets of Options.ini as they stand: for a day kept aside as its
// dated copy, of which nothing else is known.
HistoryDay finishedDayOf(const CountRecord &record);

// Keeps a finished day: its line in the history (replacing the line of the
// same date without ever lowering a count), or where the history cannot be
// written, `record` whole as its dated copy; returns the history's error
// then. Throws where neither could be written.
std::optional<QString> keepDay(const HistoryDay &day, const CountRecord &record);

// A finished day's line corrected by hand: replaced by `day` as it is,
// lower counts too. Errors are runtime errors; the history is then as it was.
void replaceDayLine(const HistoryDay &day);

// A record whose date carries a time of day: the strip would replace it
// without offering it back, so it is kept whole as its dated copy.
bool isStrayRecord(const CountRecord &record);
void keepStrayRecord(const CountRecord &record);

// Days kept as dated copies while the history could not be written go into
// it, each once, and their copies then go. A copy of `today` or a later day
// waits for its day to end. Anything that cannot be read or written leaves
// everything as it was, for the next start.
void returnDatedCopies(const QDate &today);

} // namespace zentova
