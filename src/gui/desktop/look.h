// The look of the windows beside the strip (the history, the options, the
// team): light or dark as the desktop asks. The strip keeps its own colours.
#pragma once

#include <QPalette>

class QWidget;

namespace zentova
{

// Whether the desktop asks for a dark look: GTK_THEME where it is set (as GTK
// programs take it: "Adwaita:dark"), else the desktop portal's color-scheme
// (GNOME 42 and later, KDE Plasma).
bool desktopPrefersDark();
// A dark palette for the toolkit's own style.
QPalette darkPalette();
// `window` in the desktop's look now, and again whenever the desktop's
// choice changes while it is open.
void followDesktopLook(QWidget *window);

} // namespace zentova
