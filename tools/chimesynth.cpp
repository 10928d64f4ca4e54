#include "chimesynth.h"

#include <QtEndian>
#include <cmath>
#include <vector>

namespace zentova
{

namespace
{

constexpr int kRate = 44100;
constexpr double kSeconds = 1.5;
constexpr double kPi = 3.14159265358979323846;

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian<quint32>(v, b);
    out.append(b, 4);
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian<quint16>(v, b);
    out.append(b, 2);
}

// One struck bell: a fundamental with two softer, inharmonic partials, a 4 ms
// attack so it does not click, and an exponential decay.
double bell(double t, double freq)
{
    if (t < 0)
        return 0;
    const double attack = std::min(1.0, t / 0.004);
    const double body = std::sin(2 * kPi * freq * t) * std::exp(-t * 3.2);
    const double hum = 0.35 * std::sin(2 * kPi * freq * 2.0 * t) * std::exp(-t * 5.0);
    const double shimmer = 0.18 * std::sin(2 * kPi * freq * 2.76 * t) * std::exp(-t * 9.0);
    return attack * (body + hum + shimmer);
}

} // namespace

QByteArray synthChimeWav()
{
    const int frames = int(kRate * kSeconds);
    std::vector<qint16> samples(size_t(frames), 0);
    for (int n = 0; n < frames; ++n) {
        const double t = double(n) / kRate;
        // E6 then C6, the familiar falling pair of a door chime.
        double v = 0.55 * bell(t, 1318.51) + 0.55 * bell(t - 0.42, 1046.50);
        // Fade the last 80 ms to silence so the end never clicks.
        const double tail = (kSeconds - t) / 0.08;
        if (tail < 1.0)
            v *= std::max(0.0, tail);
        samples[size_t(n)] = qint16(std::lround(std::clamp(v, -1.0, 1.0) * 26000));
    }

    const quint32 dataBytes = quint32(frames) * 2;
    QByteArray wav;
    wav.reserve(int(44 + dataBytes));
    wav.append("RIFF");
    put32(wav, 36 + dataBytes);
    wav.append("WAVE");
    wav.append("fmt ");
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, 1); // mono
    put32(wav, kRate);
    put32(wav, kRate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav.append("data");
    put32(wav, dataBytes);
    for (qint16 s : samples)
        put16(wav, quint16(s));
    return wav;
}

} // namespace zentova
