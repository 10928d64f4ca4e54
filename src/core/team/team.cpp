#include "core/team/team.h"
#include "core/base/language.h"
#include "core/team/publisher.h"
#include "core/team/teamrow.h"

#include <QMetaObject>

namespace zentova
{

namespace
{

constexpr unsigned long kStopWaitMs = 500;

} // namespace

Team::Team(const QString &folder)
    : m_outbox(std::make_shared<Outbox>(folder)), m_thread(new QThread(this))
{
    m_thread->setObjectName(QStringLiteral("zentova-team"));
}

Team::~Team()
{
    stopPublisher();
}

void Team::setOptions(const TeamOptions &options)
{
    const bool wasJoined = isJoined();
    if (options == m_given && (m_publisher || !isJoined()))
        return;
    stopPublisher();
    m_given = options;
    m_options = options;
    m_reaching = false;
    m_problem.clear();
    if (isJoined()) {
        if (m_options.folder.isEmpty())
            m_options.folder = teamFolderId();
        if (m_options.name.isEmpty())
            m_options.name = defaultTeamName();
        m_stop = std::make_shared<PublisherStop>();
        m_publisher = new TeamPublisher(m_outbox, m_stop, m_options.server, m_options.name,
                                        m_options.folder);
        m_publisher->moveToThread(m_thread);
        connect(m_thread, &QThread::finished, m_publisher, &QObject::deleteLater);
        connect(m_publisher, &TeamPublisher::reached, this,
                [this](bool reaching, const QString &problem) {
                    m_reaching = reaching;
                    m_problem = problem;
                    emit statusChanged();
                });
        connect(m_publisher, &TeamPublisher::allSent, this, &Team::allSent);
        m_thread->start();
        // What a kill left waiting goes first.
        QMetaObject::invokeMethod(m_publisher, &TeamPublisher::wake, Qt::QueuedConnection);
    }
    if (wasJoined != isJoined())
        emit joinedChanged();
    emit statusChanged();
}

void Team::journaled(const QList<JournalLine> &lines)
{
    if (!isJoined() || lines.isEmpty())
        return;
    QList<TeamRow> rows;
    rows.reserve(lines.size());
    for (const JournalLine &line : lines)
        rows.append(teamRowOf(line, m_options.name, m_options.folder));
    try {
        m_outbox->append(rows);
    } catch (const RuntimeError &e) {
        const QString message = translate("Team", "チームに送る変更 (%1) を書き込めません: %2")
                                    .arg(m_outbox->path(), e.description());
        if (!m_told.contains(message)) {
            m_told.insert(message);
            emit trouble(message);
        }
        return;
    }
    QMetaObject::invokeMethod(m_publisher, &TeamPublisher::wake, Qt::QueuedConnection);
}

void Team::stopPublisher()
{
    if (!m_publisher)
        return;
    // From here nothing it does reaches the outbox or the mark, and its
    // statement under way is cancelled.
    m_stop->stop();
    QMetaObject::invokeMethod(m_publisher, &TeamPublisher::stop, Qt::QueuedConnection);
    m_thread->quit();
    // A publisher stuck on a server that does not answer (up to its
    // connection's time limit) is left to the end of the process: the strip
    // never waits for the network, not even to end.
    if (!m_thread->wait(kStopWaitMs)) {
        m_thread->setParent(nullptr);
        QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        m_thread = new QThread(this);
        m_thread->setObjectName(QStringLiteral("zentova-team"));
    }
    m_publisher = nullptr; // deleted as its thread finished
}

} // namespace zentova
