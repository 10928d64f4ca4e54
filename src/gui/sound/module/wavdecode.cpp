#include "gui/sound/module/wavdecode.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace zentova
{

namespace
{

struct MemoryFile {
    const QByteArray *data;
    sf_count_t pos;
};

sf_count_t vioLength(void *user)
{
    return static_cast<MemoryFile *>(user)->data->size();
}

sf_count_t vioSeek(sf_count_t offset, int whence, void *user)
{
    auto *f = static_cast<MemoryFile *>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = f->data->size();
    const sf_count_t target = base + offset;
    if (target < 0)
        return -1;
    f->pos = target;
    return f->pos;
}

sf_count_t vioRead(void *ptr, sf_count_t count, void *user)
{
    auto *f = static_cast<MemoryFile *>(user);
    const sf_count_t size = f->data->size();
    if (count <= 0 || f->pos >= size)
        return 0;
    const sf_count_t n = std::min(count, size - f->pos);
    std::memcpy(ptr, f->data->constData() + f->pos, size_t(n));
    f->pos += n;
    return n;
}

sf_count_t vioWrite(const void *, sf_count_t, void *)
{
    return 0;
}

sf_count_t vioTell(void *user)
{
    return static_cast<MemoryFile *>(user)->pos;
}

constexpr sf_count_t kMaxSeconds = 600;

} // namespace

std::optional<DecodedSound> decodeWav(const QByteArray &image)
{
    SF_VIRTUAL_IO vio{vioLength, vioSeek, vioRead, vioWrite, vioTell};
    MemoryFile file{&image, 0};
    SF_INFO info{};
    SNDFILE *sf = sf_open_virtual(&vio, SFM_READ, &info, &file);
    if (!sf)
        return std::nullopt;

    const int major = info.format & SF_FORMAT_TYPEMASK;
    if ((major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) || info.channels < 1 ||
        info.samplerate < 1000 || info.samplerate > 384000) {
        sf_close(sf);
        return std::nullopt;
    }

    DecodedSound out;
    out.sampleRate = info.samplerate;
    out.channels = std::min(info.channels, 2);
    const sf_count_t maxFrames = kMaxSeconds * info.samplerate;

    // Read as float, which libsndfile normalises to -1..1 for every encoding,
    // and convert here: read as integers a float file's samples would be
    // truncated to silence (or, with its scaling switched on, stretched to
    // the file's peak).
    std::vector<float> block(size_t(4096) * size_t(info.channels));
    sf_count_t total = 0;
    while (total < maxFrames) {
        const sf_count_t want = std::min<sf_count_t>(4096, maxFrames - total);
        const sf_count_t got = sf_readf_float(sf, block.data(), want);
        if (got <= 0)
            break;
        for (sf_count_t fr = 0; fr < got; ++fr) {
            // More than two channels: the front pair carries the sound.
            const float *frame = block.data() + fr * info.channels;
            for (int c = 0; c < out.channels; ++c) {
                const float v = std::isfinite(frame[c]) ? std::clamp(frame[c], -1.0f, 1.0f) : 0.0f;
                const qint16 sample = qint16(std::lround(v * 32767.0f));
                out.pcm.append(reinterpret_cast<const char *>(&sample), sizeof sample);
            }
        }
        total += got;
    }
    sf_close(sf);
    if (total == 0)
        return std::nullopt;
    return out;
}

} // namespace zentova
