#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

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

    // What an activation means as a mouse event (0 for none).
    static int MouseMessageFor(QSystemTrayIcon::ActivationReason reason);
    // True when the panel shows tray menus itself.
    static bool PanelDrawsMenus();

  private:
    QPointer<QWidget> owner_;
    QSystemTrayIcon icon_;
    QMenu* menu_ = nullptr;
};

// The program's name as the user sees it: the main window's title and the tray tip.
inline constexpr const char* kDisplayName = "悦息伙伴";

// The program's icon at every size it is drawn at.
QIcon ApplicationIcon();
