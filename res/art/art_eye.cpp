// The pictures of the eye-protection page: the gauge's track behind it and its thumb.

#include <QtMath>

#include <cmath>

#include "res/art/art_kit.h"

namespace art {

namespace {

// The gauge draws its ring around this centre at this radius, 8 px wide (in the track's own
// coordinates: the picture lies 3 px right and down of the gauge's corner, whose ring is the
// square 8..198 of the control).
constexpr QPointF kRingCentre(100, 100);
constexpr qreal kRingRadius = 95;
constexpr qreal kRingWidth = 8;
constexpr QSize kTrack(200, 142);
constexpr QSize kThumb(18, 18);

// The value's green (the gauge's fgcolor) and the track's resting grey-teal.
const QColor kGauge = Hex(0x3DC633);
const QColor kGaugeLight = Hex(0x7BDB6E);
const QColor kTrackFill = Hex(0xE0ECEE);
const QColor kTick = Hex(0xC3D3D7);
const QColor kTickMajor = Hex(0x9FB4BA);

// The strength 0…100 lies along 240° clockwise from 150°; values are 2.4° apart.
constexpr qreal kArcStart = 150;
constexpr qreal kDegreesPerPercent = 2.4;

QPointF OnCircle(QPointF centre, qreal radius, qreal clockwiseDegrees) {
    const qreal a = qDegreesToRadians(clockwiseDegrees);
    return centre + QPointF(std::cos(a), std::sin(a)) * radius;
}

// The horseshoe's track, with a scale inside it. The picture is cut at 142 px, above the arc's
// ends, so the track stops where its round ends still fit; the value's start cap and the thumb
// cover the few degrees left out.
QImage DrawTrack() {
    return Single(kTrack, [](QPainter& p) {
        const qreal capRoom = kTrack.height() - kRingWidth / 2 - kRingCentre.y();
        const qreal cut = qRadiansToDegrees(std::asin(capRoom / kRingRadius));
        const qreal start = 180 - cut;  // clockwise from three o'clock
        const qreal sweep = 180 + 2 * cut;
        // Counter-clockwise for the kit's arc.
        const QPainterPath track = Arc(kRingCentre, kRingRadius, -start, -sweep);
        StrokePath(p, track,
                   QPen(WithAlpha(kShadowInk, 0.06), kRingWidth + 2, Qt::SolidLine, Qt::RoundCap));
        StrokePath(p, track, QPen(kTrackFill, kRingWidth, Qt::SolidLine, Qt::RoundCap));

        // A tick every 5 %, longer at the quarters the labels around the gauge name.
        for (int percent = 0; percent <= 100; percent += 5) {
            const bool major = percent % 25 == 0;
            const qreal angle = kArcStart + percent * kDegreesPerPercent;
            const qreal outer = kRingRadius - kRingWidth / 2 - 5;
            const qreal inner = outer - (major ? 7 : 4);
            const QPointF a = OnCircle(kRingCentre, outer, angle);
            const QPointF b = OnCircle(kRingCentre, inner, angle);
            if (a.y() > kTrack.height() || b.y() > kTrack.height()) continue;
            p.setPen(Stroke(major ? kTickMajor : kTick, major ? 1.6 : 1.1));
            p.drawLine(a, b);
        }
    });
}

// The knob at the end of the value: white with the value's green rim and a dot.
QImage DrawThumb() {
    return Single(kThumb, [](QPainter& p) {
        const QPointF centre(9, 9);
        SoftShadow(p, Circle(centre, 7), WithAlpha(kShadowInk, 0.30), QPointF(0, 0.8), 1);
        FillCircle(p, centre, 7.5, kWhite);
        StrokePath(p, Circle(centre, 6.4), QPen(kGauge, 2.0));
        FillCircle(p, centre, 2.6,
                   Vertical(centre.y() - 2.6, centre.y() + 2.6, kGaugeLight, kGauge));
    });
}

}  // namespace

std::vector<Picture> EyePictures() {
    return {
        {"progress_bk.png", DrawTrack()},
        {"Slider.png", DrawThumb()},
    };
}

}  // namespace art
