#include "app/tray_icon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMenu>

#include "ui/menu.h"

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

bool TrayIcon::ShowsWindow(QSystemTrayIcon::ActivationReason reason, bool statusNotifierItem) {
    return reason == QSystemTrayIcon::DoubleClick ||
           (statusNotifierItem && reason == QSystemTrayIcon::Trigger);
}

TrayIcon::TrayIcon() {
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
    SetNotice(notice_);
    statusNotifierItem_ = PanelDrawsMenus();
    menu_.reset(statusNotifierItem_ ? ui::BuildNativeMenu(QStringLiteral("menu_tray.xml"))
                                    : nullptr);
    if (menu_) {
        icon_->setContextMenu(menu_.get());
        // Queued: the item acts once the panel's menu is gone (it may open a modal dialog).
        connect(
            menu_.get(), &QMenu::triggered, this,
            [this](QAction* action) { emit MenuItemChosen(action->objectName()); },
            Qt::QueuedConnection);
    }
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
    if (shown_) icon_->show();
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (ShowsWindow(reason, statusNotifierItem_))
        emit ShowRequested();
    else if (reason == QSystemTrayIcon::Context && !menu_)  // else the panel has shown it already
        emit MenuRequested();
}

void TrayIcon::Show() {
    shown_ = true;
    icon_->show();
}
void TrayIcon::SetNotice(const QString& notice) {
    notice_ = notice;
    QString tip = QString::fromUtf8(kDisplayName);
    for (const QString& line : {status_, notice_})
        if (!line.isEmpty()) tip += '\n' + line;
    icon_->setToolTip(tip);
}

void TrayIcon::SetStatus(const QString& status) {
    status_ = status;
    SetNotice(notice_);
}

QString TrayIcon::ToolTip() const {
    return icon_->toolTip();
}
QIcon TrayIcon::Icon() const {
    return icon_->icon();
}
