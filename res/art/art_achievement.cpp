// The pictures of the drink achievements page: the ring behind the days-with-a-drink gauge and
// the two marks of the reached / not reached caption.

#include <QRadialGradient>

#include "res/art/art_kit.h"

namespace art {

namespace {

constexpr QSize kRing(136, 136);
constexpr QSize kMark(8, 8);
// The gauge draws its arc 9 px wide along the ring's outer edge; the track lies under it.
constexpr qreal kRingWidth = 9;
const QColor kTrack = Hex(0xDDF2F5);
const QColor kReachedInk = Hex(0x0FB622);

// The track the gauge's arc runs on, round a soft white face that lifts off the page.
QImage DrawRing() {
    return Single(kRing, [](QPainter& p) {
        const QPointF centre(kRing.width() / 2.0, kRing.height() / 2.0);
        const qreal outer = kRing.width() / 2.0;
        const qreal trackRadius = outer - kRingWidth / 2;
        const qreal face = trackRadius - kRingWidth / 2 - 7;
        SoftShadow(p, Circle(centre, face), WithAlpha(kTealDeep, 0.16), QPointF(0, 1.5), 3);
        QRadialGradient light(centre - QPointF(face * 0.3, face * 0.35), face * 1.4);
        light.setColorAt(0, kWhite);
        light.setColorAt(1, Mix(kWhite, kHotBack, 0.8));
        FillCircle(p, centre, face, light);
        StrokePath(p, Circle(centre, face - 0.5), QPen(WithAlpha(kTeal, 0.18), 1));
        StrokePath(p, Circle(centre, trackRadius), QPen(kTrack, kRingWidth));
    });
}

// A dot with a lit top, in the caption's colour.
QImage DrawMark(const QColor& ink) {
    return Single(kMark, [&ink](QPainter& p) {
        const QPointF centre(kMark.width() / 2.0, kMark.height() / 2.0);
        QRadialGradient shade(centre - QPointF(1, 1.2), kMark.width() * 0.6);
        shade.setColorAt(0, Mix(ink, kWhite, 0.35));
        shade.setColorAt(1, ink);
        FillCircle(p, centre, kMark.width() / 2.0 - 0.3, shade);
    });
}

}  // namespace

std::vector<Picture> AchievementPictures() {
    return {
        {"slider_ring.png", DrawRing()},
        {"label_reach.png", DrawMark(kReachedInk)},
        {"label_reach_not.png", DrawMark(kOrange)},
    };
}

}  // namespace art
