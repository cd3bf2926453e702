#pragma once

#include <QPoint>
#include <QRect>

// Where windows that open at a point (menus, drop-down lists, questions) may go.
namespace ui {

// The work area (the screen less its panels) of the screen that shows `point`; of the screen
// under the pointer when none does (a point lifted above a panel at the top); else of the
// primary screen. Empty without any screen.
QRect WorkAreaAt(const QPoint& point);

// `rect` moved, not resized, into `area`: right and bottom edges first, so a rectangle larger
// than the area keeps its top-left corner in view.
QRect KeptWithin(QRect rect, const QRect& area);

}  // namespace ui
