// WAV images as the chime may come: decoded to what the output plays, and
// refused where they are no sound at all.
#include "gui/sound/module/wavdecode.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <sndfile.h>
#include <vector>

using namespace zentova;

namespace
{

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

} // namespace

class TestWav : public QObject
{
    Q_OBJECT
private slots:
    void decodesEveryWavEncoding_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("played"); // channels played: more keep the front pair
        QTest::addRow("PCM 16-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 1 << 1;
        QTest::addRow("float") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << 44100 << 2 << 2;
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
        const double level = test::peakRms(sound->pcm, int(sound->pcm.size() / 2));  // all of it
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

};

QTEST_GUILESS_MAIN(TestWav)
#include "tst_wav.moc"
