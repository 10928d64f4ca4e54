// Sends the outbox to the team's server, on a thread of its own so that no
// click, key or `--count` ever waits for the network. Rows go in order, a
// batch at a time; the mark moves only once the server has them. Whatever
// fails (no route, a refused login, a timeout) is tried again later, at
// growing intervals, and told once for each cause.
#pragma once

#include "core/team/outbox.h"
#include "core/team/teamserver.h"

#include <QMutex>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <QString>
#include <QTimer>

namespace zentova
{

// Told to a publisher as it is given up on: it sends nothing more and moves
// no mark, even where it is still in the middle of a send.
struct PublisherStop {
    void stop();
    // Runs `moveMark` unless stopped, and never while stop() is under way.
    bool unlessStopped(const std::function<void()> &moveMark);
    std::atomic<bool> stopped = false;

private:
    QMutex m_lock;
};

class TeamPublisher : public QObject
{
    Q_OBJECT
public:
    // Made on any thread; every slot runs on the thread it is moved to.
    TeamPublisher(std::shared_ptr<Outbox> outbox, std::shared_ptr<PublisherStop> stop,
                  const QString &server, const QString &person, const QString &folder);
    ~TeamPublisher() override;

    static constexpr int BatchRows = 200;
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 60000;
    static constexpr int SeenEveryMs = 60000;

public slots:
    // New rows, or the start: send what waits (unless a retry is due later).
    void wake();
    // Closes the connection; call on the publisher's thread before it ends.
    void stop();

signals:
    // Whether the server took the last try, and why not.
    void reached(bool reaching, const QString &problem);
    // The outbox is empty: everything made so far is on the server, or
    // set aside as refused.
    void allSent();
    // The server refused `rows` rows for what they hold; they are in the
    // outbox's rejected file, and the rows after them went on.
    void rejected(int rows, const QString &reason);

private:
    bool connectToServer();
    bool sendWaiting();
    bool sendAgainToANewServer();
    void fail(const QString &problem);

    std::shared_ptr<Outbox> m_outbox;
    std::shared_ptr<PublisherStop> m_stop;
    QString m_server;
    QString m_person;
    QString m_folder;
    TeamConnection m_db;
    bool m_connected = false;
    int m_retryMs = FirstRetryMs;
    QTimer *m_retry = nullptr;
    QTimer *m_seen = nullptr;
    QString m_lastProblem;
    // When the server that took the rows last started.
    QByteArray m_serverStarted;
};

} // namespace zentova
