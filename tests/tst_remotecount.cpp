// `zentova --count N` and `--uncount N`: the command line, and requests
// through the real local socket into a real strip.
#include "app/session.h"
#include "core/cli/commandline.h"
#include "core/files/instancelock.h"
#include "core/remote/countchannel.h"
#include "core/remote/countserver.h"
#include "core/state/counterstate.h"
#include "formcontrols.h"
#include "gui/strip/frmmain.h"
#include "testsupport.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zentova;

namespace
{

// A raw connection to the strip's socket, as any program could open one.
int connectTo(const QString &path)
{
    sockaddr_un address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || !socketAddress(path, &address) ||
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Environment variables for a test's span, put back after it; a null value
// unsets one.
class Environment
{
public:
    Environment(std::initializer_list<std::pair<const char *, QByteArray>> values)
    {
        for (const auto &[name, value] : values) {
            m_before.append({name, qEnvironmentVariableIsSet(name)
                                       ? std::optional<QByteArray>(qgetenv(name))
                                       : std::nullopt});
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        }
    }
    ~Environment()
    {
        for (const auto &[name, value] : m_before)
            value ? qputenv(name, *value) : qunsetenv(name);
    }

private:
    QList<std::pair<const char *, std::optional<QByteArray>>> m_before;
};

} // namespace

class TestRemoteCount : public test::SandboxTest
{
    Q_OBJECT
    // First, so that it ends what the others leave.
    test::ProcessReaper m_reaper;

    void setUp() override
    {
        m_form = std::make_unique<frmMain>(m());
        m_form->load();
        for (int i = 0; i < CounterCount; ++i) // a command counts only a counter in use
            m().setTitle(i, QStringLiteral("T%1").arg(i + 1));
        startServer();
    }

    void tearDown() override
    {
        m_server.reset();
        m_form.reset();
    }

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("delta");
        const int run = int(CommandLine::Action::Run), count = int(CommandLine::Action::Count),
                  print = int(CommandLine::Action::Print),
                  refuse = int(CommandLine::Action::Refuse);
        QTest::addRow("no option") << QStringList{} << run << 0 << 0;
        QTest::addRow("toolkit's own") << QStringList{"-platform", "xcb"} << run << 0 << 0;
        QTest::addRow("--count 1") << QStringList{"--count", "1"} << count << 0 << 1;
        QTest::addRow("--uncount 5") << QStringList{"--uncount", "5"} << count << 4 << -1;
        QTest::addRow("--version") << QStringList{"--version"} << print << 0 << 0;
        for (const char *n : {"0", "6", "x", "", "1.5"})
            QTest::addRow("--count '%s'", n) << QStringList{"--count", n} << refuse << 0 << 0;
        QTest::addRow("both") << QStringList{"--count", "1", "--uncount", "2"} << refuse << 0 << 0;
        QTest::addRow("twice") << QStringList{"--count", "1", "--count", "2"} << refuse << 0 << 0;
        QTest::addRow("unknown") << QStringList{"--bogus"} << refuse << 0 << 0;
        QTest::addRow("stray word") << QStringList{"count"} << refuse << 0 << 0;
        QTest::addRow("--focus") << QStringList{"--focus"} << int(CommandLine::Action::Focus)
                                 << 0 << 0;
        QTest::addRow("--focus with --undo") << QStringList{"--focus", "--undo"} << refuse << 0 << 0;
        QTest::addRow("--focus with --count")
            << QStringList{"--focus", "--count", "1"} << refuse << 0 << 0;
    }

    // `zentova --focus`: the running strip takes the keyboard, on its first
    // counter in use; the line is the strip's own.
    void focusFromTheCommandLine()
    {
        QCOMPARE(countRequestLine(*parseCountRequestLine("focus\n")), QByteArray("focus\n"));
        m().setTitle(0, QString());
        ShowCounterFrames(m().titles(), *m_form);
        m_form->show();
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        CountRequest request;
        request.focus = true;
        QCOMPARE(sendRequest(request), 0);
        QTRY_VERIFY(m_form->isActiveWindow());
        QTRY_COMPARE(QApplication::focusWidget(), test::cmdC(*m_form, 1));
        QCOMPARE(m().gCount(1), int16_t(0)); // and nothing counted
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(int, counter);
        QFETCH(int, delta);
        const CommandLine parsed = parseCommandLine(QStringList{"zentova"} + args);
        QCOMPARE(int(parsed.action), action);
        QCOMPARE(parsed.counter, counter);
        QCOMPARE(parsed.delta, delta);
        if (parsed.action == CommandLine::Action::Refuse)
            QCOMPARE(parsed.text.count(u'\n'), 1); // one line
    }

    // `--count N --by K`: K whatever the counter's step, in the request's line
    // as the strip reads it; anything else is refused (0: the step).
    void countByK_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("by"); // -1: refused
        QTest::addRow("the step") << QStringList{"--count", "2"} << 0;
        QTest::addRow("by 7") << QStringList{"--count", "2", "--by", "7"} << 7;
        QTest::addRow("by 1000") << QStringList{"--by", "1000", "--count", "1"} << 1000;
        for (const char *k : {"0", "1001", "-3", "x", ""})
            QTest::addRow("by '%s'", k) << QStringList{"--count", "1", "--by", k} << -1;
        QTest::addRow("alone") << QStringList{"--by", "3"} << -1;
        QTest::addRow("with --uncount") << QStringList{"--uncount", "1", "--by", "3"} << -1;
        QTest::addRow("twice") << QStringList{"--count", "1", "--by", "3", "--by", "4"} << -1;
    }

    void countByK()
    {
        QFETCH(QStringList, args);
        QFETCH(int, by);
        const CommandLine parsed = parseCommandLine(QStringList{"zentova"} + args);
        QCOMPARE(parsed.action == CommandLine::Action::Refuse, by < 0);
        if (by < 0)
            return;
        QCOMPARE(parsed.by, by);
        const CountRequest request{parsed.counter, parsed.delta, {}, parsed.by};
        const auto read = parseCountRequestLine(countRequestLine(request));
        QVERIFY(read);
        QCOMPARE(read->by, by);
        QCOMPARE(read->counter, parsed.counter);
    }

    // `zentova --undo`: 0 where something was taken back, 1 where nothing
    // was; under a box it waits like a count and is accepted.
    void undoFromTheCommandLine()
    {
        QCOMPARE(int(parseCommandLine({"zentova", "--undo"}).action),
                 int(CommandLine::Action::Undo));
        QCOMPARE(int(parseCommandLine({"zentova", "--undo", "--count", "1"}).action),
                 int(CommandLine::Action::Refuse));
        QString said;
        QCOMPARE(sendUndo(&said), 1);
        QVERIFY2(said.contains(QStringLiteral("取り消すものがありません")), qPrintable(said));
        QCOMPARE(send(2, 1), 0);
        QTRY_COMPARE(m().gCount(2), int16_t(1));
        QCOMPARE(sendUndo(), 0);
        QCOMPARE(m().gCount(2), int16_t(0));
        QCOMPARE(send(2, 1), 0);
        QTRY_COMPARE(m().gCount(2), int16_t(1));
        QDialog box(m_form.get());
        box.setModal(true);
        box.show();
        QCOMPARE(sendUndo(), 0);
        QCOMPARE(m().gCount(2), int16_t(1));
        box.close();
        QTRY_COMPARE(m().gCount(2), int16_t(0));
    }

    // A count that is not made is answered with why, at once, box or no
    // box, and opens no box on the strip.
    void refusalsSayWhyAndOpenNoBox_data()
    {
        QTest::addColumn<QString>("request"); // "count N [by K]", "undo"
        QTest::addColumn<int>("before");      // counter 1's count; -1: no title
        QTest::addColumn<bool>("boxOpen");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("after");
        for (const bool box : {false, true}) {
            const char *under = box ? ", a box open" : "";
            QTest::addRow("no title%s", under) << "count 1" << -1 << box << 4 << 0;
            QTest::addRow("at 32767%s", under) << "count 1" << 32767 << box << 5 << 32767;
            QTest::addRow("by 1000 past 32767%s", under) << "count 1 by 1000" << 32000 << box << 5
                                                         << 32000;
            QTest::addRow("nothing to take back%s", under) << "undo" << 0 << box << 1 << 0;
        }
        QTest::addRow("by 1000 up to 32767") << "count 1 by 1000" << 31767 << false << 0 << 32767;
        QTest::addRow("down at 32767") << "uncount 1" << 32767 << false << 0 << 32766;
    }

    void refusalsSayWhyAndOpenNoBox()
    {
        QFETCH(QString, request);
        QFETCH(int, before);
        QFETCH(bool, boxOpen);
        QFETCH(int, status);
        if (before < 0)
            m().setTitle(0, QString());
        else
            m().setCount(0, int16_t(before));
        const auto line = parseCountRequestLine(request.toLatin1() + '\n');
        QVERIFY(line);
        QDialog box(m_form.get());
        box.setModal(true);
        if (boxOpen)
            box.show();
        QString said;
        QCOMPARE(sendRequest(*line, &said), status);
        box.close();
        QTRY_COMPARE(m_server->pendingCount(), 0);
        QTEST(int(m().gCount(0)), "after");
        QVERIFY(m_sandbox->boxes.calls.isEmpty());
        QCOMPARE(said.isEmpty(), status == 0);
        if (status != 0)
            QVERIFY2(said.contains(request == "undo" ? "取り消す" : "数えません"), qPrintable(said));
    }

    // An undo asked behind a box after the day turned finds nothing of the
    // day before, and says so at once.
    void undoAskedAfterTheTurnFindsNothing()
    {
        QCOMPARE(send(2, 1), 0);
        m_sandbox->clock.set(QDateTime(m().openDay().end.addSecs(5)));
        QDialog box(m_form.get());
        box.setModal(true);
        box.show();
        QCOMPARE(sendUndo(), 1);
        box.close();
        QTRY_COMPARE(m_server->pendingCount(), 0);
        QCOMPARE(m().gCount(2), int16_t(1));
    }

    void requestLinesOfNoOtherForm_data()
    {
        QTest::addColumn<QByteArray>("line");
        for (const char *line :
             {"count 1 by 0\n", "count 1 by 1001\n", "count 1 by 07\n", "uncount 1 by 3\n",
              "count 1  by 3\n", "count 6\n", "count 1 by\n", "count 1 by 3", "count 01\n"})
            QTest::addRow("%s", line) << QByteArray(line);
    }

    void requestLinesOfNoOtherForm()
    {
        QFETCH(QByteArray, line);
        QVERIFY(!parseCountRequestLine(line));
    }

    void requestsWaitForAnOpenBoxAndKeepTheirOrder()
    {
        QDialog box(m_form.get());
        box.setModal(true);
        box.show();
        QCOMPARE(send(0, -1), 0);
        QCOMPARE(send(0, 1), 0);
        QCOMPARE(send(0, 1), 0);
        QTRY_COMPARE(m_server->pendingCount(), 3);
        QCOMPARE(m().gCount(0), int16_t(0));
        box.close();
        // In order: 0, 1, 2. Taken in any other order the uncount would not be
        // at zero and the result would be 1.
        QTRY_COMPARE(m().gCount(0), int16_t(2));
        QCOMPARE(m_server->pendingCount(), 0); // none left to apply twice
        QCOMPARE(test::lblC(*m_form, 0)->caption(), QStringLiteral("2"));
    }

    void callerThatGaveUpCountsNothingAndIdlePeersMakeRoom()
    {
        // A caller that stopped waiting (the strip was stopped) and closed.
        const int gaveUp = connectTo(countSocketPath(m_sandbox->folder()));
        QCOMPARE(::send(gaveUp, "count 1\n", 8, MSG_NOSIGNAL), 8);
        ::close(gaveUp);
        // More connections that say nothing than the strip keeps.
        std::vector<int> idle;
        for (int k = 0; k <= CountServer::MaxPeers; ++k)
            idle.push_back(connectTo(countSocketPath(m_sandbox->folder())));
        QCOMPARE(send(1, 1), 0);
        QTRY_COMPARE(m().gCount(1), int16_t(1));
        QCOMPARE(m().gCount(0), int16_t(0));
        for (int fd : idle)
            ::close(fd);
    }

    void endingCopyRefuses()
    {
        m_server->setEnding();
        QString error;
        QCOMPARE(send(0, 1, &error), 3);
        QVERIFY2(error.contains(QStringLiteral("終了するところです")), qPrintable(error));
        m_form->unloadSilently();
        QCOMPARE(m().gCount(0), int16_t(0));
    }

    void malformedOrHalfSentRequestsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("garbage") << QByteArray(4096, '\xff');
        QTest::addRow("half-sent") << QByteArray("count 1");
        QTest::addRow("trailing bytes") << QByteArray("count 1\nuncount 1\n");
        QTest::addRow("oversized") << QByteArray("count 1") + QByteArray(100, ' ') + "\n";
        QTest::addRow("nul inside") << QByteArray("count\0 1\n", 9);
    }

    void malformedOrHalfSentRequestsChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        const int fd = connectTo(countSocketPath(m_sandbox->folder()));
        QVERIFY(fd >= 0);
        QVERIFY(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) > 0);
        // Dropped: closed without an answer, at once or when the peer times out.
        char answer = 0;
        ssize_t got = -1;
        QTRY_VERIFY_WITH_TIMEOUT((got = ::recv(fd, &answer, 1, 0)) >= 0 || errno == ECONNRESET,
                                 CountServer::PeerTimeoutMs + 1000);
        QVERIFY(got <= 0);
        ::close(fd);
        QCOMPARE(m().gCount(0), int16_t(0));
        QCOMPARE(send(0, 1), 0); // the strip goes on taking requests
        QTRY_COMPARE(m().gCount(0), int16_t(1));
    }

    void requestSplitOverTwoWritesCountsOnce()
    {
        const int fd = connectTo(countSocketPath(m_sandbox->folder()));
        QVERIFY(fd >= 0);
        QCOMPARE(::send(fd, "cou", 3, MSG_NOSIGNAL), 3);
        QTest::qWait(100); // the strip reads the first part alone
        QCOMPARE(::send(fd, "nt 2\n", 5, MSG_NOSIGNAL), 5);
        QByteArray reply;
        const auto received = [&] {
            char part[8];
            const ssize_t n = ::recv(fd, part, sizeof part, MSG_DONTWAIT);
            if (n > 0)
                reply.append(part, n);
            return reply;
        };
        QTRY_COMPARE(received(), QByteArray(AcceptedReply));
        ::close(fd);
        QTRY_COMPARE(m().gCount(1), int16_t(1));
    }

    void staleSocketOfKilledCopyIsTakenOver()
    {
        m_server.reset();
        const QString path = countSocketPath(m_sandbox->folder());
        const pid_t child = ::fork();
        if (child == 0) {
            sockaddr_un address;
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            socketAddress(path, &address);
            ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
            ::listen(fd, 1);
            ::pause();
            ::_exit(0);
        }
        QTRY_VERIFY(QFile::exists(path));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        QVERIFY(QFile::exists(path)); // left behind
        QCOMPARE(send(1, 1), 3);      // and nobody answers there
        startServer();
        QCOMPARE(send(1, 1), 0);
        QTRY_COMPARE(m().gCount(1), int16_t(1));
    }

    // Where the sockets go: never outside a folder of the user's own, and
    // where none can be had, `--count` says why.
    void socketFolder_data()
    {
        QTest::addColumn<QString>("session");  // XDG_RUNTIME_DIR: "" unset, "open" 0755, "long",
                                               // "link" to a private folder of ours
        QTest::addColumn<bool>("tempPlanted"); // TMPDIR/zentova-UID made by another account
        QTest::addColumn<QString>("cache");    // "there", "missing" (no ~/.cache yet), "planted"
        QTest::addColumn<QString>("chosen");   // "session", "temp", "cache" or "" for none
        QTest::addRow("the session's own") << "own" << false << "there" << "session";
        QTest::addRow("the session's open to others") << "open" << false << "there" << "temp";
        QTest::addRow("the session's a link") << "link" << false << "there" << "temp";
        QTest::addRow("too long for a socket") << "long" << false << "there" << "temp";
        QTest::addRow("unset, the temporary one planted") << "" << true << "there" << "cache";
        QTest::addRow("no cache folder yet") << "" << true << "missing" << "cache";
        QTest::addRow("none to be had") << "" << true << "planted" << "";
    }

    void socketFolder()
    {
        QFETCH(QString, session);
        QFETCH(bool, tempPlanted);
        QFETCH(QString, cache);
        QFETCH(QString, chosen);
        m_server.reset();
        const QString base = m_sandbox->path("env");
        const QString own = base + "/run", open = base + "/open",
                      deep = base + '/' + QString(90, u'd'), temp = base + "/tmp",
                      link = base + "/link", cacheHome = base + "/home/.cache";
        for (const QString &folder : {own, open, deep, temp})
            QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(own, link));
        if (cache != "missing")
            QVERIFY(QDir().mkpath(cacheHome));
        for (const QString &folder : {own, deep})
            QVERIFY(QFile::setPermissions(folder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString tempOwn = temp + QStringLiteral("/zentova-%1").arg(::geteuid());
        if (tempPlanted)
            QVERIFY(QDir().mkdir(tempOwn) &&
                    ::chown(QFile::encodeName(tempOwn).constData(), 65534, 65534) == 0);
        if (cache == "planted")
            m_sandbox->writeFile("env/home/.cache/zentova-run", "not a folder");
        const QString sessions[] = {own, open, deep, link};
        const QStringList names{"own", "open", "long", "link"};
        const Environment env{
            {"XDG_RUNTIME_DIR", session.isEmpty()
                                    ? QByteArray()
                                    : QFile::encodeName(sessions[names.indexOf(session)])},
            {"TMPDIR", QFile::encodeName(temp)},
            {"XDG_CACHE_HOME", QFile::encodeName(cacheHome)}};
        QString why;
        const QString folder = countSocketFolder(&why);
        const QStringList choices{"session", "temp", "cache"};
        const QString expected[] = {own, tempOwn, cacheHome + "/zentova-run"};
        QCOMPARE(folder, chosen.isEmpty() ? QString() : expected[choices.indexOf(chosen)]);
        QCOMPARE(why.isEmpty(), !chosen.isEmpty());
        if (!chosen.isEmpty()) {
            QVERIFY(QFileInfo(folder).permissions() ==
                    (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                     QFile::WriteUser | QFile::ExeUser));
            if (cache == "missing")
                QCOMPARE(QFileInfo(base + "/home").permissions() & 0777,
                         QFileInfo(folder).permissions() & 0777);
            startServer();
            QCOMPARE(send(0, 1), 0);
        } else {
            QString error;
            QCOMPARE(sendCountRequest(m_sandbox->folder(), CountRequest{0, 1}, &error), 3);
            QVERIFY2(error.contains(cacheHome + "/zentova-run"), qPrintable(error));
        }
    }

    // Something else where the socket goes: the strip runs without it and
    // `--count` names the cause rather than saying the strip is not running.
    void aFolderAtTheSocketsPlace()
    {
        m_server.reset();
        const QString path = countSocketPath(m_sandbox->folder());
        QVERIFY(QDir().mkdir(path));
        CountServer server([](const CountRequest &) { return CountOutcome::Done; },
                           [] { return false; });
        QVERIFY(!server.listen(m_sandbox->folder()));
        QString error;
        QCOMPARE(sendCountRequest(m_sandbox->folder(), CountRequest{0, 1}, &error), 3);
        QVERIFY2(error.contains(path + QStringLiteral(" はソケットではありません")),
                 qPrintable(error));
        QVERIFY(QDir().rmdir(path));
    }

    // No socket to answer: a strip that holds the data folder is said to run
    // without listening, not to be stopped.
    void noSocketSaysWhetherAStripRuns_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("said");
        QTest::addRow("nobody holds the folder") << false << "Zentova は起動していません";
        QTest::addRow("a strip holds it") << true << "Zentova は起動していますが";
    }

    void noSocketSaysWhetherAStripRuns()
    {
        QFETCH(bool, locked);
        QFETCH(QString, said);
        m_server.reset();
        InstanceLock lock;
        if (locked)
            QCOMPARE(lock.acquire(m_sandbox->folder()), InstanceLock::Result::Acquired);
        QString error;
        QCOMPARE(sendCountRequest(m_sandbox->folder(), CountRequest{0, 1}, &error), 3);
        QVERIFY2(error.startsWith(said), qPrintable(error));
    }

    void anotherUserGetsNothing()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to become another user");
        const QString path = countSocketPath(m_sandbox->folder());
        const int status = test::inChild([&] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            ::_exit(connectTo(path) >= 0 ? 1 : 0);
        });
        QCOMPARE(status, 0);
    }

private:
    // Wired as a run wires it: requests count on the strip, and stop with it.
    void startServer()
    {
        m_server = countServerFor(m_form.get());
        connect(m_form.get(), &frmMain::unloaded, m_server.get(), &CountServer::setEnding);
        QVERIFY(m_server->listen(m_sandbox->folder()));
        m_server->setReady();
    }

    // The command's side, in a thread of its own: it waits for the answer
    // while this thread's event loop lets the strip take the request.
    // Sends from another thread while this one goes on serving the strip.
    int sendRequest(const CountRequest &request, QString *said = nullptr)
    {
        auto reply = std::async(std::launch::async, [=, folder = m_sandbox->folder()] {
            QString error;
            const int status = sendCountRequest(folder, request, &error);
            if (said)
                *said = error;
            return status;
        });
        while (reply.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return reply.get();
    }
    int send(int counter, int delta, QString *said = nullptr)
    {
        return sendRequest(CountRequest{counter, delta}, said);
    }
    int sendUndo(QString *said = nullptr)
    {
        CountRequest request;
        request.undo = true;
        return sendRequest(request, said);
    }

    std::unique_ptr<frmMain> m_form;
    std::unique_ptr<CountServer> m_server;
};

QTEST_MAIN(TestRemoteCount)
#include "tst_remotecount.moc"
