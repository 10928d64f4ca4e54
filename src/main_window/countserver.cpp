#include "main_window/countserver.h"

#include "main_window/frmmain.h"

#include <QApplication>
#include <QLocalSocket>
#include <QScopedValueRollback>

namespace zentova
{

CountServer::CountServer(frmMain &form) : m_form(form)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.setMaxPendingConnections(MaxConnections);
    connect(&m_server, &QLocalServer::newConnection, this, &CountServer::accept);
    // Only while requests wait for a box to close.
    m_retry.setInterval(50);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &CountServer::applyPending);
}

bool CountServer::listen(const QString &dataFolder)
{
    const QString path = countSocketPath(dataFolder);
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

void CountServer::setReady()
{
    m_ready = true;
    applyPending();
}

void CountServer::setEnding()
{
    m_ending = true;
    m_pending.clear();
    m_server.close();
}

bool CountServer::refusing() const
{
    return m_ending || m_form.isUnloaded();
}

void CountServer::accept()
{
    while (QLocalSocket *peer = m_server.nextPendingConnection()) {
        const auto peers = findChildren<QLocalSocket *>(QString(), Qt::FindDirectChildrenOnly);
        peer->setParent(this);
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        if (peers.size() >= MaxConnections) {
            peer->abort();
            continue;
        }
        // A peer that never finishes its line is dropped, never waited for.
        QTimer::singleShot(PeerTimeoutMs, peer, [peer] { peer->abort(); });
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] { readFrom(peer); });
        readFrom(peer);
    }
}

void CountServer::readFrom(QLocalSocket *peer)
{
    QByteArray line = peer->property("line").toByteArray();
    line += peer->read(MaxRequestBytes + 1 - line.size());
    const qsizetype end = line.indexOf('\n');
    if (end < 0) {
        if (line.size() > MaxRequestBytes)
            peer->abort();
        else
            peer->setProperty("line", line);
        return;
    }
    const auto request = parseCountRequestLine(line.left(end + 1));
    if (!request || end + 1 != line.size()) {
        peer->abort(); // no request: dropped without an answer or an effect
        return;
    }
    if (refusing()) {
        peer->write(EndingReply);
    } else {
        m_pending.append(*request);
        peer->write(AcceptedReply);
        QTimer::singleShot(0, this, &CountServer::applyPending);
    }
    peer->disconnectFromServer();
}

void CountServer::applyPending()
{
    if (m_applying || refusing())
        return;
    const QScopedValueRollback applying(m_applying, true);
    while (!m_pending.isEmpty()) {
        if (!m_ready || QApplication::activeModalWidget()) {
            m_retry.start();
            return;
        }
        const CountRequest request = m_pending.takeFirst();
        if (request.delta > 0)
            m_form.cmdC_Click(request.counter);
        else
            m_form.cmdC_MouseDown(request.counter, mousebutton::Right);
        if (refusing())
            return;
    }
}

} // namespace zentova
