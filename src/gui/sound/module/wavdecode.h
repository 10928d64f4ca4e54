// Decoding a WAV file image held in memory into 16-bit PCM, through
// libsndfile's virtual I/O (every encoding it reads: PCM 8 to 32 bits,
// float, mu-law, A-law, ADPCM; any rate, any channel count).
#pragma once

#include <QByteArray>
#include <optional>

namespace zentova
{

struct DecodedSound {
    QByteArray pcm; // interleaved signed 16-bit little-endian samples
    int sampleRate = 0;
    int channels = 0; // 1 or 2
};

// Empty when the image is no WAV that libsndfile can read. Longer sounds are
// cut at ten minutes, so a lying header cannot make it allocate without end.
std::optional<DecodedSound> decodeWav(const QByteArray &image);

} // namespace zentova
