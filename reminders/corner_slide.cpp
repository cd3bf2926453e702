#include "reminders/corner_slide.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "ui/window_base.h"

namespace Reminders {

namespace {

// The primary monitor less the docks' space, as the platform finds it (Qt's own view misses the
// panels once there is more than one monitor).
QRect WorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? platform::Current().WorkArea(screen) : QRect();
}

// The windows in the corner, in the order they came; closed ones drop out.
std::vector<QPointer<ui::WindowBase>>& Corner() {
    static std::vector<QPointer<ui::WindowBase>> windows;
    std::erase_if(windows, [](const QPointer<ui::WindowBase>& w) { return !w || w->IsClosed(); });
    return windows;
}

// The width the windows that came before `window` take in the corner.
int TakenBefore(const ui::WindowBase& window) {
    int taken = 0;
    for (const QPointer<ui::WindowBase>& other : Corner()) {
        if (other == &window) break;
        taken += other->ClientRect().width();
    }
    return taken;
}

// The window's content (the window less its drop shadow), on the screen.
QRect ContentGeometry(const ui::WindowBase& window) {
    return QRect(window.geometry().topLeft() + window.ClientRect().topLeft(),
                 window.ClientRect().size());
}

void MoveContentTo(ui::WindowBase& window, const QPoint& topLeft) {
    window.move(topLeft - window.ClientRect().topLeft());
}

QPoint RestingPlaceOf(const ui::WindowBase& window) {
    return CornerSlide::RestingPlace(WorkArea(), window.ClientRect().size(), TakenBefore(window));
}

}  // namespace

QPoint CornerSlide::RestingPlace(const QRect& workArea, const QSize& content, int taken) {
    // Beside the others while there is room; never off the work area's left edge.
    const int x = std::max(workArea.x(), workArea.x() + workArea.width() - taken - content.width());
    return QPoint(x, workArea.y() + workArea.height() - content.height());
}

void CornerSlide::PlaceBelow(ui::WindowBase& window) {
    std::vector<QPointer<ui::WindowBase>>& corner = Corner();
    if (std::ranges::none_of(corner, [&window](const auto& w) { return w == &window; }))
        corner.emplace_back(&window);
    const QRect work = WorkArea();
    MoveContentTo(window, QPoint(RestingPlaceOf(window).x(), work.y() + work.height()));
}

bool CornerSlide::Step(ui::WindowBase& window) {
    const QPoint rest = RestingPlaceOf(window);
    const QPoint at = ContentGeometry(window).topLeft();
    if (at.y() <= rest.y()) {
        // A panel that shrank or moved away meanwhile leaves the window above or beside its
        // corner: it ends in the corner all the same.
        if (at != rest) MoveContentTo(window, rest);
        return false;
    }
    MoveContentTo(window, QPoint(rest.x(), std::max(rest.y(), at.y() - kStepPx)));
    return true;
}

}  // namespace Reminders
