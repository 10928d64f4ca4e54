// Entry point of the sound module (loaded with dlopen at the first chime).
#include "sound/module/audiosinkplayer.h"
#include "sound/module/soundapi.h"

namespace
{

zentova::AudioSinkPlayer &player()
{
    // Never destroyed: a sink must not outlive the application object.
    static auto *p = new zentova::AudioSinkPlayer;
    return *p;
}

int playImage(const char *data, long long size)
{
    return player().playImage(QByteArray::fromRawData(data, qsizetype(size))) ? 1 : 0;
}

void stop()
{
    player().stop();
}

int isPlaying()
{
    return player().isPlaying() ? 1 : 0;
}

const ZentovaSoundApi kApi = {ZENTOVA_SOUND_ABI, &playImage, &stop, &isPlaying};

} // namespace

extern "C" __attribute__((visibility("default"))) const ZentovaSoundApi *zentova_sound_api()
{
    return &kApi;
}
