#include "app/tray_presence.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#include "app/log.h"
#include "platform/platform.h"

namespace {

constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
// Qt follows the same events on its own connections; asking it once they have been dealt with
// gives its answer, not a stale one.
constexpr int kSettleMs = 300;

// Qt's answer on the platforms that have trays; the offscreen and minimal ones show none.
bool TrayShownNow() {
    const QString platform = QGuiApplication::platformName();
    return (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"))) &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace

TrayPresence::TrayPresence(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &TrayPresence::Recheck);

    // StatusNotifierItem hosts: the watcher service comes and goes with the panel, and tells when
    // a host registers or leaves.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        auto* names = new QDBusServiceWatcher(QString::fromLatin1(kWatcherService), bus,
                                              QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(names, &QDBusServiceWatcher::serviceOwnerChanged, this,
                &TrayPresence::SomethingChanged);
        for (const char* signal :
             {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(QString::fromLatin1(kWatcherService),
                        QStringLiteral("/StatusNotifierWatcher"),
                        QString::fromLatin1(kWatcherService), QString::fromLatin1(signal), this,
                        SLOT(SomethingChanged()));
    }
    // XEmbed trays: the owner of the screen's tray selection.
    xembed_ = platform::Current().WatchTraySelection([this] { SomethingChanged(); });

    available_ = TrayShownNow();
}

TrayPresence::~TrayPresence() = default;

void TrayPresence::SomethingChanged() {
    settle_.start();
}

void TrayPresence::Recheck() {
    const bool available = TrayShownNow();
    if (available == available_) return;
    available_ = available;
    qCDebug(lcApp) << "system tray" << (available ? "available" : "gone");
    emit AvailabilityChanged(available);
}
