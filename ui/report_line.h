#pragma once

#include <QPointF>
#include <QStringList>
#include <vector>

#include "ui/control.h"

// CReportLineUI: a small area line chart ("ReportLine"). Each point stands on a base line 30
// pixels above the bottom, the largest at 80 % of the height above it; the area under each
// segment is filled in one colour below the target and another at or above it, following the
// segment's right-hand point; every point has a label under the base line, centred on it and
// drawn with the control's text colour, font and alignment.
class CReportLineUI : public ui::Label {
    Q_OBJECT
  public:
    explicit CReportLineUI(QWidget* parent = nullptr);
    // "autocalcwidth" besides the label's attributes (the chart keeps a label's text
    // attributes); "showhtml" is accepted and ignored: the chart draws no text of its own.
    void SetAttribute(const QString& name, const QString& value) override;
    void SetText(const QString& text) override;

    // Replaces the series: values oldest first, one label each (missing labels are blank).
    void SetData(int target, std::vector<int> values, QStringList labels);
    int Target() const { return target_; }
    const std::vector<int>& Values() const { return values_; }
    const QStringList& Labels() const { return labels_; }

    bool IsAutoCalcWidth() const { return autoCalcWidth_; }
    // On: the fixed width follows the control's own text and text padding.
    void SetAutoCalcWidth(bool on);

    // Where point i stands and where the base line runs, in the control's coordinates.
    QPointF PointAt(int i) const;
    qreal BaseLineY() const;

    // Between the control's sides and the first and last point.
    static constexpr int kSideMargin = 24;
    // Between the bottom and the base line.
    static constexpr int kBaseMargin = 30;
    // Of the plot height, how much the largest value rises above the base line.
    static constexpr qreal kTopShare = 0.8;

  protected:
    void PaintText(QPainter& painter) override;
    void TextStyleChanged() override;
    void changeEvent(QEvent* event) override;

  private:
    void FitWidthToText();

    int target_ = 0;
    std::vector<int> values_;
    QStringList labels_;
    bool autoCalcWidth_ = false;
};
