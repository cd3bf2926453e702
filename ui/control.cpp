#include "ui/control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/log.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"
#include "ui/window_base.h"
#include "ui/wnd_host.h"

namespace ui {

namespace {

const QColor kFocusGreen(0x2E, 0xAC, 0x6F);
constexpr qreal kFocusPen = 2;
constexpr qreal kFocusRound = 4;

}  // namespace

FocusMarks::FocusMarks() {
    qApp->installEventFilter(this);
    // Where the keys act, for the debug trace: the control, or the edit a line edit belongs to.
    connect(qApp, &QApplication::focusChanged, this, [](QWidget*, QWidget* now) {
        QWidget* w = now;
        while (w && !qobject_cast<Control*>(w)) w = w->parentWidget();
        if (w) qCDebug(lcUi).noquote() << "focus:" << w->objectName();
    });
}

FocusMarks& FocusMarks::Instance() {
    static FocusMarks* marks = new FocusMarks;  // lives as long as the application's filter
    return *marks;
}

void FocusMarks::SetShown(bool shown) {
    if (shown_ == shown) return;
    shown_ = shown;
    // The control that has the focus shows or drops its mark.
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        w->update();
        if (qobject_cast<Control*>(w)) break;
    }
    emit ShownChanged(shown);
}

bool FocusMarks::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) SetShown(true);
    } else if (event->type() == QEvent::MouseButtonPress) {
        SetShown(false);
    }
    return QObject::eventFilter(watched, event);
}

Control::Control(QWidget* parent) : QWidget(parent) {
    FocusMarks::Instance();
}
Control::~Control() = default;

void Control::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("name")) {
        setObjectName(value);
    } else if (name == QLatin1String("float")) {
        float_ = ParseBool(value).value_or(float_);
        RelayoutParent();
    } else if (name == QLatin1String("pos")) {
        if (auto e = ParseEdges(value)) SetFloatPos(*e);
    } else if (name == QLatin1String("width")) {
        if (auto v = ParseInt(value); v && *v >= 0) SetFixedWidth(*v);
    } else if (name == QLatin1String("height")) {
        if (auto v = ParseInt(value); v && *v >= 0) SetFixedHeight(*v);
    } else if (name == QLatin1String("padding")) {
        if (auto e = ParseEdges(value)) padding_ = e->ToMargins(), RelayoutParent();
    } else if (name == QLatin1String("inset")) {
        if (auto e = ParseEdges(value)) inset_ = e->ToMargins();
    } else if (name == QLatin1String("bkcolor")) {
        if (auto c = ParseColor(value)) bkColor_ = *c, update();
    } else if (name == QLatin1String("bkimage")) {
        SetBkImage(value);
    } else if (name == QLatin1String("bordersize")) {
        if (auto v = ParseInt(value); v && *v >= 0) borderSize_ = *v, update();
    } else if (name == QLatin1String("bordercolor")) {
        if (auto c = ParseColor(value)) borderColor_ = *c, update();
    } else if (name == QLatin1String("borderround")) {
        if (auto s = ParseSize(value)) borderRound_ = s->width(), update();
    } else if (name == QLatin1String("visible")) {
        if (auto b = ParseBool(value)) setVisible(*b);
    } else if (name == QLatin1String("enabled")) {
        if (auto b = ParseBool(value)) setEnabled(*b);
    } else if (name == QLatin1String("mouse")) {
        if (auto b = ParseBool(value)) setAttribute(Qt::WA_TransparentForMouseEvents, !*b);
    } else if (name == QLatin1String("text")) {
        SetText(value);
    } else if (name == QLatin1String("tooltip")) {
        setToolTip(value);
    }
}

void Control::SetHot(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    update();
}

void Control::enterEvent(QEnterEvent* event) {
    SetHot(true);
    QWidget::enterEvent(event);
}

void Control::leaveEvent(QEvent* event) {
    SetHot(false);
    QWidget::leaveEvent(event);
}

bool Control::Add(Control*) {
    return false;
}

void Control::SetPos(const QRect& rc) {
    setGeometry(rc.normalized());
}

void Control::setVisible(bool visible) {
    const bool changed = visibleFlag_ != visible;
    visibleFlag_ = visible;
    // A control outside any parent (a combo item) must not turn into a top-level window.
    if (parentWidget()) QWidget::setVisible(visible);
    if (changed) {
        RelayoutParent();
        // Pages hosted below follow the flags of every control above them.
        for (CWndUI* host : findChildren<CWndUI*>()) host->SyncVisibility();
    }
}

bool Control::IsVisibleInWindow() const {
    for (const QWidget* w = this; w; w = w->parentWidget()) {
        if (qobject_cast<const WindowBase*>(w)) return true;
        const auto* c = qobject_cast<const Control*>(w);
        if (!c) return true;
        if (!c->visibleFlag_) return false;
    }
    return true;
}

void Control::SetFixedWidth(int w) {
    fixedWidth_ = std::max(0, w);
    RelayoutParent();
}

void Control::SetFixedHeight(int h) {
    fixedHeight_ = std::max(0, h);
    RelayoutParent();
}

void Control::SetFloatPos(const Edges& pos) {
    floatPos_ = pos;
    // Outside a floating place, pos gives the size a linear layout keeps.
    if (pos.right - pos.left > 0) fixedWidth_ = pos.right - pos.left;
    if (pos.bottom - pos.top > 0) fixedHeight_ = pos.bottom - pos.top;
    RelayoutParent();
}

void Control::SetText(const QString& text) {
    if (text_ == text) return;
    text_ = text;
    update();
}

void Control::SetBkImage(const QString& image) {
    bkImage_ = ParseImage(image);
    update();
}

void Control::SetOwnerWindow(WindowBase* window) {
    ownerWindow_ = window;
}

WindowBase* Control::Window() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* window = qobject_cast<WindowBase*>(w)) return window;
    return ownerWindow_;
}

bool Control::DrawImage(QPainter& painter, const SkinImage& image) const {
    return DrawImage(painter, image, rect());
}

bool Control::DrawImage(QPainter& painter, const SkinImage& image, const QRect& rect) const {
    return DrawSkinImage(painter, rect, image, SkinPackage::Current());
}

void Control::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
    if (ShowsFocusMark()) PaintFocusMark(painter);
}

bool Control::ShowsFocusMark() const {
    if (!FocusMarks::Instance().Shown() || !isEnabled()) return false;
    return hasFocus() || (focusProxy() && focusProxy()->hasFocus());
}

void Control::PaintFocusMark(QPainter& painter) {
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(QPen(kFocusGreen, kFocusPen));
    painter.drawRoundedRect(outer, kFocusRound, kFocusRound);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), kFocusRound - 1.5,
                            kFocusRound - 1.5);
}

void Control::PaintBkColor(QPainter& painter) {
    if (!bkColor_.isValid() || bkColor_.alpha() == 0) return;
    if (borderRound_ > 0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), borderRound_, borderRound_);
        painter.fillPath(path, bkColor_);
    } else {
        painter.fillRect(rect(), bkColor_);
    }
}

void Control::PaintBkImage(QPainter& painter) {
    DrawImage(painter, bkImage_);
}

void Control::PaintBorder(QPainter& painter) {
    if (borderSize_ <= 0 || !borderColor_.isValid()) return;
    QPen pen(borderColor_, borderSize_);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = borderSize_ / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    if (borderRound_ > 0)
        painter.drawRoundedRect(r, borderRound_, borderRound_);
    else
        painter.drawRect(r);
}

void Control::RelayoutParent() {
    if (auto* container = qobject_cast<Container*>(parentWidget())) container->Relayout();
}

// ---- StateImages

bool StateImages::SetAttribute(const QString& name, const QString& value) {
    SkinImage* target = name == QLatin1String("normalimage")     ? &normal
                        : name == QLatin1String("hotimage")      ? &hot
                        : name == QLatin1String("pushedimage")   ? &pushed
                        : name == QLatin1String("focusedimage")  ? &focused
                        : name == QLatin1String("disabledimage") ? &disabled
                                                                 : nullptr;
    if (!target) return false;
    *target = ParseImage(value);
    return true;
}

const SkinImage& StateImages::For(bool enabled, bool isPushed, bool isFocused, bool isHot) const {
    auto firstSet = [this](std::initializer_list<const SkinImage*> images) -> const SkinImage& {
        for (const SkinImage* image : images)
            if (!image->IsEmpty()) return *image;
        return normal;
    };
    if (!enabled) return firstSet({&disabled});
    if (isPushed) return firstSet({&pushed, &hot});
    if (isFocused) return firstSet({&focused});
    if (isHot) return firstSet({&hot});
    return normal;
}

// ---- Label

void Label::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("textcolor")) {
        if (auto c = ParseColor(value)) SetTextColor(*c);
    } else if (name == QLatin1String("disabledtextcolor")) {
        if (auto c = ParseColor(value)) disabledTextColor_ = *c, TextStyleChanged();
    } else if (name == QLatin1String("font")) {
        if (auto id = ParseInt(value))
            if (WindowBase* w = Window()) setFont(w->FontById(*id));
    } else if (name == QLatin1String("align")) {
        const QString v = value.trimmed();
        const Qt::Alignment vertical = align_ & Qt::AlignVertical_Mask;
        if (v == QLatin1String("left"))
            align_ = Qt::AlignLeft | vertical;
        else if (v == QLatin1String("center"))
            align_ = Qt::AlignHCenter | vertical;
        else if (v == QLatin1String("right"))
            align_ = Qt::AlignRight | vertical;
        TextStyleChanged();
    } else if (name == QLatin1String("valign")) {
        const QString v = value.trimmed();
        const Qt::Alignment horizontal = align_ & Qt::AlignHorizontal_Mask;
        if (v == QLatin1String("top"))
            align_ = Qt::AlignTop | horizontal;
        else if (v == QLatin1String("center") || v == QLatin1String("vcenter"))
            align_ = Qt::AlignVCenter | horizontal;
        else if (v == QLatin1String("bottom"))
            align_ = Qt::AlignBottom | horizontal;
        TextStyleChanged();
    } else if (name == QLatin1String("textpadding")) {
        if (auto e = ParseEdges(value)) textPadding_ = e->ToMargins(), TextStyleChanged();
    } else if (name == QLatin1String("wordbreak") || name == QLatin1String("multiline")) {
        if (auto b = ParseBool(value)) wordWrap_ = *b, update();
    } else if (name == QLatin1String("endellipsis")) {
        if (auto b = ParseBool(value)) endEllipsis_ = *b, update();
    } else {
        Control::SetAttribute(name, value);
    }
}

void Label::SetTextColor(const QColor& color) {
    textColor_ = color;
    TextStyleChanged();
}

void Label::PaintText(QPainter& painter) {
    DrawLabelText(painter, text_, isEnabled() ? textColor_ : disabledTextColor_);
}

void Label::DrawLabelText(QPainter& painter, const QString& text, const QColor& color) const {
    if (text.isEmpty()) return;
    const QRect area = rect().marginsRemoved(textPadding_);
    QFont shownFont = font();
    if (!wordWrap_ && !endEllipsis_) {
        // A line may run into the padding; only one the control would cut is drawn smaller, so
        // a number is seen whole.
        int room = rect().width();
        if (align_ & Qt::AlignLeft)
            room = rect().right() - area.left() + 1;
        else if (align_ & Qt::AlignRight)
            room = area.right() + 1 - rect().left();
        else if (align_ & Qt::AlignHCenter)
            room =
                2 * std::min(area.center().x() - rect().left(), rect().right() - area.center().x());
        shownFont = FittedFont(shownFont, text, room);
    }
    DrawSkinText(painter, area, text, shownFont, color, align_, wordWrap_, endEllipsis_);
}

// ---- Containers

void Container::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("childpadding")) {
        if (auto v = ParseInt(value)) childPadding_ = *v, Relayout();
    } else {
        Control::SetAttribute(name, value);
        if (name == QLatin1String("inset")) Relayout();
    }
}

Container::~Container() {
    // Children die after this object's members; they must not reach back into them.
    for (Control* child : children_) disconnect(child, &QObject::destroyed, this, nullptr);
}

bool Container::Add(Control* child) {
    if (!child) return false;
    child->setParent(this);
    // Re-parenting hides a widget; its own flag decides again.
    child->QWidget::setVisible(child->IsVisibleFlag());
    children_.push_back(child);
    // Compared as a QObject: by then the child is no longer a Control.
    connect(child, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(children_, [gone](Control* c) { return static_cast<QObject*>(c) == gone; });
    });
    Relayout();
    return true;
}

Control* Container::ChildAt(int index) const {
    if (index < 0 || index >= ChildCount()) return nullptr;
    return children_[static_cast<size_t>(index)];
}

void Container::SetPos(const QRect& rc) {
    Control::SetPos(rc);
    Relayout();
}

void Container::Relayout() {
    const QRect area = rect().marginsRemoved(Inset());
    for (Control* child : children_)
        if (child->IsFloat()) child->SetPos(FloatRect(*child));
    PlaceChildren(area);
}

QRect Container::FloatRect(const Control& child) {
    const Edges& p = child.FloatPos();
    return QRect(p.left, p.top, std::max(0, p.right - p.left), std::max(0, p.bottom - p.top));
}

void Container::PlaceChildren(const QRect& area) {
    // Hidden children are placed too: their place depends on no sibling, and a page host then
    // has its page in place before it is first shown.
    for (Control* child : children_) {
        if (child->IsFloat()) continue;
        QRect r = area.marginsRemoved(child->Padding());
        if (child->FixedWidth() > 0) r.setWidth(child->FixedWidth());
        if (child->FixedHeight() > 0) r.setHeight(child->FixedHeight());
        child->SetPos(r);
    }
}

namespace {

// Shares `free` among `autoCount` children; the last one takes the remainder.
int SharedSize(int free, int autoCount, int index) {
    if (autoCount <= 0 || free <= 0) return 0;
    const int each = free / autoCount;
    return index == autoCount - 1 ? free - each * (autoCount - 1) : each;
}

}  // namespace

void Container::PlaceLinear(const QRect& area, Qt::Orientation orientation) {
    // Written for the vertical case; the horizontal one swaps the axes.
    const bool vertical = orientation == Qt::Vertical;
    auto along = [vertical](const QMargins& m) {
        return vertical ? std::pair(m.top(), m.bottom()) : std::pair(m.left(), m.right());
    };
    auto across = [vertical](const QMargins& m) {
        return vertical ? std::pair(m.left(), m.right()) : std::pair(m.top(), m.bottom());
    };
    auto fixedAlong = [vertical](const Control* c) {
        return vertical ? c->FixedHeight() : c->FixedWidth();
    };
    auto fixedAcross = [vertical](const Control* c) {
        return vertical ? c->FixedWidth() : c->FixedHeight();
    };
    const int areaAlong = vertical ? area.height() : area.width();
    const int areaAcross = vertical ? area.width() : area.height();
    const int startAlong = vertical ? area.top() : area.left();
    const int startAcross = vertical ? area.left() : area.top();

    std::vector<Control*> placed;
    int fixed = 0, autoCount = 0;
    for (Control* child : children_) {
        if (child->IsFloat() || !child->IsVisibleFlag()) continue;
        placed.push_back(child);
        const auto [before, after] = along(child->Padding());
        fixed += before + after;
        if (fixedAlong(child) > 0)
            fixed += fixedAlong(child);
        else
            ++autoCount;
    }
    if (placed.empty()) return;
    fixed += childPadding_ * static_cast<int>(placed.size() - 1);
    const int free = areaAlong - fixed;
    int pos = startAlong, autoIndex = 0;
    for (Control* child : placed) {
        const auto [before, after] = along(child->Padding());
        const auto [side, otherSide] = across(child->Padding());
        pos += before;
        const int length =
            fixedAlong(child) > 0 ? fixedAlong(child) : SharedSize(free, autoCount, autoIndex++);
        const int breadth = fixedAcross(child) > 0 ? fixedAcross(child)
                                                   : std::max(0, areaAcross - side - otherSide);
        child->SetPos(vertical ? QRect(startAcross + side, pos, breadth, length)
                               : QRect(pos, startAcross + side, length, breadth));
        pos += length + after + childPadding_;
    }
}

void VerticalLayout::PlaceChildren(const QRect& area) {
    PlaceLinear(area, Qt::Vertical);
}

void HorizontalLayout::PlaceChildren(const QRect& area) {
    PlaceLinear(area, Qt::Horizontal);
}

void TabLayout::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedid")) {
        if (auto v = ParseInt(value)) {
            current_ = *v;
            if (current_ >= 0 && current_ < ChildCount()) SelectItem(current_);
        }
    } else {
        Container::SetAttribute(name, value);
    }
}

bool TabLayout::Add(Control* child) {
    if (!Container::Add(child)) return false;
    child->setVisible(ChildCount() - 1 == current_);
    return true;
}

void TabLayout::DoInit() {
    if (current_ < 0 || current_ >= ChildCount()) current_ = 0;
    SelectItem(current_);
}

bool TabLayout::SelectItem(int index) {
    if (index < 0 || index >= ChildCount()) return false;
    current_ = index;
    for (int i = 0; i < ChildCount(); ++i) ChildAt(i)->setVisible(i == index);
    Relayout();
    return true;
}

}  // namespace ui
