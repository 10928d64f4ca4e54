// A change as the team sees it: one row of the server's zentova_change table,
// made from one line of a data folder's count log. The row's id comes from
// where the line stands in the log, so the same line always makes the same
// row, however often it is handed on.
#pragma once

#include "core/model/countermodel.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QUuid>
#include <optional>

namespace zentova
{

struct TeamRow {
    QUuid id;
    QString person;
    QString folder; // the data folder's id: one person's two strips stay apart
    QDate day;      // the day the change belongs to
    QDateTime at;
    int counter = 1; // 1 to 5
    QString title;
    int delta = 0;
    int count = 0; // the counter's value after it
    QString kind;  // the log's word for it, empty for a count
    // What it changed the person's day line by (the history's rule): a
    // carry, the prompt's No or a raise to zero none, an undo what its
    // change gave. Rows from before it was kept: their delta.
    int worked = 0;
    bool operator==(const TeamRow &) const = default;
};

// A row the server would not take for what it holds, and its reason.
struct RefusedRow {
    TeamRow row;
    QString reason;
};

QUuid teamRowId(const QString &folder, const QString &logFile, qint64 offset);
TeamRow teamRowOf(const JournalLine &line, const QString &person, const QString &folder);

// The outbox's form of a row: one line of comma-separated fields, UTF-8;
// `worked` last (a line of before without it is read with worked = delta).
// Nothing for a line without its line end.
QByteArray outboxLine(const TeamRow &row);
std::optional<TeamRow> parseOutboxLine(QByteArrayView line);

} // namespace zentova
