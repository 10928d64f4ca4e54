// The clock tick and the alarm: the clock text, when the alarm is due, the
// chime found, loaded and started before the box, errors of the load, and
// WAV images decoded in every encoding the chime may come in.
#include "chimesynth.h"
#include "formcontrols.h"
#include "main_window/alarm.h"
#include "main_window/frmmain.h"
#include "platform/files/folders.h"
#include "sound/chimeplayer.h"
#include "sound/mdlsound.h"
#include "sound/module/wavdecode.h"
#include "state/countdata.h"
#include "state/counterstate.h"
#include "testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    auto *timer = w.findChild<QTimer *>(QStringLiteral("tmrClock"));
    QSignalSpy ticked(timer, &QTimer::timeout);
    timer->start(0);
    QVERIFY(ticked.wait(1000));
}

// The alarm switched on at hour:minute, and one tick at `now`.
void tickWithAlarm(frmMain &w, test::Sandbox &sandbox, int hour, int minute, QTime now)
{
    gTimerOn = -1;
    gAlarmHour = int16_t(hour);
    gAlarmMinute = int16_t(minute);
    tick(w, sandbox, now);
}

// A 440 Hz tone of `frames` frames, written by libsndfile in `format`.
QByteArray makeWav(int format, int rate, int channels, int frames)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("t.wav"));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE *sf = sf_open(path.constData(), SFM_WRITE, &info);
    if (!sf)
        qFatal("libsndfile cannot write format %x: %s", format, sf_strerror(nullptr));
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int n = 0; n < frames; ++n)
        for (int c = 0; c < channels; ++c)
            samples[size_t(n * channels + c)] = 0.5f * std::sin(2 * 3.14159265f * 440 * n / rate);
    sf_writef_float(sf, samples.data(), frames);
    sf_close(sf);
    QFile f(QString::fromLocal8Bit(path));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

double rms(const QByteArray &pcm)
{
    return test::peakRms(pcm, int(pcm.size() / 2));
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

    void nextTickComesJustPastTheNextWholeSecond_data()
    {
        QTest::addColumn<int>("msec"); // of the clock as a tick runs
        for (int msec : {0, 1, 500, 979, 980, 999})
            QTest::addRow("at .%03d", msec) << msec;
    }

    void nextTickComesJustPastTheNextWholeSecond()
    {
        QFETCH(int, msec);
        frmMain w;
        tick(w, *m_sandbox, QTime(7, 4, 59, msec));
        const int wait = w.findChild<QTimer *>(QStringLiteral("tmrClock"))->interval();
        QCOMPARE(msec + wait, 1020); // second 0 of every minute gets its tick
    }

    void clockLabelEmptyUntilFirstTick()
    {
        frmMain w;
        w.load();
        QCOMPARE(test::lblTime(w)->caption(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(test::lblTime(w)->caption(), QStringLiteral("09:00"), 2500);
    }

    void alarmTick_data()
    {
        QTest::addColumn<QString>("chime");
        QTest::addColumn<bool>("alarmBox"); // else the load error's box instead
        QTest::addColumn<int>("beeps");
        QTest::addColumn<bool>("played");
        QTest::addRow("a chime: played as its box shows") << "bell" << true << 0 << true;
        QTest::addRow("missing: created empty, a beep") << "missing" << true << 1 << false;
        QTest::addRow("far too large: not read, a beep") << "huge" << true << 1 << false;
        QTest::addRow("unreadable: its error, no alarm box") << "unreadable" << false << 0 << false;
    }

    void alarmTick()
    {
        QFETCH(QString, chime);
        QFETCH(bool, alarmBox);
        QFETCH(int, beeps);
        QFETCH(bool, played);
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
        frmMain w;
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 4, 59));
        QVERIFY(m_sandbox->boxes.calls.isEmpty());
        tickWithAlarm(w, *m_sandbox, 7, 5, QTime(7, 5, 0));
        QCOMPARE(test::lblTime(w)->caption(), QStringLiteral("07:05"));
        QCOMPARE(m_sandbox->boxes.calls.size(), 1);
        const ScriptedMessageBoxes::Call box = m_sandbox->boxes.calls[0];
        QCOMPARE(box.prompt == kAlarm0705, alarmBox);
        QCOMPARE(box.style, alarmBox ? 64 : 0);
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

    void chimeIsReadFrom_data()
    {
        // A program folder below a plain file can be written by nobody, root
        // included.
        QTest::addColumn<bool>("readOnlyProgram");
        QTest::addColumn<QString>("copies");  // which chimes exist: beside, user, installed
        QTest::addColumn<QByteArray>("read"); // with the zero byte the player expects
        QTest::addColumn<bool>("beside");     // a chime beside the program afterwards
        QTest::addRow("beside the program")
            << false << "beside" << QByteArray("beside\0", 7) << true;
        QTest::addRow("beside, read-only file")
            << false << "beside,readonly" << QByteArray("beside\0", 7) << true;
        QTest::addRow("missing: created empty") << false << "" << QByteArray(1, '\0') << true;
        QTest::addRow("read-only program folder: the user's")
            << true << "user" << QByteArray("user\0", 5) << false;
        QTest::addRow("installed copy: the package's, nothing beside")
            << false << "installed" << QByteArray("installed\0", 10) << false;
    }

    void chimeIsReadFrom()
    {
        QFETCH(bool, readOnlyProgram);
        QFETCH(QString, copies);
        QFETCH(QByteArray, read);
        QFETCH(bool, beside);
        const auto put = [](const QString &path, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        m_sandbox->writeFile("plain", "x");
        const QString bin = m_sandbox->path(readOnlyProgram ? "plain/bin" : "usr/bin");
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

    void decodesEveryWavEncoding_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("played"); // channels played: more keep the front pair
        QTest::addRow("PCM 8-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_U8) << 8000 << 1 << 1;
        QTest::addRow("PCM 16-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 1 << 1;
        QTest::addRow("PCM 24-bit stereo") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << 48000 << 2 << 2;
        QTest::addRow("PCM 32-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_32) << 22050 << 2 << 2;
        QTest::addRow("float") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 2 << 2;
        QTest::addRow("mu-law") << (SF_FORMAT_WAV | SF_FORMAT_ULAW) << 8000 << 1 << 1;
        QTest::addRow("A-law") << (SF_FORMAT_WAV | SF_FORMAT_ALAW) << 8000 << 1 << 1;
        QTest::addRow("IMA ADPCM") << (SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM) << 22050 << 1 << 1;
        QTest::addRow("MS ADPCM") << (SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM) << 11025 << 2 << 2;
        QTest::addRow("WAVEX") << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_16) << 96000 << 2 << 2;
        QTest::addRow("5.1: the front pair")
            << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 6 << 2;
    }

    void decodesEveryWavEncoding()
    {
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, played);
        const int frames = rate / 4;
        const auto sound = decodeWav(makeWav(format, rate, channels, frames));
        QVERIFY(sound.has_value());
        QCOMPARE(sound->sampleRate, rate);
        QCOMPARE(sound->channels, played);
        // ADPCM pads its last block; everything else decodes to the frame.
        QVERIFY(sound->pcm.size() >= qsizetype(frames) * played * 2);
        QVERIFY(sound->pcm.size() <= qsizetype(frames + 2048) * played * 2);
        const double level = rms(sound->pcm);
        QVERIFY2(level > 8000 && level < 14000, qPrintable(QString::number(level))); // 0.5 sine
    }

    void refusesWhatIsNoWav_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addRow("one zero byte") << QByteArray(1, '\0');
        QTest::addRow("empty") << QByteArray();
        QTest::addRow("text") << QByteArray("this is no sound at all");
        QTest::addRow("RIFF header only") << QByteArray("RIFF\x24\0\0\0WAVE", 12);
        QTest::addRow("AIFF") << makeWav(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 1, 100);
        QByteArray chopped = makeWav(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 1000);
        chopped.truncate(40);
        QTest::addRow("header cut short") << chopped;
    }

    void refusesWhatIsNoWav()
    {
        QFETCH(QByteArray, image);
        QVERIFY(!decodeWav(image).has_value());
    }

    void trailingZeroByteOfTheChimeBufferIsHarmless()
    {
        QByteArray image = makeWav(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 4410);
        image.append('\0');
        const auto sound = decodeWav(image);
        QVERIFY(sound.has_value());
        QCOMPARE(sound->pcm.size(), qsizetype(4410) * 2);
    }

    void defaultChimeIsAudibleBellOfAboutOneAndAHalfSeconds()
    {
        const QByteArray wav = synthChimeWav();
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        const auto sound = decodeWav(wav);
        QVERIFY(sound.has_value());
        QCOMPARE(sound->channels, 1);
        const double seconds = double(sound->pcm.size()) / 2 / sound->sampleRate;
        QVERIFY(seconds > 1.3 && seconds < 1.7);
        // Loud at the strike of each tone, soft at the end, no click at the start.
        const qsizetype perTenth = sound->sampleRate / 10 * 2;
        QVERIFY(rms(sound->pcm.mid(0, perTenth)) > 3000);
        QVERIFY(rms(sound->pcm.mid(perTenth * 4, perTenth)) > 3000);
        QVERIFY(rms(sound->pcm.right(perTenth / 2)) < 1500);
        QVERIFY(std::abs(reinterpret_cast<const qint16 *>(sound->pcm.constData())[0]) < 200);
    }

private:
    std::unique_ptr<test::Sandbox> m_sandbox;
    FakeOutput m_out;
};

QTEST_MAIN(TestAlarm)
#include "tst_alarm.moc"
