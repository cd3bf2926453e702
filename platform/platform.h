#pragma once

#include <QtGui/qwindowdefs.h>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

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

    // Calls `changed` on the UI thread when the owner of the screen's XEmbed tray selection
    // changes (a tray manager starting, ending or crashing), until the watch goes. Null where
    // there is no such tray.
    virtual std::unique_ptr<Watch> WatchTraySelection(std::function<void()> changed) = 0;
};

// The services of this run, chosen on the first call once the QGuiApplication exists (before:
// the null ones, not kept) and let go with it.
Services& Current();

}  // namespace platform
