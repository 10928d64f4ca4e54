#include "core/team/teamrow.h"
#include "core/base/csv.h"
#include "core/state/countlog.h"

namespace zentova
{

namespace
{

// The namespace of every row id (a random one, fixed for good).
const QUuid kRowNamespace(QStringLiteral("{6f1c2a9e-3b57-4d0a-9c61-2f8e5d7b4a13}"));

} // namespace

QUuid teamRowId(const QString &folder, const QString &logFile, qint64 offset)
{
    return QUuid::createUuidV5(kRowNamespace,
                               folder + u'/' + logFile + u':' + QString::number(offset));
}

TeamRow teamRowOf(const JournalLine &line, const QString &person, const QString &folder)
{
    const LogEntry &e = line.entry;
    // The journal's id makes the place unique: a copy of the folder, a log
    // moved away or replaced starts another journal.
    return {teamRowId(folder, line.journal + u'/' + line.file, line.offset),
            person,
            folder,
            line.day,
            e.at,
            e.counter + 1,
            e.title,
            e.delta,
            e.count,
            kindWord(e.kind),
            line.worked};
}

QByteArray outboxLine(const TeamRow &row)
{
    return row.id.toByteArray(QUuid::WithoutBraces) + ',' + csvField(row.person) + ',' +
           csvField(row.folder) + ',' + row.day.toString(Qt::ISODate).toLatin1() + ',' +
           row.at.toOffsetFromUtc(row.at.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1() + ',' + QByteArray::number(row.counter) +
           ',' + csvField(row.title) + ',' + QByteArray::number(row.delta) + ',' +
           QByteArray::number(row.count) + ',' + csvField(row.kind) + ',' +
           QByteArray::number(row.worked) + '\n';
}

std::optional<TeamRow> parseOutboxLine(QByteArrayView line)
{
    // A line cut short has no end yet.
    if (!line.endsWith('\n'))
        return std::nullopt;
    line.chop(1);
    const auto fields = csvFields(line, 11);
    if (!fields || fields->size() < 10)
        return std::nullopt;
    const auto text = [&](int i) { return QString::fromUtf8((*fields)[i]); };
    TeamRow row;
    row.id = QUuid::fromString(text(0));
    row.person = text(1);
    row.folder = text(2);
    row.day = QDate::fromString(text(3), Qt::ISODate);
    row.at = QDateTime::fromString(text(4), Qt::ISODateWithMs);
    bool ok[4] = {true, true, true, true};
    row.counter = (*fields)[5].toInt(&ok[0]);
    row.title = text(6);
    row.delta = (*fields)[7].toInt(&ok[1]);
    row.count = (*fields)[8].toInt(&ok[2]);
    row.kind = text(9);
    row.worked = fields->size() > 10 ? (*fields)[10].toInt(&ok[3]) : row.delta;
    if (row.id.isNull() || !row.day.isValid() || !row.at.isValid() || !ok[0] || !ok[1] ||
        !ok[2] || !ok[3] || row.counter < 1 || row.counter > CounterCount)
        return std::nullopt;
    return row;
}

} // namespace zentova
