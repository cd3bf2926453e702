#include "ui/report_line.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

const QColor kBelowTarget(0xF8, 0xEB, 0xD4);
const QColor kReached(0xCB, 0xE9, 0xFB);
const QColor kLine(0x75, 0x7C, 0x82);
const QColor kSeparator(0xF7, 0xFF, 0xFF);  // the page's background, between neighbouring areas
const QColor kPointFill(0xFF, 0xFF, 0xFF);
const QColor kPointRing(0x28, 0x99, 0xEB);
constexpr qreal kPointDiameter = 6;
// Labels sit in this band above the bottom.
constexpr int kLabelTop = 24;
constexpr int kLabelBottom = 8;

}  // namespace

CReportLineUI::CReportLineUI(QWidget* parent) : ui::Label(parent) {}

void CReportLineUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("showhtml")) {
        // Nothing the chart draws is text of its own.
    } else if (name == QLatin1String("autocalcwidth")) {
        SetAutoCalcWidth(value == QLatin1String("true"));
    } else {
        ui::Label::SetAttribute(name, value);
    }
}

void CReportLineUI::SetText(const QString& text) {
    ui::Label::SetText(text);
    FitWidthToText();
}

void CReportLineUI::SetData(int target, std::vector<int> values, QStringList labels) {
    target_ = target;
    values_ = std::move(values);
    labels_ = std::move(labels);
    update();
}

void CReportLineUI::SetAutoCalcWidth(bool on) {
    autoCalcWidth_ = on;
    FitWidthToText();
    update();
}

void CReportLineUI::TextStyleChanged() {
    FitWidthToText();
    ui::Label::TextStyleChanged();
}

void CReportLineUI::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) FitWidthToText();
    ui::Label::changeEvent(event);
}

void CReportLineUI::FitWidthToText() {
    if (!autoCalcWidth_) return;
    const int text = fontMetrics().horizontalAdvance(text_);
    const int width = textPadding_.left() + textPadding_.right() + text;
    if (width != FixedWidth()) SetFixedWidth(width);
}

qreal CReportLineUI::BaseLineY() const {
    return height() - kBaseMargin;
}

QPointF CReportLineUI::PointAt(int i) const {
    const int n = static_cast<int>(values_.size());
    if (i < 0 || i >= n) return {};
    const qreal plotWidth = width() - 2 * kSideMargin;
    const qreal step = plotWidth / std::max(n - 1, 1);
    const qreal plotHeight = height() - kBaseMargin;
    // Values compared as doubles: neither a sum near the int range nor a negative one (only a
    // damaged log has those) can overflow or push a point below the base line.
    const qreal top =
        std::max(0.0, static_cast<qreal>(*std::max_element(values_.begin(), values_.end())));
    const qreal value = std::clamp(static_cast<qreal>(values_[static_cast<size_t>(i)]), 0.0, top);
    // An all-zero series has no scale: its points lie on the base line.
    const qreal rise = top > 0 ? value * kTopShare * plotHeight / top : 0.0;
    return {kSideMargin + step * i, BaseLineY() - rise};
}

void CReportLineUI::PaintText(QPainter& painter) {
    const int n = static_cast<int>(values_.size());
    if (n == 0) return;
    std::vector<QPointF> points;
    points.reserve(values_.size());
    for (int i = 0; i < n; ++i) points.push_back(PointAt(i));
    const qreal base = BaseLineY();

    // The labels first, under everything else, measured with the control's own font.
    painter.save();
    painter.setFont(font());
    painter.setPen(isEnabled() ? textColor_ : disabledTextColor_);
    const QFontMetrics metrics(font());
    const int flags = static_cast<int>(align_) | Qt::TextSingleLine | Qt::TextDontClip;
    for (int i = 0; i < n && i < labels_.size(); ++i) {
        const QString& label = labels_[i];
        const qreal half = metrics.horizontalAdvance(label) / 2.0;
        const int left = static_cast<int>(points[static_cast<size_t>(i)].x() - half);
        const int right = static_cast<int>(points[static_cast<size_t>(i)].x() + half);
        painter.drawText(QRect(QPoint(left, height() - kLabelTop),
                               QPoint(right - 1, height() - kLabelBottom - 1)),
                         flags, label);
    }
    painter.restore();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // Whole coordinates on pixel centres, so one-pixel lines at whole positions stay sharp.
    painter.translate(0.5, 0.5);
    painter.setPen(Qt::NoPen);
    for (int i = 1; i < n; ++i) {
        const QPointF& a = points[static_cast<size_t>(i - 1)];
        const QPointF& b = points[static_cast<size_t>(i)];
        const QPointF area[4] = {{a.x(), base}, a, b, {b.x(), base}};
        painter.setBrush(values_[static_cast<size_t>(i)] >= target_ ? kReached : kBelowTarget);
        painter.drawPolygon(area, 4, Qt::WindingFill);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kLine, 1));
    painter.drawPolyline(points.data(), n);
    painter.drawLine(QPointF(0, base), QPointF(width() + 3, base));
    for (const QPointF& p : points) {
        painter.setPen(QPen(kSeparator, 1));
        painter.drawLine(QPointF(p.x(), base - 1), p);
        painter.setPen(QPen(kPointRing, 1));
        painter.setBrush(kPointFill);
        painter.drawEllipse(QRectF(p.x() - kPointDiameter / 2, p.y() - kPointDiameter / 2,
                                   kPointDiameter, kPointDiameter));
        painter.setBrush(Qt::NoBrush);
    }
    painter.restore();
}
