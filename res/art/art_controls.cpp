// Controls several pages share: the on/off switch, the drop-down box and the segmented option
// buttons.

#include <QPainterPath>

#include "res/art/art_kit.h"

namespace art {

namespace {

const QColor kLine = Hex(0xC9D4D8);       // resting border of boxes and segments
const QColor kSwitchOff = Hex(0xCFD8DC);  // the track of a switch that is off

constexpr QSize kSwitch(48, 20);
constexpr QSize kCombo(48, 28);
constexpr int kSegmentHeight = 28;

// The on/off switch: the left cell is on (teal track, knob right), the right cell off (grey
// track, knob left).
QImage DrawSwitch() {
    return Strip(kSwitch, 2, [](QPainter& p, const QRectF& cell, int state) {
        const bool on = state == 0;
        const QRectF track = cell.adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal radius = track.height() / 2;
        if (on) {
            RoundedBox(p, track, radius, Diagonal(track, kTealLight, kTeal));
        } else {
            RoundedBox(p, track, radius, kSwitchOff);
        }
        const QPointF knob(on ? cell.right() - 10 : cell.left() + 10, cell.center().y());
        SoftShadow(p, Circle(knob, 7.5), WithAlpha(kShadowInk, 0.25), QPointF(0, 0.8), 1);
        FillCircle(p, knob, 7.5, kWhite);
    });
}

// The drop-down box: normal, hot and pushed, with the arrow at the right end.
QImage DrawCombo() {
    return Strip(kCombo, 3, [](QPainter& p, const QRectF& cell, int state) {
        const QColor border = state == kNormal ? kLine : state == kHot ? kTealHot : kTeal;
        RoundedBox(p, cell, 4, state == kPushed ? kHotBack : kWhite, border);
        QPainterPath arrow;
        arrow.moveTo(cell.right() - 15.5, 12);
        arrow.lineTo(cell.right() - 11.5, 16);
        arrow.lineTo(cell.right() - 7.5, 12);
        StrokePath(p, arrow, Stroke(state == kNormal ? kGlyph : kTeal, 1.5));
    });
}

enum class Segment { Left, Middle, Right };

// One piece of a segmented row: round on the outer side of the first and last pieces.
QPainterPath SegmentShape(const QRectF& r, Segment segment) {
    const qreal radius = r.height() / 2;
    const bool roundLeft = segment == Segment::Left;
    const bool roundRight = segment == Segment::Right;
    QPainterPath path;
    path.moveTo(r.left() + (roundLeft ? radius : 0), r.top());
    path.lineTo(r.right() - (roundRight ? radius : 0), r.top());
    if (roundRight)
        path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, r.height()), 90, -180);
    else
        path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left() + (roundLeft ? radius : 0), r.bottom());
    if (roundLeft)
        path.arcTo(QRectF(r.left(), r.top(), 2 * radius, r.height()), 270, -180);
    else
        path.lineTo(r.left(), r.top());
    path.closeSubpath();
    return path;
}

// Normal (white with a thin border) and selected (teal) cells; the control draws the caption.
QImage DrawSegment(int width, Segment segment) {
    return Strip(
        QSize(width, kSegmentHeight), 2, [segment](QPainter& p, const QRectF& cell, int state) {
            const QPainterPath shape = SegmentShape(cell.adjusted(0.5, 0.5, -0.5, -0.5), segment);
            if (state == 0) {
                FillPath(p, shape, kWhite);
                StrokePath(p, shape, QPen(kLine, 1.0));
            } else {
                FillPath(p, shape, Vertical(cell.top(), cell.bottom(), kTealLight, kTeal));
                StrokePath(p, shape, QPen(kTeal, 1.0));
            }
        });
}

}  // namespace

std::vector<Picture> ControlPictures() {
    return {
        {"opt_onoff_set.png", DrawSwitch()},
        {"combo.png", DrawCombo()},
        {"btn_protect_type_left.png", DrawSegment(60, Segment::Left)},
        {"btn_protect_type_mid.png", DrawSegment(62, Segment::Middle)},
        {"btn_protect_type_right.png", DrawSegment(60, Segment::Right)},
    };
}

}  // namespace art
