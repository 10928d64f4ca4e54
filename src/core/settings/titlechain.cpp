#include "core/settings/titlechain.h"

namespace zentova
{

std::array<bool, CounterCount> titleBoxesEnabled(const std::array<QString, CounterCount> &texts)
{
    std::array<bool, CounterCount> enabled{};
    enabled[0] = true;
    for (size_t i = 0; i + 1 < CounterCount; ++i)
        enabled[i + 1] = !texts[i].isEmpty() || !texts[i + 1].isEmpty();
    return enabled;
}

} // namespace zentova
