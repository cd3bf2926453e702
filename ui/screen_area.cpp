#include "ui/screen_area.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "platform/platform.h"

namespace ui {

QRect WorkAreaAt(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen) screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    return platform::Current().WorkArea(screen);
}

QRect KeptWithin(QRect rect, const QRect& area) {
    if (area.isEmpty()) return rect;
    if (rect.right() > area.right()) rect.moveRight(area.right());
    if (rect.bottom() > area.bottom()) rect.moveBottom(area.bottom());
    if (rect.left() < area.left()) rect.moveLeft(area.left());
    if (rect.top() < area.top()) rect.moveTop(area.top());
    return rect;
}

}  // namespace ui
