#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

#include "app/tray_presence.h"

class QMenu;

// The program's icon in the notification area. Where the panel draws tray menus itself
// (StatusNotifierItem hosts, Wayland) it is handed the tray menu and reports the chosen item;
// elsewhere it asks for the program's own menu.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    TrayIcon();
    ~TrayIcon() override;

    void Show();
    QString ToolTip() const;
    // A line under the program's name in the tip (a reason nothing can be saved); empty: none.
    void SetNotice(const QString& notice);
    // A line under the name saying why reminders wait ("离开中"...); empty: they don't.
    void SetStatus(const QString& status);
    QIcon Icon() const;
    // Whether a tray shows the icon now; AvailabilityChanged tells when that changes.
    bool IsAvailable() const { return presence_.IsAvailable(); }

    // Whether an activation brings the window to the front: a double click on an XEmbed tray.
    // A StatusNotifierItem panel reports a click on the icon as an activation and never a double
    // click: there, an activation is what a double click is on an XEmbed tray.
    static bool ShowsWindow(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem);
    // True when the panel shows tray menus itself.
    static bool PanelDrawsMenus();
    // What an activation of the icon asks for: the window, the program's own menu, or nothing.
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

  signals:
    void AvailabilityChanged(bool available);
    // The window is to come to the front.
    void ShowRequested();
    // The program's own tray menu is to open at the pointer (the panel draws none).
    void MenuRequested();
    // An item of the menu the panel drew was chosen; after the menu has closed.
    void MenuItemChosen(const QString& itemName);

  private:
    // The icon of the kind the desktop offers now (Qt picks it when the icon is made).
    void Build();

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
    bool statusNotifierItem_ = false;
    QString notice_;
    QString status_;
    bool shown_ = false;
    TrayPresence presence_;
};

// The program's name as the user sees it: the main window's title and the tray tip.
inline constexpr const char* kDisplayName = "悦息伙伴";

// The program's icon at every size it is drawn at.
QIcon ApplicationIcon();
