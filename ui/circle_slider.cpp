#include "ui/circle_slider.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>

#include "ui/log.h"
#include "ui/skin_package.h"

namespace {

constexpr double kPi = 3.1415927;
// The horseshoe: from the lower left over the top to the lower right.
constexpr int kArcStart = 150;
constexpr int kArcSweep = 240;
// The circle effect's ring starts at the top and goes all the way round.
constexpr int kRingStart = 270;
constexpr int kRingSweep = 360;
// Half of the thumb's 18 × 18 box.
constexpr int kThumbHalf = 9;
// How far from the thumb's centre, and beyond the ring's edges, a press still takes the thumb.
constexpr double kThumbReach = 12;
constexpr double kTrackSlack = 4;
// The wheel reports eighths of a degree; a notch is 15°.
constexpr int kWheelNotch = 120;

// "#AARRGGBB": the first character is skipped and the rest read as one hexadecimal number.
// No value for text that is not one (or would not fit 32 bits).
std::optional<QRgb> ParseArgb(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() < 2) return std::nullopt;
    const QString digits = trimmed.mid(1);
    if (digits.size() > 8) return std::nullopt;
    for (const QChar c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7F)
            return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return static_cast<QRgb>(value);
}

// Qt counts angles counter-clockwise in sixteenths of a degree; ours run clockwise on screen.
int QtAngle(double clockwiseDegrees) {
    return static_cast<int>(std::lround(-clockwiseDegrees * 16));
}

QRgb MixArgb(QRgb a, QRgb b, double t) {
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgba(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)),
                 mix(qAlpha(a), qAlpha(b)));
}

}  // namespace

// The places of one paint: the centre and square of step 4 and the inset ring square.
struct CCircleSliderUI::Geometry {
    int cx = 0;
    int cy = 0;
    QRect square;  // before the inset: the gradient's extent
    QRect ring;    // the arcs' ellipse
};

CCircleSliderUI::CCircleSliderUI(QWidget* parent) : ui::Progress(parent) {
    setFocusPolicy(Qt::NoFocus);
}

CCircleSliderUI::~CCircleSliderUI() = default;

void CCircleSliderUI::SetAttribute(const QString& name, const QString& value) {
    const bool isTrue = value == QLatin1String("true");
    if (name == QLatin1String("circular")) {
        SetCircular(isTrue);
    } else if (name == QLatin1String("clockwise")) {
        if (isTrue == clockwise_) return;
        clockwise_ = isTrue;
        // The indicator was turned for the old direction when it was loaded.
        if (!indicator_.isNull()) indicator_ = indicator_.transformed(QTransform().rotate(180));
        update();
    } else if (name == QLatin1String("circlewidth")) {
        if (auto width = ui::ParseInt(value); width && *width >= 0) SetCircleWidth(*width);
    } else if (name == QLatin1String("bgcolor")) {
        if (auto c = ParseArgb(value)) SetBgColor(*c);
    } else if (name == QLatin1String("fgcolor")) {
        if (auto c = ParseArgb(value)) SetFgColor(*c);
    } else if (name == QLatin1String("gradientcolor1")) {
        if (auto c = ParseArgb(value)) SetGradientColor1(*c);
    } else if (name == QLatin1String("gradientcolor2")) {
        if (auto c = ParseArgb(value)) SetGradientColor2(*c);
    } else if (name == QLatin1String("enablecircleeffect")) {
        SetEnableCircleEffect(isTrue);
    } else if (name == QLatin1String("indicator")) {
        if (value == indicatorFile_) return;
        indicatorFile_ = value;
        LoadIndicator(value);
        update();
    } else if (name == QLatin1String("thumbimage")) {
        thumbImage_ = ui::ParseImage(value);
        update();
    } else {
        ui::Progress::SetAttribute(name, value);
    }
}

void CCircleSliderUI::SetCircular(bool circular) {
    circular_ = circular;
    update();
}

void CCircleSliderUI::SetCircleWidth(int width) {
    circleWidth_ = std::max(0, width);
    update();
}

void CCircleSliderUI::SetBgColor(QRgb argb) {
    bgColor_ = argb;
    update();
}

void CCircleSliderUI::SetFgColor(QRgb argb) {
    fgColor_ = argb;
    update();
}

void CCircleSliderUI::SetGradientColor1(QRgb argb) {
    gradientColor1_ = argb;
    update();
}

void CCircleSliderUI::SetGradientColor2(QRgb argb) {
    gradientColor2_ = argb;
    update();
}

void CCircleSliderUI::SetEnableCircleEffect(bool enable) {
    circleEffect_ = enable;
}

void CCircleSliderUI::LoadIndicator(const QString& file) {
    indicator_ = QImage();
    if (file.isEmpty()) return;
    const QImage picture = ui::SkinPackage::Current().Image(file);
    if (picture.isNull()) {
        qCWarning(lcUi) << "circle slider" << Name() << ": no indicator picture" << file;
        return;
    }
    // Drawn standing at the top of the ring, so turned a quarter towards the direction of travel.
    indicator_ = picture.convertToFormat(QImage::Format_ARGB32)
                     .transformed(QTransform().rotate(clockwise_ ? 90 : 270));
}

void CCircleSliderUI::NormalizeRange() {
    if (min_ >= max_) {
        if (min_ == INT_MAX) min_ = INT_MAX - 1;
        max_ = min_ + 1;
    }
    value_ = std::clamp(value_, min_, max_);
}

int CCircleSliderUI::Sweep() const {
    const std::int64_t min = min_;
    const std::int64_t max = std::max<std::int64_t>(max_, min + 1);
    const std::int64_t value = std::clamp<std::int64_t>(value_, min, max);
    const std::int64_t sign = clockwise_ ? 1 : -1;
    // Integer division truncates toward zero, as the degrees are meant to.
    return static_cast<int>((value - min) * sign * 360 / (max - min));
}

QPointF CCircleSliderUI::ArcPoint(double a, double b) const {
    const float theta = static_cast<float>((360 - a - b) * 2 * kPi / 360);
    const double m = (width() - circleWidth_ - 5) * 0.5;
    const double x = (width() - 5) * 0.5 + 3 + std::cos(theta) * m;
    const double y = (height() - 5) * 0.5 + 3 - std::sin(theta) * m;
    return {x, y};
}

CCircleSliderUI::Geometry CCircleSliderUI::Measure() const {
    Geometry g;
    const int w = width() - 6;
    const int h = height() - 6;
    g.cx = 3 + w / 2;
    g.cy = 3 + h / 2;
    const int d = std::min(w, h);
    const int r = d / 2;
    g.square = QRect(g.cx - r, g.cy - r, d, d);
    const int inset =
        !indicator_.isNull() ? -indicator_.width() / 2 : -circleWidth_ / 2 - borderSize_;
    QRect s = g.square;
    s = QRect(s.x() - inset, s.y() - inset, s.width() + 2 * inset, s.height() + 2 * inset);
    g.ring = QRect(s.x() + 1, s.y() + 1, s.width() - 2, s.height() - 2);
    return g;
}

void CCircleSliderUI::PaintBkColor(QPainter& painter) {
    ui::Progress::PaintBkColor(painter);
    if (circular_) PaintRing(painter);
}

void CCircleSliderUI::PaintRing(QPainter& painter) {
    NormalizeRange();
    const int sweep = Sweep();
    const Geometry g = Measure();
    if (g.square.width() <= 0 || g.ring.width() <= 0) return;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    const QRectF ring(g.ring);
    const QColor fg = QColor::fromRgba(fgColor_);
    QPen background(QColor::fromRgba(bgColor_), circleWidth_, Qt::SolidLine, Qt::FlatCap);
    const bool stroke = circleWidth_ > 0;  // a zero-width pen would still draw a hairline

    if (circleEffect_) {
        QLinearGradient gradient(g.square.left(), g.square.top(), g.square.left(),
                                 g.square.top() + g.square.height());
        // Blend factors 0, 0.9, 0: the middle nine tenths of the way to colour 2.
        gradient.setColorAt(0, QColor::fromRgba(gradientColor1_));
        gradient.setColorAt(0.5, QColor::fromRgba(MixArgb(gradientColor1_, gradientColor2_, 0.9)));
        gradient.setColorAt(1, QColor::fromRgba(gradientColor1_));
        if (stroke) {
            painter.setPen(background);
            painter.drawArc(ring, QtAngle(kRingStart), QtAngle(kRingSweep));
            painter.setPen(QPen(QBrush(gradient), circleWidth_, Qt::SolidLine, Qt::FlatCap));
            painter.drawArc(ring, QtAngle(kRingStart), QtAngle(sweep));
        }
    } else {
        if (stroke) {
            painter.setPen(background);
            painter.drawArc(ring, QtAngle(kArcStart), QtAngle(kArcSweep));
            painter.setPen(QPen(fg, circleWidth_, Qt::SolidLine, Qt::FlatCap));
            painter.drawArc(ring, QtAngle(kArcStart), QtAngle(sweep));
        }
        const QPointF start = ArcPoint(kArcStart, 0);
        const int c = circleWidth_ / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(fg);
        painter.drawEllipse(
            QRectF(start.x() - c + 1, start.y() - c - 2, circleWidth_, circleWidth_));
        painter.setBrush(Qt::NoBrush);

        const QPointF end = ArcPoint(kArcStart, sweep);
        // The box is 18 × 18 around the arc's end, one pixel to the right of it.
        const QPoint topLeft(static_cast<int>(end.x() + 1 - kThumbHalf),
                             static_cast<int>(end.y() - kThumbHalf));
        const QPoint bottomRight(static_cast<int>(end.x() + 1 + kThumbHalf),
                                 static_cast<int>(end.y() + kThumbHalf));
        const QRect thumb(topLeft,
                          QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
        if (adjustable_ && ShowsFocusMark()) {
            // Where the keys act, for someone who came here with Tab.
            QColor halo = fg;
            halo.setAlphaF(0.3f);
            painter.setPen(Qt::NoPen);
            painter.setBrush(halo);
            painter.drawEllipse(QRectF(thumb).adjusted(-4, -4, 4, 4));
            painter.setBrush(Qt::NoBrush);
        }
        if (!thumbImage_.IsEmpty()) DrawImage(painter, thumbImage_, thumb);
    }

    if (!indicator_.isNull()) {
        const QTransform turn = QTransform::fromTranslate(-g.cx, -g.cy) *
                                QTransform().rotate(sweep) * QTransform::fromTranslate(g.cx, g.cy);
        painter.setTransform(turn, true);
        painter.drawImage(
            QPointF(g.cx - indicator_.width() / 2, g.ring.y() + 0.5 - indicator_.height() / 2),
            indicator_);
    }
    painter.restore();
}

// ---- The user's hand on it

double CCircleSliderUI::TrackStart() const {
    return circleEffect_ ? kRingStart : kArcStart;
}

double CCircleSliderUI::TrackSweep() const {
    return circleEffect_ ? kRingSweep : kArcSweep;
}

int CCircleSliderUI::UserMaximum() const {
    const std::int64_t span = std::max<std::int64_t>(std::int64_t{max_} - min_, 1);
    return static_cast<int>(min_ + span * static_cast<std::int64_t>(TrackSweep()) / 360);
}

int CCircleSliderUI::ValueToward(const QPointF& point, int from) const {
    const double span = std::max(static_cast<double>(max_) - min_, 1.0);
    const double top = (static_cast<double>(UserMaximum()) - min_) * 360 / span;
    const double cx = (width() - 5) * 0.5 + 3;
    const double cy = (height() - 5) * 0.5 + 3;
    const double dx = point.x() - cx;
    const double dy = point.y() - cy;
    const int current = std::clamp(from, min_, UserMaximum());
    if (dx == 0 && dy == 0) return current;
    const double sign = clockwise_ ? 1 : -1;
    // Clockwise on screen, as y grows downwards.
    const double screen = std::atan2(dy, dx) * 180 / kPi;
    const double pointer = sign * (screen - TrackStart());
    const double now = (static_cast<double>(current) - min_) * 360 / span;
    // The shorter way round from where the value is: past the end of the arc the value holds.
    const double moved = std::clamp(now + std::remainder(pointer - now, 360.0), 0.0, top);
    const auto value = static_cast<std::int64_t>(std::llround(min_ + moved * span / 360));
    return static_cast<int>(std::clamp<std::int64_t>(value, min_, UserMaximum()));
}

bool CCircleSliderUI::OnThumb(const QPointF& point) const {
    if (circleEffect_) return false;
    const QPointF centre = ArcPoint(kArcStart, Sweep()) + QPointF(1, 0);
    const double reach = std::max(kThumbReach, circleWidth_ / 2.0 + kTrackSlack);
    return std::hypot(point.x() - centre.x(), point.y() - centre.y()) <= reach;
}

bool CCircleSliderUI::OnTrack(const QPointF& point) const {
    const double cx = (width() - 5) * 0.5 + 3;
    const double cy = (height() - 5) * 0.5 + 3;
    const double m = (width() - circleWidth_ - 5) * 0.5;
    const double distance = std::hypot(point.x() - cx, point.y() - cy);
    if (std::abs(distance - m) > circleWidth_ / 2.0 + kTrackSlack) return false;
    const double sign = clockwise_ ? 1 : -1;
    const double screen = std::atan2(point.y() - cy, point.x() - cx) * 180 / kPi;
    const double along = std::fmod(std::fmod(sign * (screen - TrackStart()), 360.0) + 360, 360);
    const double span = std::max(static_cast<double>(max_) - min_, 1.0);
    return along <= (static_cast<double>(UserMaximum()) - min_) * 360 / span;
}

void CCircleSliderUI::SetAdjustable(bool adjustable) {
    if (adjustable_ == adjustable) return;
    adjustable_ = adjustable;
    dragging_ = false;
    wheelRemainder_ = 0;
    setFocusPolicy(adjustable ? Qt::StrongFocus : Qt::NoFocus);
    setMouseTracking(adjustable);
    if (!adjustable) {
        if (hasFocus()) clearFocus();
        unsetCursor();
    }
    update();
}

bool CCircleSliderUI::UserSets(int value, bool settled) {
    const int clamped = std::clamp(value, min_, UserMaximum());
    if (clamped == value_) return false;
    SetValue(clamped);
    if (settled)
        emit valueChanged(value_);
    else
        emit valueChanging(value_);
    return true;
}

void CCircleSliderUI::FinishDrag(bool commit) {
    if (!dragging_) return;
    dragging_ = false;
    if (!dragMoved_) return;
    dragMoved_ = false;
    if (!commit) SetValue(dragStartValue_);
    // Also when it came back to where it started: the live value has to be replaced.
    emit valueChanged(value_);
}

void CCircleSliderUI::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!adjustable_ || !isEnabled() || event->button() != Qt::LeftButton ||
        (!OnThumb(at) && !OnTrack(at))) {
        event->ignore();
        return;
    }
    event->accept();
    setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    dragMoved_ = false;
    dragStartValue_ = value_;
    // A press on the arc away from the thumb brings the thumb there.
    if (!OnThumb(at) && UserSets(ValueToward(at, value_), false)) dragMoved_ = true;
}

void CCircleSliderUI::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (!dragging_) {
        if (adjustable_) {
            if (OnThumb(at) || OnTrack(at))
                setCursor(Qt::PointingHandCursor);
            else
                unsetCursor();
        }
        event->ignore();
        return;
    }
    event->accept();
    if (UserSets(ValueToward(at, value_), false)) dragMoved_ = true;
}

void CCircleSliderUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    FinishDrag(true);
}

void CCircleSliderUI::wheelEvent(QWheelEvent* event) {
    if (!adjustable_ || !isEnabled() || dragging_) {
        event->ignore();
        return;
    }
    event->accept();
    const QPoint delta = event->angleDelta();
    wheelRemainder_ += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
    if (notches != 0) UserSets(value_ + notches * kWheelStep, true);
}

void CCircleSliderUI::keyPressEvent(QKeyEvent* event) {
    if (!adjustable_ || !isEnabled()) {
        ui::Progress::keyPressEvent(event);
        return;
    }
    if (dragging_) {
        if (event->key() == Qt::Key_Escape) {
            // Back to where the drag began.
            FinishDrag(false);
            event->accept();
            return;
        }
        event->ignore();
        return;
    }
    std::optional<std::int64_t> target;
    const std::int64_t now = value_;
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
            target = now + 1;
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            target = now - 1;
            break;
        case Qt::Key_PageUp:
            target = now + kPageStep;
            break;
        case Qt::Key_PageDown:
            target = now - kPageStep;
            break;
        case Qt::Key_Home:
            target = min_;
            break;
        case Qt::Key_End:
            target = UserMaximum();
            break;
        default:
            ui::Progress::keyPressEvent(event);
            return;
    }
    event->accept();
    UserSets(static_cast<int>(std::clamp<std::int64_t>(*target, min_, UserMaximum())), true);
}

void CCircleSliderUI::hideEvent(QHideEvent* event) {
    // The window went away under the pointer: what the user last saw is what they chose.
    FinishDrag(true);
    ui::Progress::hideEvent(event);
}
