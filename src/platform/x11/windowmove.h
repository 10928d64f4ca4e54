// The desktop's own interactive move of a window, started from a pointer
// position that the program knows for sure.
#pragma once

#include <QPointF>

class QWindow;

namespace zentova
{

// Asks the window manager to move `window` with the left button from the
// pointer at `globalPos` (the event's global position) until the button is
// released. False where no window manager takes such a request (a bare X
// server): the caller then moves the window itself.
//
// On X11 the request is sent here rather than by Qt: Qt 6.4 computes the
// pointer's place from the last event it saw, which under openbox is now and
// then already global, and the strip then jumps away by its own position.
bool startDesktopMove(QWindow *window, const QPointF &globalPos);

} // namespace zentova
