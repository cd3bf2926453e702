#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The way reminders come in: a window rises from just below the primary screen's work area (the
// desktop less its panels) into its bottom-right corner, a few pixels a step. The window runs
// the steps on a timer of its own; the work area is read at every step, so a panel that moves
// meanwhile is followed.
namespace ui {

class WindowBase;

class CornerSlide {
  public:
    static constexpr int kStepMs = 10;
    static constexpr int kStepPx = 4;

    // Where the window's content rests: its bottom-right on the work area's.
    static QPoint RestingPlace(const QRect& workArea, const QSize& content);
    // Puts the window, unseen, just below the work area and flush with its right edge.
    static void PlaceBelow(WindowBase& window);
    // One step up, never past the resting place. False when the window was in place already:
    // the slide is over.
    static bool Step(WindowBase& window);
};

}  // namespace ui
