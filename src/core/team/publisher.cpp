#include "core/team/publisher.h"
#include "core/base/language.h"
#include "core/team/teamserver.h"

#include <QSqlDatabase>
#include <QUuid>
#include <cstdio>

namespace zentova
{

TeamPublisher::TeamPublisher(Outbox &outbox, const QString &server, const QString &person,
                             const QString &folder)
    : m_outbox(outbox), m_server(server), m_person(person), m_folder(folder),
      m_connection(QStringLiteral("zentova-team-") + QUuid::createUuid().toString())
{
}

TeamPublisher::~TeamPublisher()
{
    stop(); // on its own thread, as that thread ends
}

void TeamPublisher::wake()
{
    if (!m_retry) {
        // Made here, on the publisher's own thread.
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        connect(m_retry, &QTimer::timeout, this, &TeamPublisher::wake);
        m_seen = new QTimer(this);
        m_seen->setInterval(SeenEveryMs);
        connect(m_seen, &QTimer::timeout, this, [this] {
            QString problem;
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            if (m_connected && !markStripSeen(db, m_folder, m_person, &problem))
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
    if (!openTeamDatabase(m_connection, m_server, &problem)) {
        fail(problem);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!prepareTeamTables(db, &problem) || !markStripSeen(db, m_folder, m_person, &problem)) {
        fail(problem);
        return false;
    }
    m_connected = true;
    return true;
}

bool TeamPublisher::sendWaiting()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    for (;;) {
        qint64 end = 0;
        const QList<TeamRow> rows = m_outbox.waiting(BatchRows, &end);
        QString problem;
        QList<RefusedRow> refused;
        if (!rows.isEmpty() && !insertTeamRows(db, rows, &refused, &problem)) {
            fail(problem);
            return false;
        }
        try {
            if (!refused.isEmpty()) {
                m_outbox.reject(refused);
                emit rejected(int(refused.size()), refused.last().reason);
            }
            m_outbox.markSent(end);
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
    // Start again from the connection, later and later.
    QSqlDatabase::database(m_connection, false).close();
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
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

} // namespace zentova
