// The team's PostgreSQL server as the program uses it, through libpq
// (values always bound as parameters, a NUL in a text sent as U+FFFD): the
// tables, the rows sent, each strip's last word, and the totals the team
// window reads. Every call is made on the thread that owns the connection.
#pragma once

#include "core/team/teamrow.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QMap>
#include <atomic>

struct pg_conn; // libpq's connection

namespace zentova
{

// Every statement is given up after this long (a table locked for long).
constexpr int TeamStatementMs = 30000;
// The statements made on this thread from now are cancelled once `*stop`
// is set: a thread told to end never waits for the server.
void setTeamQueryStop(const std::atomic<bool> *stop);

// A libpq connection string (key=value ...) from what the user gave, a
// connection string or a postgresql:// URI, with a time limit on connecting
// and on a silent server unless it names its own. Empty when it is neither.
QString teamConnectOptions(const QString &server);
// Whether the text holds a password (the program keeps none).
bool teamServerHasPassword(const QString &server);

// A connection to the server, used by one thread at a time.
class TeamConnection
{
public:
    TeamConnection() = default;
    ~TeamConnection() { close(); }
    TeamConnection(const TeamConnection &) = delete;
    TeamConnection &operator=(const TeamConnection &) = delete;

    // Connects afresh. False, with the cause in `error`, when the server
    // cannot be reached or refuses the login.
    bool open(const QString &server, QString *error);
    // Open until closed: a connection the server dropped is found out by
    // the next statement, which fails.
    bool isOpen() const { return m_conn != nullptr; }
    void close();
    ::pg_conn *handle() const { return m_conn; }

private:
    ::pg_conn *m_conn = nullptr;
};

// A statement of the program's own, with no value from outside in it; its
// rows as texts (NULL as a null string) where `rows` is given.
bool runTeamStatement(TeamConnection &db, const QString &sql, QList<QStringList> *rows,
                      QString *error);

// The tables, made where missing; the schema's version checked.
bool prepareTeamTables(TeamConnection &db, QString *error);

// The rows, each kept once whatever was sent before. A row the server
// refuses for what it holds (a text too long for a constraint, a number out
// of range) stays out, with the server's reason in `refused`; the others go
// in. False, with the cause, where the server could not be asked.
bool insertTeamRows(TeamConnection &db, const QList<TeamRow> &rows, QList<RefusedRow> *refused,
                    QString *error);
// When the server now answering started: another answer than before is
// another server (a standby promoted, a restart), which may lack rows the
// one before had taken.
bool serverStartedAt(TeamConnection &db, QByteArray *started, QString *error);
// This strip's word that it reaches the server, with the name it counts under.
bool markStripSeen(TeamConnection &db, const QString &folder, const QString &person,
                   QString *error);

// What the team window shows: per person and title, the counts of the days
// from `first` to `last` and the last change; per person, when a strip of
// theirs last reached the server.
struct TeamTotal {
    QString person;
    QString title;
    qint64 count = 0;
    QDateTime lastChange;
};
struct TeamPresence {
    QString person;
    QDateTime seen;
};
struct TeamTotals {
    QList<TeamTotal> totals;
    QList<TeamPresence> strips;
    QDateTime serverNow;
    // Read from a standby: how long ago the last change it has was made on
    // the primary (-1: read from the primary).
    qint64 behindSecs = -1;
};
bool readTeamTotals(TeamConnection &db, const QDate &first, const QDate &last, TeamTotals *out,
                    QString *error);

// What the team window reads as it refreshes: the totals of the people and
// titles whose day lines changed since an earlier read of the same range
// (all of them where there is none), with the strips' last words.
struct TeamChanges {
    QList<TeamTotal> changed; // over the range's days but the busy one
    QList<TeamTotal> busyDay;
    QList<TeamPresence> strips;
    QDateTime serverNow;
    qint64 behindSecs = -1; // as in TeamTotals
    // Where the next read of changes begins.
    QByteArray snapshot;
};
// The cost on the server grows with the people and titles whose lines
// changed, and with the days of the range only for changes off the busy day
// (the day most changes are made on: today); never with the rows behind
// them. Reads of one range after another keep one busy day.
bool readTeamChanges(TeamConnection &db, const QDate &first, const QDate &last, const QDate &busy,
                     const QByteArray &since, TeamChanges *out, QString *error);

// The window's totals kept from the reads: the first whole, each later
// one's changes replacing what they change.
class TeamTotalsKept
{
public:
    void apply(const TeamChanges &changes);
    TeamTotals totals() const;

private:
    struct Parts {
        TeamTotal otherDays, busyDay;
    };
    QMap<std::pair<QString, QString>, Parts> m_totals;
    QList<TeamPresence> m_strips;
    QDateTime m_serverNow;
    qint64 m_behindSecs = -1;
};

// The SQL an administrator runs where the program's role may not create
// tables: the tables and the least rights that role needs.
QString teamSetupScript(const QString &role);

} // namespace zentova
