// The clock tick and the alarm: the clock text, when the alarm is due, the
// chime loaded and started before the box, and errors of the load.
#include "chimesynth.h"
#include "core/base/minutetimer.h"
#include "core/files/folders.h"
#include "core/model/alarm.h"
#include "core/state/countdata.h"
#include "core/state/counterstate.h"
#include "formcontrols.h"
#include "gui/sound/chimeplayer.h"
#include "gui/sound/mdlsound.h"
#include "gui/sound/module/wavdecode.h"
#include "gui/strip/frmmain.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentova;

namespace
{

// Plays nothing; counts what it was asked to do.
class FakeOutput : public SoundOutput
{
public:
    bool playImage(const QByteArray &image) override
    {
        playing = decodeWav(image).has_value();
        played += playing;
        return playing;
    }
    void stop() override { stops += std::exchange(playing, false); }
    bool isPlaying() const override { return playing; }
    void beep() override { ++beeps; }

    bool playing = false;
    int played = 0;
    int beeps = 0;
    int stops = 0;
};

const QString kAlarm0705 = QStringLiteral("は～い！！　07時 05分でーす♪");

// One tick of the strip's clock timer, the clock reading `now`.
void tick(frmMain &w, test::Sandbox &sandbox, QTime now)
{
    sandbox.clock.set(QDateTime(QDate(2024, 1, 1), now));
    QVERIFY(test::tick(w));
}

// The alarm switched on at hour:minute, and one tick at `now`.
void tickWithAlarm(frmMain &w, test::Sandbox &sandbox, int hour, int minute, QTime now)
{
    sandbox.model->setTimerOn(-1);
    sandbox.model->setAlarmHour(int16_t(hour));
    sandbox.model->setAlarmMinute(int16_t(minute));
    tick(w, sandbox, now);
}

} // namespace

class TestAlarm : public test::SandboxTest
{
    Q_OBJECT
    void setUp() override
    {
        gChimeData.clear();
        m_out = FakeOutput();
        setSoundOutput(&m_out);
    }
    void tearDown() override { setSoundOutput(nullptr); }

private slots:

    void alarmDue_data()
    {
        QTest::addColumn<QTime>("previous"); // the tick before
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("timerOn");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<bool>("due");
        const QTime first; // no tick before
        QTest::addRow("07:05:00") << QTime(7, 4, 59) << QTime(7, 5, 0) << -1 << 7 << 5 << true;
        QTest::addRow("07:05:00, first tick") << first << QTime(7, 5, 0) << -1 << 7 << 5 << true;
        QTest::addRow("07:04:59") << QTime(7, 4, 58) << QTime(7, 4, 59) << -1 << 7 << 5 << false;
        QTest::addRow("07:05:01") << QTime(7, 5, 0) << QTime(7, 5, 1) << -1 << 7 << 5 << false;
        QTest::addRow("07:05:01, first tick") << first << QTime(7, 5, 1) << -1 << 7 << 5 << false;
        QTest::addRow("late tick skipped 07:05:00")
            << QTime(7, 4, 59) << QTime(7, 5, 1, 400) << -1 << 7 << 5 << true;
        QTest::addRow("late tick skipped 07:06:00")
            << QTime(7, 5, 59) << QTime(7, 6, 1) << -1 << 7 << 5 << false;
        QTest::addRow("midnight, on at 0:00")
            << QTime(23, 59, 59) << QTime(0, 0, 0) << -1 << 0 << 0 << true;
        QTest::addRow("midnight, late")
            << QTime(23, 59, 59) << QTime(0, 0, 2) << -1 << 0 << 0 << true;
        QTest::addRow("midnight, off")
            << QTime(23, 59, 59) << QTime(0, 0, 0) << 0 << 0 << 0 << false;
        QTest::addRow("off, late") << QTime(7, 4, 59) << QTime(7, 5, 2) << 0 << 7 << 5 << false;
        QTest::addRow("flag 1 is not on") << first << QTime(7, 5, 0) << 1 << 7 << 5 << false;
        QTest::addRow("hour 24") << first << QTime(0, 0, 0) << -1 << 24 << 0 << false;
        QTest::addRow("minute 60") << first << QTime(7, 0, 0) << -1 << 6 << 60 << false;
    }

    void alarmDue()
    {
        QFETCH(QTime, previous);
        QFETCH(QTime, now);
        QFETCH(int, timerOn);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(bool, due);
        QCOMPARE(zentova::alarmDue(previous, now, int16_t(timerOn), int16_t(hour), int16_t(minute)),
                 due);
    }

    // The clock wakes just past each minute of the wall clock, whatever the
    // local clock does: the alarm's second 0 and the day's turn are on one.
    void nextMinute_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("next");
        const QTimeZone berlin("Europe/Berlin");
        const auto at = [&](int month, int day, QTime time) {
            return QDateTime(QDate(2024, month, day), time, berlin);
        };
        QTest::addRow("any time") << at(1, 1, {7, 4, 31, 250}) << at(1, 1, {7, 5, 0, 20});
        QTest::addRow("on the minute") << at(1, 1, {7, 5}) << at(1, 1, {7, 6, 0, 20});
        QTest::addRow("its last millisecond")
            << at(1, 1, {7, 5, 59, 999}) << at(1, 1, {7, 6, 0, 20});
        QTest::addRow("before midnight") << at(1, 1, {23, 59, 30}) << at(1, 2, {0, 0, 0, 20});
        QTest::addRow("summer time's missing hour")
            << at(3, 31, {1, 59, 40}) << at(3, 31, {3, 0, 0, 20});
        QTest::addRow("the repeated hour, first time")
            << at(10, 27, {2, 59, 40}) << at(10, 27, {2, 59, 40}).addMSecs(20020);
    }

    void nextMinute()
    {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, next);
        QCOMPARE(zentova::nextMinute(now.toMSecsSinceEpoch()), next.toMSecsSinceEpoch());
    }

    // A clock set wakes the clock at once, told as such: here the real
    // clock set to itself (it moves by microseconds), which needs the right.
    void aClockSetWakesTheClockAtOnce()
    {
        MinuteTimer timer;
        QSignalSpy fired(&timer, &MinuteTimer::fired);
        timer.start();
        timespec now = {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        if (::clock_settime(CLOCK_REALTIME, &now) != 0)
            QSKIP("setting the clock needs the right to (CAP_SYS_TIME)");
        // Told as a set, not as the minute (which may come meanwhile).
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(fired.begin(), fired.end(),
                                             [](const QList<QVariant> &f) { return f[0].toBool(); }),
                                 1000);
    }

    void alarmTick_data()
    {
        QTest::addColumn<QString>("chime");
        QTest::addColumn<bool>("alarmBox"); // else the load error's box instead
        QTest::addColumn<int>("beeps");
        QTest::addColumn<bool>("played");
        QTest::addColumn<QTime>("ringing"); // the tick after the one at 07:04:59
        const QTime second0(7, 5, 0);
        QTest::addRow("a chime: played as its box shows") << "bell" << true << 0 << true << second0;
        QTest::addRow("a tick held back past second 0")
            << "bell" << true << 0 << true << QTime(7, 5, 1, 600);
        QTest::addRow("missing: created empty, a beep")
            << "missing" << true << 1 << false << second0;
        QTest::addRow("far too large: not read, a beep") << "huge" << true << 1 << false << second0;
        QTest::addRow("unreadable: its error, no alarm box")
            << "unreadable" << false << 0 << false << second0;
    }

    void alarmTick()
    {
        QFETCH(QString, chime);
        QFETCH(bool, alarmBox);
        QFETCH(int, beeps);
        QFETCH(bool, played);
        QFETCH(QTime, ringing);
        QList<bool> playingAtBox;
        m_sandbox->boxes.onShow = [&] { playingAtBox << m_out.isPlaying(); };
        if (chime == "bell")
            m_sandbox->writeFile("Chimes.wav", synthChimeWav());
        if (chime == "huge") { // sparse: nothing is written
            QFile huge(m_sandbox->path("Chimes.wav"));
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MaxChimeBytes + 1));
        }
        if (chime == "unreadable") { // no folder can hold it
            m_sandbox->writeFile("plain", "x");
            setAppFolder(m_sandbox->path("plain/bin"));
            setUserDataFolder(m_sandbox->path("plain/user"));
        }
        frmMain w(m());
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 4, 59));
        QVERIFY(m_sandbox->boxes.calls.isEmpty());
        tickWithAlarm(w, *m_sandbox, 7, 5, ringing);
        QCOMPARE(test::lblTime(w)->caption(), QStringLiteral("07:05"));
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        const ScriptedMessageBoxes::Call box = m_sandbox->boxes.calls[0];
        QCOMPARE(box.prompt == kAlarm0705, alarmBox);
        QCOMPARE(box.style, alarmBox ? 64 | msgstyle::WithoutFocus : 0); // never takes typing
        if (alarmBox)
            QCOMPARE(box.caption, QStringLiteral("タイマーアラーム"));
        QCOMPARE(m_out.beeps, beeps);
        QCOMPARE(m_out.played, played ? 1 : 0);
        QCOMPARE(playingAtBox, QList<bool>{played}); // the box does not wait for the sound
        QVERIFY(gChimeData.isEmpty());               // released once played
        if (chime == "missing")
            QCOMPARE(QFileInfo(m_sandbox->path("Chimes.wav")).size(), 0);
        if (played) { // the next alarm first stops a chime still sounding
            tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
            QCOMPARE(m_out.stops, 1);
        }
    }

    // The chime is read ahead while an alarm is set, and read again when
    // the file changes: made, written in place, or replaced by a rename.
    void chimeIsReadAheadOfTheAlarm()
    {
        m().setTimerOn(-1);
        frmMain w(m());
        w.load();
        QVERIFY(!chimeReadAhead("Chimes.wav")); // none yet
        const QByteArray bell = synthChimeWav();
        m_sandbox->writeFile("Chimes.wav", bell);
        QTRY_VERIFY(chimeReadAhead("Chimes.wav"));
        QByteArray changed = bell;
        changed[changed.size() - 1] = char(changed.back() + 1); // same size
        for (const bool renamed : {false, true}) {
            changed[changed.size() - 2] = char(renamed);
            m_sandbox->writeFile(renamed ? "new.wav" : "Chimes.wav", changed);
            if (renamed)
                QVERIFY(std::rename(qPrintable(m_sandbox->path("new.wav")),
                                    qPrintable(m_sandbox->path("Chimes.wav"))) == 0);
            QTRY_VERIFY(chimeReadAhead("Chimes.wav"));
            LoadChime("Chimes.wav");
            QCOMPARE(gChimeData, changed + '\0');
        }
        // Too large to keep all day: read at the alarm, as before.
        QFile large(m_sandbox->path("Chimes.wav"));
        QVERIFY(large.open(QIODevice::ReadWrite) && large.resize(PreparedChimeBytes + 1));
        large.close();
        QVERIFY(!chimeReadAhead("Chimes.wav"));
        m().setTimerOn(0);
        m_sandbox->writeFile("Chimes.wav", bell);
        QVERIFY(!chimeReadAhead("Chimes.wav")); // no alarm: forgotten
    }

private:
    FakeOutput m_out;
};

QTEST_MAIN(TestAlarm)
#include "tst_alarm.moc"
