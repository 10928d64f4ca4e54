// The default chime, synthesised: a two-tone bell with a soft decay, about
// 1.5 s of 16-bit mono PCM at 44.1 kHz, as a complete WAV file image.
#pragma once

#include <QByteArray>

namespace zentova
{

QByteArray synthChimeWav();

} // namespace zentova
