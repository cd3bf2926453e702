#include <unistd.h>

#include <algorithm>

#include "platform/log.h"
#include "platform/x11/presence_x11.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace x11 {

namespace {

using platform::Presence;

// Follows the root window's _NET_ACTIVE_WINDOW and the active window's _NET_WM_STATE through
// property events, selected on one window at a time.
class FullScreenWatch final : public Presence::Part {
  public:
    FullScreenWatch(Connection& connection, Presence& presence)
        : connection_(connection), presence_(presence), display_(connection.Get()) {
        if (display_ == nullptr) return;  // the X11 services have said so
        root_ = DefaultRootWindow(display_);
        activeAtom_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
        stateAtom_ = XInternAtom(display_, "_NET_WM_STATE", False);
        fullScreenAtom_ = XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);
        // Added to what the connection's other users chose, and taken back by itself.
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, root_, &attributes);
        rootMask_ = attributes.your_event_mask;
        XSelectInput(display_, root_, rootMask_ | PropertyChangeMask);
        listening_ = connection_.Listen([this](XEvent& event) {
            if (event.type != PropertyNotify) return;
            if (event.xproperty.window == root_ && event.xproperty.atom == activeAtom_) Follow();
            if (event.xproperty.window == active_ && event.xproperty.atom == stateAtom_) Check();
        });
        Follow();
    }
    ~FullScreenWatch() override {
        if (display_ == nullptr) return;
        ErrorTrap trap;  // the active window may be gone
        XSelectInput(display_, root_, rootMask_);
        if (active_ != None) XSelectInput(display_, active_, NoEventMask);
        XSync(display_, False);
        connection_.DrainSoon();
    }

  private:
    void Follow() {
        const std::vector<unsigned long> active =
            Property(display_, root_, "_NET_ACTIVE_WINDOW", XA_WINDOW);
        const Window window = active.empty() ? None : active.front();
        if (window != active_) {
            ErrorTrap trap;  // either window may be gone
            if (active_ != None) XSelectInput(display_, active_, NoEventMask);
            active_ = window;
            // Selected before its state is read: a change in between is not lost.
            if (active_ != None) XSelectInput(display_, active_, PropertyChangeMask);
            const std::vector<unsigned long> pid =
                Property(display_, active_, "_NET_WM_PID", XA_CARDINAL);
            own_ = !pid.empty() && pid.front() == static_cast<unsigned long>(getpid());
            XSync(display_, False);
        }
        Check();
    }

    void Check() {
        bool fullScreen = false;
        if (active_ != None && !own_) {
            ErrorTrap trap;
            const std::vector<unsigned long> states =
                Property(display_, active_, "_NET_WM_STATE", XA_ATOM);
            fullScreen = std::ranges::find(states, fullScreenAtom_) != states.end();
            XSync(display_, False);
        }
        connection_.DrainSoon();
        presence_.ReportBusy(Presence::BusyReason::FullScreen, fullScreen);
    }

    Connection& connection_;
    Presence& presence_;
    Display* display_;
    Window root_ = None, active_ = None;
    Atom activeAtom_ = None, stateAtom_ = None, fullScreenAtom_ = None;
    long rootMask_ = NoEventMask;
    bool own_ = false;
    std::unique_ptr<platform::Watch> listening_;
};

}  // namespace

std::unique_ptr<Presence::Part> WatchFullScreen(Connection& connection, Presence& presence) {
    return std::make_unique<FullScreenWatch>(connection, presence);
}

}  // namespace x11
