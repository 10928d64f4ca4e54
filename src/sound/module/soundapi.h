// The plain C face of the sound module. The module holds everything that
// touches audio (libsndfile, Qt Multimedia, the audio device) and is loaded
// only when the first chime plays, so a strip that waits all day never
// loads any of it.
#pragma once

extern "C" {

struct ZentovaSoundApi {
    int abiVersion;
    // Decodes a WAV file image and starts playing it on the default output;
    // returns at once. 0: the image is no WAV the module can decode.
    int (*playImage)(const char *data, long long size);
    void (*stop)();
    int (*isPlaying)();
};

typedef const ZentovaSoundApi *(*ZentovaSoundEntry)();
}

#define ZENTOVA_SOUND_ENTRY "zentova_sound_api"
#define ZENTOVA_SOUND_ABI 1
