// The chain of title boxes: box i + 1 opens when box i holds a title or it
// holds one itself, so titles are entered in counter order. Box 0 is always
// open.
#pragma once

#include "core/state/countrecord.h"

#include <QString>
#include <array>

namespace zentova
{

std::array<bool, CounterCount> titleBoxesEnabled(const std::array<QString, CounterCount> &texts);

} // namespace zentova
