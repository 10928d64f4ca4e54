// A WAV image decoded and played on the desktop's default output through
// QAudioSink, without blocking. No audio device: nothing plays, quietly.
#pragma once

#include <QByteArray>

class QAudioSink;

namespace zentova
{

class AudioSinkPlayer
{
public:
    // False when the image is no WAV that can be decoded.
    bool playImage(const QByteArray &image);
    void stop();
    bool isPlaying() const;

private:
    QAudioSink *m_sink = nullptr;
};

} // namespace zentova
