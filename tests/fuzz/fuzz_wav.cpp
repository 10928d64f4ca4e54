// Any bytes as Chimes.wav: decoding must neither crash nor run away.
#include "gui/sound/module/wavdecode.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray image(reinterpret_cast<const char *>(data), qsizetype(size));
    image.append('\0'); // as the chime buffer always ends
    if (const auto sound = zentova::decodeWav(image)) {
        if (sound->channels < 1 || sound->channels > 2 || sound->pcm.size() % 2 != 0)
            std::abort();
    }
    return 0;
}
