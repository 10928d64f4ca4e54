// The desktop's own interactive move of a window, started from a pointer
// position that the program knows for sure, and what it takes under a window
// manager that moves windows only so.
#pragma once

#include <QPoint>
#include <QPointF>
#include <optional>

class QWidget;
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

// Weston's X11 window manager (the one its XWayland runs) places a utility
// window once, where it first asks to be, and moves it neither at a drag nor
// at a request; and it answers any request for a place, even before the
// window is shown, by putting the window in the corner its frame's shadow
// leaves (32,32). Qt asks for the place it already has while showing a window.
//
// Under Weston, holdForWeston gives `window` (made but not yet shown) the type
// of a dialog, which Weston moves at a drag and opens where it is when first
// shown, and keeps the window out of the window manager's hands until
// releaseToWeston, called just before it is first shown. Elsewhere it changes
// nothing and answers false.
bool holdForWeston(QWindow *window);
void releaseToWeston(QWindow *window);

// Where the top left of `window`'s own area is on the screen, as the X server
// has it. Weston moves the frame it puts around a window without telling the
// window, so Qt goes on with the place it last heard of.
std::optional<QPoint> placeOnScreen(QWindow *window);

// How far `window` (a shown top-level widget) really is from where Qt has
// it. Qt's idea goes stale under openbox now and then: when the window
// manager puts a frame around the window, Qt asks where the window is at
// once, gets the frame's first place (the screen's corner) before the frame
// is moved where the window asked to be, and hears of no move after. A null
// point where Qt is right or the X server cannot be asked.
QPoint staleBy(const QWidget *window);

} // namespace zentova
