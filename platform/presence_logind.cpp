// The away side of a Presence that D-Bus tells: logind on the system bus (sleep, the session's
// lock, idle inhibitors) and the screen saver on the session bus.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>

#include "data/clock.h"
#include "platform/log.h"
#include "platform/presence_parts.h"

namespace platform {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");

QDateTime Now() {
    return Clock::Current().Now();
}

}  // namespace

// Asleep and locked, from logind.
class LogindWatch final : public QObject, public Presence::Part {
    Q_OBJECT
  public:
    explicit LogindWatch(Presence& presence)
        : presence_(presence), bus_(QDBusConnection::systemBus()) {
        if (!bus_.isConnected()) {
            qCWarning(lcPlatform) << "no system bus: sleep and the session's lock go unseen";
            return;
        }
        bus_.connect(kLogind, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                     SLOT(OnPrepareForSleep(bool)));
        // "auto": the caller's own session, or the user's graphical one when the program runs
        // outside any (a user service).
        QDBusMessage find =
            QDBusMessage::createMethodCall(kLogind, kManagerPath, kManager, "GetSession");
        find << QStringLiteral("auto");
        AskThen(bus_, find, this,
                [this](const QVariant& path) { Follow(path.value<QDBusObjectPath>().path()); });
    }

  private slots:
    void OnPrepareForSleep(bool sleeping) {
        presence_.ReportAway(Presence::AwayReason::Asleep, sleeping ? Now() : QDateTime());
    }
    void OnLock() { Locked(true); }
    void OnUnlock() { Locked(false); }
    void OnProperties(const QString& interface, const QVariantMap& changed,
                      const QStringList& invalidated) {
        if (interface != kSession) return;
        if (changed.contains("LockedHint"))
            Locked(changed.value("LockedHint").toBool());
        else if (invalidated.contains("LockedHint"))
            ReadLockedHint();
    }

  private:
    void Follow(const QString& session) {
        if (session.isEmpty()) return;
        session_ = session;
        bus_.connect(kLogind, session, kSession, QStringLiteral("Lock"), this, SLOT(OnLock()));
        bus_.connect(kLogind, session, kSession, QStringLiteral("Unlock"), this, SLOT(OnUnlock()));
        bus_.connect(kLogind, session, kProperties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(OnProperties(QString, QVariantMap, QStringList)));
        ReadLockedHint();
    }
    void ReadLockedHint() {
        QDBusMessage get = QDBusMessage::createMethodCall(kLogind, session_, kProperties, "Get");
        get << kSession << QStringLiteral("LockedHint");
        AskThen(bus_, get, this, [this](const QVariant& value) { Locked(value.toBool()); });
    }
    void Locked(bool locked) {
        if (locked == locked_) return;  // a lock during a lock keeps its start
        locked_ = locked;
        presence_.ReportAway(Presence::AwayReason::Locked, locked ? Now() : QDateTime());
    }

    Presence& presence_;
    QDBusConnection bus_;
    QString session_;
    bool locked_ = false;
};

// The desktop's screen saver, where it offers the freedesktop interface.
class ScreenSaverWatch final : public QObject, public Presence::Part {
    Q_OBJECT
  public:
    explicit ScreenSaverWatch(Presence& presence)
        : presence_(presence), bus_(QDBusConnection::sessionBus()) {
        if (!bus_.isConnected()) return;  // the do-not-disturb side says so
        bus_.connect(kSaver, kSaverPath, kSaver, QStringLiteral("ActiveChanged"), this,
                     SLOT(OnActiveChanged(bool)));
        AskThen(bus_, QDBusMessage::createMethodCall(kSaver, kSaverPath, kSaver, "GetActive"), this,
                [this](const QVariant& active) { OnActiveChanged(active.toBool()); });
    }

  private slots:
    void OnActiveChanged(bool active) {
        if (active == active_) return;
        active_ = active;
        presence_.ReportAway(Presence::AwayReason::ScreenSaver, active ? Now() : QDateTime());
    }

  private:
    Presence& presence_;
    QDBusConnection bus_;
    bool active_ = false;
};

void AskThen(QDBusConnection bus, QDBusMessage call, QObject* context,
             std::function<void(const QVariant&)> then) {
    call.setAutoStartService(false);  // never a notification daemon or a locker started by us
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context,
        [then = std::move(then)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusMessage reply = w->reply();
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                qCDebug(lcPlatform) << "no answer:" << w->error().message();
                return;
            }
            const QVariant value = reply.arguments().first();
            then(value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value);
        });
}

PartPtr WatchLogind(Presence& presence) {
    return std::make_unique<LogindWatch>(presence);
}

PartPtr WatchScreenSaver(Presence& presence) {
    return std::make_unique<ScreenSaverWatch>(presence);
}

bool InhibitsIdle(const QString& what, const QString& mode) {
    return mode == QLatin1String("block") &&
           what.split(QLatin1Char(':')).contains(QLatin1String("idle"));
}

void AskIdleInhibited(QObject* context, std::function<void(bool)> answer) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        answer(false);
        return;
    }
    QDBusMessage list =
        QDBusMessage::createMethodCall(kLogind, kManagerPath, kManager, "ListInhibitors");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(list), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context,
        [answer = std::move(answer)](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            bool inhibited = false;
            const QDBusMessage reply = w->reply();
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                // a(ssssuu): what, who, why, mode, uid, pid
                const auto locks = reply.arguments().first().value<QDBusArgument>();
                locks.beginArray();
                while (!locks.atEnd()) {
                    QString what, who, why, mode;
                    uint uid = 0, pid = 0;
                    locks.beginStructure();
                    locks >> what >> who >> why >> mode >> uid >> pid;
                    locks.endStructure();
                    inhibited = inhibited || InhibitsIdle(what, mode);
                }
                locks.endArray();
            }
            answer(inhibited);
        });
}

}  // namespace platform

#include "presence_logind.moc"
