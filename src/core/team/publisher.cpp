#include "core/team/publisher.h"
#include "core/base/language.h"
#include "core/team/teamserver.h"

#include <cstdio>

namespace zentova
{

void PublisherStop::stop()
{
    const QMutexLocker locked(&m_lock);
    stopped = true;
}

bool PublisherStop::unlessStopped(const std::function<void()> &moveMark)
{
    const QMutexLocker locked(&m_lock);
    if (stopped)
        return false;
    moveMark();
    return true;
}

TeamPublisher::TeamPublisher(std::shared_ptr<Outbox> outbox, std::shared_ptr<PublisherStop> stop,
                             const QString &server, const QString &person, const QString &folder)
    : m_outbox(std::move(outbox)), m_stop(std::move(stop)), m_server(server), m_person(person),
      m_folder(folder)
{
}

TeamPublisher::~TeamPublisher()
{
    stop(); // on its own thread, as that thread ends
}

void TeamPublisher::wake()
{
    setTeamQueryStop(&m_stop->stopped);
    if (m_stop->stopped)
        return;
    if (!m_retry) {
        // Made here, on the publisher's own thread.
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        connect(m_retry, &QTimer::timeout, this, &TeamPublisher::wake);
        m_seen = new QTimer(this);
        m_seen->setInterval(SeenEveryMs);
        connect(m_seen, &QTimer::timeout, this, [this] {
            QString problem;
            if (m_connected && !markStripSeen(m_db, m_folder, m_person, &problem))
                fail(problem);
        });
    }
    if (m_retry->isActive())
        return; // after a failure, the retry's time decides
    if (!connectToServer() || !sendWaiting())
        return;
    m_retryMs = FirstRetryMs;
    if (!m_lastProblem.isEmpty() || !m_seen->isActive())
        emit reached(true, QString());
    m_lastProblem.clear();
    if (!m_seen->isActive())
        m_seen->start();
}

bool TeamPublisher::connectToServer()
{
    if (m_connected)
        return true;
    QString problem;
    if (!m_db.open(m_server, &problem) || !prepareTeamTables(m_db, &problem) ||
        !markStripSeen(m_db, m_folder, m_person, &problem)) {
        fail(problem);
        return false;
    }
    m_connected = true;
    return true;
}

bool TeamPublisher::sendAgainToANewServer()
{
    QByteArray started;
    QString problem;
    if (!serverStartedAt(m_db, &started, &problem)) {
        fail(problem);
        return false;
    }
    if (started == m_serverStarted)
        return true;
    const QList<TeamRow> recent = m_outbox->recentlySent(QDateTime::currentDateTime(), m_server);
    for (qsizetype i = 0; i < recent.size(); i += BatchRows) {
        QList<RefusedRow> refused; // set aside when they were first sent
        if (m_stop->stopped ||
            !insertTeamRows(m_db, recent.mid(i, BatchRows), &refused, &problem)) {
            fail(problem);
            return false;
        }
    }
    m_serverStarted = started;
    return true;
}

bool TeamPublisher::sendWaiting()
{
    // The server (or the one behind a pooler) may not be the one that took
    // the rows before: they go again, and are kept once. Asked at the first
    // send, and after each send since (a pooler may move to another server
    // with no word to its clients).
    if (m_serverStarted.isEmpty() && !sendAgainToANewServer())
        return false;
    for (;;) {
        qint64 end = 0;
        if (m_stop->stopped)
            return false;
        const QList<TeamRow> rows = m_outbox->waiting(BatchRows, &end);
        QString problem;
        QList<RefusedRow> refused;
        if (!rows.isEmpty() &&
            (!insertTeamRows(m_db, rows, &refused, &problem) || !sendAgainToANewServer())) {
            if (!problem.isEmpty())
                fail(problem);
            return false;
        }
        try {
            // Rows that went to a server given up on meanwhile are sent
            // again to the one in force.
            const bool marked = m_stop->unlessStopped([&] {
                if (!refused.isEmpty())
                    m_outbox->reject(refused);
                m_outbox->markSent(end, m_server);
            });
            if (!marked)
                return false;
            if (!refused.isEmpty())
                emit rejected(int(refused.size()), refused.last().reason);
        } catch (...) {
            // The rows are on the server; they go again later, and are
            // kept once there.
            fail(QStringLiteral("Teamoutbox.sent cannot be written"));
            return false;
        }
        if (rows.size() < BatchRows) {
            emit allSent();
            return true;
        }
    }
}

void TeamPublisher::fail(const QString &problem)
{
    if (m_stop->stopped)
        return; // given up on: its cancelled statement is nobody's news
    // Start again from the connection, later and later.
    m_db.close();
    m_connected = false;
    if (m_seen)
        m_seen->stop();
    if (problem != m_lastProblem) {
        std::fprintf(stderr, "zentova: %s\n",
                     qUtf8Printable(translate("Team", "チームのサーバー: %1").arg(problem)));
        m_lastProblem = problem;
        emit reached(false, problem);
    }
    if (m_retry)
        m_retry->start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, LastRetryMs);
}

void TeamPublisher::stop()
{
    if (m_retry)
        m_retry->stop();
    if (m_seen)
        m_seen->stop();
    m_connected = false;
    m_db.close();
}

} // namespace zentova
