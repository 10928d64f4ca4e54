// Plays the chime without blocking. The real output is the sound plugin
// (zentova_sound.so), loaded on the first play: nothing of the audio stack
// is touched, or even loaded, before the first alarm.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtPlugin>

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

// Where the plugin is looked for, for a program in `programFolder`: beside
// it (a build tree, a portable copy), then in the installed
// lib/<architecture>/zentova; each only where no other account can write.
QStringList soundPluginCandidates(const QString &programFolder);
bool soundPluginLoaded();

} // namespace zentova

#define ZentovaSoundOutput_iid "org.zentova.SoundOutput/1"
Q_DECLARE_INTERFACE(zentova::SoundOutput, ZentovaSoundOutput_iid)
