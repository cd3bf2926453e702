#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "platform/presence.h"

class QObject;

// The parts of a Presence that reach the desktop through D-Bus and PipeWire; the X11 ones are in
// platform/x11/presence_x11.h.
namespace platform {

using PartPtr = std::unique_ptr<Presence::Part>;

// Sends `call` without starting its service and hands the first value of the answer (a variant
// unwrapped) to `then` on the UI thread while `context` lives. Failures are debug output only:
// many desktops lack the service, or the property.
void AskThen(QDBusConnection bus, QDBusMessage call, QObject* context,
             std::function<void(const QVariant&)> then);

// logind on the system bus: asleep between PrepareForSleep(true) and (false); locked while the
// own session says so (its Lock / Unlock signals, its LockedHint).
PartPtr WatchLogind(Presence& presence);
// The desktop's screen saver on the session bus (org.freedesktop.ScreenSaver), where there is one.
PartPtr WatchScreenSaver(Presence& presence);
// Asks logind, once, whether a program holds off idleness now (a video player, a presentation);
// `answer` comes on the UI thread unless `context` is gone first. No logind: false.
void AskIdleInhibited(QObject* context, std::function<void(bool)> answer);
// Whether one lock of logind's ListInhibitors, by its "what" (a colon-separated list) and mode,
// keeps the user present however long they do not touch anything.
bool InhibitsIdle(const QString& what, const QString& mode);

// The notification daemon's Inhibited property, GNOME's show-banners and xfce4-notifyd's
// do-not-disturb: any of them silencing notifications makes the user busy.
PartPtr WatchDoNotDisturb(Presence& presence);

// Programs recording sound or video, from the PipeWire registry.
PartPtr WatchCalls(Presence& presence);
// Whether a PipeWire node, by its media.class and stream.monitor properties, is a call or a screen
// share while it runs.
bool CountsAsCall(const QString& mediaClass, const QString& monitor);

}  // namespace platform
