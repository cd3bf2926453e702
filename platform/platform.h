#pragma once

#include <QtGui/qwindowdefs.h>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/sound_player.h"

class GammaBackend;
class QScreen;

// The desktop services the program needs beyond what Qt offers, behind small interfaces (gamma
// has its own, platform/gamma.h), chosen once when the program starts. Knows no widgets: windows
// are named by their WId.
namespace platform {

enum class Kind {
    X11,       // a real X server: every X11 service
    XWayland,  // X11 clients of a Wayland session: the X11 services but gamma, whose ramps
               // never reach the screen there
    Null,      // anything else: the null services
};

// From QGuiApplication::platformName() and $XDG_SESSION_TYPE.
Kind ChooseKind(const QString& platformName, const QString& sessionType);

// Something followed until this is destroyed.
class Watch {
  public:
    virtual ~Watch() = default;
};

class Presence;

class Services {
  public:
    virtual ~Services() = default;
    virtual Kind Which() const = 0;

    virtual GammaBackend& Gamma() = 0;

    // Whether a compositing manager runs, so translucent windows (drop shadows) can be used.
    virtual bool CompositorRunning() = 0;
    // Keeps a top-level window out of the task bar and the pager, for popups that come and go
    // by themselves. Call before the window is first shown.
    virtual void KeepOutOfTaskbar(WId window) = 0;
    // Gives a dialog a task-bar entry (and a place in Alt+Tab) of its own, kept above its owner
    // all the same: some window managers list no dialog whose owner is shown. Call before the
    // window is first shown.
    virtual void ListInTaskbar(WId window) = 0;

    // The part of `screen` that windows may cover: the monitor less the panels and docks. Every
    // placement asks for it (not QScreen::availableGeometry) with the screen it places on.
    virtual QRect WorkArea(const QScreen* screen) = 0;

    // Keeps `windows` (unmanaged ones, in stacking order from the bottom) right above the topmost
    // window the window manager manages, restacking them whenever one comes over them, until the
    // watch goes; then hands the keyboard back to the window that was active before. The windows
    // `allowedAbove` names at that moment (a menu, a question, a settings frame of ours) may stay
    // above them. Null where windows cannot be followed.
    virtual std::unique_ptr<Watch> KeepAbove(std::vector<WId> windows,
                                             std::function<std::vector<WId>()> allowedAbove) = 0;

    // Calls `changed` on the UI thread when the owner of the screen's XEmbed tray selection
    // changes (a tray manager starting, ending or crashing), until the watch goes. Null where
    // there is no such tray.
    virtual std::unique_ptr<Watch> WatchTraySelection(std::function<void()> changed) = 0;

    // Whether the user is away or busy (platform/presence.h), following nothing until a side is
    // switched on. One at a time: its X11 parts select events on shared windows. The null
    // services' one is never away nor busy.
    virtual std::unique_ptr<Presence> WatchPresence() = 0;
    // Event sounds through the desktop's sound server and theme; a silent one where there is
    // no desktop (offscreen).
    virtual SoundPlayer& Sounds() = 0;
};

// The services of this run, chosen on the first call once the QGuiApplication exists (before:
// the null ones, not kept) and let go with it.
Services& Current();

}  // namespace platform
