// The drawing kit shared by every picture of the skin: helpers, state strips, shadows, the
// title-bar buttons and menu icons.

#include "res/art/art_kit.h"

#include <QFontMetrics>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace art {

// ---- Painting helpers ----------------------------------------------------------------------

QImage Blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Smooth(QPainter& p) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
}

QColor WithAlpha(QColor c, qreal alpha) {
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    const auto lerp = [t](float x, float y) { return x + (y - x) * static_cast<float>(t); };
    return QColor::fromRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()),
                            lerp(a.blueF(), b.blueF()), lerp(a.alphaF(), b.alphaF()));
}

QPen Stroke(const QColor& c, qreal width) {
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QFont UiFont(int pixels, bool bold) {
    QFont font("Noto Sans CJK SC");
    font.setPixelSize(pixels);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Places the text on whole pixels so the hinted glyphs stay sharp.
void Label(QPainter& p, const QRect& box, Qt::Alignment align, const QString& text,
           const QFont& font, const QColor& color) {
    const QFontMetrics fm(font);
    int x = box.left();
    if (align & Qt::AlignHCenter) x += (box.width() - fm.horizontalAdvance(text)) / 2;
    if (align & Qt::AlignRight) x = box.right() + 1 - fm.horizontalAdvance(text);
    const int baseline = box.top() + (box.height() - fm.ascent() - fm.descent()) / 2 + fm.ascent();
    p.save();
    p.setFont(font);
    p.setPen(color);
    p.drawText(QPoint(x, baseline), text);
    p.restore();
}

// A rounded shape; a border is drawn 1 px wide inside the rectangle so its edge stays crisp.
void RoundedBox(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                const QColor& border) {
    p.save();
    if (border.isValid()) {
        p.setPen(QPen(border, 1.0));
        p.setBrush(fill);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, radius, radius);
    }
    p.restore();
}

void FillPath(QPainter& p, const QPainterPath& path, const QBrush& fill) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

QPainterPath Circle(QPointF centre, qreal radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// Part of a circle; angles in degrees, counter-clockwise from three o'clock.
QPainterPath Arc(QPointF centre, qreal radius, qreal start, qreal sweep) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    return path;
}

void FillCircle(QPainter& p, QPointF centre, qreal radius, const QBrush& fill) {
    FillPath(p, Circle(centre, radius), fill);
}

void StrokePath(QPainter& p, const QPainterPath& path, const QPen& pen) {
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

QLinearGradient Diagonal(const QRectF& r, const QColor& from, const QColor& to) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// Three box passes per axis approximate a gaussian blur well enough for soft shadows.
void BoxBlur(QImage& image, int radius) {
    const int w = image.width();
    const int h = image.height();
    std::vector<QRgb> line(static_cast<std::size_t>(std::max(w, h)));
    const auto pixel = [&image](int x, int y) -> QRgb& {
        return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
    };
    const auto blurLine = [&](int length, const std::function<QRgb&(int)>& at) {
        for (int i = 0; i < length; ++i) line[static_cast<std::size_t>(i)] = at(i);
        const int window = 2 * radius + 1;
        for (int i = 0; i < length; ++i) {
            int sum[4] = {0, 0, 0, 0};
            for (int k = std::max(0, i - radius); k <= std::min(length - 1, i + radius); ++k) {
                const QRgb c = line[static_cast<std::size_t>(k)];
                sum[0] += qAlpha(c);
                sum[1] += qRed(c);
                sum[2] += qGreen(c);
                sum[3] += qBlue(c);
            }
            at(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
        }
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) blurLine(w, [&](int i) -> QRgb& { return pixel(i, y); });
        for (int x = 0; x < w; ++x) blurLine(h, [&](int i) -> QRgb& { return pixel(x, i); });
    }
}

// A blurred copy of the shape underneath it, in the painter's current coordinates.
void SoftShadow(QPainter& p, const QPainterPath& shape, const QColor& color, QPointF offset,
                int blur) {
    const QPainterPath device = p.transform().map(shape.translated(offset));
    const QRect area =
        device.boundingRect().toAlignedRect().adjusted(-3 * blur, -3 * blur, 3 * blur, 3 * blur);
    QImage layer = Blank(area.size());
    {
        QPainter lp(&layer);
        Smooth(lp);
        FillPath(lp, device.translated(-area.topLeft()), color);
    }
    BoxBlur(layer, blur);
    p.save();
    p.resetTransform();
    p.drawImage(area.topLeft(), layer);
    p.restore();
}

// A teardrop: round end around `centre`, point `length` away towards `angle` (degrees, 0 = up,
// clockwise). Turned on its side it reads as a leaf, upright as a drop of water.
QPainterPath CupBowl(qreal left, qreal right, qreal rim, qreal depth, qreal shoulder, qreal inset) {
    QPainterPath cup;
    cup.moveTo(left, rim);
    cup.lineTo(right, rim);
    cup.cubicTo(right, rim + shoulder, right - inset, rim + depth, (left + right) / 2, rim + depth);
    cup.cubicTo(left + inset, rim + depth, left, rim + shoulder, left, rim);
    cup.closeSubpath();
    return cup;
}

QPainterPath Teardrop(QPointF centre, qreal radius, qreal length, qreal angle, qreal belly) {
    QPainterPath local;
    local.moveTo(0, -length);
    local.cubicTo(radius * belly, -length * 0.62, radius, -radius * 0.95, radius, 0);
    local.arcTo(QRectF(-radius, -radius, 2 * radius, 2 * radius), 0, -180);
    local.cubicTo(-radius, -radius * 0.95, -radius * belly, -length * 0.62, 0, -length);
    local.closeSubpath();
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(angle);
    return t.map(local);
}

// ---- State strips --------------------------------------------------------------------------

// Draws `states` cells side by side, each with its own origin and clip.
QImage Strip(QSize cell, int states, const CellPainter& draw) {
    QImage image = Blank(QSize(cell.width() * states, cell.height()));
    QPainter p(&image);
    Smooth(p);
    for (int state = 0; state < states; ++state) {
        p.save();
        p.translate(state * cell.width(), 0);
        p.setClipRect(QRect(QPoint(0, 0), cell));
        draw(p, QRectF(QPointF(0, 0), cell), state);
        p.restore();
    }
    return image;
}

QImage Single(QSize size, const std::function<void(QPainter&)>& draw) {
    return Strip(size, 1, [&](QPainter& p, const QRectF&, int) { draw(p); });
}

Picture Animation(const QString& name, std::vector<AnimationFrame> frames) {
    QImage first = frames.empty() ? QImage() : frames.front().image;
    return {name, first, QColor(), std::move(frames)};
}

QImage PillStrip(const PillStyle& s) {
    return Strip(s.cell, 3, [&](QPainter& p, const QRectF& cell, int state) {
        RoundedBox(p, cell, cell.height() / 2, s.fill[static_cast<std::size_t>(state)], s.border);
        if (!s.text.isEmpty())
            Label(p, cell.toRect(), Qt::AlignCenter, s.text, UiFont(14), s.textColor);
    });
}

// ---- Window shadows ------------------------------------------------------------------------

// Alpha depends only on the distance to the window rectangle, so every row of a side band and
// every column of the top and bottom bands is the same and stretches without seams.
QImage NinePatchShadow(const ShadowStyle& s) {
    QImage image = Blank(QSize(s.size, s.size));
    const qreal left = s.corners.left();
    const qreal top = s.corners.top();
    const qreal right = s.size - s.corners.right();
    const qreal bottom = s.size - s.corners.bottom();
    for (int y = 0; y < s.size; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < s.size; ++x) {
            const qreal px = x + 0.5;
            const qreal py = y + 0.5;
            const qreal tx = px < left    ? (left - px) / left
                             : px > right ? (px - right) / s.corners.right()
                                          : 0.0;
            const qreal ty = py < top      ? (top - py) / top
                             : py > bottom ? (py - bottom) / s.corners.bottom()
                                           : 0.0;
            const qreal t = std::hypot(tx, ty);
            if (t <= 0 || t >= 1) continue;
            const qreal vertical = py < top ? s.topAlpha : s.bottomAlpha;
            const qreal peak = (tx * s.sideAlpha + ty * vertical) / (tx + ty);
            // A tight contact shade plus a long soft tail.
            const qreal u = 1 - t;
            const qreal fall = 0.45 * std::pow(u, 7) + 0.55 * std::pow(u, 2.6);
            const int alpha = static_cast<int>(std::lround(peak * fall));
            row[x] = qPremultiply(qRgba(kShadowInk.red(), kShadowInk.green(), kShadowInk.blue(),
                                        std::clamp(alpha, 0, 255)));
        }
    }
    return image;
}

// ---- Title-bar buttons ---------------------------------------------------------------------

QImage TitleButton(const Glyph& glyph, bool danger) {
    return Strip(kTitleButton, 3, [&](QPainter& p, const QRectF& cell, int state) {
        if (state != kNormal) {
            const QColor back = danger ? (state == kHot ? kClose : kClosePressed)
                                       : (state == kHot ? kHotBack : kPushedBack);
            FillCircle(p, cell.center(), 9.5, back);
        }
        const QColor ink = state == kNormal ? kGlyph : danger ? kWhite : kText;
        p.setPen(Stroke(ink, kGlyphStroke));
        p.setBrush(Qt::NoBrush);
        glyph(p);
    });
}

// ---- Menu icons ----------------------------------------------------------------------------

QImage MenuIcon(const Glyph& glyph) {
    return Single(QSize(kMenuIcon, kMenuIcon), glyph);
}

Glyph Tick(const QColor& ink) {
    return [ink](QPainter& p) {
        p.setPen(Stroke(ink, 1.8));
        const QPointF points[] = {{3.4, 8.3}, {6.6, 11.4}, {12.7, 4.8}};
        p.drawPolyline(points, 3);
    };
}

}  // namespace art
