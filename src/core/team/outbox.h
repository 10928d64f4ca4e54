// The rows that wait for the team's server, in the data folder: appended and
// synced as the count log is (Teamoutbox.csv), sent in order, and the mark
// of what the server has taken kept beside them (Teamoutbox.sent). A row
// sent again after a kill or a lost answer is the same row: the server
// keeps it once.
#pragma once

#include "core/team/teamrow.h"

#include <QList>
#include <QMutex>
#include <QString>

namespace zentova
{

class Outbox
{
public:
    // The outbox of the data folder `folder`.
    explicit Outbox(const QString &folder);

    // Appends the rows, synced. Runtime errors pass.
    void append(const QList<TeamRow> &rows);
    // Up to `most` rows after the mark, oldest first, and the mark after
    // them. A line that is no row (a write cut short) is passed over.
    QList<TeamRow> waiting(qsizetype most, qint64 *end) const;
    // The server has every row before `end`. Once it has them all the file
    // starts again empty.
    void markSent(qint64 end);
    bool isEmpty() const;
    // Rows the server refused for what they hold, set aside with its reason
    // in Teamoutbox.rejected.csv (the reason first, then the row as the
    // outbox had it), so that the rows after them go on. Runtime errors pass.
    void reject(const QList<RefusedRow> &rows);

    QString path() const { return m_path; }
    QString rejectedPath() const { return m_rejectedPath; }

private:
    qint64 sentMark() const;

    QString m_path;
    QString m_markPath;
    QString m_rejectedPath;
    // The strip appends while the sender reads.
    mutable QMutex m_lock;
};

} // namespace zentova
