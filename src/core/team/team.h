// The strip's part in a team: the rows of every change it makes go to the
// outbox, and a publisher on its own thread sends them on. Nothing of it
// exists until a server is set in the options.
#pragma once

#include "core/history/history.h"
#include "core/model/countermodel.h"
#include "core/state/options.h"
#include "core/team/outbox.h"

#include <QObject>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <memory>

namespace zentova
{

class TeamPublisher;
struct PublisherStop;

class Team : public QObject
{
    Q_OBJECT
public:
    explicit Team(const QString &folder);
    ~Team() override;

    // Joins the team named in `options` (an empty server leaves it), and
    // sends what waits in the outbox.
    void setOptions(const TeamOptions &options);
    // As given to setOptions(), and as in force (the name and the folder's
    // id filled in).
    const TeamOptions &givenOptions() const { return m_given; }
    const TeamOptions &options() const { return m_options; }
    bool isJoined() const { return !m_options.server.isEmpty(); }

    // The model's journal: each line becomes a row in the outbox.
    void journaled(const QList<JournalLine> &lines);
    // The open day's line as the strip has it, with the counters' values:
    // what the team has not had of it yet (counted before joining, or while
    // out of the team) goes as one row a counter, of kind 参加, so that the
    // team's sum of the day is the day's line. Kept in Teamday.ini: the day
    // and what this folder has sent of its line.
    void catchUp(const HistoryDay &day, const std::array<int, CounterCount> &counts);
    void catchUp(const CounterModel &model);

    // What the strip shows of the team: empty while all is well (or for a
    // strip without a team), else the cause: rows the server refused, a
    // login refused, or the server not reached for over a minute.
    QString markText() const;
    // When a row last reached the server this run (none: invalid).
    QDateTime lastArrived() const { return m_lastArrived; }
    static constexpr int UnreachedMs = 60000;

    // The last try's outcome: reaching the server, or why not.
    bool reaching() const { return m_reaching; }
    QString problem() const { return m_problem; }
    Outbox &outbox() { return *m_outbox; }

signals:
    void joinedChanged();
    void statusChanged();
    // Every row made so far is on the server.
    void allSent();
    // Something the user should hear of once.
    void trouble(const QString &message);

private:
    void stopPublisher();
    bool appendRows(const QList<TeamRow> &rows);

    // Shared with the publisher, which may outlive this on a stuck thread.
    std::shared_ptr<Outbox> m_outbox;
    std::shared_ptr<PublisherStop> m_stop;
    TeamOptions m_given;
    TeamOptions m_options;
    QThread *m_thread; // the publisher's; replaced when one is left stuck
    TeamPublisher *m_publisher = nullptr;
    bool m_reaching = false;
    QString m_problem;
    QDateTime m_unreachedSince;
    QDateTime m_lastArrived;
    int m_refused = 0; // rows the server refused this run
    QTimer m_unreachedTimer;
    QSet<QString> m_told;
};

} // namespace zentova
