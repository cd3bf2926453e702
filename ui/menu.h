#pragma once

#include <QPointer>

class QMenu;

#include "ui/control.h"
#include "ui/window_base.h"

// Popup menus built from a menu layout: <Window> with <Menu> holding <MenuElement name text
// icon height/> items and <MenuElement line="true" linepadding="l,t,r,b"/> separators. A menu
// emits the chosen item's name once it has closed.
namespace ui {

// One item (or separator) of a menu.
class MenuElement : public Label {
    Q_OBJECT
  public:
    explicit MenuElement(QWidget* parent = nullptr);
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

class MenuWnd : public WindowBase {
    Q_OBJECT
  public:
    // Opens the menu of `layoutFile` with its content's top-left at `screenPoint`, kept on the
    // screen. nullptr (nothing shown) when the layout is missing or malformed. The menu frees
    // itself when it closes.
    static MenuWnd* CreateMenu(QWidget* owner, const QString& layoutFile,
                               const QPoint& screenPoint);

    QString LayoutFile() const override { return layoutFile_; }
    Control* CreateControl(const QString& tag) override;
    void OnFinalMessage() override;

    int ItemCount() const;
    MenuElement* ItemAt(int index) const;  // items and separators in layout order
    MenuElement* Item(const QString& name) const;
    // Sets the icon of an item; an empty icon removes it. False when there is no such item.
    bool SetItemIcon(const QString& itemName, const QString& icon);
    // Shows or hides an item (or a named separator); the menu grows or shrinks to its items.
    bool SetItemVisible(const QString& itemName, bool visible);

    // Chooses an item as a click would: the menu closes, then emits itemChosen().
    void Choose(MenuElement* item);

  signals:
    // After the menu has closed and before it is freed: the owner may open a modal dialog.
    void itemChosen(const QString& itemName);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    explicit MenuWnd(QString layoutFile);
    void MoveHot(int step);
    // Sizes the menu to its shown items and places it at the anchor, on the screen.
    void FitAndPlace();
    QString layoutFile_;
    QPoint anchor_;
    QString chosen_;
};

// The same menu as a platform menu, for places that draw menus themselves (a tray whose panel
// shows the menu): one action per item (object name = item name, text, icon), separators for
// lines; QMenu::triggered() tells the chosen action. nullptr when the layout is missing or
// malformed. The caller owns the menu.
QMenu* BuildNativeMenu(const QString& layoutFile);

}  // namespace ui
