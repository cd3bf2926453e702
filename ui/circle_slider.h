#pragma once

#include <QImage>
#include <QPointF>
#include <QRgb>

#include "ui/controls.h"

// CCircleSliderUI: a progress value drawn on a ring. By default a 240° horseshoe open at the
// bottom, starting at 150° (angles run clockwise on screen from three o'clock), with a round
// start cap and a thumb image at the end of the value arc; with the circle effect, a full ring
// filled from the top by a vertical gradient. The whole range maps to 360°, so the background
// arc holds two thirds of it.
//
// A gauge unless the window makes it adjustable: then the user moves the value along the
// background arc by dragging the thumb (or pressing on the arc), with the wheel and with the
// keys: valueChanging() while a drag moves it, valueChanged() once a value is settled (a drag
// released, a wheel notch, a key).
class CCircleSliderUI : public ui::Progress {
    Q_OBJECT
  public:
    explicit CCircleSliderUI(QWidget* parent = nullptr);
    ~CCircleSliderUI() override;

    void SetAttribute(const QString& name, const QString& value) override;

    bool IsCircular() const { return circular_; }
    void SetCircular(bool circular);
    bool IsClockwise() const { return clockwise_; }
    int CircleWidth() const { return circleWidth_; }
    void SetCircleWidth(int width);
    QRgb BgColor() const { return bgColor_; }
    void SetBgColor(QRgb argb);
    QRgb FgColor() const { return fgColor_; }
    void SetFgColor(QRgb argb);
    QRgb GradientColor1() const { return gradientColor1_; }
    void SetGradientColor1(QRgb argb);
    QRgb GradientColor2() const { return gradientColor2_; }
    void SetGradientColor2(QRgb argb);
    bool IsCircleEffect() const { return circleEffect_; }
    void SetEnableCircleEffect(bool enable);  // takes effect at the next paint
    const QImage& IndicatorBitmap() const { return indicator_; }
    const ui::SkinImage& ThumbImage() const { return thumbImage_; }

    // The value arc's extent in whole degrees: (value − min) × 360 / (max − min), negative when
    // counter-clockwise.
    int Sweep() const;
    // The point of the ring at the clockwise screen angle a + b, in the control's coordinates
    // (where the thumb and the start cap are drawn).
    QPointF ArcPoint(double a, double b) const;

    // Lets the user move the value; a drag in progress ends without a valueChanged().
    void SetAdjustable(bool adjustable);
    bool IsAdjustable() const { return adjustable_; }
    bool IsDragging() const { return dragging_; }
    // The values the user can reach: those along the background arc.
    int UserMinimum() const { return min_; }
    int UserMaximum() const;
    // The value at a point of the control, from the value `from` along the shorter way round,
    // held within the user's values (a drag across the opening stays at the end it came from).
    int ValueToward(const QPointF& point, int from) const;

    // Steps of the wheel (per notch) and of the page keys; the arrow keys move by one.
    static constexpr int kWheelStep = 5;
    static constexpr int kPageStep = 10;

  signals:
    void valueChanging(int value);
    void valueChanged(int value);

  protected:
    void PaintBkColor(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The halo around the thumb is the gauge's focus mark: nothing else.
    void PaintFocusMark(QPainter&) override {}
    void hideEvent(QHideEvent* event) override;

  private:
    struct Geometry;
    Geometry Measure() const;
    void NormalizeRange();
    void PaintRing(QPainter& painter);
    void LoadIndicator(const QString& file);
    // Sets a value the user chose and tells it, as settled or as moving; false when it stays.
    bool UserSets(int value, bool settled);
    void FinishDrag(bool commit);
    // The start of the user's arc and its extent in degrees, in the value's direction.
    double TrackStart() const;
    double TrackSweep() const;
    bool OnThumb(const QPointF& point) const;
    bool OnTrack(const QPointF& point) const;

    bool circular_ = false;
    bool clockwise_ = true;
    int circleWidth_ = 10;
    QRgb bgColor_ = 0;
    QRgb fgColor_ = 0;
    bool circleEffect_ = false;
    QRgb gradientColor1_ = 0;
    QRgb gradientColor2_ = 0;
    QImage indicator_;
    QString indicatorFile_;
    ui::SkinImage thumbImage_;

    bool adjustable_ = false;
    bool dragging_ = false;
    bool dragMoved_ = false;
    int dragStartValue_ = 0;
    int wheelRemainder_ = 0;  // eighths of a degree not yet a notch
};
