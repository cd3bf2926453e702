#pragma once

#include <QPointer>

class QMenu;

#include "ui/control.h"
#include "ui/window_base.h"

// Popup menus built from a menu layout: <Window> with <Menu> holding <MenuElement name text
// icon height/> items and <MenuElement line="true" linepadding="l,t,r,b"/> separators. A chosen
// item reaches the owner window as MenuClickMessage carrying the item's name.
namespace ui {

// One item (or separator) of a menu.
class MenuElement : public Label {
    Q_OBJECT
  public:
    explicit MenuElement(QWidget* parent = nullptr);
    QString ClassName() const override { return QStringLiteral("MenuElementUI"); }
    void* GetInterface(const QString& name) override;
    void SetAttribute(const QString& name, const QString& value) override;

    bool IsLine() const { return line_; }
    // A separator is never hot.
    void SetHot(bool hot) override;
    QString Icon() const { return icon_; }
    // An empty name removes the icon.
    void SetIcon(const QString& icon);

  protected:
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool line_ = false;
    QString icon_;
    QSize iconSize_{16, 16};
    QMargins linePadding_;
    QColor lineColor_{0xE4, 0xEB, 0xEC};
    QColor selectedBkColor_{0xDD, 0xFF, 0xF9};
};

enum class MenuAlign { Left, Right };

class MenuWnd : public WindowBase {
    Q_OBJECT
  public:
    // Opens the menu of `layoutFile` with its content's top-left (MenuAlign::Left) or top-right
    // at `screenPoint`, kept on the screen. nullptr (nothing shown) when the layout is missing
    // or malformed. The menu frees itself when it closes.
    static MenuWnd* CreateMenu(QWidget* owner, const QString& layoutFile, const QPoint& screenPoint,
                               MenuAlign align = MenuAlign::Left);

    QString LayoutFile() const override { return layoutFile_; }
    Control* CreateControl(const QString& tag) override;
    void Notify(const Notification& msg) override;
    void OnFinalMessage() override;

    int ItemCount() const;
    MenuElement* ItemAt(int index) const;  // items and separators in layout order
    MenuElement* Item(const QString& name) const;
    // Sets the icon of an item; an empty icon removes it. False when there is no such item.
    bool SetItemIcon(const QString& itemName, const QString& icon);
    // Shows or hides an item (or a named separator); the menu grows or shrinks to its items.
    bool SetItemVisible(const QString& itemName, bool visible);

    // Chooses an item as a click would: posts MenuClickMessage to the owner and closes.
    void Choose(MenuElement* item);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    MenuWnd(QWidget* owner, QString layoutFile);
    void MoveHot(int step);
    // Sizes the menu to its shown items and places it at the anchor, on the screen.
    void FitAndPlace();
    QPointer<QWidget> owner_;
    QString layoutFile_;
    QPoint anchor_;
    MenuAlign align_ = MenuAlign::Left;
};

// The same menu as a platform menu, for places that draw menus themselves (a tray whose panel
// shows the menu): one action per item (object name = item name, text, icon), separators for
// lines; a triggered action posts MenuClickMessage with the item's name to `owner`. nullptr
// when the layout is missing or malformed. The caller owns the menu.
QMenu* BuildNativeMenu(const QString& layoutFile, QWidget* owner);

}  // namespace ui
