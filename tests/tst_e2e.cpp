// The real program on a virtual X screen, used the way a person would: it is
// copied into a folder of its own, clicked with xdotool, and judged by its
// windows and by the bytes it leaves in Countdata.dat.
#include "core/base/sjis.h"
#include "core/history/history.h"
#include "core/state/countdata.h"
#include "core/state/countrecord.h"
#include "testsupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>
#include <ctime>

using namespace zentova;

namespace
{

struct XWindow {
    QString name;
    QRect geometry;
    QString id;
};

// Polls `done` every 100 ms for up to `ms` milliseconds.
template <typename Done> bool waitUntil(Done done, int ms = 8000)
{
    for (int waited = 0; waited < ms; waited += 100) {
        if (done())
            return true;
        QThread::msleep(100);
    }
    return done();
}

// Waits for `p` to end: its exit status (-1 when it did not exit), and what
// it wrote.
int finished(QProcess &p, QByteArray *out = nullptr)
{
    p.waitForFinished(10000);
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

class Screen
{
public:
    // A virtual screen of `size`, with the window manager `wm` on it when
    // one is named.
    bool start(const QString &size = "1280x1024x24", const QString &wm = {})
    {
        // Xvfb picks a free display and names it once it takes connections.
        // -noreset: the server must not reset when its last client leaves
        // between two tests, or the next program's connection is refused.
        m_xvfb.start("Xvfb",
                     {"-displayfd", "1", "-screen", "0", size, "-nolisten", "tcp", "-noreset"});
        QByteArray number;
        while (!number.endsWith('\n') && m_xvfb.waitForReadyRead(10000))
            number += m_xvfb.readAllStandardOutput();
        if (!number.endsWith('\n'))
            return false;
        m_display = u':' + QString::fromLatin1(number.trimmed());
        if (wm.isEmpty())
            return true;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        m_wm.setProcessEnvironment(env);
        // xfwm4 and mutter read their settings over the session bus and
        // manage nothing without one.
        if (wm == "xfwm4")
            m_wm.start("dbus-run-session", {"--", wm, "--compositor=off"});
        else if (wm == "mutter")
            m_wm.start("dbus-run-session", {"--", wm, "--x11"});
        else
            m_wm.start(wm, {});
        // Managed once the window manager has claimed the screen.
        return waitUntil([this] {
            QByteArray out;
            run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, &out);
            return out.contains("window id");
        });
    }
    ~Screen()
    {
        m_wm.terminate();
        m_wm.waitForFinished(3000);
        m_xvfb.terminate();
        m_xvfb.waitForFinished(3000);
    }

    // What an X program needs to reach this screen.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        if (!m_xauthority.isEmpty())
            env.insert("XAUTHORITY", m_xauthority);
        return env;
    }
    int run(const QString &program, const QStringList &args, QByteArray *out = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        return finished(p, out);
    }
    // Another X server's display, as a compositor's XWayland offers it.
    void attach(const QString &display, const QString &xauthority)
    {
        m_display = display;
        m_xauthority = xauthority;
    }

    void xdotool(const QStringList &args) { run("xdotool", args); }
    void click(QPoint at, int button = 1, int times = 1)
    {
        xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat",
                 QString::number(times), "--delay", "80", QString::number(button)});
    }
    void doubleClick(QPoint at) { click(at, 1, 2); }
    // The left button pressed at `from`, moved by `by` in ten steps, released.
    void drag(QPoint from, QPoint by)
    {
        const auto x = [](int v) { return QString::number(v); };
        xdotool({"mousemove", x(from.x()), x(from.y()), "mousedown", "1"});
        for (int step = 1; step <= 10; ++step) {
            const QPoint at = from + by * step / 10;
            xdotool({"mousemove", x(at.x()), x(at.y())});
            QTest::qWait(30);
        }
        xdotool({"mouseup", "1"});
    }
    void key(const QString &key) { xdotool({"key", key}); }
    // The pixels of `part` of a window, as they are on the screen.
    QByteArray pixels(const QString &id, QRect part)
    {
        const QString crop = QStringLiteral("%1x%2+%3+%4")
                                 .arg(part.width())
                                 .arg(part.height())
                                 .arg(part.x())
                                 .arg(part.y());
        QByteArray out;
        return run("import", {"-window", id, "-crop", crop, "rgb:-"}, &out) == 0 ? out
                                                                                : QByteArray();
    }

    // Top-level windows that are mapped, by their exact title.
    QList<XWindow> windows()
    {
        QByteArray out;
        run("xwininfo", {"-root", "-tree"}, &out);
        // Sizes, then the place on the screen (the second pair: a window
        // manager's frame holds the window at +0+0).
        static const QRegularExpression line(
            QStringLiteral("(0x[0-9a-f]+) \"([^\"]*)\": \\(.*\\)\\s+(\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+"
                           "\\s+\\+(-?\\d+)\\+(-?\\d+)"));
        QList<XWindow> found;
        for (const QString &l : QString::fromUtf8(out).split(u'\n')) {
            const auto m = line.match(l);
            if (m.hasMatch() && m.captured(3).toInt() > 3)
                found.append({m.captured(2),
                              QRect(m.captured(5).toInt(), m.captured(6).toInt(),
                                    m.captured(3).toInt(), m.captured(4).toInt()),
                              m.captured(1)});
        }
        return found;
    }
    std::optional<XWindow> window(const QString &name)
    {
        for (const XWindow &w : windows())
            if (w.name == name)
                return w;
        return std::nullopt;
    }
    bool waitForWindow(const QString &name, int ms = 8000, bool shown = true)
    {
        return waitUntil([&] { return window(name).has_value() == shown; }, ms);
    }
    // Mapped is not yet managed: the window manager says what it allows
    // once it has taken the window, and places it before that settles.
    bool waitForManaged(const QString &name)
    {
        return waitUntil([&] {
                   const auto w = window(name);
                   QByteArray clients;
                   run("xprop", {"-root", "_NET_CLIENT_LIST"}, &clients);
                   return w && clients.contains(
                                   QByteArray::number(w->id.toUInt(nullptr, 16), 16).prepend("0x"));
               }) &&
               settledPlace(name).has_value();
    }
    // Where the window is once two looks in a row agree: a drag's last
    // move, or the window manager's placing, is over.
    std::optional<QRect> settledPlace(const QString &name)
    {
        std::optional<QRect> last;
        std::optional<QRect> settled;
        waitUntil([&] {
            const auto now = window(name);
            const std::optional<QRect> place =
                now ? std::optional<QRect>(now->geometry) : std::nullopt;
            if (place && place == last)
                settled = place;
            last = place;
            return settled.has_value();
        });
        return settled;
    }
    // Mapped is not yet focused: keys sent before the box has the keyboard
    // would go to another window.
    bool waitForFocus(const QString &name)
    {
        return waitUntil([&] {
            QByteArray out;
            run("xdotool", {"getwindowfocus", "getwindowname"}, &out);
            return QString::fromUtf8(out).trimmed() == name;
        });
    }

    QString display() const { return m_display; }
    void killServer()
    {
        m_xvfb.kill();
        m_xvfb.waitForFinished();
    }

private:
    QProcess m_xvfb;
    QProcess m_wm;
    QString m_display;
    QString m_xauthority;
};

// A copy of the program in a folder of its own.
class Install
{
public:
    Install()
    {
        QFile::copy(QStringLiteral(ZENTOVA_BINARY), m_dir.filePath("zentova"));
        QFile::copy(QStringLiteral(ZENTOVA_SOUND_PLUGIN), m_dir.filePath("zentova_sound.so"));
        QFile::copy(QStringLiteral(ZENTOVA_STRIP_MODULE), m_dir.filePath("zentova_strip.so"));
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QFile::setPermissions(m_dir.filePath("zentova"), owner);
        QDir().mkpath(m_dir.filePath("home"));
        QFile::setPermissions(m_dir.filePath("home"), owner);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void start(QProcess &p, const Screen &screen, const QStringList &args = {},
               const QStringList &extraEnv = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", screen.display());
        env.remove("QT_QPA_PLATFORM");
        env.remove("XDG_CONFIG_HOME");
        env.remove("WAYLAND_DISPLAY");
        env.remove("XDG_SESSION_TYPE");
        env.insert("HOME", m_dir.filePath("home"));
        env.insert("XDG_RUNTIME_DIR", m_dir.filePath("home"));
        for (const QString &pair : extraEnv) {
            const qsizetype eq = pair.indexOf(u'=');
            if (eq < 0)
                env.remove(pair);
            else
                env.insert(pair.left(eq), pair.mid(eq + 1));
        }
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(m_dir.filePath("zentova"), args);
        p.waitForStarted();
    }
    // A command run to its end with no display: its exit status and what it wrote.
    int command(const Screen &screen, const QStringList &args, QByteArray *out = nullptr,
                const QStringList &extraEnv = {}) const
    {
        QProcess p;
        start(p, screen, args, QStringList{"DISPLAY"} + extraEnv);
        return finished(p, out);
    }
    QByteArray data() const
    {
        QFile f(path("Countdata.dat"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
};

// A Wayland desktop nested in an 800 x 600 window at the top left of `host`,
// with its XWayland for X programs: mutter, as in GNOME's session (Debian's
// default), or weston.
class WaylandDesktop
{
public:
    bool start(const Screen &host, const QString &compositor)
    {
        QFile::setPermissions(m_run.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", host.display());
        env.insert("XDG_RUNTIME_DIR", m_run.path());
        m_compositor.setProcessEnvironment(env);
        m_compositor.setProcessChannelMode(QProcess::MergedChannels);
        const bool mutter = compositor == QLatin1String("mutter");
        m_socket = mutter ? "wayland-0" : "zt-wl";
        if (mutter)
            m_compositor.start("dbus-run-session", {"--", "mutter", "--wayland", "--nested"});
        else
            m_compositor.start("weston", {"--backend=x11-backend.so", "--xwayland", "--use-pixman",
                                          "--width=800", "--height=600", "--socket=" + m_socket,
                                          "--idle-time=0"});
        const QRegularExpression xdisplay(mutter ? "Using public X11 display (:\\d+)"
                                                 : "xserver listening on display (:\\d+)");
        QByteArray log;
        QRegularExpressionMatch found;
        if (!waitUntil([&] {
                m_compositor.waitForReadyRead(100);
                log += m_compositor.readAll();
                found = xdisplay.match(QString::fromUtf8(log));
                return found.hasMatch();
            }))
            return false;
        // Mutter's XWayland asks for the key it writes; weston's asks none.
        return waitUntil([&] {
            const QStringList files =
                QDir(m_run.path()).entryList({".mutter-Xwaylandauth*"}, QDir::Hidden | QDir::Files);
            if (mutter && files.isEmpty())
                return false;
            m_auth = mutter ? m_run.filePath(files[0]) : QString();
            m_xwayland.attach(found.captured(1), m_auth);
            return true;
        });
    }
    ~WaylandDesktop()
    {
        m_compositor.terminate();
        m_compositor.waitForFinished(5000);
    }
    Screen &xwayland() { return m_xwayland; }
    // What a program started in the session has.
    QStringList session() const
    {
        return {"XAUTHORITY=" + m_auth, "WAYLAND_DISPLAY=" + m_run.filePath(m_socket),
                "XDG_SESSION_TYPE=wayland"};
    }

private:
    QTemporaryDir m_run;
    QProcess m_compositor;
    QString m_socket;
    Screen m_xwayland;
    QString m_auth;
};

double today()
{
    return dayNumber(QDate::currentDate());
}

// Where things are on the strip, which opens at (426, 1).
const QPoint kLeftMargin(430, 20);
QPoint counterButton(int i)
{
    return QPoint(426 + 16 + 96 * i + 52 + 20, 1 + 10 + 10);
}

} // namespace

// A clock of the strip's own, `now()` ahead of (or behind) the real one by an
// offset the test sets; the strip reads it through libfaketime.
class FakeClock
{
public:
    explicit FakeClock(const QString &file) : m_file(file) {}
    QStringList environment() const
    {
        // A sanitized build checks that its runtime is loaded first.
        return {"LD_PRELOAD=" ZENTOVA_LIBFAKETIME, "FAKETIME_TIMESTAMP_FILE=" + m_file,
                "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1",
                "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") +
                    ":verify_asan_link_order=0"};
    }
    // From now on the strip's clock reads about `at` (to the second).
    void set(const QDateTime &at)
    {
        m_offset = QDateTime::currentDateTime().secsTo(at);
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((m_offset < 0 ? "" : "+") + QByteArray::number(m_offset) + '\n');
    }
    QDateTime now() const { return QDateTime::currentDateTime().addSecs(m_offset); }
    // The real clock set to itself (it moves by the microseconds between
    // reading and setting it): every timer told of clock changes wakes.
    static bool announce()
    {
        timespec now = {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        return ::clock_settime(CLOCK_REALTIME, &now) == 0;
    }

private:
    QString m_file;
    qint64 m_offset = 0;
};

class TestEndToEnd : public QObject
{
    Q_OBJECT
    // First, so that it ends what the others leave.
    test::ProcessReaper m_reaper;

private slots:
    void initTestCase()
    {
        m_screen = std::make_unique<Screen>();
        QVERIFY2(m_screen->start(), "no Xvfb");
    }

    // Clicks and commands on a strip whose day was offered back, and the
    // day stored at the farewell.
    void countCloseAndStoreTheDay()
    {
        Install install;
        QByteArray out;
        QCOMPARE(install.command(*m_screen, {"--version"}, &out), 0);
        QVERIFY(out.startsWith("zentova "));
        QCOMPARE(install.command(*m_screen, {"--help"}, &out, {"LANGUAGE=en"}), 0);
        QVERIFY2(out.startsWith("Usage: zentova [options]\n"), out.constData());
        QCOMPARE(install.command(*m_screen, {"--help"}, &out), 0);
        QVERIFY2(out.startsWith("使い方: zentova [オプション]\n"), out.constData());
        QCOMPARE(install.command(*m_screen, {"--count", "1"}), 3); // nothing runs
        QCOMPARE(install.command(*m_screen, {"--count", "9"}), 2);
        CountRecord stored;
        stored.Count = {5, 0, 0, 0, 0};
        stored.Title[0] = "受付";
        stored.AlarmHourText = "0";
        stored.AlarmMinuteText = "0";
        stored.SavedDate = today();
        writeRecordFile(install.path("Countdata.dat"), stored);

        QProcess program;
        install.start(program, *m_screen);
        QVERIFY(m_screen->waitForWindow("Zentova")); // the restore prompt
        QVERIFY(!m_screen->window("zentova"));       // strip not shown yet
        QVERIFY(m_screen->waitForFocus("Zentova"));
        m_screen->key("y");
        QVERIFY(m_screen->waitForWindow("zentova"));
        QCOMPARE(m_screen->window("zentova")->geometry, QRect(426, 1, 599, 38));

        m_screen->click(counterButton(0));
        m_screen->click(counterButton(0), 3); // right press: down again
        m_screen->click(counterButton(0));
        for (int k = 0; k < 3; ++k)
            QCOMPARE(install.command(*m_screen, {"--count", "1"}), 0);
        QCOMPARE(install.command(*m_screen, {"--uncount", "1"}), 0);
        QCOMPARE(install.command(*m_screen, {"--count", "2"}), 4); // no title: not on the strip
        QVERIFY(closeWithFarewell(program));

        CountRecord expected = stored;
        expected.Count[0] = 8;
        QCOMPARE(install.data(), encodeRecord(expected));
    }

    void countsSurviveAnAbnormalEnd_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addRow("kill -9 a second after the clicks") << "kill";
        QTest::addRow("SIGTERM at once") << "term";
        QTest::addRow("X server killed") << "server";
        QTest::addRow("xkill") << "windowkill";
        QTest::addRow("strip window destroyed by another client") << "windowclose";
    }

    void countsSurviveAnAbnormalEnd()
    {
        QFETCH(QString, end);
        Screen screen;
        QVERIFY(screen.start());
        Install install;
        QProcess program;
        QVERIFY(startWithCounter(install, program, screen, 2));
        screen.click(counterButton(2), 1, 5);
        if (end == "kill") {
            // Within a second every count is on disk.
            QTRY_COMPARE_WITH_TIMEOUT(decodeRecord(install.data()).Count[2], int16_t(5), 1000);
            program.kill();
        } else if (end == "term") {
            program.terminate(); // before the autosave's delay
        } else {
            QTest::qWait(50); // well inside the autosave's delay
            if (end == "server")
                screen.killServer();
            else
                screen.xdotool({"search", "--class", "zentova", end}); // on the strip
        }
        QVERIFY(program.waitForFinished(5000));
        if (end == "term" || end == "windowclose") // ended as at a close, with no box
            QCOMPARE(program.exitCode(), 0);
        const CountRecord after = decodeRecord(install.data());
        QCOMPARE(after.Count[2], int16_t(5));
        QCOMPARE(after.SavedDate, today());
        // Nothing is left holding the folder: the next start offers the day back
        // and shows the strip.
        if (end == "server")
            QVERIFY(screen.start());
        install.start(program, screen);
        QVERIFY(screen.waitForFocus("Zentova"));
        screen.key("y");
        QVERIFY(screen.waitForWindow("zentova"));
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }

    // Keys from Options.ini count while another program has the keyboard,
    // whatever Caps Lock and Num Lock say; held down, a key counts once.
    // A second strip given the same key is told that another program holds it.
    void keysCountWhileAnotherProgramHasTheKeyboard()
    {
        Screen screen;
        QVERIFY(screen.start("1280x1024x24", "openbox"));
        Install install, second;
        for (const Install *folder : {&install, &second}) {
            QFile ini(folder->path("Options.ini"));
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[Keys]\nCount1=Ctrl+Alt+1\nUndo=Ctrl+Alt+Z\n");
        }
        QProcess program, other, xev;
        QVERIFY(startWithCounter(install, program, screen, 0));
        xev.setProcessEnvironment(screen.environment());
        xev.start("stdbuf", {"-oL", "xev", "-event", "keyboard"});
        QVERIFY(screen.waitForWindow("Event Tester"));
        screen.click(screen.window("Event Tester")->geometry.center());
        QVERIFY(screen.waitForFocus("Event Tester"));
        const QString log = install.path(
            QStringLiteral("Countlog-%1.csv").arg(QDate::currentDate().toString("yyyy-MM")));
        const auto counted = [&](int lines) {
            return waitUntil([&] {
                QFile file(log);
                return file.open(QIODevice::ReadOnly) && file.readAll().count('\n') == lines + 1;
            });
        };
        screen.key("ctrl+alt+1");
        screen.key("Caps_Lock");
        screen.key("ctrl+alt+1");
        screen.key("Num_Lock");
        screen.key("ctrl+alt+1");
        screen.key("Caps_Lock");
        screen.key("Num_Lock");
        screen.xdotool({"keydown", "ctrl+alt+1", "sleep", "1", "keyup", "ctrl+alt+1"});
        QVERIFY(counted(4));
        screen.key("ctrl+alt+shift+1"); // Shift takes one away
        screen.key("ctrl+alt+z");       // and 元に戻す brings it back
        QVERIFY(counted(6));
        QVERIFY(screen.waitForFocus("Event Tester"));

        second.start(other, screen);
        QVERIFY(screen.waitForWindow("Zentova")); // the word that the key is held
        other.terminate();
        QVERIFY(other.waitForFinished(5000));
        screen.click(screen.window("Event Tester")->geometry.center());
        QVERIFY(screen.waitForFocus("Event Tester"));
        screen.key("ctrl+alt+1");
        QVERIFY(counted(7));
        xev.terminate();
        QVERIFY(xev.waitForFinished(3000));
        // Not one of them reached the program that had the keyboard: it saw
        // the modifiers and the locks, never the 1 or the Z.
        const QByteArray seen = xev.readAllStandardOutput();
        QVERIFY(seen.contains("Control_L"));
        QVERIFY(!seen.contains("keycode 10 ") && !seen.contains("keycode 52 "));
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(decodeRecord(install.data()).Count[0], int16_t(5));
    }

    // The menu's 0 に戻す and 元に戻す from the keyboard, then yesterday put
    // right in the history window: its line in history.csv, and a 修正 line
    // dated that day in its month's log.
    void resetThenCorrectAPastDay()
    {
        Screen screen;
        QVERIFY(screen.start("1280x1024x24", "openbox"));
        Install install;
        const QDate yesterday = QDate::currentDate().addDays(-1);
        QFile history(install.path("history.csv"));
        QVERIFY(history.open(QIODevice::WriteOnly));
        history.write("\xEF\xBB\xBF" + historyHeader() + "\r\n" +
                      yesterday.toString(Qt::ISODate).toLatin1() + ",T,4,,0,,0,,0,,0,4\r\n");
        history.close();
        QProcess program;
        QVERIFY(startWithCounter(install, program, screen, 0));
        screen.click(counterButton(0), 1, 3);
        const auto logHas = [&](const QDate &month, const QByteArray &text) {
            return waitUntil([&] {
                QFile log(install.path(month.toString("'Countlog-'yyyy-MM'.csv'")));
                return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
            });
        };
        const QPoint menuAt(800, 20);
        screen.click(menuAt, 3);
        screen.xdotool({"key", "--delay", "100", "r", "1"}); // 0 に戻す(&R), T(&1)
        QVERIFY(logHas(QDate::currentDate(), ",1,T,-3,0,リセット"));
        screen.click(menuAt, 3);
        screen.key("u"); // 元に戻す(&U)
        QVERIFY(logHas(QDate::currentDate(), ",1,T,3,3,取消"));

        screen.click(menuAt, 3);
        screen.key("h"); // 履歴(&H)
        QVERIFY(screen.waitForWindow("Zentova：履歴"));
        QVERIFY(screen.waitForFocus("Zentova：履歴"));
        // Today heads the table; yesterday is the row below it.
        const QRect window = screen.window("Zentova：履歴")->geometry;
        screen.click(window.topLeft() + QPoint(60, 297));
        screen.key("alt+e"); // 修正(&E)...
        const QString dialog = "Zentova：" + yesterday.toString(Qt::ISODate) + " の修正";
        QVERIFY(screen.waitForFocus(dialog));
        screen.xdotool({"key", "ctrl+a", "type", "9"});
        screen.key("Return");
        QVERIFY(logHas(yesterday, yesterday.toString(Qt::ISODate).toLatin1() +
                                      " 23:59:59,1,T,5,9,修正"));
        QVERIFY(history.open(QIODevice::ReadOnly));
        QVERIFY(history.readAll().contains(yesterday.toString(Qt::ISODate).toLatin1() +
                                           ",T,9,,0,,0,,0,,0,9"));
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }

    // The alarm's box never takes keys meant for another program: text typed
    // into another window across the alarm arrives whole under Xfce's and
    // GNOME's desktops, and the spaces in it leave the box open. All the
    // desktops wait for the same alarm.
    void typingAcrossTheAlarmArrivesWhole()
    {
        QDateTime at = QDateTime::currentDateTime().addSecs(60);
        if (at.time().second() > 40)
            at = at.addSecs(60);
        const QDateTime alarm(at.date(), QTime(at.time().hour(), at.time().minute()));
        CountRecord stored;
        stored.TimerOn = -1;
        stored.AlarmHourText = QString::number(alarm.time().hour());
        stored.AlarmMinuteText = QString::number(alarm.time().minute());
        // Xfce's and GNOME's window managers on X11, and GNOME on Wayland,
        // where keys and clicks reach mutter's window on the X server below.
        const QStringList wms{"xfwm4", "mutter", "mutter on Wayland"};
        std::vector<std::unique_ptr<Screen>> screens; // where the keys are typed
        std::vector<std::unique_ptr<WaylandDesktop>> gnomes;
        std::vector<Screen *> views; // where the windows are
        std::vector<std::unique_ptr<Install>> installs;
        std::vector<std::unique_ptr<QProcess>> programs, typists, targets;
        for (const QString &wm : wms) {
            const bool wayland = wm.endsWith(QLatin1String("Wayland"));
            screens.push_back(std::make_unique<Screen>());
            Screen &screen = *screens.back();
            QVERIFY2(screen.start("1280x1024x24", wayland ? QString() : wm),
                     qPrintable("no " + wm));
            Screen *view = &screen;
            QStringList session;
            if (wayland) {
                gnomes.push_back(std::make_unique<WaylandDesktop>());
                QVERIFY2(gnomes.back()->start(screen, "mutter"), qPrintable("no " + wm));
                view = &gnomes.back()->xwayland();
                session = gnomes.back()->session();
            }
            views.push_back(view);
            installs.push_back(std::make_unique<Install>());
            writeRecordFile(installs.back()->path("Countdata.dat"), stored);
            programs.push_back(std::make_unique<QProcess>());
            installs.back()->start(*programs.back(), *view, {}, session);
            QVERIFY(view->waitForWindow("zentova"));
            // The other program: xev, which prints every key it is given.
            targets.push_back(std::make_unique<QProcess>());
            targets.back()->setProcessEnvironment(view->environment());
            targets.back()->start("stdbuf", {"-oL", "xev", "-event", "keyboard"});
            QVERIFY(view->waitForWindow("Event Tester"));
            // Mutter's window takes the pointer once it has come in from
            // outside; it fills the top left of the screen below.
            screen.xdotool({"mousemove", "1270", "1010"});
            screen.click(view->window("Event Tester")->geometry.center());
            QVERIFY(view->waitForFocus("Event Tester"));
            typists.push_back(std::make_unique<QProcess>());
            typists.back()->setProcessEnvironment(screen.environment());
        }
        // From a second and a half before the box until well after it.
        const QString text = QStringLiteral("the quick brown fox jumps over a lazy dog");
        QTest::qWait(int(QDateTime::currentDateTime().msecsTo(alarm)) - 1500);
        for (auto &typist : typists)
            typist->start("xdotool", {"type", "--delay", "100", text});
        // Every desktop's outcome, so that one failing shows how the others did.
        QStringList outcomes, expected;
        for (qsizetype i = 0; i < wms.size(); ++i) {
            QVERIFY(typists[i]->waitForFinished(15000));
            const bool open = views[i]->window("タイマーアラーム").has_value();
            targets[i]->terminate();
            QVERIFY(targets[i]->waitForFinished(3000));
            // Each key press, by the text it gave.
            QString typed;
            bool press = false;
            for (const QByteArray &line : targets[i]->readAllStandardOutput().split('\n')) {
                if (line.startsWith("KeyPress"))
                    press = true;
                const qsizetype quote = line.indexOf("bytes: (");
                if (press && quote >= 0 && line.endsWith('"')) {
                    typed += QString::fromLatin1(line.mid(line.indexOf('"') + 1).chopped(1));
                    press = false;
                }
            }
            outcomes << wms[i] + ": " + typed + (open ? ", box open" : ", box closed");
            expected << wms[i] + ": " + text + ", box open";
            programs[i]->terminate();
            QVERIFY(programs[i]->waitForFinished(5000));
        }
        QCOMPARE(outcomes.join(u'\n'), expected.join(u'\n'));
    }

    // The clock follows the wall clock's minute: a jump forward and back
    // (told by the kernel as a clock set), a stop across the minute, and the
    // minute itself with the alarm in its first second. The strip runs on a
    // faked clock (libfaketime, an offset read from a file); a change of the
    // offset is announced by setting the real clock to itself, which wakes
    // every timer that asked to hear of a clock set.
    void clockFollowsTheWallClock()
    {
        Screen screen;
        QVERIFY(screen.start());
        Install install;
        const QDate day = QDate::currentDate();
        CountRecord stored;
        stored.TimerOn = -1;
        stored.AlarmHourText = "11";
        stored.AlarmMinuteText = "0";
        writeRecordFile(install.path("Countdata.dat"), stored);
        FakeClock clock(install.path("faketime"));
        clock.set(QDateTime(day, QTime(10, 58, 40)));
        QProcess program;
        install.start(program, screen, {}, clock.environment());
        QVERIFY(screen.waitForWindow("zentova"));
        const auto strip = [&] { // its clock
            return screen.pixels(screen.window("zentova")->id, QRect(508, 12, 41, 17));
        };
        // 10:58, once drawn: a blank window is all one colour.
        QByteArray before;
        QTRY_VERIFY((before = strip()).count(before.left(6)) < before.size() / 6);
        const auto jump = [&](QTime to) {
            clock.set(QDateTime(day, to));
            return clock.announce();
        };
        if (!jump(QTime(10, 59, 40)))
            QSKIP("setting the clock needs the right to (CAP_SYS_TIME)");
        QTRY_VERIFY_WITH_TIMEOUT(strip() != before, 1000);
        const QByteArray after = strip(); // 10:59
        QVERIFY(jump(QTime(10, 58, 45)));
        QTRY_COMPARE_WITH_TIMEOUT(strip(), before, 1000);

        // Stopped before the minute, woken after it.
        QVERIFY(jump(QTime(10, 58, 58)));
        ::kill(pid_t(program.processId()), SIGSTOP);
        QVERIFY(waitUntil([&] { return clock.now() > QDateTime(day, QTime(10, 59, 0, 300)); }));
        ::kill(pid_t(program.processId()), SIGCONT);
        QTRY_COMPARE_WITH_TIMEOUT(strip(), after, 1000);

        // The minute of the alarm: the clock and the box in its first second.
        QVERIFY(jump(QTime(10, 59, 58)));
        QTRY_VERIFY_WITH_TIMEOUT(strip() != after, 4000);
        QCOMPARE_LT(clock.now(), QDateTime(day, QTime(11, 0, 1)));
        QTRY_VERIFY_WITH_TIMEOUT(screen.window("タイマーアラーム").has_value(), 4000);
        QCOMPARE_LT(clock.now(), QDateTime(day, QTime(11, 0, 1)));
        program.kill();
        program.waitForFinished(5000);
    }

    void placeKeptUnderWaylandDesktops_data()
    {
        QTest::addColumn<QString>("compositor");
        QTest::addRow("GNOME (mutter)") << "mutter";
        // Weston leaves a utility window where it first appeared and tells a
        // window nothing when it moves it.
        QTest::addRow("weston") << "weston";
    }

    // The strip through the desktop's XWayland opens at its remembered place,
    // is dragged, and opens where the drag left it at the next start.
    void placeKeptUnderWaylandDesktops()
    {
        QFETCH(QString, compositor);
        Screen host;
        QVERIFY(host.start("1280x1024x24"));
        Install install;
        placeStrip(install, 120, 140);
        const QString ini = install.path("home/.config/zentova/zentova.ini");
        const auto kept = [&](QPoint place) {
            QFile now(ini);
            return now.open(QIODevice::ReadOnly) &&
                   now.readAll().contains(
                       QStringLiteral("x=%1\ny=%2\n").arg(place.x()).arg(place.y()).toLatin1());
        };
        WaylandDesktop desktop;
        QVERIFY(desktop.start(host, compositor));
        Screen &xwayland = desktop.xwayland();
        for (const QPoint place : {QPoint(120, 140), QPoint(180, 340)}) { // and after a restart
            QProcess program;
            install.start(program, xwayland, {}, desktop.session());
            QVERIFY(xwayland.waitForWindow("zentova"));
            QTRY_COMPARE(xwayland.window("zentova").value_or(XWindow()).geometry.topLeft(), place);
            if (place == QPoint(120, 140)) {
                QTest::qWait(1000); // time for a place to be written, were it to be
                QVERIFY2(kept(place), "the place was written over");
                const auto at = [&] {
                    return xwayland.window("zentova").value_or(XWindow()).geometry.topLeft();
                };
                // The compositor's window takes the pointer once it has come
                // in from outside. The press is on the blue bar. A loaded
                // machine's nested compositor can take its time, and can miss
                // a press that comes as the pointer enters it: a drag that
                // left the strip where it was is made again, as a user would.
                for (int attempt = 0; attempt < 3 && at() == place; ++attempt) {
                    host.xdotool({"mousemove", "1200", "1000"});
                    host.drag(QPoint(124, 159), QPoint(60, 200));
                    if (QTest::qWaitFor([&] { return at() != place; }, 10000))
                        break;
                }
                QTRY_COMPARE_WITH_TIMEOUT(at(), QPoint(180, 340), 15000);
                QTRY_VERIFY(kept(QPoint(180, 340)));
            }
            program.terminate();
            QVERIFY(program.waitForFinished(5000));
            QFile::remove(install.path("Countdata.dat")); // no day to offer back at the restart
        }
    }

    // A click on a counter leaves the keyboard with the program the user
    // types in: the digits typed on arrive there whole and count nothing.
    // Openbox offers the keyboard to a window as it maps it, and the strip
    // takes that offer; xfwm4 and mutter make none for a tool window here.
    // On GNOME's Wayland session the clicks and keys go in from the host, as
    // a user's do, through its XWayland. (Weston's desktop hands the keyboard
    // to whatever is clicked; the README says so.)
    void clickLeavesTheKeyboardWhereItWas_data()
    {
        QTest::addColumn<QString>("wm");
        QTest::addColumn<bool>("offersAtMap");
        QTest::addRow("openbox") << "openbox" << true;
        QTest::addRow("xfwm4") << "xfwm4" << false;
        QTest::addRow("mutter") << "mutter" << false;
        QTest::addRow("GNOME on Wayland") << "" << false;
    }

    void clickLeavesTheKeyboardWhereItWas()
    {
        QFETCH(QString, wm);
        QFETCH(bool, offersAtMap);
        Screen screen;
        QVERIFY2(screen.start("1280x1024x24", wm), qPrintable("no " + wm));
        WaylandDesktop gnome;
        Screen *view = &screen; // where the windows are
        QStringList session;
        if (wm.isEmpty()) {
            QVERIFY(gnome.start(screen, "mutter"));
            view = &gnome.xwayland();
            session = gnome.session();
        }
        Install install;
        placeStrip(install, 100, 100); // where the test's window leaves it clear
        QProcess program;
        QVERIFY(startWithCounter(install, program, *view, 0, session));
        QVERIFY(wm.isEmpty() ? view->settledPlace("zentova").has_value()
                             : view->waitForManaged("zentova"));
        if (offersAtMap)
            QVERIFY(view->waitForFocus("zentova"));
        // The nested desktop stands at the host's top left and takes the
        // pointer once it has come in from outside.
        screen.xdotool({"mousemove", "1200", "1000"});
        clickThenType(screen, *view, install);
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
    }

private:
    // The strip's place for its next start.
    static void placeStrip(Install &install, int x, int y)
    {
        QDir().mkpath(install.path("home/.config/zentova"));
        QFile place(install.path("home/.config/zentova/zentova.ini"));
        QVERIFY(place.open(QIODevice::WriteOnly) &&
                place.write(QStringLiteral("[strip]\nx=%1\ny=%2\n").arg(x).arg(y).toLatin1()) > 0);
    }

    // With xev holding the keyboard, a click on the strip's first counter
    // and "2024 " typed: one count, and the five keys reach xev. The clicks
    // and keys go in on `input`, the windows are on `display`.
    static void clickThenType(Screen &input, Screen &display, Install &install)
    {
        QProcess xev;
        xev.setProcessEnvironment(display.environment());
        xev.start("stdbuf", {"-oL", "xev", "-event", "keyboard", "-geometry", "300x200+300+300"});
        QVERIFY(display.waitForWindow("Event Tester"));
        QVERIFY(display.settledPlace("Event Tester"));
        input.click(display.window("Event Tester")->geometry.center());
        QVERIFY(display.waitForFocus("Event Tester"));

        const QPoint strip = display.window("zentova")->geometry.topLeft();
        input.click(strip + (counterButton(0) - QPoint(426, 1)));
        input.xdotool({"type", "--delay", "60", "2024 "});
        QTRY_COMPARE_WITH_TIMEOUT(decodeRecord(install.data()).Count[0], int16_t(1), 3000);
        QVERIFY(display.waitForFocus("Event Tester"));
        QByteArray typed;
        QTRY_COMPARE((typed += xev.readAllStandardOutput()).count("KeyPress event"), 5);
        const CountRecord after = decodeRecord(install.data());
        QCOMPARE(after.Count[1] + after.Count[3], 0); // the 2s and the 4 counted nothing
        xev.terminate();
        xev.waitForFinished(3000);
    }

    // A copy whose counter `index` is in use, started and shown.
    static bool startWithCounter(Install &install, QProcess &program, Screen &screen, int index,
                                 const QStringList &session = {})
    {
        CountRecord titled;
        titled.Title[size_t(index)] = "T";
        writeRecordFile(install.path("Countdata.dat"), titled);
        install.start(program, screen, {}, session);
        return screen.waitForWindow("zentova") && takesRequests(install, screen);
    }

    // The strip is up and answers: an undo with nothing to take back says so.
    static bool takesRequests(const Install &install, const Screen &screen)
    {
        return waitUntil([&] { return install.command(screen, {"--undo"}) == 1; });
    }

    // A double click on the strip's left margin, then OK to the farewell box.
    bool closeWithFarewell(QProcess &program)
    {
        m_screen->doubleClick(kLeftMargin);
        if (!m_screen->waitForFocus("Zentova"))
            return false;
        m_screen->key("Return");
        return program.waitForFinished(8000);
    }

    std::unique_ptr<Screen> m_screen;
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
