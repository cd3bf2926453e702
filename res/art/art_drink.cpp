// The pictures of the drink settings page, drink-now panel and drink reminder: the glass that
// fills with water (two sizes, an animation played once when the user drinks), the small
// pencil button beside the amount, the decline link and the dark scroll bar of the drop-down
// lists.

#include <QPainterPath>
#include <QTransform>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <vector>

#include "res/art/art_kit.h"

namespace art {

namespace {

// ---- The glass -----------------------------------------------------------------------------

// The glass is designed on the small panel's 116 × 122 canvas and drawn at each size anew (not
// resampled), so both stay sharp.
constexpr QSizeF kDesign(116, 122);
constexpr QSize kGifSmall(116, 122);
constexpr QSize kGifLarge(144, 152);

// Left of the canvas's middle: the layouts centre the button row, not the picture, under the
// glass; the space on the right takes the glints.
constexpr qreal kCentreX = 46;
constexpr qreal kRimY = 30;        // centre of the rim's ellipse
constexpr qreal kRimHalf = 25;     // half the width of the rim
constexpr qreal kFootY = 107;      // centre of the outer bottom's ellipse
constexpr qreal kFootHalf = 20;    // half the width of the bottom
constexpr qreal kWall = 2.4;       // thickness of the side walls
constexpr qreal kInnerFloor = 99;  // centre of the ellipse of the inner bottom
constexpr qreal kTopLevel = 35;    // water level of a glass filled to the brim

const QColor kGlassTint = Hex(0xE3F6F7);
const QColor kGlassLine = Hex(0x5DBFD0);
const QColor kWaterTop = Hex(0x6FE3CC);
const QColor kWaterDeep = Hex(0x2FAEDB);
const QColor kWaterSurface = Hex(0xB9F4EA);
const QColor kHalo = kTealLight;

qreal HalfWidth(qreal y) {
    return kRimHalf - (kRimHalf - kFootHalf) * (y - kRimY) / (kFootY - kRimY);
}

// Seen a little from above: the ellipses of the glass get flatter towards its foot.
qreal Flatness(qreal y) {
    return 5.0 - 1.2 * (y - kRimY) / (kFootY - kRimY);
}

QRectF Section(qreal y, qreal inset = 0) {
    const qreal rx = HalfWidth(y) - inset;
    const qreal ry = Flatness(y);
    return {kCentreX - rx, y - ry, 2 * rx, 2 * ry};
}

QPainterPath Ellipse(const QRectF& r) {
    QPainterPath path;
    path.addEllipse(r);
    return path;
}

// The outline of the whole glass: rim ellipse, tapering sides, round foot.
QPainterPath GlassShape() {
    QPainterPath body;
    body.moveTo(kCentreX - kRimHalf, kRimY);
    body.lineTo(kCentreX - kFootHalf, kFootY);
    body.arcTo(Section(kFootY), 180, 180);
    body.lineTo(kCentreX + kRimHalf, kRimY);
    body.closeSubpath();
    return body.united(Ellipse(Section(kRimY)));
}

// The space inside, up to the rim.
QPainterPath Cavity() {
    QPainterPath inside;
    inside.moveTo(kCentreX - HalfWidth(kRimY) + kWall, kRimY);
    inside.lineTo(kCentreX - HalfWidth(kInnerFloor) + kWall, kInnerFloor);
    inside.arcTo(Section(kInnerFloor, kWall), 180, 180);
    inside.lineTo(kCentreX + HalfWidth(kRimY) - kWall, kRimY);
    inside.closeSubpath();
    return inside.united(Ellipse(Section(kRimY, kWall)));
}

qreal LevelY(qreal level) {
    return kInnerFloor - (kInnerFloor - kTopLevel) * level;
}

struct Bubble {
    QPointF at;
    qreal radius;
};

struct Drop {
    QPointF at;
    qreal radius;
};

// One moment of the filling.
struct Scene {
    qreal level = 0;          // 0: dry, 1: to the brim
    qreal tilt = 0;           // degrees the surface leans while the water moves
    qreal streamTop = -1;     // the pouring stream's ends, in design units (none when equal)
    qreal streamBottom = -1;  //
    qreal ripple = -1;        // 0..1 growth of the rings round the stream's foot; < 0 none
    std::vector<Bubble> bubbles;
    std::vector<Drop> splash;
    qreal sparkle = 0;  // 0..1 size of the glints that finish a full glass
};

constexpr qreal kStreamX = kCentreX + 3;

// Falling water thins as it speeds up.
QPainterPath Stream(qreal top, qreal bottom) {
    const qreal upper = 3.0;
    const qreal lower = 2.2;
    QPainterPath path;
    path.moveTo(kStreamX - upper, top);
    path.lineTo(kStreamX - lower, bottom);
    path.arcTo(QRectF(kStreamX - lower, bottom - lower, 2 * lower, 2 * lower), 180, 180);
    path.lineTo(kStreamX + upper, top);
    if (top > 0) path.arcTo(QRectF(kStreamX - upper, top - upper, 2 * upper, 2 * upper), 0, 180);
    path.closeSubpath();
    return path;
}

// A four-pointed glint.
QPainterPath Glint(QPointF c, qreal size) {
    QPainterPath path;
    const qreal waist = size * 0.22;
    path.moveTo(c.x(), c.y() - size);
    path.quadTo(c.x() + waist, c.y() - waist, c.x() + size, c.y());
    path.quadTo(c.x() + waist, c.y() + waist, c.x(), c.y() + size);
    path.quadTo(c.x() - waist, c.y() + waist, c.x() - size, c.y());
    path.quadTo(c.x() - waist, c.y() - waist, c.x(), c.y() - size);
    path.closeSubpath();
    return path;
}

void DrawWater(QPainter& p, const Scene& s) {
    const qreal y = LevelY(s.level);
    const QPainterPath cavity = Cavity();
    p.save();
    p.setClipPath(cavity);
    // The surface leans about its middle; everything under it is water.
    QTransform lean;
    lean.translate(kCentreX, y);
    lean.rotate(s.tilt);
    lean.translate(-kCentreX, -y);
    QPainterPath below;
    below.addRect(QRectF(kCentreX - 60, y, 120, 120));
    below = lean.map(below);
    FillPath(p, below, Vertical(kTopLevel, kInnerFloor + 4, kWaterTop, kWaterDeep));
    // Light through the round body: a bright band left of the middle, darker edges.
    QLinearGradient body(kCentreX - kRimHalf, 0, kCentreX + kRimHalf, 0);
    body.setColorAt(0.0, WithAlpha(kBlueDeep, 0.18));
    body.setColorAt(0.3, WithAlpha(kWhite, 0.22));
    body.setColorAt(0.55, WithAlpha(kWhite, 0.0));
    body.setColorAt(1.0, WithAlpha(kBlueDeep, 0.22));
    FillPath(p, below, body);

    // Bubbles stay in the water.
    p.save();
    p.setClipPath(below, Qt::IntersectClip);
    for (const Bubble& b : s.bubbles) {
        FillCircle(p, b.at, b.radius, WithAlpha(kWhite, 0.30));
        StrokePath(p, Circle(b.at, b.radius), QPen(WithAlpha(kWhite, 0.9), 0.9));
    }
    p.restore();

    // The top of the water, seen from above, with a bright front lip.
    const QRectF face = Section(y, kWall + 0.2);
    const QPainterPath surface = lean.map(Ellipse(face));
    FillPath(p, surface, Vertical(face.top(), face.bottom(), kWaterSurface, Hex(0x93E9DA)));
    QPainterPath lip;
    lip.arcMoveTo(face, 200);
    lip.arcTo(face, 200, 140);
    StrokePath(p, lean.map(lip), Stroke(WithAlpha(kWhite, 0.85), 1.1));
    if (s.ripple >= 0) {
        // Rings spreading from where the stream meets the water, fading as they grow.
        for (const qreal phase : {s.ripple, std::fmod(s.ripple + 0.5, 1.0)}) {
            const qreal rx = 3 + phase * 13;
            const QRectF ring(kStreamX - rx, y - rx * 0.28, 2 * rx, rx * 0.56);
            StrokePath(p, lean.map(Ellipse(ring)), QPen(WithAlpha(kWhite, 0.7 * (1 - phase)), 1.0));
        }
    }
    p.restore();
}

void DrawGlass(QPainter& p, const Scene& s) {
    const QPainterPath glass = GlassShape();

    // A soft disc behind, as the tiles of the main window have, and the glass's own shadow.
    FillCircle(p, QPointF(kCentreX, 68), 44, WithAlpha(kHalo, 0.10));
    FillCircle(p, QPointF(kCentreX, 68), 36, WithAlpha(kHalo, 0.08));
    QPainterPath shadow;
    shadow.addEllipse(QPointF(kCentreX, kFootY + 4.5), 27, 3.6);
    SoftShadow(p, shadow, WithAlpha(kTealDeep, 0.30), QPointF(0, 0), 2);

    // Two drops beside the glass, as on the main window's drink tile.
    const QPointF bigDrop(kCentreX + 38, 64);
    const QPainterPath drop = Teardrop(bigDrop, 4.6, 10.5, 0, 0.6);
    SoftShadow(p, drop, WithAlpha(kTealDeep, 0.25), QPointF(0, 1.2), 1);
    FillPath(p, drop, Vertical(bigDrop.y() - 10.5, bigDrop.y() + 4.6, kTealLight, kWaterDeep));
    StrokePath(p, Arc(bigDrop, 2.6, 150, 70), Stroke(WithAlpha(kWhite, 0.9), 1.0));
    const QPointF smallDrop(kCentreX + 47, 50);
    FillPath(p, Teardrop(smallDrop, 2.4, 5.6, 0, 0.6),
             Vertical(smallDrop.y() - 5.6, smallDrop.y() + 2.4, kTealLight, kWaterDeep));

    // The glass behind the water: a faint tint and the far half of the rim.
    FillPath(p, glass, WithAlpha(kGlassTint, 0.85));
    QPainterPath farRim;
    farRim.arcMoveTo(Section(kRimY), 0);
    farRim.arcTo(Section(kRimY), 0, 180);
    StrokePath(p, farRim, QPen(WithAlpha(kGlassLine, 0.45), 1.0));
    // The inside, a shade lighter than the walls around it.
    FillPath(p, Cavity(), WithAlpha(kWhite, 0.55));

    // The stream is behind the near wall: the glass tints it where it falls inside. It comes
    // out of the light above the picture, so its upper end fades in.
    if (s.streamBottom > s.streamTop) {
        const QPainterPath stream = Stream(s.streamTop, s.streamBottom);
        QImage layer = Blank(QSize(p.device()->width(), p.device()->height()));
        {
            QPainter lp(&layer);
            Smooth(lp);
            lp.setTransform(p.transform());
            QLinearGradient fill(kStreamX - 3, 0, kStreamX + 3, 0);
            fill.setColorAt(0, kWaterTop);
            fill.setColorAt(1, kWaterDeep);
            FillPath(lp, stream, fill);
            lp.setPen(Stroke(WithAlpha(kWhite, 0.75), 1.0));
            lp.drawLine(QPointF(kStreamX - 1.2, std::max(0.0, s.streamTop + 1)),
                        QPointF(kStreamX - 0.9, s.streamBottom - 2));
            lp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            lp.fillRect(QRectF(0, -10, kDesign.width(), kDesign.height() + 10),
                        Vertical(0, 14, WithAlpha(kWhite, 0.0), kWhite));
        }
        p.save();
        p.resetTransform();
        p.drawImage(0, 0, layer);
        p.restore();
    }
    if (s.level > 0) DrawWater(p, s);

    // The thick bottom of the glass.
    QPainterPath base;
    base.moveTo(kCentreX - HalfWidth(kInnerFloor), kInnerFloor);
    base.lineTo(kCentreX - kFootHalf, kFootY);
    base.arcTo(Section(kFootY), 180, 180);
    base.lineTo(kCentreX + HalfWidth(kInnerFloor), kInnerFloor);
    base.arcTo(Section(kInnerFloor), 0, -180);
    base.closeSubpath();
    FillPath(p, base,
             Vertical(kInnerFloor, kFootY + 4, WithAlpha(kGlassLine, 0.16),
                      WithAlpha(kGlassLine, 0.34)));
    QPainterPath floorLine;
    floorLine.arcMoveTo(Section(kInnerFloor, kWall), 180);
    floorLine.arcTo(Section(kInnerFloor, kWall), 180, 180);
    StrokePath(p, floorLine, QPen(WithAlpha(kWhite, 0.9), 1.0));

    // Light on the glass: a long reflection down the left wall, a short one on the right.
    QPainterPath shine;
    shine.moveTo(kCentreX - HalfWidth(40) + 4.2, 40);
    shine.lineTo(kCentreX - HalfWidth(40) + 7.6, 40);
    shine.lineTo(kCentreX - HalfWidth(92) + 6.4, 92);
    shine.lineTo(kCentreX - HalfWidth(92) + 4.0, 92);
    shine.closeSubpath();
    FillPath(p, shine, Vertical(40, 92, WithAlpha(kWhite, 0.95), WithAlpha(kWhite, 0.35)));
    p.setPen(Stroke(WithAlpha(kWhite, 0.8), 1.4));
    p.drawLine(QPointF(kCentreX + HalfWidth(44) - 5, 44),
               QPointF(kCentreX + HalfWidth(60) - 5.2, 60));

    // Outline and the near half of the rim.
    StrokePath(p, glass, QPen(WithAlpha(kGlassLine, 0.85), 1.3));
    QPainterPath nearRim;
    nearRim.arcMoveTo(Section(kRimY), 180);
    nearRim.arcTo(Section(kRimY), 180, 180);
    // Lit from the left: the near rim is paler there, with a glint just inside it.
    QLinearGradient rimInk(kCentreX - kRimHalf, 0, kCentreX + kRimHalf, 0);
    rimInk.setColorAt(0, WithAlpha(kGlassLine, 0.55));
    rimInk.setColorAt(1, WithAlpha(kGlassLine, 0.95));
    StrokePath(p, nearRim, QPen(QBrush(rimInk), 1.3));
    QPainterPath rimShine;
    rimShine.arcMoveTo(Section(kRimY, 2.2), 208);
    rimShine.arcTo(Section(kRimY, 2.2), 208, 34);
    StrokePath(p, rimShine, Stroke(WithAlpha(kWhite, 0.95), 1.1));

    // Drops thrown up where the stream lands.
    for (const Drop& d : s.splash) FillCircle(p, d.at, d.radius, kWaterTop);

    if (s.sparkle > 0) {
        const QColor ink = Mix(kTealLight, kBlueLight, 0.3);
        FillPath(p, Glint(QPointF(kCentreX + 34, 20), 5.5 * s.sparkle), ink);
        FillPath(p, Glint(QPointF(kCentreX + 43, 31), 3.0 * s.sparkle), WithAlpha(ink, 0.8));
        FillPath(p, Glint(QPointF(kCentreX - 33, 42), 2.6 * s.sparkle), WithAlpha(ink, 0.7));
    }
}

QImage GlassFrame(QSize size, const Scene& scene) {
    return Single(size, [&](QPainter& p) {
        const qreal scale = size.width() / kDesign.width();
        p.translate(0, (size.height() - kDesign.height() * scale) / 2);
        p.scale(scale, scale);
        DrawGlass(p, scene);
    });
}

qreal EaseInOut(qreal t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// The filling, frame by frame: the stream falls in, the water rises with bubbles and rings,
// the stream's tail drops in, the surface settles and the full glass glints.
std::vector<Scene> Filling() {
    constexpr int kFrames = 24;
    constexpr qreal kStart = 0.09;  // what is left in the glass before the drink
    constexpr qreal kFull = 0.86;
    constexpr int kPourFrom = 3;  // the stream reaches the water
    constexpr int kPourTo = 18;   // its tail reaches the water
    std::vector<Scene> scenes;
    for (int f = 0; f < kFrames; ++f) {
        Scene s;
        const qreal t = static_cast<qreal>(f - kPourFrom) / (kPourTo - kPourFrom);
        s.level = kStart + (kFull - kStart) * EaseInOut(t);
        const qreal surface = LevelY(s.level);
        // Head and tail fall with growing speed.
        const qreal head = f >= kPourFrom ? surface : -4 + 13.0 * f * f;
        const qreal tail = f < kPourTo - 3 ? -8 : -8 + 9.0 * std::pow(f - (kPourTo - 4), 2);
        if (f >= 1 && tail < surface) {
            s.streamTop = tail;
            s.streamBottom = std::min(head, surface);
        }
        const bool pouring = f >= kPourFrom && tail < surface;
        if (pouring) s.ripple = std::fmod((f - kPourFrom) * 0.27, 1.0);
        // The water sways while it pours and calms after.
        const qreal sway =
            f <= kPourTo ? std::clamp(t * 3, 0.0, 1.0) : std::exp(-(f - kPourTo) / 1.6);
        s.tilt = 3.2 * sway * std::sin(f * 1.3);
        if (pouring) {
            for (int k = 0; k < 3; ++k) {
                const qreal phase = std::fmod((f + k * 1.4) * 0.37, 1.0);
                const qreal side = k == 1 ? -1 : 1;
                const qreal x = kStreamX + side * (2 + 9 * phase) * (k == 2 ? 0.6 : 1);
                const qreal rise = 9 * phase * (1 - phase) * 4 * (k == 2 ? 1.3 : 1);
                s.splash.push_back({QPointF(x, surface - 1.5 - rise), 1.3 - 0.5 * phase});
            }
        }
        // Bubbles born at the stream's foot float up and burst at the surface.
        static const qreal kBubbles[][4] = {
            // frame born, x offset, speed, radius
            {3, -2, 3.2, 1.8},  {5, 4, 2.6, 1.3},  {6, -7, 2.9, 1.1},  {8, 1, 3.4, 2.0},
            {10, -4, 2.4, 1.4}, {11, 6, 2.8, 1.0}, {13, -9, 2.2, 1.6}, {14, 3, 2.6, 1.2},
            {16, -3, 2.0, 1.7}, {17, 8, 1.8, 1.1}, {18, -6, 1.6, 1.3}, {19, 2, 1.4, 1.0},
        };
        for (const auto& b : kBubbles) {
            const qreal age = f - b[0];
            if (age < 0) continue;
            const qreal bornAt = std::min(surface + 22, kInnerFloor - 5);
            const QPointF at(kStreamX + b[1] + std::sin(age * 1.7 + b[1]) * 1.2,
                             bornAt - age * b[2] * 4);
            if (at.y() - b[3] > surface + 1.5) s.bubbles.push_back({at, b[3]});
        }
        // Two bubbles cling to the wall of the still glass.
        if (f >= kFrames - 5) {
            s.bubbles.push_back({QPointF(kCentreX - 12, LevelY(0.3)), 1.2});
            s.bubbles.push_back({QPointF(kCentreX + 13, LevelY(0.5)), 0.9});
        }
        const int glintFrom = kFrames - 4;
        if (f >= glintFrom) s.sparkle = std::min(1.0, (f - glintFrom + 1) / 3.0);
        scenes.push_back(s);
    }
    return scenes;
}

std::vector<AnimationFrame> GlassAnimation(QSize size) {
    std::vector<AnimationFrame> frames;
    for (const Scene& s : Filling()) frames.push_back({GlassFrame(size, s), 50});
    return frames;
}

// ---- Small controls ------------------------------------------------------------------------

constexpr QSize kPencilCell(16, 16);
const QColor kAmountGreen = Hex(0x2EAC6F);  // the colour of the amount beside the button

void PencilGlyph(QPainter& p, const QColor& ink) {
    // A pencil leaning up to the right: body, a band at the top and the point at the bottom.
    p.save();
    p.translate(8, 8);
    p.rotate(45);
    QPainterPath body;
    body.addRoundedRect(QRectF(-2.3, -6.8, 4.6, 9.4), 0.9, 0.9);
    FillPath(p, body, ink);
    QPainterPath tip;
    tip.moveTo(-2.3, 3.4);
    tip.lineTo(2.3, 3.4);
    tip.lineTo(0, 7.4);
    tip.closeSubpath();
    FillPath(p, tip, ink);
    p.setPen(QPen(kWhite, 1.0));
    p.drawLine(QPointF(-2.6, -4.1), QPointF(2.6, -4.1));
    p.restore();
}

// Normal (also hot) and pushed: a green pencil; pushed on a pale round.
QImage DrawPencilButton() {
    return Strip(kPencilCell, 2, [](QPainter& p, const QRectF& cell, int state) {
        if (state == 1) FillCircle(p, cell.center(), 8, kPushedBack);
        PencilGlyph(p, state == 1 ? kTealDeep : kAmountGreen);
    });
}

constexpr QSize kLinkCell(48, 16);

// The decline link: grey text, darker and underlined under the pointer, darkest pressed.
QImage DrawDeclineLink() {
    return Strip(kLinkCell, 3, [](QPainter& p, const QRectF& cell, int state) {
        const QColor ink = state == kNormal ? Hex(0x8A9297) : state == kHot ? Hex(0x5A6369) : kText;
        const QFont font = UiFont(12);
        Label(p, cell.toRect(), Qt::AlignCenter, "暂不喝水", font, ink);
        if (state != kNormal) p.fillRect(QRectF(0, 14, 48, 1), ink);
    });
}

// "立即喝水" while there is nothing to drink (an amount of 0): the round button of the panel
// (btn_relax.png) gone grey like a switch that is off; the control draws the caption in white.
QImage DrawDrinkDisabled() {
    return Single(kRoundButton, [](QPainter& p) {
        RoundedBox(p, QRectF(QPointF(0, 0), kRoundButton), kRoundButton.height() / 2.0,
                   Hex(0xC3CDD2));
    });
}

// The line under the amount while it is being edited: a firm teal line over a soft one, to be
// stretched along the bottom of the edit (dest='0,h-3,w,h').
QImage DrawEditLine() {
    return Single(QSize(8, 3), [](QPainter& p) {
        p.fillRect(QRectF(0, 0, 8, 1), WithAlpha(kTeal, 0.18));
        p.fillRect(QRectF(0, 1, 8, 2), kTeal);
    });
}

// ---- Scroll bar ----------------------------------------------------------------------------

// A thin dark scroll bar for light drop-down lists, as one strip of 8 × 24 cells:
//   0–8 track, 8–16 thumb, 16–24 thumb hot, 24–32 thumb pushed.
// Every cell is round at both ends, so a thumb stretches with corner='0,4,0,4'.
constexpr QSize kScrollCell(8, 24);

QImage DrawScrollBar() {
    return Strip(kScrollCell, 4, [](QPainter& p, const QRectF& cell, int state) {
        const QRectF bar = cell.adjusted(2, 1, -2, -1);
        if (state == 0) {
            RoundedBox(p, bar, 2, WithAlpha(kDarkMenu, 0.08));
            return;
        }
        const qreal alpha = state == 1 ? 0.45 : state == 2 ? 0.62 : 0.78;
        RoundedBox(p, bar, 2, WithAlpha(kDarkMenu, alpha));
    });
}

}  // namespace

std::vector<Picture> DrinkPictures() {
    return {
        Animation("gif_drink.gif", GlassAnimation(kGifSmall)),
        Animation("gif_drink_large.gif", GlassAnimation(kGifLarge)),
        {"btn_drink_once.png", DrawPencilButton()},
        {"btn_drink_no.png", DrawDeclineLink()},
        {"btn_drink_disabled.png", DrawDrinkDisabled()},
        {"edit_drink_focus.png", DrawEditLine()},
        {"scrollbardark.png", DrawScrollBar()},
    };
}

}  // namespace art
