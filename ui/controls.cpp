#include "ui/controls.h"

#include <QBuffer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "system/lenient_int.h"
#include "ui/skin_package.h"
#include "ui/window_base.h"

namespace ui {

// ---- Text

Text::Text(QWidget* parent) : Label(parent) {
    wordWrap_ = true;
}

// ---- Button

Button::Button(QWidget* parent) : Label(parent) {
    setCursor(Qt::PointingHandCursor);
    // Taking the focus on a click lets an edit being left report focusLost() before the click.
    setFocusPolicy(Qt::StrongFocus);
    align_ = Qt::AlignCenter;
}

void Button::SetAttribute(const QString& name, const QString& value) {
    if (images_.SetAttribute(name, value)) {
        update();
    } else if (name == QLatin1String("foreimage")) {
        foreImage_ = ParseImage(value);
        update();
    } else if (name == QLatin1String("hottextcolor")) {
        if (auto c = ParseColor(value)) hotTextColor_ = *c, update();
    } else if (name == QLatin1String("pushedtextcolor")) {
        if (auto c = ParseColor(value)) pushedTextColor_ = *c, update();
    } else {
        Label::SetAttribute(name, value);
    }
}

void Button::Activate() {
    if (isEnabled()) emit clicked();
}

void Button::PaintStatusImage(QPainter& painter) {
    DrawImage(painter, images_.For(isEnabled(), pushed_, false, IsHot()));
    DrawImage(painter, foreImage_);
}

void Button::PaintText(QPainter& painter) {
    QColor color = textColor_;
    if (!isEnabled())
        color = disabledTextColor_;
    else if (pushed_ && pushedTextColor_.isValid())
        color = pushedTextColor_;
    else if ((IsHot() || pushed_) && hotTextColor_.isValid())
        color = hotTextColor_;
    DrawLabelText(painter, text_, color);
}

void Button::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return Label::mousePressEvent(event);
    pressedInside_ = rect().contains(event->position().toPoint());
    pushed_ = pressedInside_;
    update();
    event->accept();
}

void Button::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    const bool pushed = pressedInside_ && inside;
    if (pushed != pushed_) {
        pushed_ = pushed;
        update();
    }
    SetHot(inside);
    Label::mouseMoveEvent(event);
}

void Button::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return Label::mouseReleaseEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    const bool click = pressedInside_ && inside;
    pressedInside_ = false;
    pushed_ = false;
    update();
    SetHot(inside);
    event->accept();
    // Last: the handler may close the window or rebuild the page this button is on.
    if (click) Activate();
}

void Button::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        if (!event->isAutoRepeat()) Activate();
        return;
    }
    Label::keyPressEvent(event);
}

// ---- Option

Option::Option(QWidget* parent) : Button(parent) {}

void Option::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedimage")) {
        selectedImage_ = ParseImage(value);
        update();
    } else if (name == QLatin1String("selectedhotimage")) {
        selectedHotImage_ = ParseImage(value);
        update();
    } else if (name == QLatin1String("selectedtextcolor")) {
        if (auto c = ParseColor(value)) selectedTextColor_ = *c, update();
    } else if (name == QLatin1String("selected")) {
        if (auto b = ParseBool(value)) Selected(*b);
    } else if (name == QLatin1String("group")) {
        group_ = value.trimmed();
        // `selected` may come before `group` in the element.
        if (selected_) DeselectGroupPeers();
    } else {
        Button::SetAttribute(name, value);
    }
}

void Option::Selected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    update();
    // Peers go first so a toggled() handler of this option sees the group settled.
    if (selected_) DeselectGroupPeers();
    emit toggled(selected_);
}

void Option::DeselectGroupPeers() {
    WindowBase* window = Window();
    if (group_.isEmpty() || !window) return;
    for (Option* peer : window->findChildren<Option*>()) {
        if (peer != this && peer->selected_ && peer->group_ == group_ && peer->Window() == window)
            peer->Selected(false);
    }
}

void Option::Activate() {
    if (!isEnabled()) return;
    QPointer<Option> self(this);
    // The click decides the new state from the one before it, which its handlers read; a
    // handler that shows the same new state meanwhile (a page following the setting it just
    // stored) is not toggled back.
    const bool next = group_.isEmpty() ? !selected_ : true;
    Button::Activate();
    if (!self) return;
    Selected(next);
}

void Option::PaintStatusImage(QPainter& painter) {
    const SkinImage& image =
        IsHot() && !selectedHotImage_.IsEmpty() ? selectedHotImage_ : selectedImage_;
    if (!selected_ || image.IsEmpty() || (!isEnabled() && !images_.disabled.IsEmpty())) {
        Button::PaintStatusImage(painter);
        return;
    }
    DrawImage(painter, image);
    DrawImage(painter, foreImage_);
}

void Option::PaintText(QPainter& painter) {
    if (selected_ && isEnabled() && selectedTextColor_.isValid())
        DrawLabelText(painter, text_, selectedTextColor_);
    else
        Button::PaintText(painter);
}

// ---- CheckBox

CheckBox::CheckBox(QWidget* parent) : Option(parent) {}

// ---- Progress

Progress::Progress(QWidget* parent) : Label(parent) {}

void Progress::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("min")) {
        if (auto v = ParseInt(value)) SetRange(*v, max_);
    } else if (name == QLatin1String("max")) {
        if (auto v = ParseInt(value)) SetRange(min_, *v);
    } else if (name == QLatin1String("value")) {
        if (auto v = ParseInt(value)) SetValue(*v);
    } else if (name == QLatin1String("fgcolor")) {
        if (auto c = ParseColor(value)) fgColor_ = *c, update();
    } else if (name == QLatin1String("bgcolor")) {
        if (auto c = ParseColor(value)) bgColor_ = *c, update();
    } else if (name == QLatin1String("foreimage")) {
        foreImage_ = ParseImage(value);
        update();
    } else {
        Label::SetAttribute(name, value);
    }
}

void Progress::SetValue(int value) {
    // An empty or inverted range pins the value to min.
    const int clamped = max_ <= min_ ? min_ : std::clamp(value, min_, max_);
    if (clamped == value_) return;
    value_ = clamped;
    update();
}

void Progress::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    SetValue(value_);
    update();
}

namespace {

double Fraction(int min, int max, int value) {
    if (max <= min) return 0.0;
    return std::clamp((static_cast<double>(value) - min) / (static_cast<double>(max) - min), 0.0,
                      1.0);
}

}  // namespace

void Progress::PaintStatusImage(QPainter& painter) {
    if (bkImage_.IsEmpty() && bgColor_.isValid()) painter.fillRect(rect(), bgColor_);
    const int filled = static_cast<int>(width() * Fraction(min_, max_, value_) + 0.5);
    if (filled <= 0) return;
    const QRect bar(0, 0, filled, height());
    if (!foreImage_.IsEmpty()) {
        SkinImage fore = foreImage_;
        fore.dest = fore.dest ? fore.dest->intersected(bar) : bar;
        DrawImage(painter, fore);
    } else if (fgColor_.isValid()) {
        painter.fillRect(bar, fgColor_);
    }
}

// ---- CircleProgress

CircleProgress::CircleProgress(QWidget* parent) : Progress(parent) {}

void CircleProgress::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("circlewidth")) {
        if (auto v = ParseInt(value); v && *v > 0) circleWidth_ = *v, update();
    } else {
        Progress::SetAttribute(name, value);
    }
}

void CircleProgress::PaintStatusImage(QPainter& painter) {
    const int side = std::min(width(), height());
    if (side <= circleWidth_) return;
    // The stroke is centred on the path: inset by half of it so it stays inside.
    const qreal half = circleWidth_ / 2.0;
    QRectF ring(0, 0, side, side);
    ring.moveCenter(QRectF(rect()).center());
    ring.adjust(half, half, -half, -half);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (bgColor_.isValid()) {
        painter.setPen(QPen(bgColor_, circleWidth_));
        painter.drawEllipse(ring);
    }
    const double fraction = Fraction(min_, max_, value_);
    if (fgColor_.isValid() && fraction > 0.0) {
        painter.setPen(QPen(fgColor_, circleWidth_, Qt::SolidLine, Qt::RoundCap));
        // Qt counts angles anticlockwise from three o'clock in sixteenths of a degree.
        painter.drawArc(ring, 90 * 16, -static_cast<int>(std::lround(360.0 * 16 * fraction)));
    }
    painter.restore();
}

// ---- GifAnim

GifAnim::GifAnim(QWidget* parent) : Control(parent) {}
GifAnim::~GifAnim() = default;

void GifAnim::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("bkimage")) {
        file_ = ParseImage(value).file;
        Load();
    } else if (name == QLatin1String("autoplay")) {
        if (auto b = ParseBool(value)) autoPlay_ = *b;
    } else {
        Control::SetAttribute(name, value);
    }
}

void GifAnim::DoInit() {
    if (autoPlay_) PlayGif();
}

void GifAnim::Load() {
    movie_.reset();  // before its device
    buffer_.reset();
    update();
    if (file_.isEmpty()) return;
    const QByteArray bytes = SkinPackage::Current().Read(file_);
    if (bytes.isEmpty()) return;
    buffer_ = std::make_unique<QBuffer>();
    buffer_->setData(bytes);
    buffer_->open(QIODevice::ReadOnly);
    auto movie = std::make_unique<QMovie>(buffer_.get(), QByteArray());
    if (!movie->isValid()) {
        buffer_.reset();
        return;
    }
    QMovie* m = movie.get();
    connect(m, &QMovie::frameChanged, this, [this, m](int frame) {
        // Once through, whatever loop count the file asks for.
        if (m->frameCount() > 0 && frame >= m->frameCount() - 1) m->stop();
        update();
    });
    movie_ = std::move(movie);
    movie_->jumpToFrame(0);
}

void GifAnim::PlayGif() {
    if (!movie_) return;
    movie_->stop();
    movie_->start();
}

void GifAnim::StopGif() {
    if (!movie_) return;
    movie_->stop();
    movie_->jumpToFrame(0);  // leaves the movie paused on it: no timer runs
    update();
}

bool GifAnim::IsPlaying() const {
    return movie_ && movie_->state() == QMovie::Running;
}
int GifAnim::FrameCount() const {
    return movie_ ? movie_->frameCount() : 0;
}
int GifAnim::CurrentFrame() const {
    return movie_ ? movie_->currentFrameNumber() : -1;
}

void GifAnim::PaintBkImage(QPainter& painter) {
    if (!movie_) return;
    const QPixmap frame = movie_->currentPixmap();
    if (!frame.isNull()) painter.drawPixmap(rect(), frame);
}

// ---- ListLabelElement

ListLabelElement::ListLabelElement(QWidget* parent) : Label(parent) {}

void ListLabelElement::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selected"))
        selectedInLayout_ = ParseBool(value).value_or(selectedInLayout_);
    else
        Label::SetAttribute(name, value);
}

// ---- Integer text

void SetControlInt(Control* control, int value) {
    if (control) control->SetText(QString::number(value));
}

int GetControlInt(const Control* control) {
    return control ? LenientIntOf(control->Text()) : 0;
}

int LenientIntOf(const QString& text) {
    return LenientInt(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace ui
