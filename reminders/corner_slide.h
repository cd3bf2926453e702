#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ui {
class WindowBase;
}

// The way reminders come in: a window rises from just below the primary screen's work area (the
// desktop less its panels) into its bottom-right corner, a few pixels a step. The window runs
// the steps on a timer of its own; the work area is read at every step, so a panel that moves
// meanwhile is followed. Two reminders never cover each other: a window that comes while
// another one is in the corner rests fully beside it, to its left.
namespace Reminders {

class CornerSlide {
  public:
    static constexpr int kStepMs = 10;
    static constexpr int kStepPx = 4;

    // Where the window's content rests: its bottom-right on the work area's, moved left by
    // `taken`, the width the corner's earlier windows take.
    static QPoint RestingPlace(const QRect& workArea, const QSize& content, int taken = 0);
    // Puts the window, unseen, just below the work area where it will rise, and counts it in
    // the corner until it closes.
    static void PlaceBelow(ui::WindowBase& window);
    // One step up, never past the resting place. False when the window was in place already:
    // the slide is over.
    static bool Step(ui::WindowBase& window);
};

}  // namespace Reminders
