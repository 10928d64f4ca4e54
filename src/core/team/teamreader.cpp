#include "core/team/teamreader.h"

#include <QMutex>

namespace zentova
{

class TeamReader::Worker : public QObject
{
    Q_OBJECT
public:
    Worker(const QString &server, std::shared_ptr<std::atomic<bool>> stop)
        : m_server(server), m_stop(std::move(stop))
    {
    }

    void ask(const QDate &first, const QDate &last)
    {
        {
            const QMutexLocker locked(&m_lock);
            const bool queued = m_wanted.has_value();
            m_wanted = std::pair{first, last};
            if (queued)
                return; // the one on its way reads the newest range
        }
        QMetaObject::invokeMethod(this, [this] { readWanted(); }, Qt::QueuedConnection);
    }

    void stop()
    {
        m_db.close();
    }

signals:
    void read(const zentova::TeamTotals &totals, const QString &problem);

private:
    void readWanted()
    {
        setTeamQueryStop(m_stop.get());
        if (m_stop->load())
            return;
        std::pair<QDate, QDate> range;
        {
            const QMutexLocker locked(&m_lock);
            if (!m_wanted)
                return;
            range = *std::exchange(m_wanted, std::nullopt);
        }
        TeamTotals totals;
        QString problem;
        bool ok = m_db.isOpen() || m_db.open(m_server, &problem);
        if (ok) {
            // The whole range when it is new (or its busy day, at midnight);
            // after that, what changed.
            const QDate today = QDate::currentDate();
            if (range != m_range || today != m_busy || m_snapshot.isEmpty()) {
                m_range = range;
                m_busy = today;
                m_snapshot.clear();
                m_kept = TeamTotalsKept();
            }
            TeamChanges changes;
            ok = readTeamChanges(m_db, range.first, range.second, m_busy, m_snapshot, &changes,
                                 &problem);
            if (ok) {
                m_kept.apply(changes);
                m_snapshot = changes.snapshot;
                totals = m_kept.totals();
            } else {
                m_db.close(); // connect afresh next time, and read the range whole
                m_snapshot.clear();
            }
        }
        emit read(ok ? totals : TeamTotals(), ok ? QString() : problem);
    }

    QString m_server;
    // Shared with the reader: set as it goes, it ends what this is doing.
    std::shared_ptr<std::atomic<bool>> m_stop;
    TeamConnection m_db;
    QMutex m_lock;
    std::optional<std::pair<QDate, QDate>> m_wanted;
    std::pair<QDate, QDate> m_range;
    QDate m_busy;
    QByteArray m_snapshot;
    TeamTotalsKept m_kept;
};

TeamReader::TeamReader(const QString &server)
    : m_stop(std::make_shared<std::atomic<bool>>(false)), m_thread(new QThread)
{
    qRegisterMetaType<TeamTotals>();
    m_worker = new Worker(server, m_stop);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    connect(m_worker, &Worker::read, this, &TeamReader::read);
    m_thread->setObjectName(QStringLiteral("zentova-team-read"));
    m_thread->start();
}

TeamReader::~TeamReader()
{
    // Never waits for the server: a query under way is cancelled by its own
    // thread, which then closes the connection and ends; the thread and the
    // worker go as it finishes.
    m_stop->store(true);
    disconnect(m_worker, nullptr, this, nullptr);
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->stop(); }, Qt::QueuedConnection);
    m_thread->quit();
}

void TeamReader::ask(const QDate &first, const QDate &last)
{
    m_worker->ask(first, last);
}

} // namespace zentova

#include "teamreader.moc"
