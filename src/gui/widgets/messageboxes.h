// The message boxes a person sees: modal Qt boxes above the always-on-top
// strip, with Japanese buttons.
#pragma once

#include "core/base/msgbox.h"

namespace zentova
{

class RealMessageBoxes : public MessageBoxBackend
{
public:
    int show(const QString &prompt, int style, const QString &caption) override;
};

} // namespace zentova
