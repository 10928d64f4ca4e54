// Real playback: the chime goes through QAudioSink into a PulseAudio null
// sink while parec records the sink's monitor. Run by with_pulseaudio.sh.
#include "sound/chimeplayer.h"
#include "sound/chimesynth.h"
#include "sound/mdlsound.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zentova;

class TestPlayback : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void chimeSoundsThroughTheDesktopAudio();
    void oneByteImagePlaysNothingAndReportsNothing();
};

void TestPlayback::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        QFAIL("run me through tests/with_pulseaudio.sh");
    // The module as the program loads it, from the file the build made.
    setSoundModuleFile(QStringLiteral(ZENTOVA_SOUND_MODULE_FILE));
    QVERIFY(!soundModuleLoaded());
}

void TestPlayback::chimeSoundsThroughTheDesktopAudio()
{
    QTemporaryDir dir;
    const QString recording = dir.filePath("monitor.raw");
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("--device=zentova_null.monitor"), QStringLiteral("--format=s16le"),
                 QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                 QStringLiteral("--raw"), recording});
    QVERIFY(parec.waitForStarted());
    QTest::qWait(400);

    gChimeData = synthChimeWav();
    gChimeData.append('\0');
    QElapsedTimer clock;
    clock.start();
    PlayChime();
    const qint64 returnedAfter = clock.elapsed();
    QVERIFY(soundModuleLoaded());
    QVERIFY(soundOutput().isPlaying());
    QTRY_VERIFY_WITH_TIMEOUT(!soundOutput().isPlaying(), 6000);
    QTest::qWait(400);
    parec.terminate();
    QVERIFY(parec.waitForFinished(3000));

    QFile f(recording);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const test::Loudness loud = test::measureLoudness(f.readAll(), 882, 300.0); // 20 ms windows
    const double seconds = loud.loudWindows * 0.02;
    qInfo("PlayChime returned after %lld ms; loud for %.2f s; peak RMS %.0f", returnedAfter,
          seconds, loud.peakRms);
    QVERIFY2(loud.peakRms > 3000, "the recording holds no chime");
    QVERIFY2(seconds > 0.9 && seconds < 2.0, qPrintable(QString::number(seconds)));
}

void TestPlayback::oneByteImagePlaysNothingAndReportsNothing()
{
    gChimeData = QByteArray(1, '\0');
    PlayChime();
    QVERIFY(!soundOutput().isPlaying());
}

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
