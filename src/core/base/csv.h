// Comma-separated text as spreadsheets write and read it (RFC 4180): a field
// with a comma, a quote or a line break is quoted, its quotes doubled.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace zentova
{

QByteArray csvField(const QString &text);

// The fields of one record, their quoting undone. Empty when the quoting
// is broken, or when the record has more than `most` fields (a line that
// could be nothing expected is not taken apart).
std::optional<QList<QByteArray>> csvFields(QByteArrayView record, qsizetype most = -1);

// The records of a text, each ended by a line end (CR LF or LF); a line break
// inside quotes belongs to its field. What follows the last line end (a line
// cut short) is no record.
QList<QList<QByteArray>> csvRecords(const QByteArray &text);

} // namespace zentova
