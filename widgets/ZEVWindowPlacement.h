#pragma once
// Where a window opens: beside the window it belongs to, whole inside the available area of that
// window's screen (the screen less the desktop's panels), and at least as large as its contents
// ask, so that its texts read whole. One rule for every window and panel of the program; the
// window manager would otherwise put a window where it likes, or Qt at the screen's top left.
//
// Frames here are outer frames (the manager's decorations included) in y-down screen pixels.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace tallomer::placement {

// The frame of a window of outer size `frame` beside `anchor`: to its right, top edges level;
// else to its left; else, with no room on either side, in the anchor's lower right corner, over
// it but clear of its top (its menus and bars). Always inside `available`: a frame larger than it
// is cut to it.
QRect frameBeside(const QRect& anchor, QSize frame, const QRect& available);

// The window the others open beside when no other is named (the program's main window); not
// owned, forgotten when it goes.
void setMainWindow(QWidget* window);
QWidget* mainWindow();

// Puts a top-level `window`, shown or not, beside `anchor`'s window (nullptr: beside the main
// window while it shows, else centred on the primary screen), first grown to its size hint. A
// window not yet framed by the manager is given the anchor's decorations.
void placeBeside(QWidget* window, const QWidget* anchor = nullptr);
// Puts `window` with its outer frame's corner at `corner`, moved as little as needed to lie whole
// inside the available area of the screen that holds that point.
void placeAt(QWidget* window, QPoint corner);

} // namespace tallomer::placement
