// The running copy's end of `zentova --count N`: requests from the local
// socket are handed on in the order they came (the strip applies each as a
// click or a right press on that counter's button), and each caller is told
// what came of its request once it is applied. While a box or the settings
// dialog is open they wait, and are handed on when it closes; their callers
// are told at once that they were taken, or why not.
#pragma once

#include "core/remote/countchannel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace zentova
{

class CountServer : public QObject
{
    Q_OBJECT
public:
    // Applies a request, and says what became of it.
    using Apply = std::function<CountOutcome(const CountRequest &)>;
    // Whether a box or a dialog holds the strip now (requests then wait).
    using Blocked = std::function<bool()>;
    // What applying a request now would come to, without applying it: a
    // request that must wait for a box is judged as it comes, so that its
    // caller hears of a refusal at once. None: every request is taken.
    using Judge = std::function<CountOutcome(const CountRequest &)>;
    CountServer(Apply apply, Blocked blocked, Judge judge = {});
    ~CountServer() override;

    // Listens for `dataFolder`. Only the holder of the folder's lock may call
    // it: a socket left by a killed copy is taken over.
    bool listen(const QString &dataFolder);
    // Requests are taken from now on (start-up has filled the strip);
    // until then they wait.
    void setReady();
    // The run is ending (or the strip has unloaded): new requests are
    // answered that the strip is closing, waiting ones dropped.
    void setEnding();
    int pendingCount() const { return int(m_pending.size()); }
    // A count made on the strip itself while a box blocked it: it waits in
    // line with the commands' and is applied as they are.
    void enqueue(const CountRequest &request);
    // The requests answered "accepted" that still wait (for a box to close),
    // handed over for the run's end to apply them at once.
    QList<CountRequest> takePending();
    // The box that held the requests has closed: they are applied now.
    void retry() { applyPending(); }

    // Peers live for one line; past this many the oldest is dropped.
    static constexpr int MaxPeers = 128;
    static constexpr int PeerTimeoutMs = 2000;

private:
    struct Peer;
    void accept();
    void acceptPeer(int fd);
    void readFrom(Peer *peer);
    void answer(Peer *peer, const CountRequest &request);
    CountOutcome judge(const CountRequest &request) const;
    void drop(Peer *peer);
    void applyPending();
    bool refusing() const;

    Apply m_apply;
    Blocked m_blocked;
    Judge m_judge;
    int m_listener = -1;
    QString m_path;
    QSocketNotifier *m_notifier = nullptr;
    std::vector<std::unique_ptr<Peer>> m_peers;
    QList<CountRequest> m_pending;
    bool m_ready = false;
    bool m_ending = false;
    bool m_applying = false;
};

} // namespace zentova
