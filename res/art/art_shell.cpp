// The shell's pictures: window shadows, the main window's wave, logo, title buttons, tiles and
// menu icons; the desktop icon set; and the contact sheet of everything.

#include <QFontMetrics>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <vector>

#include "res/art/art_kit.h"

namespace art {

namespace {

// ---- Title-bar glyphs ----------------------------------------------------------------------

// Horizontal strokes sit on pixel centres so one row is solid and the rest is a faint edge.
void BackGlyph(QPainter& p) {
    const QPointF points[] = {{11.9, 4.9}, {7.3, 9.5}, {11.9, 14.1}};
    p.drawPolyline(points, 3);
}

void MenuGlyph(QPainter& p) {
    for (const qreal y : {5.5, 9.5, 13.5}) p.drawLine(QPointF(5.5, y), QPointF(14.5, y));
}

void MinGlyph(QPainter& p) {
    p.drawLine(QPointF(5.5, 9.5), QPointF(14.5, 9.5));
}

void CloseGlyph(QPainter& p) {
    p.drawLine(QPointF(6, 6), QPointF(14, 14));
    p.drawLine(QPointF(14, 6), QPointF(6, 14));
}

// ---- Main window decoration ----------------------------------------------------------------

// The upper edge of a wave band, left to right.
QPainterPath WaveCrest(int width, qreal base, qreal amplitude, int cycles, qreal phase,
                       qreal ripple) {
    const auto level = [&](qreal x) {
        const qreal a = 2 * M_PI * x / width;
        return base + amplitude * std::sin(cycles * a + phase) +
               ripple * std::sin(2 * cycles * a + phase * 1.7);
    };
    QPainterPath crest;
    crest.moveTo(0, level(0));
    for (int x = 1; x <= width; ++x) crest.lineTo(x, level(x));
    return crest;
}

// Whole cycles across the width, so the band would also repeat seamlessly side by side.
QImage DrawWave() {
    return Single(kWave, [](QPainter& p) {
        const qreal w = kWave.width();
        const qreal h = kWave.height();
        struct Band {
            qreal base, amplitude;
            int cycles;
            qreal phase, ripple;
            QColor top, bottom;
        };
        const Band bands[] = {
            {42, 9, 1, 0.6, 3, WithAlpha(kBlueLight, 0.16), WithAlpha(kBlue, 0.22)},
            {58, 8, 2, 2.4, 2, WithAlpha(kTealLight, 0.20), WithAlpha(kTeal, 0.30)},
            {76, 7, 1, 3.9, 2.5, WithAlpha(kTeal, 0.26), WithAlpha(kTeal, 0.42)},
        };
        for (const Band& b : bands) {
            const QPainterPath crest =
                WaveCrest(kWave.width(), b.base, b.amplitude, b.cycles, b.phase, b.ripple);
            QPainterPath band = crest;
            band.lineTo(w, h + 1);
            band.lineTo(0, h + 1);
            band.closeSubpath();
            FillPath(p, band, Vertical(b.base - b.amplitude, h, b.top, b.bottom));
            // A thin light line along the crest makes each band read as water.
            StrokePath(p, crest, QPen(WithAlpha(kWhite, 0.35), 1.0));
        }
    });
}

QPainterPath LeafMark(QPointF centre, qreal radius, qreal length) {
    return Teardrop(centre, radius, length, 45, 0.7);
}

// The rib of the leaf, from inside its round end towards the point.
QPainterPath LeafRib(QPointF centre, qreal unit) {
    QPainterPath rib;
    rib.moveTo(centre + QPointF(-1.3 * unit, 1.3 * unit));
    rib.quadTo(centre + QPointF(1.3 * unit, -0.1 * unit),
               centre + QPointF(3.9 * unit, -3.9 * unit));
    return rib;
}

QImage DrawLogo() {
    return Single(QSize(kLogo, kLogo), [](QPainter& p) {
        const QPointF centre(7.9, 10.1);
        FillPath(p, LeafMark(centre, 6.4, 12),
                 Diagonal(QRectF(2, 2, 14, 14), kTealLight, kTealPressed));
        StrokePath(p, LeafRib(centre, 1.0), Stroke(WithAlpha(kWhite, 0.95), 1.3));
    });
}

void FeedbackGlyph(QPainter& p) {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2.5, 2.5, 11, 8.5), 2.5, 2.5);
    QPainterPath tail;
    tail.moveTo(4.6, 10.4);
    tail.lineTo(4.6, 13.6);
    tail.lineTo(8.2, 10.4);
    tail.closeSubpath();
    StrokePath(p, bubble.united(tail), Stroke(kGlyph, 1.2));
    for (const qreal x : {5.5, 8.0, 10.5}) FillCircle(p, QPointF(x, 6.8), 0.95, kGlyph);
}

void UpdateGlyph(QPainter& p) {
    const QPointF centre(8, 8.5);
    const qreal radius = 5;
    const qreal start = 62;  // degrees, counter-clockwise from three o'clock
    StrokePath(p, Arc(centre, radius, start, 288), Stroke(kGlyph, 1.4));
    // The arrow head at the open end, pointing clockwise along the ring.
    const qreal a = qDegreesToRadians(start);
    const QPointF radial(std::cos(a), -std::sin(a));
    const QPointF along(std::sin(a), std::cos(a));
    const QPointF at = centre + radial * radius;
    QPainterPath head;
    head.moveTo(at + along * 3.2);
    head.lineTo(at - along * 0.6 + radial * 2.6);
    head.lineTo(at - along * 0.6 - radial * 2.6);
    head.closeSubpath();
    FillPath(p, head, kGlyph);
    StrokePath(p, head, Stroke(kGlyph, 0.5));
}

// ---- Tiles ---------------------------------------------------------------------------------

struct TileStyle {
    QSize cell;
    QColor from, to;  // card gradient, top-left to bottom-right
    QString title, subtitle;
    QRect titleBox, subtitleBox;
    Qt::Alignment align;
    Glyph illustration;
};

// Hot is the same card lifted: a lighter face and a brighter rim.
QImage Tile(const TileStyle& s) {
    return Strip(s.cell, 2, [&](QPainter& p, const QRectF& cell, int state) {
        const qreal lift = state == kHot ? 0.12 : 0.0;
        QPainterPath card;
        card.addRoundedRect(cell, kTileRadius, kTileRadius);
        FillPath(p, card, Diagonal(cell, Mix(s.from, kWhite, lift), Mix(s.to, kWhite, lift)));
        p.save();
        p.setClipPath(card);
        // A soft sheen over the top half.
        FillPath(p, card,
                 Vertical(0, cell.height() * 0.6, WithAlpha(kWhite, 0.10), WithAlpha(kWhite, 0.0)));
        s.illustration(p);
        p.restore();
        RoundedBox(p, cell, kTileRadius, Qt::NoBrush,
                   WithAlpha(kWhite, state == kHot ? 0.75 : 0.22));
        Label(p, s.titleBox, s.align, s.title, UiFont(18, true), kWhite);
        Label(p, s.subtitleBox, s.align, s.subtitle, UiFont(12), WithAlpha(kWhite, 0.8));
    });
}

// Concentric translucent discs behind an illustration.
void Halo(QPainter& p, QPointF centre, qreal radius) {
    FillCircle(p, centre, radius, WithAlpha(kWhite, 0.10));
    FillCircle(p, centre, radius * 0.78, WithAlpha(kWhite, 0.12));
}

QPainterPath Shield(QPointF top, qreal width, qreal height) {
    const qreal x = top.x();
    const qreal y = top.y();
    const qreal half = width / 2;
    QPainterPath path;
    path.moveTo(x, y);
    path.cubicTo(x + half * 0.5, y + height * 0.08, x + half * 0.8, y + height * 0.1, x + half,
                 y + height * 0.1);
    path.cubicTo(x + half, y + height * 0.55, x + half * 0.7, y + height * 0.82, x, y + height);
    path.cubicTo(x - half * 0.7, y + height * 0.82, x - half, y + height * 0.55, x - half,
                 y + height * 0.1);
    path.cubicTo(x - half * 0.8, y + height * 0.1, x - half * 0.5, y + height * 0.08, x, y);
    path.closeSubpath();
    return path;
}

QPainterPath Crescent(QPointF centre, qreal radius, QPointF bite, qreal biteRadius) {
    QPainterPath moon;
    moon.addEllipse(centre, radius, radius);
    QPainterPath cut;
    cut.addEllipse(centre + bite, biteRadius, biteRadius);
    return moon.subtracted(cut);
}

// The backdrop shared by the two small tiles: faint discs at the corners and a halo at the
// centre of the illustration.
constexpr QPointF kSmallTileFocus(76, 68);

void SmallTileBackdrop(QPainter& p) {
    FillCircle(p, QPointF(150, 182), 62, WithAlpha(kWhite, 0.08));
    FillCircle(p, QPointF(8, 14), 22, WithAlpha(kWhite, 0.06));
    Halo(p, kSmallTileFocus, 44);
}

void EyeIllustration(QPainter& p) {
    const QPointF c = kSmallTileFocus;
    SmallTileBackdrop(p);

    QPainterPath eye;
    eye.moveTo(c.x() - 37, c.y());
    eye.cubicTo(c.x() - 22, c.y() - 25, c.x() + 22, c.y() - 25, c.x() + 37, c.y());
    eye.cubicTo(c.x() + 22, c.y() + 25, c.x() - 22, c.y() + 25, c.x() - 37, c.y());
    eye.closeSubpath();
    SoftShadow(p, eye, WithAlpha(kBlueDeep, 0.35), QPointF(0, 3), 3);
    FillPath(p, eye, Vertical(c.y() - 19, c.y() + 19, kWhite, Hex(0xE8F4FF)));

    p.save();
    p.setClipPath(eye);
    QRadialGradient iris(c + QPointF(-3, -4), 16);
    iris.setColorAt(0, Hex(0x7CC8FF));
    iris.setColorAt(1, Hex(0x1F7FD6));
    FillCircle(p, c, 13.5, iris);
    FillCircle(p, c, 6.2, Hex(0x123A66));
    FillCircle(p, c + QPointF(4.2, -4.6), 2.8, kWhite);
    FillCircle(p, c + QPointF(-3.8, 4.2), 1.2, WithAlpha(kWhite, 0.85));
    p.restore();
    // Lashes on the upper lid.
    for (const qreal dx : {-16.0, 0.0, 16.0}) {
        const qreal lean = dx / 16 * 0.35;
        const QPointF base(c.x() + dx, c.y() - (dx == 0 ? 19.2 : 16));
        p.setPen(Stroke(WithAlpha(kWhite, 0.9), 2.2));
        p.drawLine(base, base + QPointF(lean * 10, -6.5));
    }

    // A shield with a moon: the night filter guarding the eye.
    const QPointF shieldTop(106, 77);
    const QPainterPath shield = Shield(shieldTop, 28, 33);
    SoftShadow(p, shield, WithAlpha(kBlueDeep, 0.40), QPointF(0, 2.5), 3);
    FillPath(p, shield, Vertical(shieldTop.y(), shieldTop.y() + 33, kWhite, Hex(0xE3F2FF)));
    FillPath(p, Crescent(shieldTop + QPointF(0.5, 14), 7.5, QPointF(4.2, -3.6), 6.3),
             Vertical(shieldTop.y() + 6, shieldTop.y() + 22, kBlueLight, kBlue));
    FillCircle(p, shieldTop + QPointF(6.6, 20.5), 1.1, kBlue);
}

void DrinkIllustration(QPainter& p) {
    SmallTileBackdrop(p);

    const qreal top = 38;
    const qreal bottom = 100;
    QPainterPath glass;
    glass.moveTo(52, top);
    glass.lineTo(100, top);
    glass.lineTo(95.5, bottom - 5);
    glass.quadTo(95, bottom, 90, bottom);
    glass.lineTo(62, bottom);
    glass.quadTo(57, bottom, 56.5, bottom - 5);
    glass.closeSubpath();
    SoftShadow(p, glass, WithAlpha(kTealDeep, 0.45), QPointF(0, 3), 3);
    FillPath(p, glass, WithAlpha(kWhite, 0.30));

    // Water with a gentle surface, clipped to the glass.
    p.save();
    p.setClipPath(glass);
    QPainterPath water;
    water.moveTo(40, 63);
    water.cubicTo(60, 57, 72, 69, 90, 62);
    water.cubicTo(98, 59, 104, 61, 110, 62);
    water.lineTo(110, 110);
    water.lineTo(40, 110);
    water.closeSubpath();
    FillPath(p, water, Vertical(58, bottom, kWhite, Hex(0xC9F7EC)));
    for (const auto& [x, y, r] :
         {std::array{68.0, 86.0, 2.4}, std::array{81.0, 78.0, 1.6}, std::array{75.0, 93.0, 1.3}}) {
        StrokePath(p, Circle(QPointF(x, y), r), QPen(WithAlpha(kTeal, 0.55), 1.0));
    }
    p.restore();
    StrokePath(p, glass, Stroke(kWhite, 2.2));
    // A reflection down the left wall.
    p.setPen(Stroke(WithAlpha(kWhite, 0.75), 2.0));
    p.drawLine(QPointF(60.5, top + 7), QPointF(62.6, bottom - 12));

    // A drop falling in, with a smaller one trailing.
    const QPointF dropAt(84, 24);
    const QPainterPath drop = Teardrop(dropAt, 6.8, 14.5, 0, 0.6);
    SoftShadow(p, drop, WithAlpha(kTealDeep, 0.40), QPointF(0, 2.5), 2);
    FillPath(p, drop, Vertical(dropAt.y() - 14.5, dropAt.y() + 6.8, kWhite, Hex(0xD8FBF3)));
    StrokePath(p, Arc(dropAt, 4.2, 195, 60), Stroke(kTealLight, 1.4));
    FillPath(p, Teardrop(QPointF(69, 15), 2.8, 6.5, 0, 0.6), WithAlpha(kWhite, 0.85));
}

void RelaxIllustration(QPainter& p) {
    FillCircle(p, QPointF(6, 196), 70, WithAlpha(kWhite, 0.07));
    FillCircle(p, QPointF(206, -24), 64, WithAlpha(kWhite, 0.07));
    Halo(p, QPointF(224, 112), 64);

    // The clock behind.
    const QPointF clock(250, 96);
    const qreal r = 36;
    const QPainterPath face = Circle(clock, r);
    SoftShadow(p, face, WithAlpha(kOrangeDeep, 0.40), QPointF(0, 3), 3);
    FillPath(p, face, Vertical(clock.y() - r, clock.y() + r, kWhite, Hex(0xFFF1DF)));
    StrokePath(p, Circle(clock, r - 4.5), QPen(WithAlpha(kOrange, 0.35), 1.2));
    for (int hour = 0; hour < 12; ++hour) {
        const qreal a = hour * M_PI / 6;
        const bool major = hour % 3 == 0;
        const QPointF dir(std::sin(a), -std::cos(a));
        p.setPen(Stroke(major ? kOrange : WithAlpha(kOrange, 0.6), major ? 2.4 : 1.4));
        p.drawLine(clock + dir * (r - 10), clock + dir * (r - (major ? 15.5 : 13)));
    }
    p.setPen(Stroke(Hex(0x6B4A2E), 3.0));
    p.drawLine(clock, clock + QPointF(-9.5, -9.0));
    p.setPen(Stroke(Hex(0x6B4A2E), 2.2));
    p.drawLine(clock, clock + QPointF(0, -19));
    FillCircle(p, clock, 3.4, kOrange);
    FillCircle(p, clock, 1.4, kWhite);

    // The cup in front, on its saucer, steaming.
    QPainterPath saucer;
    saucer.addEllipse(QRectF(150, 149, 92, 15));
    SoftShadow(p, saucer, WithAlpha(kOrangeDeep, 0.45), QPointF(0, 2.5), 3);
    FillPath(p, saucer, Vertical(149, 164, kWhite, Hex(0xFFE9CF)));

    const qreal left = 164;
    const qreal right = 220;
    const qreal rim = 114;
    QPainterPath handle;
    handle.addEllipse(QPointF(right + 1, 129), 10.5, 10);
    QPainterPath hole;
    hole.addEllipse(QPointF(right + 1, 129), 5.5, 5.2);
    handle = handle.subtracted(hole);
    const QPainterPath cup = CupBowl(left, right, rim, 40, 22, 8);
    const QPainterPath body = cup.united(handle);
    SoftShadow(p, body, WithAlpha(kOrangeDeep, 0.40), QPointF(0, 3), 3);
    FillPath(p, body, Vertical(rim, rim + 40, kWhite, Hex(0xFFF1DF)));
    // A band of colour round the cup and the tea inside the rim.
    p.save();
    p.setClipPath(cup);
    FillPath(
        p,
        [&] {
            QPainterPath band;
            band.addRect(QRectF(left - 2, rim + 12, right - left + 4, 6));
            return band;
        }(),
        WithAlpha(kOrange, 0.75));
    p.restore();
    QPainterPath tea;
    tea.addEllipse(QRectF(left + 2, rim - 4, right - left - 4, 8));
    FillPath(p, tea, Vertical(rim - 4, rim + 4, Hex(0xD9873A), Hex(0xF0A95A)));
    StrokePath(
        p,
        [&] {
            QPainterPath lip;
            lip.addEllipse(QRectF(left, rim - 5, right - left, 10));
            return lip;
        }(),
        QPen(kWhite, 2.0));
    // Steam.
    for (const qreal x : {182.0, 200.0}) {
        QPainterPath steam;
        steam.moveTo(x, rim - 10);
        steam.cubicTo(x - 7, rim - 17, x + 7, rim - 23, x, rim - 31);
        StrokePath(p, steam, Stroke(WithAlpha(kWhite, 0.85), 2.4));
    }
}

}  // namespace

// ---- Desktop icon --------------------------------------------------------------------------

// The badge and leaf are laid out on a 16-unit grid; the small sizes keep whole pixels.
QImage AppIcon(int n) {
    return Single(QSize(n, n), [n](QPainter& p) {
        const bool tiny = n <= 22;
        const qreal u = n / 16.0;
        const qreal inset = tiny ? 1 : std::round(u * 0.9);
        const QRectF badge(inset, inset, n - 2 * inset, n - 2 * inset);
        const qreal radius = badge.width() * 0.24;
        if (n >= 48) {
            QPainterPath shape;
            shape.addRoundedRect(badge, radius, radius);
            SoftShadow(p, shape, WithAlpha(kShadowInk, 0.28), QPointF(0, u * 0.35),
                       std::max(1, n / 64));
        }
        QLinearGradient fill(badge.topLeft(), badge.bottomRight());
        fill.setColorAt(0, kTealHot);
        fill.setColorAt(0.55, kTeal);
        fill.setColorAt(1, kTealPressed);
        const qreal outline = std::max(1.0, std::round(n / 64.0));
        p.save();
        p.setPen(QPen(kTealDeep, outline));
        p.setBrush(fill);
        const qreal half = outline / 2;
        p.drawRoundedRect(badge.adjusted(half, half, -half, -half), radius - half, radius - half);
        p.restore();
        if (!tiny) {
            // Light from above on the upper half of the badge.
            QPainterPath gloss;
            gloss.addRoundedRect(badge.adjusted(outline, outline, -outline, -outline),
                                 radius - outline, radius - outline);
            FillPath(p, gloss,
                     Vertical(badge.top(), badge.center().y(), WithAlpha(kWhite, 0.18),
                              WithAlpha(kWhite, 0.0)));
        }

        if (tiny) {
            // A plain leaf whose round end and point fall on whole pixels, centred in the badge.
            const bool smallest = n == 16;
            const qreal radius = smallest ? 3 : 4;
            const qreal reach = smallest ? 5 : 6;  // point's offset along each axis
            const QPointF centre(n / 2 - (reach - radius) / 2, n / 2 + (reach - radius) / 2);
            FillPath(p, LeafMark(centre, radius, reach * M_SQRT2), kWhite);
            return;
        }
        const QPointF centre(7.3 * u, 9.2 * u);
        QPainterPath leaf = LeafMark(centre, 3.6 * u, 7.6 * u);
        if (n >= 32) {
            // A drop of water above the leaf, with a channel of badge colour between them.
            const QPainterPath drop = Teardrop(QPointF(4.5 * u, 5.0 * u), 1.6 * u, 3.5 * u, 0, 0.6);
            QPainterPathStroker gap;
            gap.setWidth(1.5 * u);
            leaf = leaf.subtracted(gap.createStroke(drop).united(drop));
            FillPath(p, drop, kWhite);
        }
        SoftShadow(p, leaf, WithAlpha(kTealDeep, 0.45), QPointF(0, 0.3 * u), std::max(1, n / 48));
        FillPath(p, leaf,
                 Vertical(centre.y() - 5 * u, centre.y() + 3.6 * u, kWhite, Hex(0xE6FBF6)));
        StrokePath(p, LeafRib(centre, u), Stroke(kTeal, std::max(1.0, 0.6 * u)));
    });
}

namespace {

void NinePatch(QPainter& p, const QImage& image, const QMargins& m, const QRect& window) {
    const QRect outer = window.marginsAdded(m);
    const int xs[] = {outer.left(), window.left(), window.right() + 1, outer.right() + 1};
    const int ys[] = {outer.top(), window.top(), window.bottom() + 1, outer.bottom() + 1};
    const int sx[] = {0, m.left(), image.width() - m.right(), image.width()};
    const int sy[] = {0, m.top(), image.height() - m.bottom(), image.height()};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (i == 1 && j == 1) continue;
            p.drawImage(QRect(xs[i], ys[j], xs[i + 1] - xs[i], ys[j + 1] - ys[j]), image,
                        QRect(sx[i], sy[j], sx[i + 1] - sx[i], sy[j + 1] - sy[j]));
        }
    }
}

// Lays the client pictures out in the sheet's right-hand panel and draws them when given a
// painter; answers where the panel's content ends.
int PlaceClientPictures(const std::vector<Picture>& client, QPainter* p) {
    const auto shown = [](const Picture& picture) {
        return !picture.name.contains("shadow") && !picture.name.startsWith("tile_");
    };
    int x = 460;
    int y = 270;
    int rowHeight = 0;
    for (const Picture& picture : client) {
        if (!shown(picture)) continue;
        if (x + picture.image.width() > 1210) {
            x = 460;
            y += rowHeight + 16;
            rowHeight = 0;
        }
        if (p) {
            if (picture.ground.isValid())
                p->fillRect(QRect(QPoint(x, y), picture.image.size()).adjusted(-6, -6, 6, 6),
                            picture.ground);
            p->drawImage(QPoint(x, y), picture.image);
        }
        x += picture.image.width() + 16;
        rowHeight = std::max(rowHeight, picture.image.height());
    }
    x = 460;
    y += rowHeight + 24;
    for (const Picture& picture : client) {
        // Small pictures only; wide strips of text read well at their own size.
        if (picture.image.height() > 20 || picture.image.width() > 100) continue;
        const QSize big = picture.image.size() * 4;
        if (x + big.width() > 1210) {
            x = 460;
            y += 84;
        }
        if (p) {
            if (picture.ground.isValid())
                p->fillRect(QRect(QPoint(x, y), big).adjusted(-4, -4, 4, 4), picture.ground);
            p->setRenderHint(QPainter::SmoothPixmapTransform, false);
            p->drawImage(QRect(QPoint(x, y), big), picture.image);
        }
        x += big.width() + 12;
    }
    return y;
}

}  // namespace

QImage ContactSheet(const std::vector<Picture>& client, const std::vector<QImage>& icons) {
    const auto find = [&](const QString& name) {
        for (const Picture& picture : client)
            if (picture.name == name) return picture.image;
        return QImage();
    };
    const auto cellOf = [](const QImage& strip, int states, int index) {
        const int w = strip.width() / states;
        return strip.copy(w * index, 0, w, strip.height());
    };
    // As tall as the pictures need: the tail below them holds the menu ticks and the icons.
    const int tail = 100 + 56 + 2 * 270;
    QImage sheet(QSize(1240, std::max(1340, PlaceClientPictures(client, nullptr) + tail)),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Hex(0xDCE3E6));
    QPainter p(&sheet);
    Smooth(p);

    // A mock main window: shadow, title bar, tiles with their small buttons, waves.
    const QRect window(50, 50, 350, 540);
    NinePatch(p, find("client_shadow.png"), QMargins(34, 34, 35, 34), window);
    p.fillRect(window, kWindow);
    p.save();
    p.translate(window.topLeft());
    p.setClipRect(QRect(QPoint(0, 0), window.size()));
    p.drawImage(QPoint(0, window.height() - kWave.height()), find("label_wave.png"));
    p.drawImage(QPoint(10, 8), find("logo.png"));
    Label(p, QRect(34, 6, 120, 22), Qt::AlignLeft | Qt::AlignVCenter, "悦息伙伴", UiFont(14),
          kText);
    const char* buttons[] = {"btn_main_menu.png", "btn_min.png", "btn_close.png"};
    for (int i = 0; i < 3; ++i)
        p.drawImage(QPoint(262 + i * 26, 7), cellOf(find(buttons[i]), 3, i == 2 ? 1 : 0));
    const auto smallButton = [&](QPoint at, const QString& text) {
        p.drawImage(at, cellOf(find("btn_tile_small.png"), 3, 0));
        Label(p, QRect(at, kTileButton), Qt::AlignCenter, text, UiFont(12), kWhite);
    };
    p.drawImage(QPoint(16, 44), cellOf(find("tile_eye.png"), 2, 0));
    smallButton(QPoint(16 + 108, 44 + 8), "设置");
    p.drawImage(QPoint(182, 44), cellOf(find("tile_drink.png"), 2, 1));
    smallButton(QPoint(182 + 108, 44 + 8), "成绩");
    p.drawImage(QPoint(20, 241), cellOf(find("tile_relax.png"), 2, 0));
    smallButton(QPoint(20 + 266, 241 + 8), "设置");
    p.restore();

    // A popup with its own shadow and the round buttons.
    const QRect popup(470, 60, 300, 150);
    NinePatch(p, find("shadow_popup.png"), QMargins(32, 32, 32, 32), popup);
    p.fillRect(popup, kWindow);
    Label(p, QRect(popup.left() + 20, popup.top() + 20, 260, 24), Qt::AlignLeft, "该喝水啦！",
          UiFont(16, true), kText);
    Label(p, QRect(popup.left() + 20, popup.top() + 50, 260, 20), Qt::AlignLeft,
          "今天已喝 6 杯，目标 8 杯", UiFont(13), kGrey);
    p.drawImage(popup.topLeft() + QPoint(20, 100), cellOf(find("btn_yes.png"), 3, 0));
    p.drawImage(popup.topLeft() + QPoint(110, 100), cellOf(find("btn_green_small.png"), 3, 0));
    Label(p, QRect(popup.topLeft() + QPoint(110, 100), kRoundButton), Qt::AlignCenter, "稍后",
          UiFont(14), kWhite);
    p.drawImage(popup.topLeft() + QPoint(200, 100), cellOf(find("btn_relax.png"), 3, 0));
    Label(p, QRect(popup.topLeft() + QPoint(200, 100), kRoundButton), Qt::AlignCenter, "休息",
          UiFont(14), kWhite);

    // Every client picture at its own size, on its own ground where it has one, then the small
    // ones four times larger.
    const int panelEnd = PlaceClientPictures(client, nullptr) + 84;
    p.fillRect(QRect(440, 250, 790, std::max(740, panelEnd - 250)), kWindow);
    int y = PlaceClientPictures(client, &p);
    // The menu tick on its dark menu, and the desktop icons on light and dark panels.
    y += 100;
    p.fillRect(QRect(460, y, 200, 40), kDarkMenu);
    p.drawImage(QPoint(472, y + 12), find("menuitem_tick_white.png"));
    Label(p, QRect(496, y, 150, 40), Qt::AlignLeft | Qt::AlignVCenter, "开机启动", UiFont(13),
          kWhite);
    p.fillRect(QRect(680, y, 200, 40), Hex(0xDDFFF9));
    p.drawImage(QPoint(692, y + 12), find("menu_tick.png"));
    Label(p, QRect(716, y, 150, 40), Qt::AlignLeft | Qt::AlignVCenter, "开机启动", UiFont(13),
          kText);
    y += 56;
    const QColor panels[] = {Hex(0xF2F2F2), Hex(0x2B2F33)};
    for (int row = 0; row < 2; ++row) {
        p.fillRect(QRect(440, y + row * 270, 790, 270), panels[row]);
        int ix = 460;
        for (const QImage& icon : icons) {
            p.drawImage(QPoint(ix, y + row * 270 + 8), icon);
            ix += icon.width() + 14;
        }
    }
    return sheet;
}

// ---- Output --------------------------------------------------------------------------------

std::vector<Picture> ShellPictures() {
    const QColor clear = WithAlpha(kWhite, 0);
    return {
        {"client_shadow.png", NinePatchShadow({104, QMargins(34, 34, 35, 34), 54, 44, 66})},
        {"shadow_popup.png", NinePatchShadow({96, QMargins(32, 32, 32, 32), 48, 40, 58})},
        {"label_wave.png", DrawWave()},
        {"logo.png", DrawLogo()},
        {"btn_back.png", TitleButton(BackGlyph, false)},
        {"btn_main_menu.png", TitleButton(MenuGlyph, false)},
        {"btn_min.png", TitleButton(MinGlyph, false)},
        {"btn_close.png", TitleButton(CloseGlyph, true)},
        {"tile_eye.png",
         Tile({kTile, kBlue, kBlueLight, "防蓝光", "护眼模式", QRect(0, 120, 152, 26),
               QRect(0, 148, 152, 18), Qt::AlignHCenter, EyeIllustration})},
        {"tile_drink.png",
         Tile({kTile, kTeal, kTealLight, "喝水提醒", "立即喝水", QRect(0, 120, 152, 26),
               QRect(0, 148, 152, 18), Qt::AlignHCenter, DrinkIllustration})},
        {"tile_relax.png",
         Tile({kRelaxTile, kOrange, kOrangeLight, "休息提醒", "久坐提醒 · 适度休息",
               QRect(26, 76, 130, 28), QRect(26, 108, 130, 18), Qt::AlignLeft, RelaxIllustration})},
        {"btn_tile_small.png",
         PillStrip({kTileButton,
                    {WithAlpha(kWhite, 0.25), WithAlpha(kWhite, 0.40), WithAlpha(kWhite, 0.55)},
                    WithAlpha(kWhite, 0.70),
                    {},
                    clear})},
        {"btn_yes.png",
         PillStrip({kRoundButton, {kWhite, kHotBack, kPushedBack}, kTeal, "是", kTeal})},
        {"btn_green_small.png",
         PillStrip({kRoundButton, {kTeal, kTealHot, kTealPressed}, QColor(), {}, clear})},
        {"btn_relax.png",
         PillStrip({kRoundButton, {kOrange, kOrangeHot, kOrangePressed}, QColor(), {}, clear})},
        {"menu_tick.png", MenuIcon(Tick(kTeal))},
        {"menuitem_tick_white.png", MenuIcon(Tick(kWhite))},
        {"menu_feedback.png", MenuIcon(FeedbackGlyph)},
        {"menu_update.png", MenuIcon(UpdateGlyph)},
    };
}

}  // namespace art
