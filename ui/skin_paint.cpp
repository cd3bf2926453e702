#include "ui/skin_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/skin_package.h"

namespace ui {

QRect ImageDestRect(const QRect& rect, const SkinImage& image) {
    if (!image.dest) return rect;
    return image.dest->translated(rect.topLeft()).intersected(rect);
}

bool DrawSkinImage(QPainter& painter, const QRect& rect, const SkinImage& image,
                   const SkinPackage& package) {
    if (image.IsEmpty() || rect.isEmpty()) return false;
    const QImage picture = package.Image(image.file);
    if (picture.isNull()) return false;
    QRect source = image.source ? image.source->intersected(picture.rect()) : picture.rect();
    if (source.isEmpty()) return false;
    const QRect dest = ImageDestRect(rect, image);
    if (dest.isEmpty()) return false;

    painter.save();
    painter.setOpacity(painter.opacity() * image.fade / 255.0);
    // Corners wider than the picture part or the target leave no middle; clamp them.
    const int l = std::clamp(image.corner.left, 0, std::min(source.width(), dest.width()));
    const int r = std::clamp(image.corner.right, 0, std::min(source.width(), dest.width()) - l);
    const int t = std::clamp(image.corner.top, 0, std::min(source.height(), dest.height()));
    const int b = std::clamp(image.corner.bottom, 0, std::min(source.height(), dest.height()) - t);
    if (l == 0 && r == 0 && t == 0 && b == 0) {
        painter.drawImage(dest, picture, source);
    } else {
        // Nine parts: columns and rows of (corner, middle, corner) in source and destination.
        const int sx[4] = {source.left(), source.left() + l, source.right() + 1 - r,
                           source.right() + 1};
        const int sy[4] = {source.top(), source.top() + t, source.bottom() + 1 - b,
                           source.bottom() + 1};
        const int dx[4] = {dest.left(), dest.left() + l, dest.right() + 1 - r, dest.right() + 1};
        const int dy[4] = {dest.top(), dest.top() + t, dest.bottom() + 1 - b, dest.bottom() + 1};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
                const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
                if (s.isEmpty() || d.isEmpty()) continue;
                painter.drawImage(d, picture, s);
            }
        }
    }
    painter.restore();
    return true;
}

QFont FittedFont(const QFont& font, const QString& text, int width) {
    QFont fitted = font;
    const int size = font.pixelSize();
    if (size <= 0 || width <= 0) return fitted;
    // The usual case, from the font's cached advances: the whole line fits, ink and all.
    if (QFontMetrics(font).horizontalAdvance(text) <= width) return fitted;
    for (int px = size; px >= kSmallestFittedPx; --px) {
        fitted.setPixelSize(px);
        // The ink, not the advance: a full-width colon's blank half may run out of sight.
        if (QFontMetrics(fitted).tightBoundingRect(text).right() < width) break;
    }
    return fitted;
}

void DrawSkinText(QPainter& painter, const QRect& rect, const QString& text, const QFont& font,
                  const QColor& color, Qt::Alignment align, bool wordWrap, bool endEllipsis) {
    if (text.isEmpty() || rect.isEmpty()) return;
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    int flags = static_cast<int>(align);
    QString shown = text;
    if (wordWrap) {
        flags |= Qt::TextWordWrap;
    } else {
        flags |= Qt::TextSingleLine;
        if (endEllipsis) shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width());
    }
    painter.drawText(rect, flags, shown);
    painter.restore();
}

}  // namespace ui
