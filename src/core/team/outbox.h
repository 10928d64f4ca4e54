// The rows that wait for the team's server, in the data folder: appended and
// synced as the count log is (Teamoutbox.csv), sent in order, and the mark
// of what the server has taken kept beside them (Teamoutbox.sent). A row
// sent again after a kill or a lost answer is the same row: the server
// keeps it once.
#pragma once

#include "core/team/teamrow.h"

#include <QDateTime>
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
    // The server `server` has every row before `end`. Once it has them all
    // the file starts again empty.
    void markSent(qint64 end, const QString &server);
    bool isEmpty() const;
    // Rows the server refused for what they hold, set aside with its reason
    // in Teamoutbox.rejected.csv (the reason first, then the row as the
    // outbox had it), so that the rows after them go on. Runtime errors pass.
    void reject(const QList<RefusedRow> &rows);

    // The rows the server `server` took lately, to send again should it
    // answer as another (a standby promoted before it had them): those of
    // the newest day among them, and any taken within the last hour. Kept
    // in Teamoutbox.recent.csv, under a line naming the server, each line
    // after the moment it was taken; rows sent to another server are not
    // this one's.
    QList<TeamRow> recentlySent(const QDateTime &now, const QString &server) const;
    static constexpr qint64 RecentMs = 60 * 60 * 1000;

    QString path() const { return m_path; }
    QString rejectedPath() const { return m_rejectedPath; }

private:
    qint64 sentMark() const;
    // The lines of the recent file worth keeping at `now` (the newest day
    // among them and `newest`), each with its row.
    QList<std::pair<QByteArray, TeamRow>> recentLines(const QDateTime &now,
                                                      const QByteArray &server,
                                                      QDate newest = {}) const;
    void keepRecent(const QByteArray &lines, const QByteArray &server);

    QString m_path;
    QString m_markPath;
    QString m_rejectedPath;
    QString m_recentPath;
    // The strip appends while the sender reads.
    mutable QMutex m_lock;
};

} // namespace zentova
