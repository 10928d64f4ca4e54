// Where the strip opens: its usual place at the top of the screen, or where
// the user last left it, always wholly on a screen, whatever its size or
// scale.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <optional>

namespace zentova
{

// The top-left corner that puts `wanted` wholly on a screen: `wanted` itself
// when it fits on the screen holding its corner; otherwise moved the least
// distance onto that screen's area, or onto the primary screen's when the
// corner is on none. Areas are the screens' available geometries.
QPoint fitOnScreens(const QRect &wanted, const QList<QRect> &areas, const QRect &primary);

// fitOnScreens on the screens of this desktop.
QPoint fitOnDesktop(const QRect &wanted);

// The place the user last left the strip at, kept per user in
// ~/.config/zentova/zentova.ini. Anything that is no sensible place (not
// numbers, absurdly far) reads as none. A folder that cannot be written
// loses the place, never a count.
std::optional<QPoint> rememberedStripPlace();
void rememberStripPlace(const QPoint &place);

} // namespace zentova
