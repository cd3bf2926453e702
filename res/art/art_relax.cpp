// The pictures of the relax prompt and the relax lock: the four time-of-day scenes of the
// prompt, the lock's veil, buttons, motivational text, completion picture and the six desk
// stretches.

#include <QFontMetrics>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

#include <array>
#include <cmath>
#include <vector>

#include "res/art/art_kit.h"

namespace art {

namespace {

// ---- The lock's dark veil and what is drawn on it ------------------------------------------

// Every pixel of the veil, exactly: the lock stretches it over the screen.
constexpr QRgb kVeilPixel = 0xF2263949;  // alpha 242, red 38, green 57, blue 73
constexpr QSize kVeil(140, 140);

// The veil over an ordinary desktop: the ground the lock's pictures are drawn for.
const QColor kVeilGround = Hex(0x2B3F50);
const QColor kInkOnDark = Hex(0xFFFFFF);
const QColor kSoftInkOnDark = Hex(0xC9D9E3);
const QColor kFaintOnDark = Hex(0x8FA6B5);

// ---- People --------------------------------------------------------------------------------

struct Look {
    QColor skin = Hex(0xFFDCC5);
    QColor hair = Hex(0x4B3428);
    QColor shirt = kTeal;
    QColor trousers = Hex(0x4C79C9);
    QColor shoes = Hex(0xEEF3F6);
    bool bun = false;  // hair gathered into a bun on top, else short
};

// A limb from its root through its middle joint to its end.
struct Limb {
    QPointF root, joint, end;
};

enum class Facing { Front, Right, Left };

// A person by the places of their joints, in the picture's coordinates.
struct Figure {
    QPointF head;
    qreal headRadius = 15;
    qreal headTilt = 0;            // degrees, positive to the viewer's right, about the neck
    QPointF neck;                  // base of the neck
    std::array<QPointF, 4> torso;  // left shoulder, right shoulder, right hip, left hip
    Limb armBack, armFront, legBack, legFront;
    QPointF toeBack, toeFront;  // where the shoes point
    bool armBackBehind = true;  // drawn behind the torso
    bool headOverArms = false;  // the head drawn after the arms, not before the near one
    qreal armWidth = 8.5;
    qreal legWidth = 11;
    Facing facing = Facing::Front;
    bool eyesClosed = false;
    bool smileWide = false;
    bool legsHidden = false;  // behind a desk
};

QPainterPath LimbPath(const Limb& l) {
    QPainterPath path;
    path.moveTo(l.root);
    path.lineTo(l.joint);
    path.lineTo(l.end);
    return path;
}

// The first part of a limb: all of the upper part and `share` of the lower one.
QPainterPath PartOfLimb(const Limb& l, qreal share) {
    QPainterPath path;
    path.moveTo(l.root);
    path.lineTo(l.joint);
    path.lineTo(l.joint + (l.end - l.joint) * share);
    return path;
}

// A point turned about a pivot, degrees clockwise.
QPointF Turn(QPointF point, QPointF pivot, qreal degrees) {
    QTransform t;
    t.translate(pivot.x(), pivot.y());
    t.rotate(degrees);
    t.translate(-pivot.x(), -pivot.y());
    return t.map(point);
}

QPainterPath Thick(const QPainterPath& centre, qreal width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centre).simplified();
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    path.closeSubpath();
    return path;
}

// The shape grown by `radius` all round, so its corners come out round.
QPainterPath Rounded(const QPainterPath& polygon, qreal radius) {
    return polygon.united(Thick(polygon, 2 * radius)).simplified();
}

void DrawArm(QPainter& p, const Limb& arm, const Figure& f, const Look& look, bool back) {
    // Seen from the front both arms are in the same light.
    back = back && f.facing != Facing::Front;
    const QColor shade = back ? Mix(look.shirt, Hex(0x10202A), 0.22) : look.shirt;
    const QColor skin = back ? Mix(look.skin, Hex(0x804030), 0.12) : look.skin;
    FillPath(p, Thick(LimbPath(arm), f.armWidth * 0.86), skin);
    FillPath(p, Thick(PartOfLimb(arm, 0.55), f.armWidth), shade);
    FillCircle(p, arm.end, f.armWidth * 0.62, skin);
}

void DrawLeg(QPainter& p, const Limb& leg, QPointF toe, const Figure& f, const Look& look,
             bool back) {
    back = back && f.facing != Facing::Front;
    const QColor cloth = back ? Mix(look.trousers, Hex(0x10202A), 0.25) : look.trousers;
    // The shoe first, so the trouser hem covers its top.
    QPainterPath shoe;
    shoe.moveTo(leg.end);
    shoe.lineTo(toe);
    FillPath(p, Thick(shoe, f.legWidth * 0.78),
             back ? Mix(look.shoes, Hex(0x000000), 0.2) : look.shoes);
    FillPath(p, Thick(LimbPath(leg), f.legWidth), cloth);
}

// Hair, face and ears of an upright head centred on the origin; the caller turns it.
void DrawHeadLocal(QPainter& p, const Figure& f, const Look& look) {
    const qreal r = f.headRadius;
    const bool front = f.facing == Facing::Front;
    const qreal side = f.facing == Facing::Right ? 1 : f.facing == Facing::Left ? -1 : 0;
    const QColor ear = Mix(look.skin, Hex(0xE08A6A), 0.28);
    if (front) {
        FillCircle(p, QPointF(-r * 0.98, r * 0.12), r * 0.24, ear);
        FillCircle(p, QPointF(r * 0.98, r * 0.12), r * 0.24, ear);
    }
    if (look.bun) FillCircle(p, QPointF(-side * r * 0.45, -r * 1.0), r * 0.45, look.hair);
    FillPath(p, Circle(QPointF(0, 0), r), look.skin);
    if (!front) FillCircle(p, QPointF(side * r * 0.96, r * 0.24), r * 0.17, look.skin);  // nose

    // Hair: a cap over the head less the face. From the side the face takes the front half
    // and the hair falls down the back of the head.
    QPainterPath cap = Circle(QPointF(-side * r * 0.05, -r * 0.08), r * 1.07);
    QPainterPath face;
    if (front)
        face.addEllipse(QPointF(0, r * 0.42), r * 0.98, r * 0.86);
    else
        face.addEllipse(QPointF(side * r * 0.5, r * 0.34), r * 0.82, r * 0.84);
    FillPath(p, cap.subtracted(face), look.hair);
    // A lock of fringe falling onto the forehead.
    QPainterPath fringe;
    const qreal fx = front ? -r * 0.15 : side * r * 0.3;
    fringe.moveTo(fx - r * 0.5, -r * 0.55);
    fringe.quadTo(fx + r * 0.05, -r * 0.1, fx + r * 0.55, -r * 0.45);
    fringe.quadTo(fx + r * 0.05, -r * 0.7, fx - r * 0.5, -r * 0.55);
    FillPath(p, fringe.intersected(Circle(QPointF(0, 0), r)), look.hair);
    if (!front) FillCircle(p, QPointF(-side * r * 0.08, r * 0.18), r * 0.2, ear);

    // Eyes, cheeks and a smile.
    const QColor ink = Hex(0x3A2A24);
    const qreal eyeY = r * 0.18;
    const std::vector<qreal> eyes =
        front ? std::vector<qreal>{-r * 0.36, r * 0.36} : std::vector<qreal>{side * r * 0.6};
    for (const qreal x : eyes) {
        if (f.eyesClosed) {
            StrokePath(p, Arc(QPointF(x, eyeY - r * 0.06), r * 0.13, 200, 140),
                       Stroke(ink, std::max(1.0, r * 0.09)));
        } else {
            FillCircle(p, QPointF(x, eyeY), r * 0.1, ink);
        }
        const qreal cheek = front ? (x < 0 ? -1 : 1) * r * 0.1 : -side * r * 0.16;
        FillCircle(p, QPointF(x + cheek, eyeY + r * 0.3), r * 0.13, WithAlpha(Hex(0xFF8A80), 0.45));
    }
    const QPointF mouth(side * r * 0.62, r * 0.5);
    const qreal smile = r * (f.smileWide ? 0.24 : 0.17) * (front ? 1 : 0.8);
    StrokePath(p, Arc(mouth, smile, f.smileWide ? 200 : 210, f.smileWide ? 140 : 120),
               Stroke(ink, std::max(1.0, r * 0.085)));
}

void DrawHead(QPainter& p, const Figure& f, const Look& look) {
    p.save();
    p.translate(f.neck);
    p.rotate(f.headTilt);
    p.translate(f.head - f.neck);
    DrawHeadLocal(p, f, look);
    p.restore();
}

// The body from the shoulders to the hips, the shoulders well rounded.
QPainterPath TorsoShape(const Figure& f) {
    const QPointF& ls = f.torso[0];
    const QPointF& rs = f.torso[1];
    const QPointF& rh = f.torso[2];
    const QPointF& lh = f.torso[3];
    const auto towards = [](QPointF from, QPointF to, qreal length) {
        const QPointF d = to - from;
        const qreal n = std::hypot(d.x(), d.y());
        return n > 0 ? from + d * (length / n) : from;
    };
    const qreal round = std::min(9.0, QLineF(ls, rs).length() / 3);
    QPainterPath path;
    path.moveTo(lh);
    path.lineTo(towards(ls, lh, round));
    path.quadTo(ls, towards(ls, rs, round));
    path.lineTo(towards(rs, ls, round));
    path.quadTo(rs, towards(rs, rh, round));
    path.lineTo(rh);
    path.closeSubpath();
    return Rounded(path, 4);
}

// The whole outline, for a soft light rim that keeps the figure apart from a dark ground.
QPainterPath Silhouette(const Figure& f) {
    QPainterPath all = TorsoShape(f);
    all = all.united(Thick(LimbPath(f.armBack), f.armWidth));
    all = all.united(Thick(LimbPath(f.armFront), f.armWidth));
    if (!f.legsHidden) {
        all = all.united(Thick(LimbPath(f.legBack), f.legWidth));
        all = all.united(Thick(LimbPath(f.legFront), f.legWidth));
    }
    QTransform t;
    t.translate(f.neck.x(), f.neck.y());
    t.rotate(f.headTilt);
    t.translate(-f.neck.x(), -f.neck.y());
    all = all.united(t.map(Circle(f.head, f.headRadius * 1.08)));
    return all;
}

void DrawFigure(QPainter& p, const Figure& f, const Look& look, const QColor& rim = QColor()) {
    if (rim.isValid()) SoftShadow(p, Silhouette(f), rim, QPointF(0, 0), 3);
    if (!f.legsHidden) {
        DrawLeg(p, f.legBack, f.toeBack, f, look, true);
        DrawLeg(p, f.legFront, f.toeFront, f, look, false);
    }
    if (f.armBackBehind) DrawArm(p, f.armBack, f, look, true);
    const QPainterPath torso = TorsoShape(f);
    FillPath(
        p, torso,
        Vertical(f.torso[0].y(), f.torso[3].y(), look.shirt, Mix(look.shirt, Hex(0x0E5A4A), 0.18)));
    // The neck leans with the head.
    QPainterPath neck;
    neck.moveTo(f.neck + QPointF(0, 2));
    neck.lineTo(f.neck + (Turn(f.head, f.neck, f.headTilt) - f.neck) * 0.45);
    FillPath(p, Thick(neck, f.headRadius * 0.55), Mix(look.skin, Hex(0xE08A6A), 0.18));
    if (!f.armBackBehind) DrawArm(p, f.armBack, f, look, true);
    if (f.headOverArms) {
        DrawArm(p, f.armFront, f, look, false);
        DrawHead(p, f, look);
    } else {
        DrawHead(p, f, look);
        DrawArm(p, f.armFront, f, look, false);
    }
}

// ---- Furniture and signs -------------------------------------------------------------------

// An arrow along `path`, its head at the end.
void Arrow(QPainter& p, const QPainterPath& path, const QColor& color, qreal width = 2.6) {
    StrokePath(p, path, Stroke(color, width));
    const QPointF tip = path.pointAtPercent(1);
    const qreal angle = path.angleAtPercent(1);  // degrees, counter-clockwise
    QTransform t;
    t.translate(tip.x(), tip.y());
    t.rotate(-angle);
    const qreal s = width * 2.4;
    FillPath(p, t.map(Polygon({{s * 0.9, 0}, {-s * 0.6, -s * 0.75}, {-s * 0.6, s * 0.75}})), color);
}

// An arc of a circle as an arrow; angles as in Arc().
void ArcArrow(QPainter& p, QPointF centre, qreal radius, qreal start, qreal sweep,
              const QColor& color, qreal width = 2.6) {
    Arrow(p, Arc(centre, radius, start, sweep), color, width);
}

// A four-pointed twinkle.
QPainterPath Sparkle(QPointF c, qreal r) {
    QPainterPath path;
    path.moveTo(c + QPointF(0, -r));
    path.quadTo(c, c + QPointF(r, 0));
    path.quadTo(c, c + QPointF(0, r));
    path.quadTo(c, c + QPointF(-r, 0));
    path.quadTo(c, c + QPointF(0, -r));
    path.closeSubpath();
    return path;
}

QPainterPath RoundRect(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

const QColor kDeskTop = Hex(0xE8EEF2);
const QColor kDeskEdge = Hex(0xB7C6D1);
const QColor kChair = Hex(0x6F8799);

// ---- Lock: buttons -------------------------------------------------------------------------

// Normal (also hot) and pushed: a light glyph on a faint disc that brightens when pressed.
QImage DarkRoundButton(QSize cell, qreal radius, const Glyph& glyph) {
    return Strip(cell, 2, [&](QPainter& p, const QRectF& r, int state) {
        const bool pushed = state == 1;
        FillCircle(p, r.center(), radius, WithAlpha(kWhite, pushed ? 0.30 : 0.12));
        StrokePath(p, Circle(r.center(), radius - 0.5),
                   QPen(WithAlpha(kWhite, pushed ? 0.55 : 0.32), 1.0));
        p.setPen(Stroke(WithAlpha(kWhite, pushed ? 1.0 : 0.9), 2.0));
        p.setBrush(Qt::NoBrush);
        glyph(p);
    });
}

void GearGlyph(QPainter& p) {
    const QPointF c(16, 16);
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = 2 * M_PI * i / teeth;
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotateRadians(a);
        gear.addPath(t.map(RoundRect(QRectF(-2.3, -10, 4.6, 5), 1.2)));
    }
    gear = gear.united(Circle(c, 7.6)).subtracted(Circle(c, 3.2));
    FillPath(p, gear, p.pen().color());
}

void ChevronGlyph(QPainter& p, bool next) {
    const qreal d = next ? 1 : -1;
    const QPointF c(14 + d * 0.8, 14);
    const QPointF points[] = {c + QPointF(-d * 3.2, -5.5), c + QPointF(d * 2.3, 0),
                              c + QPointF(-d * 3.2, 5.5)};
    p.drawPolyline(points, 3);
}

QImage DrawOverButton(const char* text) {
    return Strip(QSize(100, 40), 2, [text](QPainter& p, const QRectF& r, int state) {
        const bool pushed = state == 1;
        const QRectF pill = r.adjusted(1, 2, -1, -2);
        FillPath(p, RoundRect(pill, pill.height() / 2),
                 Vertical(pill.top(), pill.bottom(), pushed ? kOrangePressed : kOrangeHot,
                          pushed ? kOrangeDeep : kOrange));
        StrokePath(p, RoundRect(pill.adjusted(0.5, 0.5, -0.5, -0.5), pill.height() / 2 - 0.5),
                   QPen(WithAlpha(kWhite, pushed ? 0.15 : 0.3), 1.0));
        Label(p, r.toRect().translated(0, pushed ? 1 : 0), Qt::AlignCenter, text,
              UiFont(15, true), kWhite);
    });
}

// ---- Lock: the motivational text -----------------------------------------------------------

QImage DrawMotto() {
    return Single(QSize(324, 103), [](QPainter& p) {
        const QFont big = UiFont(24, true);
        const QString line1 = "休息，是为了走更远的路";
        const QFontMetrics fm(big);
        const int w1 = fm.horizontalAdvance(line1);
        const int x1 = (324 - w1) / 2;
        // Large quotation marks in the accent colour, outside the line.
        const QFont quote = UiFont(34, true);
        const int quoteWidth = QFontMetrics(quote).horizontalAdvance("“");
        Label(p, QRect(x1 - quoteWidth + 4, 4, quoteWidth, 36), Qt::AlignLeft, "“", quote,
              kOrangeLight);
        Label(p, QRect(x1 + w1 - 4, 4, quoteWidth, 36), Qt::AlignLeft, "”", quote, kOrangeLight);
        Label(p, QRect(0, 8, 324, 38), Qt::AlignHCenter, line1, big, kInkOnDark);
        // A leaf between two hairlines.
        const qreal y = 58.5;
        p.setPen(QPen(WithAlpha(kWhite, 0.28), 1.0));
        p.drawLine(QPointF(92, y), QPointF(150, y));
        p.drawLine(QPointF(174, y), QPointF(232, y));
        FillPath(p, Teardrop(QPointF(160, 61), 4.2, 9.5, 45, 0.7), kTealLight);
        Label(p, QRect(0, 70, 324, 26), Qt::AlignHCenter, "放下手头工作，伸展身体，望望远方",
              UiFont(15), kSoftInkOnDark);
    });
}

// ---- Lock: the six stretches ---------------------------------------------------------------

// All six pictures are drawn in the coordinates of the carousel row (700 × 207) and cut to
// their own places, so the figure, the title and the text stay put while the user pages.
constexpr QPointF kFigureCentre(160, 105);
constexpr qreal kFigureRadius = 72;
constexpr int kTextLeft = 276;

struct Exercise {
    QString file;
    QRect place;  // in the carousel row
    QString title;
    QString duration;
    std::array<QString, 3> lines;
    std::function<void(QPainter&)> figure;
};

void FigureBackdrop(QPainter& p) {
    FillCircle(p, kFigureCentre, kFigureRadius, WithAlpha(Hex(0x7FE3CC), 0.10));
    FillCircle(p, kFigureCentre, kFigureRadius * 0.8, WithAlpha(Hex(0x7FE3CC), 0.08));
}

void ExerciseText(QPainter& p, const Exercise& e, int index, int count) {
    // The number, the title and how long to hold it.
    const QRect tag(kTextLeft, 40, 34, 22);
    FillPath(p, RoundRect(tag, 11), Vertical(tag.top(), tag.bottom(), kOrangeLight, kOrange));
    Label(p, tag, Qt::AlignCenter, QString("%1").arg(index + 1, 2, 10, QChar('0')),
          UiFont(13, true), kWhite);
    const QFont titleFont = UiFont(22, true);
    Label(p, QRect(kTextLeft + 44, 34, 220, 34), Qt::AlignLeft | Qt::AlignVCenter, e.title,
          titleFont, kInkOnDark);
    const int titleEnd = kTextLeft + 44 + QFontMetrics(titleFont).horizontalAdvance(e.title);
    Label(p, QRect(titleEnd + 10, 36, 120, 34), Qt::AlignLeft | Qt::AlignVCenter, e.duration,
          UiFont(13), kFaintOnDark);
    // The steps, each behind a small dot.
    int y = 80;
    for (const QString& line : e.lines) {
        if (line.isEmpty()) continue;
        FillCircle(p, QPointF(kTextLeft + 4, y + 11), 2.6, kTealLight);
        Label(p, QRect(kTextLeft + 16, y, 280, 22), Qt::AlignLeft | Qt::AlignVCenter, line,
              UiFont(15), kSoftInkOnDark);
        y += 27;
    }
    // Where this one stands among all.
    for (int i = 0; i < count; ++i) {
        const QPointF c(kTextLeft + 4 + i * 14, 172);
        if (i == index)
            FillPath(p, RoundRect(QRectF(c.x() - 3.5, c.y() - 3, 14, 6), 3), kOrangeLight);
        else
            FillCircle(p, c + QPointF(i > index ? 7 : 0, 0), 3, WithAlpha(kWhite, 0.28));
    }
}

// A person seen from the front, sitting behind a desk; `arms` and `head` adjust the pose.
Figure SeatedFront() {
    Figure f;
    f.neck = QPointF(160, 86);
    f.head = QPointF(160, 66);
    f.headRadius = 17;
    f.torso = {QPointF(141, 92), QPointF(179, 92), QPointF(174, 150), QPointF(146, 150)};
    f.armBack = {QPointF(139, 96), QPointF(128, 122), QPointF(140, 142)};
    f.armFront = {QPointF(181, 96), QPointF(192, 122), QPointF(180, 142)};
    f.armWidth = 9.5;
    f.legsHidden = true;
    return f;
}

void ChairBackFront(QPainter& p) {
    FillPath(p, RoundRect(QRectF(133, 94, 54, 62), 12), kChair);
    FillPath(p, RoundRect(QRectF(137, 98, 46, 54), 9), Mix(kChair, kWhite, 0.12));
}

void DeskFront(QPainter& p, bool laptop) {
    if (laptop) {
        // A laptop seen from behind, the app's leaf on its lid.
        const QRectF lid(186, 112, 52, 36);
        FillPath(p, RoundRect(lid, 4),
                 Vertical(lid.top(), lid.bottom(), Hex(0xDDE6EC), Hex(0xBFCDD8)));
        FillPath(p, Teardrop(lid.center() + QPointF(-1, 2), 4, 9, 45, 0.7), WithAlpha(kTeal, 0.8));
    } else {
        // A small plant in a pot.
        for (const auto& [x, y, angle] :
             {std::array{216.0, 134.0, -35.0}, std::array{222.0, 133.0, 10.0},
              std::array{227.0, 135.0, 45.0}}) {
            FillPath(p, Teardrop(QPointF(x, y), 3.4, 11, angle, 0.7),
                     Vertical(y - 11, y + 3, kTealLight, kTealPressed));
        }
        FillPath(p, Polygon({{213, 136}, {231, 136}, {228.5, 148}, {215.5, 148}}),
                 Vertical(136, 148, kWhite, Hex(0xDCE6EC)));
    }
    // A mug at the other side.
    QPainterPath mug = RoundRect(QRectF(100, 130, 15, 18), 3);
    QPainterPath handle = Circle(QPointF(99, 138), 5).subtracted(Circle(QPointF(99, 138), 2.6));
    FillPath(p, mug.united(handle), kOrangeLight);
    FillPath(p, RoundRect(QRectF(100, 130, 15, 3.5), 1.5), Mix(kOrangeLight, kWhite, 0.4));
    const QRectF top(86, 148, 148, 9);
    SoftShadow(p, RoundRect(top, 4), WithAlpha(Hex(0x000000), 0.35), QPointF(0, 3), 3);
    FillPath(p, RoundRect(top, 4), Vertical(top.top(), top.bottom(), kWhite, kDeskTop));
    // The front panel below the top, fading out towards the floor.
    FillPath(p, RoundRect(QRectF(96, 156, 128, 20), 3),
             Vertical(156, 176, WithAlpha(kDeskEdge, 0.7), WithAlpha(kDeskEdge, 0.0)));
}

void NeckStretch(QPainter& p) {
    FigureBackdrop(p);
    Figure f = SeatedFront();
    f.headTilt = 28;
    f.eyesClosed = true;
    ChairBackFront(p);
    // Where the head was: it leans over towards the shoulder.
    QPen ghost(WithAlpha(kWhite, 0.4), 1.5, Qt::DashLine, Qt::RoundCap);
    ghost.setDashPattern({2.0, 2.5});
    StrokePath(p, Circle(f.head, f.headRadius), ghost);
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    DeskFront(p, true);
    ArcArrow(p, f.neck, 48, 98, -36, kOrangeLight);
}

void ShoulderRolls(QPainter& p) {
    FigureBackdrop(p);
    Figure f = SeatedFront();
    f.armBack = {QPointF(139, 96), QPointF(116, 112), QPointF(142, 91)};
    f.armFront = {QPointF(181, 96), QPointF(204, 112), QPointF(178, 91)};
    f.armBackBehind = false;
    f.smileWide = true;
    ChairBackFront(p);
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    DeskFront(p, false);
    // Circles drawn by the elbows.
    ArcArrow(p, QPointF(114, 110), 14, 100, 250, kOrangeLight);
    ArcArrow(p, QPointF(206, 110), 14, 80, -250, kOrangeLight);
}

// A person seen from the right, sitting on a chair at a desk to their right.
Figure SeatedSide() {
    Figure f;
    f.facing = Facing::Right;
    f.neck = QPointF(128, 84);
    f.head = QPointF(131, 64);
    f.headRadius = 17;
    f.torso = {QPointF(120, 90), QPointF(136, 90), QPointF(138, 132), QPointF(118, 134)};
    f.armBack = {QPointF(128, 96), QPointF(140, 120), QPointF(160, 124)};
    f.armFront = {QPointF(128, 96), QPointF(140, 120), QPointF(162, 122)};
    f.legBack = {QPointF(126, 134), QPointF(162, 135), QPointF(162, 166)};
    f.legFront = {QPointF(128, 132), QPointF(166, 132), QPointF(166, 165)};
    f.toeBack = QPointF(172, 168);
    f.toeFront = QPointF(176, 167);
    f.legWidth = 12;
    return f;
}

void ChairSide(QPainter& p) {
    // Backrest, seat, column and foot.
    FillPath(p, RoundRect(QRectF(100, 82, 10, 54), 5), kChair);
    FillPath(p, RoundRect(QRectF(100, 136, 48, 8), 4), Mix(kChair, kWhite, 0.1));
    FillPath(p, RoundRect(QRectF(120, 143, 6, 22), 2), Mix(kChair, Hex(0x000000), 0.1));
    FillPath(p, RoundRect(QRectF(104, 164, 38, 5), 2.5), Mix(kChair, Hex(0x000000), 0.1));
    FillCircle(p, QPointF(107, 171), 3, kChair);
    FillCircle(p, QPointF(139, 171), 3, kChair);
}

void DeskSide(QPainter& p, qreal left) {
    const QRectF top(left, 112, 232 - left, 8);
    SoftShadow(p, RoundRect(top, 4), WithAlpha(Hex(0x000000), 0.35), QPointF(0, 3), 3);
    FillPath(p, RoundRect(top, 4), Vertical(top.top(), top.bottom(), kWhite, kDeskTop));
    FillPath(p, RoundRect(QRectF(222, 119, 7, 56), 3), kDeskEdge);
}

// A hand with its fingers together and the thumb apart, from the wrist towards `angle`
// (degrees, 0 = up, clockwise); the thumb on the `thumb` side (1 right, -1 left).
QPainterPath Mitten(QPointF wrist, qreal angle, qreal width, qreal length, qreal thumb) {
    QPainterPath hand =
        RoundRect(QRectF(-width / 2, -length, width, length + width * 0.3), width / 2);
    QPainterPath thumbPath;
    thumbPath.moveTo(thumb * width * 0.2, -length * 0.2);
    thumbPath.lineTo(thumb * width * 0.62, -length * 0.42);
    hand = hand.united(Thick(thumbPath, width * 0.38));
    QTransform t;
    t.translate(wrist.x(), wrist.y());
    t.rotate(angle);
    return t.map(hand);
}

void WristStretch(QPainter& p) {
    FigureBackdrop(p);
    Figure f = SeatedSide();
    // The near arm straight ahead with the hand bent up; the far hand comes up in front of it
    // and presses the fingers back.
    const QPointF wrist(180, 98);
    const QPointF otherWrist(190, 106);
    f.armFront = {QPointF(129, 96), QPointF(155, 97), wrist};
    f.armBack = {QPointF(127, 97), QPointF(156, 120), otherWrist};
    ChairSide(p);
    DeskSide(p, 206);
    // The laptop on the desk.
    FillPath(p, Polygon({{214, 112}, {221, 84}, {225, 84}, {219, 112}}), Hex(0xC9D5DE));
    FillPath(p, RoundRect(QRectF(208, 109, 22, 3.5), 1.5), Hex(0xDDE6EC));
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    const Look look;
    const QPainterPath hand = Mitten(wrist, -16, 10, 21, -1);
    FillPath(p, hand, look.skin);
    FillPath(p, Thick(PartOfLimb(f.armFront, 0.55), f.armWidth), look.shirt);
    const QPainterPath other = Mitten(otherWrist, -6, 9, 19, 1);
    SoftShadow(p, other, WithAlpha(Hex(0x7A3A20), 0.35), QPointF(-1, 0), 1);
    FillPath(p, other, Mix(look.skin, Hex(0xE08A6A), 0.12));
    ArcArrow(p, wrist, 32, 64, 36, kOrangeLight);
}

void BackStretch(QPainter& p) {
    FigureBackdrop(p);
    // Standing, fingers laced above the head, the upper body leaning over to one side.
    Figure f;
    f.headRadius = 13.5;
    f.neck = QPointF(160, 84);
    f.head = QPointF(160, 68);
    f.torso = {QPointF(146, 90), QPointF(174, 90), QPointF(170, 130), QPointF(150, 130)};
    f.armBack = {QPointF(145, 92), QPointF(141, 64), QPointF(157, 44)};
    f.armFront = {QPointF(175, 92), QPointF(179, 64), QPointF(163, 44)};
    f.armWidth = 8;
    f.armBackBehind = false;
    f.headOverArms = true;
    f.legBack = {QPointF(153, 128), QPointF(151, 152), QPointF(150, 170)};
    f.legFront = {QPointF(167, 128), QPointF(169, 152), QPointF(170, 170)};
    f.toeBack = QPointF(144, 173);
    f.toeFront = QPointF(176, 173);
    f.legWidth = 11.5;
    f.smileWide = true;
    const QPointF waist(160, 128);
    const qreal lean = 20;
    // The head keeps its place over the neck and turns with the body there.
    const QPointF headOffset = f.head - f.neck;
    f.headTilt = lean;
    for (QPointF* point : {&f.neck, &f.torso[0], &f.torso[1], &f.armBack.root, &f.armBack.joint,
                           &f.armBack.end, &f.armFront.root, &f.armFront.joint, &f.armFront.end})
        *point = Turn(*point, waist, lean);
    f.head = f.neck + headOffset;
    // Floor.
    FillPath(p, RoundRect(QRectF(122, 173, 76, 4), 2), WithAlpha(kWhite, 0.18));
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    FillCircle(p, (f.armBack.end + f.armFront.end) / 2, 6.2, Look().skin);
    // Over to the side, and back.
    ArcArrow(p, waist, 96, 98, -24, kOrangeLight);
}

void EyeRest(QPainter& p) {
    FigureBackdrop(p);
    // A window with hills far away; the person looks out at them.
    const QRectF window(186, 36, 54, 60);
    FillPath(p, RoundRect(window, 5),
             Vertical(window.top(), window.bottom(), Hex(0x9FD8FF), Hex(0xDDF4FF)));
    p.save();
    p.setClipPath(RoundRect(window, 5));
    FillCircle(p, QPointF(226, 52), 7, Hex(0xFFE7A8));
    QPainterPath hills;
    hills.moveTo(186, 82);
    hills.cubicTo(200, 68, 212, 72, 224, 80);
    hills.cubicTo(232, 74, 238, 74, 244, 78);
    hills.lineTo(244, 100);
    hills.lineTo(186, 100);
    hills.closeSubpath();
    FillPath(p, hills, Vertical(70, 98, kTealLight, kTeal));
    // A tree on the hill.
    FillPath(p, RoundRect(QRectF(202.5, 72, 2, 8), 1), Hex(0x8A5A3C));
    FillCircle(p, QPointF(203.5, 70), 5, Hex(0x17A487));
    p.restore();
    StrokePath(p, RoundRect(window.adjusted(-1.5, -1.5, 1.5, 1.5), 6), QPen(kWhite, 3.0));
    p.setPen(QPen(kWhite, 2.0));
    p.drawLine(QPointF(window.center().x(), window.top()),
               QPointF(window.center().x(), window.bottom()));
    p.drawLine(QPointF(window.left(), window.center().y() + 2),
               QPointF(window.right(), window.center().y() + 2));

    Figure f = SeatedSide();
    f.headTilt = -6;
    f.armBack = {QPointF(128, 96), QPointF(138, 120), QPointF(158, 116)};
    f.armFront = {QPointF(128, 96), QPointF(140, 121), QPointF(162, 116)};
    ChairSide(p);
    DeskSide(p, 150);
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    // The look travelling out of the window.
    QPen sight(WithAlpha(kOrangeLight, 0.9), 2.0, Qt::DashLine, Qt::RoundCap);
    sight.setDashPattern({2.0, 3.0});
    p.setPen(sight);
    p.drawLine(QPointF(150, 64), QPointF(182, 58));
    FillPath(p, Sparkle(QPointF(250, 34), 5), kOrangeLight);
}

void LegRaise(QPainter& p) {
    FigureBackdrop(p);
    Figure f = SeatedSide();
    f.armBack = {QPointF(127, 96), QPointF(122, 118), QPointF(132, 136)};
    f.armFront = {QPointF(129, 96), QPointF(126, 118), QPointF(136, 136)};
    // One leg straight out, toes pulled back; the other down.
    f.legFront = {QPointF(128, 132), QPointF(160, 131), QPointF(192, 128)};
    f.toeFront = QPointF(195, 117);
    f.smileWide = true;
    ChairSide(p);
    DrawFigure(p, f, Look(), WithAlpha(kWhite, 0.22));
    ArcArrow(p, QPointF(192, 128), 20, 20, 60, kOrangeLight);
    // Floor.
    FillPath(p, RoundRect(QRectF(96, 174, 120, 4), 2), WithAlpha(kWhite, 0.18));
}

std::vector<Exercise> Exercises() {
    return {
        {"Group_1.png",
         QRect(57, 0, 581, 207),
         "颈部放松",
         "左右各 3 次",
         {"坐直身体，双肩自然下沉", "头慢慢向左侧倾，保持 10 秒", "回正后换右侧，动作要轻柔"},
         NeckStretch},
        {"Group_2.png",
         QRect(57, 0, 581, 207),
         "肩部环绕",
         "前后各 10 圈",
         {"双手指尖轻搭在肩膀上", "手肘由前向后慢慢画圈", "再反方向画圈，感受肩背舒展"},
         ShoulderRolls},
        {"Group_3.png",
         QRect(0, 4, 638, 176),
         "手腕舒展",
         "每侧 15 秒",
         {"一侧手臂向前伸直，掌心向外", "另一只手轻拉手指向身体方向", "换手重复，最后轻轻甩甩手腕"},
         WristStretch},
        {"Group_4.png",
         QRect(56, 17, 582, 168),
         "背部伸展",
         "每侧 10 秒",
         {"起身站立，双手十指交叉", "掌心向上举过头顶，向上延伸", "再缓缓向左右两侧弯腰"},
         BackStretch},
        {"Group_5.png",
         QRect(57, 17, 581, 168),
         "远眺护眼",
         "约 20 秒",
         {"目光离开屏幕，望向窗外远处", "看 6 米以外的景物，眨眨眼睛", "闭眼休息片刻，双眼更轻松"},
         EyeRest},
        {"Group_6.png",
         QRect(51, 30, 587, 159),
         "腿部活动",
         "每侧 5 次",
         {"坐在椅子前端，一条腿向前伸直", "脚尖回勾，保持 5 秒后放下",
          "双腿交替，促进下肢血液循环"},
         LegRaise},
    };
}

QImage DrawExercise(const Exercise& e, int index, int count) {
    QImage image = Blank(e.place.size());
    QPainter p(&image);
    Smooth(p);
    p.translate(-e.place.topLeft());
    e.figure(p);
    ExerciseText(p, e, index, count);
    return image;
}

// ---- Lock: the completion picture ----------------------------------------------------------

QImage DrawFinish() {
    return Single(QSize(311, 232), [](QPainter& p) {
        const QPointF c(155.5, 112);
        // A warm glow behind rings of light.
        QRadialGradient glow(c, 112);
        glow.setColorAt(0, WithAlpha(kOrangeLight, 0.40));
        glow.setColorAt(0.6, WithAlpha(kOrange, 0.12));
        glow.setColorAt(1, WithAlpha(kOrange, 0.0));
        FillCircle(p, c, 112, glow);
        FillCircle(p, c, 80, WithAlpha(Hex(0x7FE3CC), 0.08));
        FillCircle(p, c, 64, WithAlpha(Hex(0x7FE3CC), 0.10));
        FillCircle(p, c, 48, WithAlpha(Hex(0x7FE3CC), 0.12));

        // A person cheering, both arms up.
        Figure f;
        f.neck = QPointF(155, 88);
        f.head = QPointF(155, 70);
        f.headRadius = 16;
        f.torso = {QPointF(140, 94), QPointF(170, 94), QPointF(166, 140), QPointF(144, 140)};
        f.armBack = {QPointF(140, 97), QPointF(124, 76), QPointF(116, 52)};
        f.armFront = {QPointF(170, 97), QPointF(186, 76), QPointF(194, 52)};
        f.armWidth = 9;
        f.armBackBehind = false;
        f.legBack = {QPointF(148, 138), QPointF(145, 162), QPointF(142, 186)};
        f.legFront = {QPointF(162, 138), QPointF(165, 162), QPointF(168, 186)};
        f.toeBack = QPointF(135, 189);
        f.toeFront = QPointF(175, 189);
        f.legWidth = 12;
        f.smileWide = true;
        Look look;
        look.shirt = kOrange;
        look.bun = true;
        QPainterPath ground;
        ground.addEllipse(QPointF(155, 193), 34, 4.5);
        FillPath(p, ground, WithAlpha(Hex(0x000000), 0.22));
        DrawFigure(p, f, look, WithAlpha(kWhite, 0.25));
        // Open hands.
        FillPath(p, Mitten(QPointF(115, 53), -20, 9, 13, -1), look.skin);
        FillPath(p, Mitten(QPointF(195, 53), 20, 9, 13, 1), look.skin);

        // Confetti and twinkles.
        struct Bit {
            qreal x, y, angle;
            QColor color;
        };
        const Bit bits[] = {
            {64, 52, 20, kTealLight},    {84, 150, -30, kBlueLight},  {236, 60, 40, kBlueLight},
            {250, 142, -15, kTealLight}, {98, 24, 60, kOrangeLight},  {222, 20, -50, kWhite},
            {46, 110, 75, kWhite},       {270, 96, 10, kOrangeLight}, {120, 196, 35, kOrangeLight},
            {198, 200, -60, kTealLight},
        };
        for (const Bit& b : bits) {
            QTransform t;
            t.translate(b.x, b.y);
            t.rotate(b.angle);
            FillPath(p, t.map(RoundRect(QRectF(-4, -2, 8, 4), 1.2)), b.color);
        }
        FillPath(p, Sparkle(QPointF(54, 76), 7), kWhite);
        FillPath(p, Sparkle(QPointF(258, 40), 6), kOrangeLight);
        FillPath(p, Sparkle(QPointF(244, 176), 5), kWhite);
        FillPath(p, Sparkle(QPointF(72, 182), 4.5), kTealLight);

        // A full battery: energy restored.
        const QRectF cell(224, 104, 36, 18);
        FillPath(p, RoundRect(cell, 4), WithAlpha(kWhite, 0.92));
        FillPath(p, RoundRect(QRectF(cell.right(), cell.top() + 5, 3.5, 8), 1.5),
                 WithAlpha(kWhite, 0.92));
        for (int i = 0; i < 4; ++i) {
            FillPath(p, RoundRect(QRectF(cell.left() + 3 + i * 7.8, cell.top() + 3, 6.2, 12), 1.2),
                     Hex(0x1DBA30));
        }
    });
}

// ---- Prompt: the time-of-day scenes --------------------------------------------------------

// The round "window" every scene sits in, with a soft shadow below it.
void SceneDisc(QPainter& p, QPointF c, qreal r, const QColor& top, const QColor& bottom) {
    SoftShadow(p, Circle(c, r), WithAlpha(Mix(bottom, Hex(0x000000), 0.3), 0.25), QPointF(0, 3), 4);
    FillPath(p, Circle(c, r), Vertical(c.y() - r, c.y() + r, top, bottom));
}

QPainterPath Cloud(QPointF at, qreal s) {
    QPainterPath cloud = Circle(at, 6 * s);
    cloud = cloud.united(Circle(at + QPointF(7 * s, -3 * s), 7.5 * s));
    cloud = cloud.united(Circle(at + QPointF(15 * s, 0), 6 * s));
    cloud = cloud.united(RoundRect(QRectF(at.x(), at.y() - 1 * s, 15 * s, 7 * s), 3 * s));
    return cloud;
}

QImage DrawMorning() {
    return Single(QSize(152, 135), [](QPainter& p) {
        const QPointF c(76, 62);
        const qreal r = 56;
        SceneDisc(p, c, r, Hex(0xFFF1D6), Hex(0xFFD49A));
        p.save();
        p.setClipPath(Circle(c, r));
        // The sun coming up behind the hills.
        QRadialGradient sun(QPointF(56, 70), 30);
        sun.setColorAt(0, WithAlpha(kWhite, 0.9));
        sun.setColorAt(1, WithAlpha(kWhite, 0.0));
        FillCircle(p, QPointF(56, 70), 30, sun);
        FillCircle(p, QPointF(56, 70), 14, Vertical(56, 84, Hex(0xFFE27A), kOrange));
        for (int i = 0; i < 7; ++i) {
            const qreal a = M_PI * (i + 1) / 8;
            const QPointF dir(-std::cos(a), -std::sin(a));
            p.setPen(Stroke(WithAlpha(kOrange, 0.7), 2.0));
            p.drawLine(QPointF(56, 70) + dir * 19, QPointF(56, 70) + dir * 25);
        }
        QPainterPath hills;
        hills.moveTo(10, 84);
        hills.cubicTo(40, 70, 70, 74, 96, 84);
        hills.cubicTo(112, 78, 128, 76, 144, 82);
        hills.lineTo(144, 130);
        hills.lineTo(10, 130);
        hills.closeSubpath();
        FillPath(p, hills, Vertical(72, 118, kTealLight, kTeal));
        FillPath(p, Cloud(QPointF(96, 36), 1.0), WithAlpha(kWhite, 0.9));
        p.restore();

        // A mug of coffee, steaming, on its saucer.
        QPainterPath saucer;
        saucer.addEllipse(QRectF(74, 112, 62, 11));
        SoftShadow(p, saucer, WithAlpha(kOrangeDeep, 0.35), QPointF(0, 2), 3);
        FillPath(p, saucer, Vertical(112, 123, kWhite, Hex(0xFFE9CF)));
        const qreal left = 84;
        const qreal right = 122;
        const qreal rim = 86;
        QPainterPath handle =
            Circle(QPointF(right + 1, 100), 8.5).subtracted(Circle(QPointF(right + 1, 100), 4.5));
        const QPainterPath cup = CupBowl(left, right, rim, 30, 16, 6);
        const QPainterPath body = cup.united(handle);
        SoftShadow(p, body, WithAlpha(kOrangeDeep, 0.35), QPointF(0, 2), 3);
        FillPath(p, body, Vertical(rim, rim + 30, kWhite, Hex(0xFFF1DF)));
        p.save();
        p.setClipPath(cup);
        FillPath(p, RoundRect(QRectF(left - 2, rim + 9, right - left + 4, 5), 0),
                 WithAlpha(kOrange, 0.8));
        p.restore();
        QPainterPath coffee;
        coffee.addEllipse(QRectF(left + 2, rim - 3, right - left - 4, 6));
        FillPath(p, coffee, Vertical(rim - 3, rim + 3, Hex(0x8A5330), Hex(0xB0743F)));
        QPainterPath lip;
        lip.addEllipse(QRectF(left, rim - 4, right - left, 8));
        StrokePath(p, lip, QPen(kWhite, 1.8));
        for (const qreal x : {97.0, 109.0}) {
            QPainterPath steam;
            steam.moveTo(x, rim - 8);
            steam.cubicTo(x - 5, rim - 13, x + 5, rim - 18, x, rim - 25);
            StrokePath(p, steam, Stroke(WithAlpha(kOrange, 0.55), 2.2));
        }
        // A croissant beside it.
        QPainterPath croissant;
        croissant.moveTo(26, 116);
        croissant.cubicTo(30, 98, 60, 96, 66, 114);
        croissant.cubicTo(58, 108, 36, 108, 26, 116);
        croissant.closeSubpath();
        croissant = Rounded(croissant, 3);
        SoftShadow(p, croissant, WithAlpha(kOrangeDeep, 0.35), QPointF(0, 2), 2);
        FillPath(p, croissant, Vertical(98, 118, Hex(0xFFCF7A), Hex(0xE89A3E)));
        for (const qreal x : {38.0, 46.0, 54.0}) {
            p.setPen(Stroke(WithAlpha(Hex(0xB86A24), 0.7), 1.3));
            p.drawLine(QPointF(x, 103 + std::abs(x - 46) * 0.25), QPointF(x - 2, 112));
        }
    });
}

QImage DrawNoon() {
    return Single(QSize(164, 138), [](QPainter& p) {
        const QPointF c(82, 62);
        const qreal r = 57;
        SceneDisc(p, c, r, Hex(0xE2FBF5), Hex(0xA9EEDC));
        p.save();
        p.setClipPath(Circle(c, r));
        // The sun high up.
        QRadialGradient halo(QPointF(112, 30), 24);
        halo.setColorAt(0, WithAlpha(kWhite, 0.9));
        halo.setColorAt(1, WithAlpha(kWhite, 0.0));
        FillCircle(p, QPointF(112, 30), 24, halo);
        FillCircle(p, QPointF(112, 30), 11, Vertical(19, 41, Hex(0xFFE27A), kOrangeLight));
        FillPath(p, Cloud(QPointF(38, 38), 0.9), WithAlpha(kWhite, 0.95));
        p.restore();

        // A bowl of rice with greens and an egg; chopsticks across.
        const qreal left = 40;
        const qreal right = 124;
        const qreal rim = 84;
        QPainterPath rice;
        rice.moveTo(left + 4, rim);
        rice.cubicTo(left + 10, rim - 26, right - 10, rim - 26, right - 4, rim);
        rice.closeSubpath();
        SoftShadow(p, rice, WithAlpha(kTealDeep, 0.35), QPointF(0, 1), 2);
        FillPath(p, rice, Vertical(rim - 22, rim, kWhite, Hex(0xEEF3F0)));
        // A few grains.
        for (const auto& [x, y, a] : {std::array{54.0, 78.0, 30.0}, std::array{88.0, 68.0, -20.0},
                                      std::array{112.0, 78.0, 60.0}, std::array{78.0, 66.0, 80.0},
                                      std::array{60.0, 70.0, -40.0}}) {
            QTransform t;
            t.translate(x, y);
            t.rotate(a);
            QPainterPath grain;
            grain.addEllipse(QPointF(0, 0), 2.2, 1.2);
            FillPath(p, t.map(grain), Hex(0xDCE6E1));
        }
        // Greens and an egg on top.
        FillPath(p, Teardrop(QPointF(66, 74), 6, 13, -60, 0.7), Hex(0x4CC38A));
        FillPath(p, Teardrop(QPointF(72, 70), 5, 11, -20, 0.7), Hex(0x2FAE74));
        QPainterPath egg;
        egg.addEllipse(QPointF(96, 72), 12, 8);
        FillPath(p, egg, kWhite);
        StrokePath(p, egg, QPen(Hex(0xF0E6D8), 1.0));
        FillCircle(p, QPointF(97, 72), 5, Vertical(67, 77, Hex(0xFFCF5A), kOrange));
        FillCircle(p, QPointF(82, 78), 3.5, Hex(0xFF8A65));
        FillCircle(p, QPointF(109, 80), 3, Hex(0xFF8A65));
        QPainterPath bowl;
        bowl.moveTo(left, rim);
        bowl.lineTo(right, rim);
        bowl.cubicTo(right - 2, rim + 26, right - 18, rim + 36, (left + right) / 2, rim + 36);
        bowl.cubicTo(left + 18, rim + 36, left + 2, rim + 26, left, rim);
        bowl.closeSubpath();
        QPainterPath foot = RoundRect(QRectF(66, rim + 33, 32, 7), 3);
        const QPainterPath whole = bowl.united(foot);
        SoftShadow(p, whole, WithAlpha(kOrangeDeep, 0.35), QPointF(0, 2.5), 3);
        FillPath(p, whole, Vertical(rim, rim + 40, kOrangeHot, kOrangePressed));
        p.save();
        p.setClipPath(bowl);
        FillPath(p, RoundRect(QRectF(left - 2, rim, right - left + 4, 7), 0), kWhite);
        for (int i = 0; i < 6; ++i)
            FillCircle(p, QPointF(52 + i * 12, rim + 19), 2.0, WithAlpha(kWhite, 0.75));
        p.restore();
        // Chopsticks resting across the rim.
        p.setPen(Stroke(Hex(0xB8753A), 3.2));
        p.drawLine(QPointF(96, rim - 6), QPointF(150, rim - 30));
        p.setPen(Stroke(Hex(0xD9985A), 3.2));
        p.drawLine(QPointF(100, rim - 2), QPointF(153, rim - 22));
        // Steam.
        for (const qreal x : {70.0, 84.0, 98.0}) {
            QPainterPath steam;
            steam.moveTo(x, 50);
            steam.cubicTo(x - 5, 45, x + 5, 40, x, 33);
            StrokePath(p, steam, Stroke(WithAlpha(kWhite, 0.95), 2.2));
        }
    });
}

QImage DrawAfternoon() {
    return Single(QSize(174, 138), [](QPainter& p) {
        const QPointF c(87, 64);
        const qreal r = 58;
        SceneDisc(p, c, r, Hex(0xDDF1FF), Hex(0x9BD2FB));
        p.save();
        p.setClipPath(Circle(c, r));
        FillCircle(p, QPointF(46, 40), 10, Vertical(30, 50, Hex(0xFFE9A0), kOrangeLight));
        FillPath(p, Cloud(QPointF(96, 30), 0.85), WithAlpha(kWhite, 0.95));
        // Hills with a path winding into them.
        QPainterPath far;
        far.moveTo(20, 90);
        far.cubicTo(50, 72, 80, 74, 110, 86);
        far.cubicTo(130, 78, 146, 76, 160, 82);
        far.lineTo(160, 130);
        far.lineTo(20, 130);
        far.closeSubpath();
        FillPath(p, far, Vertical(74, 110, Hex(0x8CE6CF), Hex(0x4FD1AE)));
        QPainterPath near;
        near.moveTo(20, 104);
        near.cubicTo(60, 94, 110, 96, 160, 104);
        near.lineTo(160, 130);
        near.lineTo(20, 130);
        near.closeSubpath();
        FillPath(p, near, Vertical(94, 124, kTealLight, kTeal));
        QPainterPath road;
        road.moveTo(30, 128);
        road.cubicTo(60, 114, 100, 108, 150, 106);
        road.lineTo(150, 114);
        road.cubicTo(104, 116, 74, 122, 56, 130);
        road.closeSubpath();
        FillPath(p, road, WithAlpha(Hex(0xFFF4E0), 0.9));
        // A round tree on the hill.
        FillPath(p, RoundRect(QRectF(49, 78, 5, 24), 2), Hex(0xB0743F));
        FillCircle(p, QPointF(51.5, 70), 13, Vertical(57, 83, Hex(0x6FE0BF), kTealPressed));
        FillCircle(p, QPointF(47, 66), 4, WithAlpha(kWhite, 0.3));
        p.restore();

        // Two friends walking side by side, seen from the side.
        const auto walker = [&](qreal x, qreal s, const Look& look, qreal swing) {
            Figure f;
            f.facing = Facing::Right;
            f.headRadius = 8.5 * s;
            const QPointF base(x, 112);
            const auto at = [&](qreal dx, qreal dy) { return base + QPointF(dx * s, dy * s); };
            f.neck = at(0, -44);
            f.head = at(1, -52);
            f.torso = {at(-5, -42), at(4, -42), at(4, -22), at(-5, -22)};
            f.armBack = {at(0, -40), at(-4 - swing, -31), at(-6 - swing, -23)};
            f.armFront = {at(0, -40), at(3 + swing, -31), at(7 + swing, -24)};
            f.legBack = {at(-1, -22), at(-4 - swing, -11), at(-7 - swing, -1)};
            f.legFront = {at(0, -22), at(4 + swing, -12), at(5 + swing, -1)};
            f.toeBack = at(-3 - swing, 0);
            f.toeFront = at(10 + swing, 0);
            f.armWidth = 4.6 * s;
            f.legWidth = 5.6 * s;
            f.smileWide = true;
            QPainterPath shade;
            shade.addEllipse(at(0, 1), 12 * s, 2.5 * s);
            FillPath(p, shade, WithAlpha(kTealDeep, 0.3));
            DrawFigure(p, f, look);
        };
        Look friendOne;
        friendOne.shirt = kOrange;
        friendOne.bun = true;
        friendOne.trousers = Hex(0x3B6FB8);
        Look friendTwo;
        friendTwo.shirt = kBlue;
        friendTwo.trousers = Hex(0x35506E);
        walker(92, 0.78, friendTwo, 2);
        walker(110, 0.72, friendOne, -1);
    });
}

QImage DrawEvening() {
    return Single(QSize(221, 135), [](QPainter& p) {
        // A wide rounded window at dusk.
        const QRectF sky(14, 8, 193, 112);
        const QPainterPath frame = RoundRect(sky, 56);
        SoftShadow(p, frame, WithAlpha(Hex(0x1B2A6B), 0.3), QPointF(0, 3), 4);
        QLinearGradient dusk(0, sky.top(), 0, sky.bottom());
        dusk.setColorAt(0, Hex(0x5D6FD8));
        dusk.setColorAt(0.62, Hex(0x9AA7F0));
        dusk.setColorAt(1, Hex(0xFFC9A0));
        FillPath(p, frame, dusk);
        p.save();
        p.setClipPath(frame);
        // Moon and stars.
        QPainterPath moon = Circle(QPointF(62, 38), 11).subtracted(Circle(QPointF(68, 33), 10));
        FillPath(p, moon, Hex(0xFFF3C4));
        for (const auto& [x, y, s] : {std::array{96.0, 24.0, 3.2}, std::array{140.0, 34.0, 2.4},
                                      std::array{40.0, 62.0, 2.0}, std::array{176.0, 22.0, 3.0},
                                      std::array{118.0, 50.0, 1.8}}) {
            FillPath(p, Sparkle(QPointF(x, y), s), WithAlpha(kWhite, 0.95));
        }
        // Buildings in the distance, some windows lit.
        struct Block {
            qreal x, w, h;
        };
        const Block blocks[] = {
            {20, 22, 40}, {44, 16, 54}, {62, 24, 34}, {152, 20, 46}, {174, 26, 36}};
        for (const Block& b : blocks) {
            const QRectF rect(b.x, 120 - b.h, b.w, b.h);
            FillPath(p, RoundRect(rect, 2), WithAlpha(Hex(0x3E4FA8), 0.55));
            for (qreal wy = rect.top() + 6; wy < 112; wy += 9) {
                for (qreal wx = rect.left() + 4; wx < rect.right() - 4; wx += 7) {
                    const bool lit = std::fmod(wx * 7 + wy * 3, 5) < 2.2;
                    FillPath(p, RoundRect(QRectF(wx, wy, 3.5, 4), 0.8),
                             lit ? Hex(0xFFE08A) : WithAlpha(Hex(0x8C9BE6), 0.5));
                }
            }
        }
        // Ground.
        FillPath(p, RoundRect(QRectF(0, 106, 221, 40), 0),
                 Vertical(106, 120, Hex(0x57C9A9), Hex(0x2FA98C)));
        p.restore();

        // Home: a house with a warm window and a lamp by the path.
        const QRectF wall(126, 66, 46, 40);
        const QPainterPath roof = Rounded(Polygon({{120, 70}, {149, 46}, {178, 70}}), 2);
        const QPainterPath house = RoundRect(wall, 3).united(roof);
        SoftShadow(p, house, WithAlpha(Hex(0x1B2A6B), 0.35), QPointF(0, 2), 3);
        FillPath(p, RoundRect(wall, 3), Vertical(wall.top(), wall.bottom(), kWhite, Hex(0xEDEBFF)));
        FillPath(p, roof, Vertical(46, 70, kOrangeHot, kOrangePressed));
        FillPath(p, RoundRect(QRectF(160, 48, 6, 14), 1), Hex(0xE88A2E));
        QRadialGradient warm(QPointF(139, 82), 14);
        warm.setColorAt(0, WithAlpha(Hex(0xFFD36B), 0.55));
        warm.setColorAt(1, WithAlpha(Hex(0xFFD36B), 0.0));
        FillCircle(p, QPointF(139, 82), 14, warm);
        FillPath(p, RoundRect(QRectF(132, 76, 13, 12), 2), Hex(0xFFD36B));
        p.setPen(QPen(WithAlpha(kOrangeDeep, 0.6), 1.2));
        p.drawLine(QPointF(138.5, 76), QPointF(138.5, 88));
        FillPath(p, RoundRect(QRectF(152, 82, 12, 24), 2), Hex(0xB0743F));
        FillCircle(p, QPointF(161, 95), 1.3, Hex(0xFFE08A));
        // A street lamp.
        FillPath(p, RoundRect(QRectF(194, 70, 3, 42), 1.5), Hex(0x4A5A8A));
        QRadialGradient lamp(QPointF(195.5, 68), 16);
        lamp.setColorAt(0, WithAlpha(Hex(0xFFE08A), 0.75));
        lamp.setColorAt(1, WithAlpha(Hex(0xFFE08A), 0.0));
        FillCircle(p, QPointF(195.5, 68), 16, lamp);
        FillCircle(p, QPointF(195.5, 68), 4.5, Hex(0xFFF0B8));

        // Someone on the way home, with a bag.
        Figure f;
        f.facing = Facing::Right;
        const qreal s = 1.0;
        const QPointF base(94, 118);
        const auto at = [&](qreal dx, qreal dy) { return base + QPointF(dx * s, dy * s); };
        f.headRadius = 8.5;
        f.neck = at(0, -44);
        f.head = at(1, -52);
        f.torso = {at(-5, -42), at(4, -42), at(4, -22), at(-5, -22)};
        f.armBack = {at(0, -40), at(-6, -31), at(-9, -24)};
        f.armFront = {at(0, -40), at(4, -31), at(8, -24)};
        f.legBack = {at(-1, -22), at(-5, -11), at(-9, -1)};
        f.legFront = {at(0, -22), at(5, -12), at(7, -1)};
        f.toeBack = at(-5, 0);
        f.toeFront = at(12, 0);
        f.armWidth = 4.6;
        f.legWidth = 5.6;
        f.smileWide = true;
        Look look;
        look.shirt = kTeal;
        look.trousers = Hex(0x35506E);
        QPainterPath shade;
        shade.addEllipse(at(0, 1), 13, 2.5);
        FillPath(p, shade, WithAlpha(Hex(0x1B2A6B), 0.3));
        // The bag hangs from the back hand.
        FillPath(p, RoundRect(QRectF(base.x() - 15, base.y() - 26, 11, 9), 2), Hex(0xFF9F43));
        DrawFigure(p, f, look);
    });
}

}  // namespace

std::vector<Picture> RelaxPictures() {
    QImage veil(kVeil, QImage::Format_ARGB32);
    veil.fill(kVeilPixel);

    std::vector<Picture> pictures = {
        {"label_morning.png", DrawMorning()},
        {"label_noon.png", DrawNoon()},
        {"label_afternoon.png", DrawAfternoon()},
        {"label_evening.png", DrawEvening()},
        {"bk_fullscreen.png", veil},
        {"label_group.png", DrawMotto(), kVeilGround},
        {"group_end.png", DrawFinish(), kVeilGround},
        {"btn_relax_set.png", DarkRoundButton(QSize(32, 32), 15, GearGlyph), kVeilGround},
        {"btn_relax_prev.png",
         DarkRoundButton(QSize(28, 28), 13.5, [](QPainter& p) { ChevronGlyph(p, false); }),
         kVeilGround},
        {"btn_relax_next.png",
         DarkRoundButton(QSize(28, 28), 13.5, [](QPainter& p) { ChevronGlyph(p, true); }),
         kVeilGround},
        {"btn_relax_over.png", DrawOverButton("结束休息"), kVeilGround},
        {"btn_relax_done.png", DrawOverButton("完成"), kVeilGround},
    };
    const std::vector<Exercise> exercises = Exercises();
    const int count = static_cast<int>(exercises.size());
    for (int i = 0; i < count; ++i) {
        const Exercise& e = exercises[static_cast<std::size_t>(i)];
        pictures.push_back({e.file, DrawExercise(e, i, count), kVeilGround});
    }
    return pictures;
}

}  // namespace art
