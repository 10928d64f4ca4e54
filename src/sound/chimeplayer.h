// Plays the chime without blocking. The real output lives in the sound
// module, which is loaded on the first play: nothing of the audio stack is
// touched, or even loaded, before the first alarm.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Starts playing a WAV file image and returns at once; the output keeps
    // what it needs until the sound has ended or stop() is called. False:
    // the image is no WAV it can play.
    virtual bool playImage(const QByteArray &image) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // The desktop's default notification sound.
    virtual void beep() = 0;
};

// The real output; tests replace it.
SoundOutput &soundOutput();
void setSoundOutput(SoundOutput *output); // nullptr restores the real one

// Where the real output loads the module from: the copy built into the
// program, else this file (for tests, which have no built-in copy).
void setSoundModuleFile(const QString &path);
bool soundModuleLoaded();

} // namespace zentova
