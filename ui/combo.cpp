#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>
#include <utility>

#include "ui/controls.h"
#include "ui/screen_area.h"
#include "ui/skin_paint.h"

namespace ui {

namespace {
constexpr int kDefaultItemHeight = 24;
}  // namespace

// The open list of a combo: a popup under (or, near the screen's bottom, above) the box.
class ComboDropDown : public QWidget {
  public:
    explicit ComboDropDown(Combo* combo) : QWidget(combo, Qt::Popup | Qt::FramelessWindowHint) {
        combo_ = combo;
        setAttribute(Qt::WA_DeleteOnClose);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setFont(combo->font());
        hot_ = combo->current_;
    }

    int ContentHeight() const { return ItemTop(combo_->GetCount()); }

    // Scrolls the least needed to show item `index` whole.
    void ShowItem(int index) {
        if (index < 0 || index >= combo_->GetCount()) return;
        const int top = ItemTop(index);
        const int bottom = top + ItemHeight(index);
        if (top < scroll_)
            scroll_ = top;
        else if (bottom > scroll_ + height())
            scroll_ = bottom - height();
        ClampScroll();
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), combo_->itemBkColor_);
        for (int i = 0; i < combo_->GetCount(); ++i) {
            const QRect row(0, ItemTop(i) - scroll_, width(), ItemHeight(i));
            if (!row.intersects(rect())) continue;
            const ListLabelElement* item = combo_->items_[static_cast<size_t>(i)];
            if (i == combo_->current_)
                painter.fillRect(row, combo_->itemSelectedBkColor_);
            else if (i == hot_)
                painter.fillRect(row, combo_->itemHotBkColor_);
            const QFont font = item->testAttribute(Qt::WA_SetFont) ? item->font() : this->font();
            DrawSkinText(painter, row.marginsRemoved(combo_->itemTextPadding_), item->Text(), font,
                         combo_->itemTextColor_, item->TextAlignment());
        }
        if (combo_->borderSize_ > 0 && combo_->borderColor_.isValid()) {
            painter.setPen(QPen(combo_->borderColor_, combo_->borderSize_));
            const qreal half = combo_->borderSize_ / 2.0;
            painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        SetHot(ItemAt(event->position().toPoint()));
    }

    void leaveEvent(QEvent*) override { SetHot(-1); }

    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        if (rect().contains(event->position().toPoint())) return;
        // A press on the box only closes the list; handed on, it would open it again.
        const QPoint onCombo = combo_->mapFromGlobal(event->globalPosition().toPoint());
        setAttribute(Qt::WA_NoMouseReplay, combo_->rect().contains(onCombo));
        close();
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        event->accept();
        if (event->button() == Qt::LeftButton) Choose(ItemAt(event->position().toPoint()));
    }

    void wheelEvent(QWheelEvent* event) override {
        scroll_ -= event->angleDelta().y() / 120 * kDefaultItemHeight;
        ClampScroll();
        update();
        event->accept();
    }

    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Up:
                SetHot(std::max(0, hot_ - 1));
                ShowItem(hot_);
                break;
            case Qt::Key_Down:
                SetHot(std::min(combo_->GetCount() - 1, hot_ + 1));
                ShowItem(hot_);
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Choose(hot_);
                break;
            case Qt::Key_Escape:
                close();
                break;
            default:
                QWidget::keyPressEvent(event);
                return;
        }
        event->accept();
    }

    void hideEvent(QHideEvent* event) override {
        combo_->update();  // the box leaves its pushed look
        QWidget::hideEvent(event);
    }

  private:
    int ItemHeight(int index) const {
        const int fixed = combo_->items_[static_cast<size_t>(index)]->FixedHeight();
        return fixed > 0 ? fixed : kDefaultItemHeight;
    }

    int ItemTop(int index) const {
        int top = 0;
        for (int i = 0; i < index; ++i) top += ItemHeight(i);
        return top;
    }

    int ItemAt(const QPoint& pos) const {
        if (!rect().contains(pos)) return -1;
        const int y = pos.y() + scroll_;
        for (int i = 0, top = 0; i < combo_->GetCount(); ++i) {
            top += ItemHeight(i);
            if (y < top) return i;
        }
        return -1;
    }

    void SetHot(int index) {
        if (hot_ == index) return;
        hot_ = index;
        update();
    }

    void ClampScroll() {
        scroll_ = std::clamp(scroll_, 0, std::max(0, ContentHeight() - height()));
    }

    void Choose(int index) {
        if (index < 0) return;
        // Closed first: a currentIndexChanged() handler may open a dialog of its own.
        Combo* combo = combo_;
        close();
        combo->SelectItem(index);
    }

    Combo* combo_;  // the parent: outlives this
    int hot_ = -1;
    int scroll_ = 0;
};

Combo::Combo(QWidget* parent) : Label(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

Combo::~Combo() {
    delete dropDown_.data();
    // Taken out first: each deletion reaches the destroyed() hook below.
    const auto items = std::exchange(items_, {});
    qDeleteAll(items);
}

void Combo::SetAttribute(const QString& name, const QString& value) {
    if (images_.SetAttribute(name, value)) {
        update();
    } else if (name == QLatin1String("itemtextpadding")) {
        if (auto e = ParseEdges(value)) itemTextPadding_ = e->ToMargins();
    } else if (name == QLatin1String("itemtextcolor")) {
        if (auto c = ParseColor(value)) itemTextColor_ = *c;
    } else if (name == QLatin1String("itemselectedbkcolor")) {
        if (auto c = ParseColor(value)) itemSelectedBkColor_ = *c;
    } else if (name == QLatin1String("itemhotbkcolor")) {
        if (auto c = ParseColor(value)) itemHotBkColor_ = *c;
    } else if (name == QLatin1String("itembkcolor")) {
        if (auto c = ParseColor(value)) itemBkColor_ = *c;
    } else if (name == QLatin1String("dropboxsize")) {
        if (auto s = ParseSize(value)) dropBoxSize_ = *s;
    } else {
        Label::SetAttribute(name, value);
    }
}

void Combo::DoInit() {
    if (current_ >= 0) return;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->IsSelectedInLayout()) {
            current_ = static_cast<int>(i);
            update();
            return;
        }
    }
}

bool Combo::Add(Control* child) {
    auto* item = qobject_cast<ListLabelElement*>(child);
    if (!item) return false;
    // Items lend their text to the list and are never shown themselves: kept out of the
    // widget tree, so nothing can show them inside the box.
    if (item->parentWidget()) item->setParent(nullptr);
    if (!item->Window()) item->SetOwnerWindow(Window());
    items_.push_back(item);
    connect(item, &QObject::destroyed, this, [this](QObject* gone) {
        const auto it = std::find(items_.begin(), items_.end(), gone);
        if (it == items_.end()) return;
        const int index = static_cast<int>(it - items_.begin());
        items_.erase(it);
        if (index == current_)
            current_ = -1;
        else if (index < current_)
            --current_;
        CloseDropDown();
        update();
    });
    return true;
}

ListLabelElement* Combo::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

bool Combo::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == current_) return true;
    current_ = index;
    update();
    if (dropDown_) dropDown_->update();
    emit currentIndexChanged(index);
    return true;
}

QString Combo::SelectedText() const {
    const ListLabelElement* item = GetItemAt(current_);
    return item ? item->Text() : QString();
}

bool Combo::SelectItemByValue(int value) {
    for (int i = 0; i < GetCount(); ++i)
        if (GetControlInt(GetItemAt(i)) == value) return SelectItem(i);
    return false;
}

void Combo::OpenDropDown() {
    if (IsDropDownOpen() || !isEnabled() || items_.empty()) return;
    auto* list = new ComboDropDown(this);
    dropDown_ = list;
    const int w = dropBoxSize_.width() > 0 ? dropBoxSize_.width() : width();
    const int h = std::max(1, std::min(dropBoxSize_.height(), list->ContentHeight()));
    // Below the box, or above it when only there it fits whole; within the work area either way.
    QRect box(mapToGlobal(QPoint(0, height())), QSize(w, h));
    const QRect work = WorkAreaAt(mapToGlobal(rect().center()));
    if (box.bottom() > work.bottom() && mapToGlobal(QPoint(0, 0)).y() - h >= work.top())
        box.moveTo(mapToGlobal(QPoint(0, -h)));
    list->setGeometry(KeptWithin(box, work));
    list->ShowItem(current_);
    list->show();
    update();
}

void Combo::CloseDropDown() {
    if (dropDown_) dropDown_->close();
}

bool Combo::IsDropDownOpen() const {
    return dropDown_ && dropDown_->isVisible();
}

void Combo::PaintStatusImage(QPainter& painter) {
    DrawImage(painter, images_.For(isEnabled(), IsDropDownOpen(), false, IsHot()));
}

void Combo::PaintText(QPainter& painter) {
    // The box shows the chosen item; its own text is the prompt while none is.
    const ListLabelElement* item = GetItemAt(current_);
    DrawLabelText(painter, item ? item->Text() : text_,
                  isEnabled() ? textColor_ : disabledTextColor_);
}

void Combo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return Label::mousePressEvent(event);
    event->accept();
    if (IsDropDownOpen())
        CloseDropDown();
    else
        OpenDropDown();
}

void Combo::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            if (current_ > 0) SelectItem(current_ - 1);
            break;
        case Qt::Key_Down:
            if (current_ + 1 < GetCount()) SelectItem(current_ + 1);
            break;
        case Qt::Key_Space:
        case Qt::Key_F4:
            OpenDropDown();
            break;
        default:
            Label::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace ui
