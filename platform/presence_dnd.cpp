// Do-not-disturb: the notification daemon's Inhibited property, GNOME's show-banners and
// xfce4-notifyd's do-not-disturb, each followed by its own change signal.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include "platform/log.h"
#include "platform/presence_parts.h"

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace platform {

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kXfconf = QStringLiteral("org.xfce.Xfconf");
const QString kXfconfPath = QStringLiteral("/org/xfce/Xfconf");
const QString kXfceChannel = QStringLiteral("xfce4-notifyd");
const QString kXfceProperty = QStringLiteral("/do-not-disturb");
constexpr char kGnomeSchema[] = "org.gnome.desktop.notifications";
constexpr char kGnomeKey[] = "show-banners";

}  // namespace

class DoNotDisturbWatch final : public QObject, public Presence::Part {
    Q_OBJECT
  public:
    explicit DoNotDisturbWatch(Presence& presence)
        : presence_(presence), bus_(QDBusConnection::sessionBus()) {
        // GSettings hears of changes through the session bus too.
        if (!bus_.isConnected()) {
            qCWarning(lcPlatform) << "no session bus: do-not-disturb goes unseen";
            return;
        }
        FollowGnome();
        bus_.connect(kNotifications, kNotificationsPath, kProperties,
                     QStringLiteral("PropertiesChanged"), this,
                     SLOT(OnNotificationProperties(QString, QVariantMap, QStringList)));
        // A daemon that starts (or ends) brings its own state.
        auto* daemon = new QDBusServiceWatcher(kNotifications, bus_,
                                               QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(daemon, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) {
                    Set(kNotificationsSilenced, false);
                    if (!owner.isEmpty()) ReadInhibited();
                });
        ReadInhibited();
        bus_.connect(kXfconf, kXfconfPath, kXfconf, QStringLiteral("PropertyChanged"), this,
                     SLOT(OnXfconfChanged(QString, QString, QDBusVariant)));
        bus_.connect(kXfconf, kXfconfPath, kXfconf, QStringLiteral("PropertyRemoved"), this,
                     SLOT(OnXfconfRemoved(QString, QString)));
        QDBusMessage get = QDBusMessage::createMethodCall(kXfconf, kXfconfPath, kXfconf,
                                                          QStringLiteral("GetProperty"));
        get << kXfceChannel << kXfceProperty;
        AskThen(bus_, get, this,
                [this](const QVariant& value) { Set(kXfceSilenced, value.toBool()); });
    }
    ~DoNotDisturbWatch() override {
        if (gnome_ == nullptr) return;
        g_signal_handlers_disconnect_by_data(gnome_, this);
        g_object_unref(gnome_);
    }

  private slots:
    void OnNotificationProperties(const QString& interface, const QVariantMap& changed,
                                  const QStringList& invalidated) {
        if (interface != kNotifications) return;
        if (changed.contains("Inhibited"))
            Set(kNotificationsSilenced, changed.value("Inhibited").toBool());
        else if (invalidated.contains("Inhibited"))
            ReadInhibited();
    }
    void OnXfconfChanged(const QString& channel, const QString& property,
                         const QDBusVariant& value) {
        if (channel == kXfceChannel && property == kXfceProperty)
            Set(kXfceSilenced, value.variant().toBool());
    }
    void OnXfconfRemoved(const QString& channel, const QString& property) {
        if (channel == kXfceChannel && property == kXfceProperty) Set(kXfceSilenced, false);
    }

  private:
    enum Source { kNotificationsSilenced = 1, kGnomeSilenced = 2, kXfceSilenced = 4 };

    void Set(Source source, bool silenced) {
        silenced_ = silenced ? silenced_ | source : silenced_ & ~source;
        presence_.ReportBusy(Presence::BusyReason::DoNotDisturb, silenced_ != 0);
    }

    void ReadInhibited() {
        QDBusMessage get =
            QDBusMessage::createMethodCall(kNotifications, kNotificationsPath, kProperties, "Get");
        get << kNotifications << QStringLiteral("Inhibited");
        AskThen(bus_, get, this,
                [this](const QVariant& value) { Set(kNotificationsSilenced, value.toBool()); });
    }

    // Only where GNOME's schema is installed: GSettings aborts on an unknown one.
    void FollowGnome() {
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        GSettingsSchema* schema =
            source ? g_settings_schema_source_lookup(source, kGnomeSchema, TRUE) : nullptr;
        if (schema == nullptr) return;
        const bool hasKey = g_settings_schema_has_key(schema, kGnomeKey);
        g_settings_schema_unref(schema);
        if (!hasKey) return;
        gnome_ = g_settings_new(kGnomeSchema);
        g_signal_connect(gnome_, "changed::show-banners", G_CALLBACK(&OnGnomeChanged), this);
        OnGnomeChanged(gnome_, nullptr, this);
    }
    static void OnGnomeChanged(GSettings* settings, const char*, gpointer self) {
        static_cast<DoNotDisturbWatch*>(self)->Set(kGnomeSilenced,
                                                   !g_settings_get_boolean(settings, kGnomeKey));
    }

    Presence& presence_;
    QDBusConnection bus_;
    GSettings* gnome_ = nullptr;
    int silenced_ = 0;
};

PartPtr WatchDoNotDisturb(Presence& presence) {
    return std::make_unique<DoNotDisturbWatch>(presence);
}

}  // namespace platform

#include "presence_dnd.moc"
