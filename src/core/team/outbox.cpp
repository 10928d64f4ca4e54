#include "core/team/outbox.h"
#include "core/files/atomicfile.h"
#include "core/base/csv.h"
#include "core/state/countlog.h"

#include <QFile>
#include <QFileInfo>

namespace zentova
{

Outbox::Outbox(const QString &folder)
    : m_path(folder + QStringLiteral("/Teamoutbox.csv")),
      m_markPath(folder + QStringLiteral("/Teamoutbox.sent")),
      m_rejectedPath(folder + QStringLiteral("/Teamoutbox.rejected.csv"))
{
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

void Outbox::markSent(qint64 end)
{
    const QMutexLocker locked(&m_lock);
    const qint64 size = QFileInfo(m_path).size();
    if (end == sentMark() && (size == 0 || end < size))
        return; // nothing new taken: nothing to write
    if (end >= size) {
        // All taken: the mark goes back first, then the file; a kill between
        // the two sends the rows once more, which the server ignores.
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
