// The clock tick and the alarm: the clock text, when the alarm is due, the
// chime loaded and started before the box, and errors of the load.
#include "main_window/alarm.h"
#include "main_window/frmmain.h"
#include "platform/folders.h"
#include "sound/chimeplayer.h"
#include "sound/chimesynth.h"
#include "sound/mdlsound.h"
#include "sound/module/wavdecode.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentova;

namespace
{

// Plays nothing; remembers what it was asked to do.
class FakeOutput : public SoundOutput
{
public:
    bool playImage(const QByteArray &image) override
    {
        const auto sound = decodeWav(image);
        if (!sound)
            return false;
        played.append(*sound);
        playing = true;
        return true;
    }
    void stop() override
    {
        if (playing)
            ++stops;
        playing = false;
    }
    bool isPlaying() const override { return playing; }
    void beep() override { ++beeps; }

    QList<DecodedSound> played;
    bool playing = false;
    int beeps = 0;
    int stops = 0;
};

const QString kAlarm0705 = QStringLiteral("は～い！！　07時 05分でーす♪");

// The alarm switched on at hour:minute, and one tick of the strip's clock at `now`.
void tickWithAlarm(frmMain &w, test::Sandbox &sandbox, int hour, int minute, QTime now)
{
    gTimerOn = -1;
    gAlarmHour = int16_t(hour);
    gAlarmMinute = int16_t(minute);
    sandbox.clock.set(QDateTime(QDate(2024, 1, 1), now));
    w.tmrClock_Timer();
}

} // namespace

class TestAlarm : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_sandbox = std::make_unique<test::Sandbox>();
        m_out = FakeOutput();
        setSoundOutput(&m_out);
    }

    void cleanup()
    {
        setSoundOutput(nullptr);
        m_sandbox.reset();
    }

    void alarmDue_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("timerOn");
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<bool>("due");
        QTest::addRow("07:05:00") << QTime(7, 5, 0) << -1 << 7 << 5 << true;
        QTest::addRow("07:04:59") << QTime(7, 4, 59) << -1 << 7 << 5 << false;
        QTest::addRow("07:05:01") << QTime(7, 5, 1) << -1 << 7 << 5 << false;
        QTest::addRow("12:00:00") << QTime(12, 0, 0) << -1 << 12 << 0 << true;
        QTest::addRow("midnight, on at 0:00") << QTime(0, 0, 0) << -1 << 0 << 0 << true;
        QTest::addRow("midnight, off") << QTime(0, 0, 0) << 0 << 0 << 0 << false;
        QTest::addRow("off at its minute") << QTime(7, 5, 0) << 0 << 7 << 5 << false;
        QTest::addRow("flag 1 is not on") << QTime(7, 5, 0) << 1 << 7 << 5 << false;
        QTest::addRow("hour 24") << QTime(0, 0, 0) << -1 << 24 << 0 << false;
        QTest::addRow("hour -1") << QTime(23, 0, 0) << -1 << -1 << 0 << false;
        QTest::addRow("minute 60") << QTime(7, 0, 0) << -1 << 6 << 60 << false;
        QTest::addRow("minute -1") << QTime(7, 59, 0) << -1 << 7 << -1 << false;
    }

    void alarmDue()
    {
        QFETCH(QTime, now);
        QFETCH(int, timerOn);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(bool, due);
        QCOMPARE(zentova::alarmDue(now, int16_t(timerOn), int16_t(hour), int16_t(minute)), due);
    }

    void clockLabelEmptyUntilFirstTick()
    {
        frmMain w;
        w.load();
        QCOMPARE(w.lblTime->caption(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(w.lblTime->caption(), QStringLiteral("09:00"), 2500);
    }

    void tickAtAlarmSecondPlaysChimeThenShowsBox()
    {
        ScriptedMessageBoxes &boxes = m_sandbox->boxes;
        QList<bool> playingAtBox;
        boxes.onShow = [&] { playingAtBox << m_out.isPlaying(); };
        m_sandbox->writeFile("Chimes.wav", synthChimeWav());
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 4, 59));
        QVERIFY(boxes.calls.isEmpty());
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
        QCOMPARE(w.lblTime->caption(), QStringLiteral("07:05"));
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.calls[0].prompt, kAlarm0705);
        QCOMPARE(boxes.calls[0].style, 64);
        QCOMPARE(boxes.calls[0].caption, QStringLiteral("タイマーアラーム"));
        QCOMPARE(playingAtBox, QList<bool>{true}); // the box does not wait for the sound
        QCOMPARE(m_out.played.size(), 1);
        QCOMPARE(m_out.played[0].sampleRate, 44100);
    }

    void chimeLoadErrorReplacesTheAlarmBox()
    {
        m_sandbox->writeFile("plain", "x");
        setAppFolder(m_sandbox->path("plain/bin"));
        setUserDataFolder(m_sandbox->path("plain/user"));
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
        QCOMPARE(w.lblTime->caption(), QStringLiteral("07:05"));
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].style, 0);
        QVERIFY(m_sandbox->boxes.calls[0].prompt != kAlarm0705);
        QVERIFY(m_out.played.isEmpty());
    }

    void missingChimeIsCreatedEmptyAndBeeps()
    {
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 12, 0, QTime(12, 0, 0));
        QCOMPARE(QFileInfo(m_sandbox->path("Chimes.wav")).size(), 0);
        QVERIFY(gChimeData.isEmpty()); // released once played
        QCOMPARE(m_out.beeps, 1);
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, QStringLiteral("は～い！！　12時 00分でーす♪"));
    }

    void chimeIsReadFrom_data()
    {
        QTest::addColumn<QString>("program"); // the program's folder in the sandbox
        QTest::addColumn<QString>("copies");  // which chimes exist: beside, user, installed
        QTest::addColumn<QByteArray>("read"); // with the zero byte the player expects
        QTest::addColumn<bool>("beside");     // a chime beside the program afterwards
        QTest::addRow("beside the program") << "usr/bin"
                                            << "beside" << QByteArray("beside\0", 7) << true;
        QTest::addRow("beside, read-only file")
            << "usr/bin"
            << "beside,readonly" << QByteArray("beside\0", 7) << true;
        QTest::addRow("missing: created empty") << "usr/bin"
                                                << "" << QByteArray(1, '\0') << true;
        // A folder below a plain file can be written by nobody, root included.
        QTest::addRow("read-only program folder: the user's")
            << "plain/bin"
            << "user" << QByteArray("user\0", 5) << false;
        QTest::addRow("installed copy: the package's, nothing beside")
            << "usr/bin"
            << "installed" << QByteArray("installed\0", 10) << false;
    }

    void chimeIsReadFrom()
    {
        QFETCH(QString, program);
        QFETCH(QString, copies);
        QFETCH(QByteArray, read);
        QFETCH(bool, beside);
        const auto put = [](const QString &path, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        m_sandbox->writeFile("plain", "x");
        const QString bin = m_sandbox->path(program);
        QDir().mkpath(bin);
        setAppFolder(bin);
        QTemporaryDir user;
        setUserDataFolder(user.path());
        if (copies.contains("beside"))
            QVERIFY(put(bin + "/Chimes.wav", "beside"));
        if (copies.contains("readonly"))
            QFile::setPermissions(bin + "/Chimes.wav", QFileDevice::ReadOwner);
        if (copies.contains("user"))
            QVERIFY(put(user.filePath("Chimes.wav"), "user"));
        if (copies.contains("installed")) // bin/ with share/zentova/ beside it
            QVERIFY(put(bin + "/../share/zentova/Chimes.wav", "installed"));
        LoadChime("Chimes.wav");
        QCOMPARE(gChimeData, read);
        QCOMPARE(QFileInfo::exists(bin + "/Chimes.wav"), beside);
    }

    void loadChimeStopsTheChimeStillPlaying()
    {
        m_sandbox->writeFile("Chimes.wav", synthChimeWav());
        LoadChime("Chimes.wav");
        PlayChime();
        QVERIFY(m_out.isPlaying());
        LoadChime("Chimes.wav");
        QVERIFY(!m_out.isPlaying());
        QCOMPARE(m_out.stops, 1);
    }

    void chimeFarTooLargeIsNotReadAndBeeps()
    {
        QFile huge(m_sandbox->path("Chimes.wav"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(MaxChimeBytes + 1)); // sparse: nothing is written
        huge.close();
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
        QCOMPARE(m_out.beeps, 1);
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        QCOMPARE(m_sandbox->boxes.calls[0].prompt, kAlarm0705);
    }

    void linksPlantedInASharedProgramFolderAreNotFollowed_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("othersGroup");
        QTest::addColumn<bool>("dataBeside");
        QTest::addRow("sticky, world-writable") << 01777 << false << false;
        QTest::addRow("writable by another group") << 0775 << true << false;
        QTest::addRow("writable by our group") << 0775 << false << true;
        QTest::addRow("ours alone") << 0755 << false << true;
    }

    void linksPlantedInASharedProgramFolderAreNotFollowed()
    {
        QFETCH(int, mode);
        QFETCH(bool, othersGroup);
        QFETCH(bool, dataBeside);
        const QString app = m_sandbox->path("app");
        QVERIFY(QDir().mkpath(app));
        QCOMPARE(::chmod(QFile::encodeName(app).constData(), mode_t(mode)), 0);
        if (othersGroup)
            QCOMPARE(::chown(QFile::encodeName(app).constData(), uid_t(-1), getegid() + 4242), 0);
        // What another user would plant: links to files of ours.
        const QString victim = m_sandbox->path("victim");
        QVERIFY(QFile::link(victim + ".wav", app + "/Chimes.wav"));
        QVERIFY(QFile::link(victim + ".dat", app + "/Countdata.dat"));
        QTemporaryDir user;
        setUserDataFolder(user.path());
        setAppFolder(app);

        QCOMPARE(dataFolder() == app, dataBeside);
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
        writeRecordFile(countDataPath(), CountRecord());
        // Beside a private program the links are the user's own, written through.
        QCOMPARE(QFileInfo::exists(victim + ".wav"), dataBeside);
        QCOMPARE(QFileInfo::exists(victim + ".dat"), dataBeside);
    }

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
    FakeOutput m_out;
};

QTEST_MAIN(TestAlarm)
#include "tst_alarm.moc"
