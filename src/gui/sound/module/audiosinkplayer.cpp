#include "gui/sound/module/audiosinkplayer.h"

#include "gui/sound/module/wavdecode.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>

namespace zentova
{

bool AudioSinkPlayer::playImage(const QByteArray &image)
{
    stop();
    const auto sound = decodeWav(image);
    if (!sound)
        return false;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return true; // no audio device: nothing plays, nothing is reported

    QAudioFormat format;
    format.setSampleRate(sound->sampleRate);
    format.setChannelCount(sound->channels);
    format.setSampleFormat(QAudioFormat::Int16);

    // The buffer belongs to the sink and holds its own reference to the
    // samples, so they live exactly as long as the sink can read them.
    m_sink = new QAudioSink(device, format);
    auto *buffer = new QBuffer(m_sink);
    buffer->setData(sound->pcm);
    buffer->open(QIODevice::ReadOnly);
    QAudioSink *sink = m_sink;
    QObject::connect(sink, &QAudioSink::stateChanged, sink, [this, sink](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) {
            // The sink is still inside its own signal: finish afterwards.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
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
    return true;
}

void AudioSinkPlayer::stop()
{
    if (!m_sink)
        return;
    QAudioSink *sink = m_sink;
    m_sink = nullptr;
    sink->disconnect();
    sink->stop();
    sink->deleteLater();
}

bool AudioSinkPlayer::isPlaying() const
{
    return m_sink && m_sink->state() == QAudio::ActiveState;
}

} // namespace zentova
