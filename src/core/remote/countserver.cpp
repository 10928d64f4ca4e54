#include "core/remote/countserver.h"
#include "core/base/language.h"

#include "core/base/clock.h"

#include <QFile>
#include <QScopedValueRollback>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace zentova
{

struct CountServer::Peer {
    int fd = -1;
    QByteArray line;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> timeout;
};

CountServer::CountServer(Apply apply, Blocked blocked, Judge judge)
    : m_apply(std::move(apply)), m_blocked(std::move(blocked)), m_judge(std::move(judge))
{
}

CountServer::~CountServer()
{
    setEnding();
    if (m_listener >= 0) {
        delete m_notifier;
        m_notifier = nullptr;
        ::close(m_listener);
        m_listener = -1;
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

bool CountServer::listen(const QString &dataFolder)
{
    // Without the socket the strip still counts; `--count` cannot reach it,
    // which is said once, here, and by every `--count` in its own words.
    QString why;
    m_path = countSocketPath(dataFolder, &why);
    const auto fail = [&](const QString &cause) {
        std::fprintf(stderr, "zentova: %s\n",
                     qPrintable(translate("Command", "--count を受け付けられません (--count cannot "
                                                     "reach this copy): %1")
                                    .arg(cause)));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    };
    sockaddr_un address;
    if (m_path.isEmpty() || !socketAddress(m_path, &address))
        return fail(why);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listener < 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // Ours to take: the lock says no live copy uses this data folder. The
    // socket's folder is the user's alone, so nobody else reaches the socket
    // between its bind and its mode. Only a socket left by a copy is removed.
    struct stat st = {};
    if (::lstat(address.sun_path, &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(address.sun_path);
    if (::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(m_listener, MaxPeers) != 0) {
        const int cause = errno;
        return fail(m_path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(cause)));
    }
    m_notifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CountServer::accept);
    return true;
}

void CountServer::setReady()
{
    m_ready = true;
    applyPending();
}

void CountServer::setEnding()
{
    // The socket stays until the run is over: a count sent meanwhile (under
    // the farewell box) is told the strip is closing, not that none runs.
    m_ending = true;
    m_pending.clear();
    while (!m_peers.empty())
        drop(m_peers.back().get());
}

bool CountServer::refusing() const
{
    return m_ending;
}

void CountServer::accept()
{
    int fd = -1;
    while ((fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0)
        acceptPeer(fd);
}

void CountServer::acceptPeer(int fd)
{
    // The socket's folder and mode keep others out; the peer's own word on
    // who it is settles it.
    ucred peerCred = {};
    socklen_t length = sizeof peerCred;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peerCred, &length) != 0 ||
        peerCred.uid != ::geteuid()) {
        ::close(fd);
        return;
    }
    // Room for the newcomer: connections that say nothing must not starve
    // the real requests, so the oldest of them goes.
    if (m_peers.size() >= MaxPeers)
        drop(m_peers.front().get());
    auto peer = std::make_unique<Peer>();
    Peer *p = peer.get();
    p->fd = fd;
    p->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(p->notifier.get(), &QSocketNotifier::activated, this, [this, p] { readFrom(p); });
    // A peer that never finishes its line is dropped, never waited for.
    p->timeout = std::make_unique<QTimer>();
    p->timeout->setSingleShot(true);
    connect(p->timeout.get(), &QTimer::timeout, this, [this, p] { drop(p); });
    p->timeout->start(PeerTimeoutMs);
    m_peers.push_back(std::move(peer));
}

void CountServer::drop(Peer *peer)
{
    for (auto it = m_peers.begin(); it != m_peers.end(); ++it) {
        if (it->get() != peer)
            continue;
        peer->notifier->setEnabled(false);
        peer->timeout->stop();
        ::close(peer->fd);
        // Not deleted while one of its own signals may be running.
        std::unique_ptr<Peer> gone = std::move(*it);
        m_peers.erase(it);
        QObject *notifier = gone->notifier.release();
        QObject *timeout = gone->timeout.release();
        notifier->deleteLater();
        timeout->deleteLater();
        return;
    }
}

void CountServer::readFrom(Peer *peer)
{
    char buffer[MaxRequestBytes + 1];
    const ssize_t n = ::read(peer->fd, buffer, sizeof buffer);
    if (n <= 0) {
        drop(peer); // gone, or half-sent and closed
        return;
    }
    peer->line.append(buffer, n);
    const qsizetype end = peer->line.indexOf('\n');
    if (end < 0) {
        if (peer->line.size() > MaxRequestBytes)
            drop(peer);
        return;
    }
    const auto request = parseCountRequestLine(peer->line);
    if (!request) {
        drop(peer); // no request: dropped without an answer or an effect
        return;
    }
    // A caller that gave up waiting (the strip was stopped, or busy) has told
    // its user the count failed and closed its end: the count must not
    // happen after all. Nor does one that must wait and whose caller cannot
    // be told it was taken.
    char next = 0;
    if (::recv(peer->fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
        drop(peer);
        return;
    }
    answer(peer, *request);
    drop(peer);
}

void CountServer::answer(Peer *peer, const CountRequest &request)
{
    const auto say = [peer](const char *reply) {
        return ::send(peer->fd, reply, std::strlen(reply), MSG_NOSIGNAL) ==
               ssize_t(std::strlen(reply));
    };
    if (refusing()) {
        say(EndingReply);
        return;
    }
    CountRequest now = request;
    now.at = Now(); // it belongs to the day it was asked in
    // With nothing before it and no box open it is applied at once, and its
    // caller hears what came of it.
    if (m_ready && m_pending.isEmpty() && !m_blocked()) {
        const QScopedValueRollback applying(m_applying, true);
        say(replyFor(m_apply(now)));
        return;
    }
    const CountOutcome outcome = judge(now);
    if (outcome != CountOutcome::Done) {
        say(replyFor(outcome));
        return;
    }
    if (say(AcceptedReply)) {
        m_pending.append(now);
        QTimer::singleShot(0, this, &CountServer::applyPending);
    }
}

CountOutcome CountServer::judge(const CountRequest &request) const
{
    // An undo behind a count that waits takes that count back.
    if (request.undo && std::any_of(m_pending.begin(), m_pending.end(),
                                    [](const CountRequest &r) { return !r.undo && !r.focus; }))
        return CountOutcome::Done;
    return m_judge ? m_judge(request) : CountOutcome::Done;
}

void CountServer::enqueue(const CountRequest &request)
{
    if (refusing())
        return;
    m_pending.append(request);
    m_pending.last().at = Now();
    QTimer::singleShot(0, this, &CountServer::applyPending);
}

QList<CountRequest> CountServer::takePending()
{
    return std::exchange(m_pending, {});
}

void CountServer::applyPending()
{
    if (m_applying || refusing())
        return;
    const QScopedValueRollback applying(m_applying, true);
    while (!m_pending.isEmpty()) {
        if (!m_ready || m_blocked())
            return; // until setReady() or retry()
        const CountRequest request = m_pending.takeFirst();
        m_apply(request);
        if (refusing())
            return;
    }
}

} // namespace zentova
