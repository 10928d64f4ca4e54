// Real playback: the chime goes through QAudioSink into a PulseAudio null
// sink while parec records the sink's monitor. Run by with_pulseaudio.sh.
#include "sound/chimeplayer.h"
#include "sound/chimesynth.h"
#include "sound/mdlsound.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace zentova;

namespace {

// The longest run of 20 ms windows louder than `threshold`, in seconds, and
// the loudest window's RMS.
std::pair<double, double> loudSpan(const QByteArray &raw, int rate, double threshold)
{
    const auto *s = reinterpret_cast<const qint16 *>(raw.constData());
    const qsizetype n = raw.size() / 2;
    const qsizetype window = rate / 50;
    double best = 0, peak = 0;
    qsizetype run = 0, longest = 0;
    for (qsizetype start = 0; start + window <= n; start += window) {
        double sum = 0;
        for (qsizetype i = start; i < start + window; ++i)
            sum += double(s[i]) * s[i];
        const double level = std::sqrt(sum / window);
        peak = std::max(peak, level);
        run = level > threshold ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    best = double(longest) * window / rate;
    return {best, peak};
}

} // namespace

class TestPlayback : public QObject {
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
    const auto [seconds, peak] = loudSpan(f.readAll(), 44100, 300.0);
    qInfo("PlayChime returned after %lld ms; loud for %.2f s; peak RMS %.0f", returnedAfter,
          seconds, peak);
    QVERIFY2(peak > 3000, "the recording holds no chime");
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
