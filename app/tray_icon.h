#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

#include "app/tray_presence.h"

class QMenu;

// Mouse events of the tray icon, as TrayCallbackMessage carries them in lParam.
namespace TrayMouse {
inline constexpr int LeftUp = 0x0202;
inline constexpr int LeftDoubleClick = 0x0203;
inline constexpr int RightDown = 0x0204;
inline constexpr int MiddleUp = 0x0208;
}  // namespace TrayMouse

// The program's icon in the notification area. Its events reach the owner window as
// TrayCallbackMessage. Where the panel draws tray menus itself (StatusNotifierItem hosts, Wayland)
// it is handed the tray menu; elsewhere the owner opens its own menu on RightDown.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit TrayIcon(QWidget* owner);
    ~TrayIcon() override;

    void Show();
    QString ToolTip() const;
    QIcon Icon() const;
    // Whether a tray shows the icon now; AvailabilityChanged tells when that changes.
    bool IsAvailable() const { return presence_.IsAvailable(); }

    // What an activation means as a mouse event (0 for none). A StatusNotifierItem panel
    // reports a click on the icon as an activation and never a double click: there, an
    // activation is what a double click is on an XEmbed tray.
    static int MouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem);
    // True when the panel shows tray menus itself.
    static bool PanelDrawsMenus();

  signals:
    void AvailabilityChanged(bool available);

  private:
    // The icon of the kind the desktop offers now (Qt picks it when the icon is made).
    void Build();
    void Activated(QSystemTrayIcon::ActivationReason reason);

    QPointer<QWidget> owner_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
    bool statusNotifierItem_ = false;
    bool shown_ = false;
    TrayPresence presence_;
};

// The program's name as the user sees it: the main window's title and the tray tip.
inline constexpr const char* kDisplayName = "悦息伙伴";

// The program's icon at every size it is drawn at.
QIcon ApplicationIcon();
