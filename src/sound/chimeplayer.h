// Plays decoded sound on the desktop's default output without blocking.
// Nothing of the audio stack is touched until the first sound.
#pragma once

#include "sound/wavdecode.h"

namespace zentova {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts the sound and returns at once. The output keeps the samples
    // alive until the sound has ended or stop() is called.
    virtual void play(const DecodedSound &sound) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // The desktop's default notification sound.
    virtual void beep() = 0;
};

// The real output (QAudioSink on the default device); tests replace it.
SoundOutput &soundOutput();
void setSoundOutput(SoundOutput *output); // nullptr restores the real one

} // namespace zentova
