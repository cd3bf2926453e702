#include "ui/menu.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "ui/layout_builder.h"
#include "ui/screen_area.h"
#include "ui/skin_package.h"
#include "ui/skin_paint.h"

namespace ui {

MenuElement::MenuElement(QWidget* parent) : Label(parent) {
    SetFixedHeight(28);
    textColor_ = QColor(0x30, 0x30, 0x30);
    setMouseTracking(true);
}

void MenuElement::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("line")) {
        line_ = ParseBool(value).value_or(line_);
        if (line_ && FixedHeight() == 28)
            SetFixedHeight(linePadding_.top() + 1 + linePadding_.bottom());
    } else if (name == QLatin1String("linepadding")) {
        if (auto e = ParseEdges(value)) {
            linePadding_ = e->ToMargins();
            if (line_) SetFixedHeight(linePadding_.top() + 1 + linePadding_.bottom());
        }
    } else if (name == QLatin1String("linecolor")) {
        if (auto c = ParseColor(value)) lineColor_ = *c;
    } else if (name == QLatin1String("icon")) {
        SetIcon(value);
    } else if (name == QLatin1String("iconsize")) {
        if (auto s = ParseSize(value)) iconSize_ = *s;
    } else if (name == QLatin1String("selectedbkcolor") ||
               name == QLatin1String("itemselectedbkcolor")) {
        if (auto c = ParseColor(value)) selectedBkColor_ = *c;
    } else if (name == QLatin1String("itemtextpadding")) {
        Label::SetAttribute(QStringLiteral("textpadding"), value);
    } else if (name == QLatin1String("itemtextcolor")) {
        Label::SetAttribute(QStringLiteral("textcolor"), value);
    } else {
        Label::SetAttribute(name, value);
    }
}

void MenuElement::SetHot(bool hot) {
    if (!line_) Label::SetHot(hot);
}

void MenuElement::SetIcon(const QString& icon) {
    icon_ = icon.trimmed();
    update();
}

void MenuElement::PaintBkColor(QPainter& painter) {
    Label::PaintBkColor(painter);
    if (IsHot() && isEnabled()) painter.fillRect(rect(), selectedBkColor_);
}

void MenuElement::PaintStatusImage(QPainter& painter) {
    if (line_) {
        const int y = linePadding_.top();
        painter.fillRect(
            QRect(linePadding_.left(), y, width() - linePadding_.left() - linePadding_.right(), 1),
            lineColor_);
        return;
    }
    if (icon_.isEmpty()) return;
    // The icon sits centred in the indent left of the text.
    const int indent = std::max(textPadding_.left(), iconSize_.width());
    const QRect iconRect((indent - iconSize_.width()) / 2, (height() - iconSize_.height()) / 2,
                         iconSize_.width(), iconSize_.height());
    SkinImage image;
    image.file = icon_;
    DrawImage(painter, image, iconRect);
}

void MenuElement::PaintText(QPainter& painter) {
    if (!line_) Label::PaintText(painter);
}

void MenuElement::enterEvent(QEnterEvent*) {
    if (auto* menu = qobject_cast<MenuWnd*>(Window()))
        for (int i = 0; i < menu->ItemCount(); ++i)
            menu->ItemAt(i)->SetHot(menu->ItemAt(i) == this);
}

void MenuElement::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        !line_ && isEnabled())
        if (auto* menu = qobject_cast<MenuWnd*>(Window())) menu->Choose(this);
}

// ---- MenuWnd

MenuWnd::MenuWnd(QString layoutFile) : layoutFile_(std::move(layoutFile)) {}

MenuWnd* MenuWnd::CreateMenu(QWidget* owner, const QString& layoutFile, const QPoint& screenPoint) {
    auto* menu = new MenuWnd(layoutFile);
    if (!menu->Create(owner, Qt::Popup | Qt::NoDropShadowWindowHint)) {
        delete menu;
        return nullptr;
    }
    menu->anchor_ = screenPoint;
    menu->FitAndPlace();
    menu->show();
    return menu;
}

void MenuWnd::FitAndPlace() {
    // The menu is as tall as its shown items, whatever size the layout declares: the items have
    // fixed heights, so the placed last one tells where the content ends.
    int contentHeight = 0;
    if (auto* root = qobject_cast<Container*>(Root())) {
        root->Relayout();
        for (int i = 0; i < root->ChildCount(); ++i) {
            const Control* c = root->ChildAt(i);
            if (c->IsVisibleFlag() && !c->IsFloat())
                contentHeight =
                    std::max(contentHeight, c->geometry().bottom() + 1 + c->Padding().bottom());
        }
        if (contentHeight > 0) contentHeight += root->Inset().bottom();
    }
    const QMargins shadow = ShadowMargins();
    const int contentWidth = ClientRect().width();
    if (contentHeight > 0)
        resize(contentWidth + shadow.left() + shadow.right(),
               contentHeight + shadow.top() + shadow.bottom());

    QRect content(anchor_, QSize(contentWidth, ClientRect().height()));
    content = KeptWithin(content, WorkAreaAt(anchor_));
    move(content.topLeft() - QPoint(shadow.left(), shadow.top()));
}

Control* MenuWnd::CreateControl(const QString& tag) {
    if (tag == QLatin1String("Menu")) return new VerticalLayout;
    if (tag == QLatin1String("MenuElement")) return new MenuElement;
    return nullptr;
}

int MenuWnd::ItemCount() const {
    auto* root = qobject_cast<Container*>(Root());
    return root ? root->ChildCount() : 0;
}

MenuElement* MenuWnd::ItemAt(int index) const {
    auto* root = qobject_cast<Container*>(Root());
    return root ? qobject_cast<MenuElement*>(root->ChildAt(index)) : nullptr;
}

MenuElement* MenuWnd::Item(const QString& name) const {
    return qobject_cast<MenuElement*>(FindControl(name));
}

bool MenuWnd::SetItemVisible(const QString& itemName, bool visible) {
    MenuElement* item = Item(itemName);
    if (!item) return false;
    item->setVisible(visible);
    FitAndPlace();
    return true;
}

bool MenuWnd::SetItemIcon(const QString& itemName, const QString& icon) {
    MenuElement* item = Item(itemName);
    if (!item) return false;
    item->SetIcon(icon);
    return true;
}

void MenuWnd::Choose(MenuElement* item) {
    if (!item || item->IsLine() || IsClosed() || !chosen_.isEmpty()) return;
    chosen_ = item->Name();
    Close(0);
}

void MenuWnd::OnFinalMessage() {
    // The owner acts once the menu is gone (it may open a modal dialog).
    if (!chosen_.isEmpty()) emit itemChosen(chosen_);
    deleteLater();
}

void MenuWnd::MoveHot(int step) {
    const int n = ItemCount();
    if (n == 0) return;
    int hot = -1;
    for (int i = 0; i < n; ++i)
        if (ItemAt(i) && ItemAt(i)->IsHot()) hot = i;
    int next = hot;
    for (int tries = 0; tries < n; ++tries) {
        next = hot < 0 && step < 0 ? n - 1 : (next + step + n) % n;
        if (hot < 0 && step > 0 && tries == 0) next = 0;
        MenuElement* item = ItemAt(next);
        if (item && !item->IsLine() && item->isEnabled() && item->IsVisibleFlag()) break;
    }
    for (int i = 0; i < n; ++i)
        if (MenuElement* item = ItemAt(i)) item->SetHot(i == next);
}

void MenuWnd::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            MoveHot(-1);
            break;
        case Qt::Key_Down:
            MoveHot(1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            for (int i = 0; i < ItemCount(); ++i)
                if (ItemAt(i) && ItemAt(i)->IsHot()) Choose(ItemAt(i));
            break;
        case Qt::Key_Escape:
            Close(0);
            break;
        default:
            WindowBase::keyPressEvent(event);
    }
}

QMenu* BuildNativeMenu(const QString& layoutFile) {
    QString error;
    const std::optional<LayoutDocument> doc = LayoutBuilder::Load(layoutFile, &error);
    if (!doc) return nullptr;
    auto* menu = new QMenu;
    for (const LayoutNode& node : doc->root.children) {
        if (node.tag != QLatin1String("MenuElement")) continue;
        if (ParseBool(node.Value(QStringLiteral("line"))).value_or(false)) {
            menu->addSeparator();
            continue;
        }
        const QString name = node.Value(QStringLiteral("name"));
        QAction* action = menu->addAction(node.Value(QStringLiteral("text")));
        action->setObjectName(name);
        const QImage icon = SkinPackage::Current().Image(node.Value(QStringLiteral("icon")));
        if (!icon.isNull()) action->setIcon(QIcon(QPixmap::fromImage(icon)));
    }
    return menu;
}

}  // namespace ui
