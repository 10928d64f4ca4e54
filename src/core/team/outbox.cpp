#include "core/team/outbox.h"
#include "core/files/atomicfile.h"
#include "core/base/csv.h"
#include "core/state/countlog.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace zentova
{

Outbox::Outbox(const QString &folder)
    : m_path(folder + QStringLiteral("/Teamoutbox.csv")),
      m_markPath(folder + QStringLiteral("/Teamoutbox.sent")),
      m_rejectedPath(folder + QStringLiteral("/Teamoutbox.rejected.csv")),
      m_recentPath(folder + QStringLiteral("/Teamoutbox.recent.csv"))
{
}

namespace
{

// The recent file's first line: whose rows it holds.
QByteArray recentHeader(const QString &server)
{
    return "server," + QCryptographicHash::hash(server.toUtf8(), QCryptographicHash::Sha1).toHex() +
           '\n';
}

} // namespace

QList<std::pair<QByteArray, TeamRow>> Outbox::recentLines(const QDateTime &now,
                                                         const QByteArray &header,
                                                         QDate newest) const
{
    QFile file(m_recentPath);
    if (!file.open(QIODevice::ReadOnly) || file.readLine() != header)
        return {};
    QList<std::pair<QByteArray, TeamRow>> lines;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const qsizetype comma = line.indexOf(',');
        const auto row = line.endsWith('\n') && comma > 0 ? parseOutboxLine(line.mid(comma + 1))
                                                         : std::nullopt;
        if (!row)
            continue;
        newest = std::max(newest, row->day);
        lines.append({line, *row});
    }
    const qint64 since = now.toMSecsSinceEpoch() - RecentMs;
    lines.removeIf([&](const auto &l) {
        return l.second.day != newest && l.first.left(l.first.indexOf(',')).toLongLong() < since;
    });
    return lines;
}

// Rows the server has just taken, kept a while. The file is made again
// without what it no longer needs only when its first line is of that
// kind, so that most takes only append.
void Outbox::keepRecent(const QByteArray &lines, const QByteArray &header)
{
    const QDateTime now = QDateTime::currentDateTime();
    QByteArray stamped;
    QDate newest;
    for (const QByteArray &line : lines.split('\n')) {
        if (const auto row = parseOutboxLine(line + '\n')) {
            stamped += QByteArray::number(now.toMSecsSinceEpoch()) + ',' + line + '\n';
            newest = std::max(newest, row->day);
        }
    }
    QFile file(m_recentPath);
    QByteArray ours, first;
    if (file.open(QIODevice::ReadOnly)) {
        ours = file.readLine();
        first = file.readLine();
    }
    file.close();
    const qsizetype comma = first.indexOf(',');
    const auto oldest = comma > 0 ? parseOutboxLine(first.mid(comma + 1)) : std::nullopt;
    if (ours != header || !oldest ||
        (oldest->day < newest &&
         first.left(comma).toLongLong() < now.toMSecsSinceEpoch() - RecentMs)) {
        QByteArray kept = header;
        for (const auto &line : recentLines(now, header, newest))
            kept += line.first;
        writeFileAtomically(m_recentPath, kept + stamped);
        return;
    }
    appendWholeLines(m_recentPath, stamped);
}

QList<TeamRow> Outbox::recentlySent(const QDateTime &now, const QString &server) const
{
    const QMutexLocker locked(&m_lock);
    QList<TeamRow> rows;
    for (const auto &line : recentLines(now, recentHeader(server)))
        rows.append(line.second);
    // And those taken but not yet moved there: before the mark.
    QFile file(m_path);
    const qint64 mark = sentMark();
    if (file.open(QIODevice::ReadOnly)) {
        while (file.pos() < mark && !file.atEnd()) {
            if (const auto row = parseOutboxLine(file.readLine()))
                rows.append(*row);
        }
    }
    return rows;
}

void Outbox::reject(const QList<RefusedRow> &rows)
{
    QByteArray lines;
    for (const auto &[row, reason] : rows)
        lines += csvField(QString(reason).replace(u'\n', u' ')) + ',' + outboxLine(row);
    const QMutexLocker locked(&m_lock);
    appendWholeLines(m_rejectedPath, lines);
}

void Outbox::append(const QList<TeamRow> &rows)
{
    QByteArray lines;
    for (const TeamRow &row : rows)
        lines += outboxLine(row);
    if (lines.isEmpty())
        return;
    const QMutexLocker locked(&m_lock);
    appendWholeLines(m_path, lines);
}

qint64 Outbox::sentMark() const
{
    QFile mark(m_markPath);
    if (!mark.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 at = mark.readAll().trimmed().toLongLong(&ok);
    // A mark past the end is of a file since emptied.
    return ok && at >= 0 && at <= QFileInfo(m_path).size() ? at : 0;
}

QList<TeamRow> Outbox::waiting(qsizetype most, qint64 *end) const
{
    const QMutexLocker locked(&m_lock);
    const qint64 from = sentMark();
    *end = from;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(from))
        return {};
    QList<TeamRow> rows;
    while (rows.size() < most) {
        const QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break; // the end, or a line still being written
        *end += line.size();
        if (const auto row = parseOutboxLine(line))
            rows.append(*row);
    }
    return rows;
}

void Outbox::markSent(qint64 end, const QString &server)
{
    const QMutexLocker locked(&m_lock);
    const qint64 size = QFileInfo(m_path).size();
    if (end == sentMark() && (size == 0 || end < size))
        return; // nothing new taken: nothing to write
    if (end >= size) {
        // All taken: kept a while to be sent again should the server fail
        // over; then the mark goes back, then the file. A kill between any
        // two sends the rows once more, which the server ignores.
        QFile taken(m_path);
        try {
            if (taken.open(QIODevice::ReadOnly))
                keepRecent(taken.read(end), recentHeader(server));
        } catch (const RuntimeError &) {
            // Only a failover's second chance is lost, never the sending.
        }
        writeFileAtomically(m_markPath, "0\n");
        QFile::resize(m_path, 0);
        return;
    }
    writeFileAtomically(m_markPath, QByteArray::number(end) + '\n');
}

bool Outbox::isEmpty() const
{
    const QMutexLocker locked(&m_lock);
    return QFileInfo(m_path).size() <= sentMark();
}

} // namespace zentova
