#include "core/team/team.h"
#include "core/base/language.h"
#include "core/team/publisher.h"
#include "core/team/teamrow.h"

#include "core/base/clock.h"
#include "core/files/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTimer>
#include <QUuid>

namespace zentova
{

namespace
{

constexpr unsigned long kStopWaitMs = 500;

// Teamday.ini: the day and what the rows of this folder gave its line.
struct SentDay {
    QDate day;
    std::array<int, CounterCount> worked{};
};

QString sentDayPath(const Outbox &outbox)
{
    return QFileInfo(outbox.path()).absolutePath() + QStringLiteral("/Teamday.ini");
}

SentDay readSentDay(const QString &path)
{
    QFile file(path);
    SentDay sent;
    if (!file.open(QIODevice::ReadOnly))
        return sent;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("Date="))
            sent.day = QDate::fromString(QString::fromLatin1(line.mid(5).trimmed()), Qt::ISODate);
        if (line.startsWith("Worked=")) {
            const QList<QByteArray> n = line.mid(7).trimmed().split(',');
            for (int i = 0; i < CounterCount && i < n.size(); ++i)
                sent.worked[size_t(i)] = n[i].toInt();
        }
    }
    return sent;
}

void writeSentDay(const QString &path, const SentDay &sent)
{
    QByteArray worked;
    for (int n : sent.worked)
        worked += (worked.isEmpty() ? "" : ",") + QByteArray::number(n);
    writeFileAtomically(path, "[Day]\nDate=" + sent.day.toString(Qt::ISODate).toLatin1() +
                                  "\nWorked=" + worked + "\n");
}

} // namespace

Team::Team(const QString &folder)
    : m_outbox(std::make_shared<Outbox>(folder)), m_thread(new QThread(this))
{
    m_thread->setObjectName(QStringLiteral("zentova-team"));
    // Told again once the minute has passed, should nothing have changed.
    m_unreachedTimer.setSingleShot(true);
    m_unreachedTimer.setInterval(UnreachedMs + 100);
    connect(&m_unreachedTimer, &QTimer::timeout, this, &Team::statusChanged);
    connect(this, &Team::statusChanged, this, [this] {
        if (isJoined() && !m_reaching && !m_unreachedTimer.isActive() &&
            m_unreachedSince.msecsTo(Now()) < UnreachedMs)
            m_unreachedTimer.start();
    });
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
    m_unreachedSince = Now();
    m_refused = 0;
    if (isJoined()) {
        // The folder's own id: made where there is none, or where the one
        // stored was made in another folder (this one a copy).
        if (m_options.folder.isEmpty() || m_options.folder == readTeamOptions().folder) {
            bool renewed = false;
            m_options.folder = teamFolderId(&renewed);
            if (renewed) {
                // What the folder it was copied from sent is that one's: this
                // one sends its own day line at its first catch-up.
                try {
                    writeSentDay(sentDayPath(*m_outbox), {});
                } catch (const RuntimeError &) {
                }
                emit trouble(translate("Team", "このデータフォルダーは作られた場所にない（写されたか"
                                               "移された）ため、チームでは新しいフォルダーとして"
                                               "数えます。"));
            }
        }
        if (m_options.name.isEmpty())
            m_options.name = defaultTeamName();
        m_stop = std::make_shared<PublisherStop>();
        m_publisher = new TeamPublisher(m_outbox, m_stop, m_options.server, m_options.name,
                                        m_options.folder);
        m_publisher->moveToThread(m_thread);
        connect(m_thread, &QThread::finished, m_publisher, &QObject::deleteLater);
        connect(m_publisher, &TeamPublisher::reached, this,
                [this](bool reaching, const QString &problem) {
                    if (m_reaching && !reaching)
                        m_unreachedSince = Now();
                    m_reaching = reaching;
                    m_problem = problem;
                    emit statusChanged();
                });
        connect(m_publisher, &TeamPublisher::allSent, this, [this] {
            m_lastArrived = Now();
            emit allSent();
            emit statusChanged();
        });
        connect(m_publisher, &TeamPublisher::rejected, this, [this](int rows) {
            m_refused += rows;
            emit statusChanged();
        });
        m_thread->start();
        // What a kill left waiting goes first.
        QMetaObject::invokeMethod(m_publisher, &TeamPublisher::wake, Qt::QueuedConnection);
    }
    if (wasJoined != isJoined())
        emit joinedChanged();
    emit statusChanged();
}

QString Team::markText() const
{
    if (!isJoined())
        return QString();
    if (m_refused > 0)
        return translate("Team", "送れない行があります（%n 行、Teamoutbox.rejected.csv）", nullptr,
                         m_refused);
    if (m_reaching || m_unreachedSince.msecsTo(Now()) < UnreachedMs)
        return QString();
    if (m_problem.contains(QLatin1String("authentication"), Qt::CaseInsensitive) ||
        m_problem.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return translate("Team", "チームのサーバーにログインできません");
    return translate("Team", "チームのサーバーに %1 から未接続です")
        .arg(m_unreachedSince.toString(QStringLiteral("HH:mm")));
}

void Team::journaled(const QList<JournalLine> &lines)
{
    if (!isJoined() || lines.isEmpty())
        return;
    QList<TeamRow> rows;
    rows.reserve(lines.size());
    for (const JournalLine &line : lines)
        rows.append(teamRowOf(line, m_options.name, m_options.folder));
    appendRows(rows);
}

bool Team::appendRows(const QList<TeamRow> &rows)
{
    try {
        m_outbox->append(rows);
        // What the team has of each day's line: the newest day's.
        const QString path = sentDayPath(*m_outbox);
        SentDay sent = readSentDay(path);
        for (const TeamRow &row : rows) {
            if (row.day > sent.day)
                sent = {row.day, {}};
            if (row.day == sent.day)
                sent.worked[size_t(row.counter - 1)] += row.worked;
        }
        writeSentDay(path, sent);
    } catch (const RuntimeError &e) {
        const QString message = translate("Team", "チームに送る変更 (%1) を書き込めません: %2")
                                    .arg(m_outbox->path(), e.description());
        if (!m_told.contains(message)) {
            m_told.insert(message);
            emit trouble(message);
        }
        return false;
    }
    QMetaObject::invokeMethod(m_publisher, &TeamPublisher::wake, Qt::QueuedConnection);
    return true;
}

void Team::catchUp(const HistoryDay &day, const std::array<int, CounterCount> &counts)
{
    if (!isJoined() || !day.date.isValid())
        return;
    const QString path = sentDayPath(*m_outbox);
    if (!QFileInfo::exists(path) && QFileInfo::exists(m_outbox->path())) {
        // A folder that sent rows before their part of the day's line was
        // kept: today's are on the server already.
        try {
            writeSentDay(path, {day.date, day.counts});
        } catch (const RuntimeError &) {
        }
        return;
    }
    SentDay sent = readSentDay(path);
    if (sent.day != day.date)
        sent = {day.date, {}};
    QList<TeamRow> rows;
    for (int i = 0; i < CounterCount; ++i) {
        const int missing = day.counts[size_t(i)] - sent.worked[size_t(i)];
        // Never less: a line the team already has is kept once there.
        if (missing > 0 && !day.titles[size_t(i)].isEmpty())
            rows.append({QUuid::createUuid(), m_options.name, m_options.folder, day.date,
                         Now(), i + 1, day.titles[size_t(i)], 0,
                         counts[size_t(i)], QStringLiteral("参加"), missing});
    }
    if (!rows.isEmpty())
        appendRows(rows);
}

void Team::catchUp(const CounterModel &model)
{
    std::array<int, CounterCount> counts{};
    for (int i = 0; i < CounterCount; ++i)
        counts[size_t(i)] = model.gCount(i);
    catchUp(model.openDayLine(), counts);
}

void Team::stopPublisher()
{
    if (!m_publisher)
        return;
    // From here nothing it does reaches the outbox, the mark or this (its
    // cancelled statement is no news of the server in force), and its
    // statement under way is cancelled.
    m_stop->stop();
    disconnect(m_publisher, nullptr, this, nullptr);
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
