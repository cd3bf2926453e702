#include "ui/corner_slide.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "ui/window_base.h"

namespace ui {

namespace {

QRect WorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The window's content (the window less its drop shadow), on the screen.
QRect ContentGeometry(const WindowBase& window) {
    return QRect(window.geometry().topLeft() + window.ClientRect().topLeft(),
                 window.ClientRect().size());
}

void MoveContentTo(WindowBase& window, const QPoint& topLeft) {
    window.move(topLeft - window.ClientRect().topLeft());
}

}  // namespace

QPoint CornerSlide::RestingPlace(const QRect& workArea, const QSize& content) {
    return QPoint(workArea.x() + workArea.width() - content.width(),
                  workArea.y() + workArea.height() - content.height());
}

void CornerSlide::PlaceBelow(WindowBase& window) {
    const QRect work = WorkArea();
    MoveContentTo(window, QPoint(RestingPlace(work, window.ClientRect().size()).x(),
                                 work.y() + work.height()));
}

bool CornerSlide::Step(WindowBase& window) {
    const QPoint rest = RestingPlace(WorkArea(), window.ClientRect().size());
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

}  // namespace ui
