#include "app/tray_icon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMenu>

#include "ui/menu.h"
#include "ui/notification.h"

QIcon ApplicationIcon() {
    static const QIcon icon = [] {
        QIcon i;
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            i.addFile(QStringLiteral(":/vita/icons/%1.png").arg(size), QSize(size, size));
        return i;
    }();
    return icon;
}

bool TrayIcon::PanelDrawsMenus() {
    // Wayland gives clients no pointer position to place a menu of their own.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return true;
    // A StatusNotifierItem host takes the menu over D-Bus and shows it itself.
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

int TrayIcon::MouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return TrayMouse::LeftDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayMouse::RightDown;
        case QSystemTrayIcon::Trigger:
            return TrayMouse::LeftUp;
        case QSystemTrayIcon::MiddleClick:
            return TrayMouse::MiddleUp;
        default:
            return 0;
    }
}

TrayIcon::TrayIcon(QWidget* owner) : owner_(owner) {
    icon_.setIcon(ApplicationIcon());
    icon_.setToolTip(QString::fromUtf8(kDisplayName));
    if (PanelDrawsMenus()) {
        menu_ = ui::BuildNativeMenu(QStringLiteral("menu_tray.xml"), owner);
        if (menu_) icon_.setContextMenu(menu_);
    }
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                const int mouse = MouseMessageFor(reason);
                if (!owner_ || mouse == 0) return;
                // With a platform menu the panel has shown it already.
                if (menu_ && mouse == TrayMouse::RightDown) return;
                ui::WindowMessage message(ui::TrayCallbackMessage, 0, mouse);
                QCoreApplication::sendEvent(owner_, &message);
            });
}

TrayIcon::~TrayIcon() {
    icon_.hide();
    delete menu_;
}

void TrayIcon::Show() {
    icon_.show();
}
QString TrayIcon::ToolTip() const {
    return icon_.toolTip();
}
QIcon TrayIcon::Icon() const {
    return icon_.icon();
}
