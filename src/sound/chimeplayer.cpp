#include "sound/chimeplayer.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

namespace zentova {

namespace {

class AudioSinkOutput : public SoundOutput {
public:
    void play(const DecodedSound &sound) override
    {
        stop();
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return; // no audio device: nothing plays, nothing is reported

        QAudioFormat format;
        format.setSampleRate(sound.sampleRate);
        format.setChannelCount(sound.channels);
        format.setSampleFormat(QAudioFormat::Int16);

        // The buffer belongs to the sink and holds its own reference to the
        // samples, so they live exactly as long as the sink can read them.
        m_sink = new QAudioSink(device, format);
        auto *buffer = new QBuffer(m_sink);
        buffer->setData(sound.pcm);
        buffer->open(QIODevice::ReadOnly);
        QAudioSink *sink = m_sink;
        QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink](QAudio::State state) {
            if (state == QAudio::IdleState || state == QAudio::StoppedState) {
                // The sink is still inside its own signal: finish afterwards.
                QMetaObject::invokeMethod(
                    qApp,
                    [this, sink] {
                        if (m_sink == sink && m_sink->state() != QAudio::ActiveState)
                            stop();
                    },
                    Qt::QueuedConnection);
            }
        });
        sink->start(buffer);
        if (sink->error() != QAudio::NoError)
            stop();
    }

    void stop() override
    {
        if (!m_sink)
            return;
        QAudioSink *sink = m_sink;
        m_sink = nullptr;
        sink->disconnect();
        sink->stop();
        sink->deleteLater();
    }

    bool isPlaying() const override { return m_sink && m_sink->state() == QAudio::ActiveState; }

    void beep() override { QApplication::beep(); }

private:
    QAudioSink *m_sink = nullptr;
};

SoundOutput *g_output = nullptr;

} // namespace

SoundOutput &soundOutput()
{
    if (g_output)
        return *g_output;
    // Never destroyed: a sink must not outlive the application object.
    static auto *real = new AudioSinkOutput;
    return *real;
}

void setSoundOutput(SoundOutput *output)
{
    g_output = output;
}

} // namespace zentova
