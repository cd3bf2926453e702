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

int TrayIcon::MouseMessageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem) {
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            return TrayMouse::LeftDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayMouse::RightDown;
        case QSystemTrayIcon::Trigger:
            return statusNotifierItem ? TrayMouse::LeftDoubleClick : TrayMouse::LeftUp;
        case QSystemTrayIcon::MiddleClick:
            return TrayMouse::MiddleUp;
        default:
            return 0;
    }
}

TrayIcon::TrayIcon(QWidget* owner) : owner_(owner) {
    Build();
    connect(&presence_, &TrayPresence::AvailabilityChanged, this, [this](bool available) {
        // A panel of the other kind came: only a new icon can show on it.
        if (available && PanelDrawsMenus() != statusNotifierItem_) Build();
        emit AvailabilityChanged(available);
    });
}

TrayIcon::~TrayIcon() {
    if (icon_) icon_->hide();
}

void TrayIcon::Build() {
    if (icon_) icon_->hide();
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setIcon(ApplicationIcon());
    icon_->setToolTip(QString::fromUtf8(kDisplayName));
    statusNotifierItem_ = PanelDrawsMenus();
    menu_.reset(statusNotifierItem_ ? ui::BuildNativeMenu(QStringLiteral("menu_tray.xml"), owner_)
                                    : nullptr);
    if (menu_) icon_->setContextMenu(menu_.get());
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayIcon::Activated);
    if (shown_) icon_->show();
}

void TrayIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    const int mouse = MouseMessageFor(reason, statusNotifierItem_);
    if (!owner_ || mouse == 0) return;
    // With a platform menu the panel has shown it already.
    if (menu_ && mouse == TrayMouse::RightDown) return;
    ui::WindowMessage message(ui::TrayCallbackMessage, 0, mouse);
    QCoreApplication::sendEvent(owner_, &message);
}

void TrayIcon::Show() {
    shown_ = true;
    icon_->show();
}
QString TrayIcon::ToolTip() const {
    return icon_->toolTip();
}
QIcon TrayIcon::Icon() const {
    return icon_->icon();
}
