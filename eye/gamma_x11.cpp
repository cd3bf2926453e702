#include "eye/gamma_x11.h"

#include <QByteArray>
#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <utility>
#include <vector>

#include "eye/log.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

// Xlib's default handler prints and exits on any protocol error; a CRTC vanishing mid-apply
// must not take the program down, so errors are only counted while a ramp is being loaded.
struct TrappedError {
    int count = 0;
    int code = 0;
    int request = 0;
    int minor = 0;
};
TrappedError g_xError;

int CountXError(Display*, XErrorEvent* event) {
    if (g_xError.count++ == 0) {
        g_xError.code = event->error_code;
        g_xError.request = event->request_code;
        g_xError.minor = event->minor_code;
    }
    return 0;
}

class ScopedErrorTrap {
  public:
    ScopedErrorTrap() : previous_(XSetErrorHandler(&CountXError)) { g_xError = {}; }
    ~ScopedErrorTrap() { XSetErrorHandler(previous_); }
    ScopedErrorTrap(const ScopedErrorTrap&) = delete;
    ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;

  private:
    XErrorHandler previous_;
};

// The causes of a failed apply, as bits of X11GammaBackend::warned_.
enum Cause : unsigned {
    kNoDisplay = 1U << 0,
    kNoGamma = 1U << 1,
    kNoCrtc = 1U << 2,
    kXError = 1U << 3,
};

struct Crtc {
    RRCrtc id = 0;
    int gammaSize = 0;
};

bool HasCrtcGamma(Display* display, int* eventBase = nullptr) {
    int events = 0;
    int errors = 0;
    if (!XRRQueryExtension(display, &events, &errors)) return false;
    int major = 0;
    int minor = 0;
    if (!XRRQueryVersion(display, &major, &minor)) return false;
    if (eventBase != nullptr) *eventBase = events;
    return major > 1 || (major == 1 && minor >= 2);
}

// Every CRTC of the default screen with the size of its ramp (below 2: it takes none).
std::vector<Crtc> ListCrtcs(Display* display) {
    std::vector<Crtc> crtcs;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
    if (resources == nullptr) return crtcs;
    for (int i = 0; i < resources->ncrtc; ++i)
        crtcs.push_back({resources->crtcs[i], XRRGetCrtcGammaSize(display, resources->crtcs[i])});
    XRRFreeScreenResources(resources);
    return crtcs;
}

void Fill(unsigned short* target, const std::vector<std::uint16_t>& values) {
    std::copy(values.begin(), values.end(), target);
}

bool SetCrtcGamma(Display* display, const Crtc& crtc, const GammaRamp& ramp) {
    if (crtc.gammaSize < 2) return false;
    XRRCrtcGamma* gamma = XRRAllocGamma(crtc.gammaSize);
    if (gamma == nullptr) return false;
    Fill(gamma->red, ResampleChannel(ramp.red, crtc.gammaSize));
    Fill(gamma->green, ResampleChannel(ramp.green, crtc.gammaSize));
    Fill(gamma->blue, ResampleChannel(ramp.blue, crtc.gammaSize));
    XRRSetCrtcGamma(display, crtc.id, gamma);
    XRRFreeGamma(gamma);
    return true;
}

enum class Outcome { kApplied, kNoGamma, kNoCrtc, kXError };

// Loads the ramp on every CRTC that takes one. `known` is the CRTC list of a kept connection
// (empty: look them up and keep them there); without it the CRTCs are looked up each time.
Outcome LoadOnCrtcs(Display* display, const GammaRamp& ramp, std::vector<Crtc>* known) {
    ScopedErrorTrap trap;
    std::vector<Crtc> fresh;
    if (known == nullptr || known->empty()) {
        if (!HasCrtcGamma(display)) return Outcome::kNoGamma;
        fresh = ListCrtcs(display);
    }
    const std::vector<Crtc>& crtcs = fresh.empty() && known != nullptr ? *known : fresh;
    bool applied = false;
    for (const Crtc& crtc : crtcs) applied = SetCrtcGamma(display, crtc, ramp) || applied;
    // Errors arrive asynchronously; sync while the trap is still installed.
    XSync(display, False);
    if (g_xError.count > 0) {
        if (known != nullptr) known->clear();  // a CRTC may have gone: look again next time
        return Outcome::kXError;
    }
    if (known != nullptr && !fresh.empty()) *known = std::move(fresh);
    return applied ? Outcome::kApplied : Outcome::kNoCrtc;
}

}  // namespace

struct X11GammaBackend::Watch {
    Display* display = nullptr;
    int eventBase = 0;
    std::vector<Crtc> crtcs;  // empty until looked up, and again after any change
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> changed;
};

X11GammaBackend::X11GammaBackend() = default;

X11GammaBackend::~X11GammaBackend() {
    StopWatchingDisplays();
}

bool X11GammaBackend::Apply(const GammaRamp& ramp) {
    Display* display = watch_ ? watch_->display : XOpenDisplay(nullptr);
    if (display == nullptr) {
        if (!(warned_ & kNoDisplay))
            qCWarning(lcEye) << "cannot load the blue-light filter: no X display (DISPLAY is"
                             << qgetenv("DISPLAY") << ")";
        warned_ |= kNoDisplay;
        return false;
    }
    Outcome outcome = LoadOnCrtcs(display, ramp, watch_ ? &watch_->crtcs : nullptr);
    // The CRTCs kept may be out of date; one more try with fresh ones.
    if (outcome == Outcome::kXError && watch_) outcome = LoadOnCrtcs(display, ramp, &watch_->crtcs);
    if (!watch_) {
        XCloseDisplay(display);
    } else if (QLength(display) > 0) {
        // Syncing read RandR events into Xlib's queue, where the socket no longer shows them.
        QMetaObject::invokeMethod(
            watch_->notifier.get(), [this] { Drain(); }, Qt::QueuedConnection);
    }

    switch (outcome) {
        case Outcome::kApplied:
            warned_ = 0;  // all is well again: the next failure is news
            return true;
        case Outcome::kNoGamma:
            if (!(warned_ & kNoGamma))
                qCWarning(lcEye) << "cannot load the blue-light filter: the X display has no "
                                    "RandR 1.2 gamma ramps";
            warned_ |= kNoGamma;
            return false;
        case Outcome::kNoCrtc:
            if (!(warned_ & kNoCrtc))
                qCWarning(lcEye) << "cannot load the blue-light filter: no CRTC of the display "
                                    "takes a gamma ramp";
            warned_ |= kNoCrtc;
            return false;
        case Outcome::kXError:
            if (!(warned_ & kXError))
                qCWarning(lcEye).nospace()
                    << "the display refused the blue-light filter's gamma ramp: X error "
                    << g_xError.code << " on request " << g_xError.request << "." << g_xError.minor;
            warned_ |= kXError;
            return false;
    }
    return false;
}

bool X11GammaBackend::WatchDisplays(std::function<void()> changed) {
    if (watch_) {
        watch_->changed = std::move(changed);
        return true;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    auto watch = std::make_unique<Watch>();
    watch->display = display;
    bool selected = false;
    {
        ScopedErrorTrap trap;
        if (HasCrtcGamma(display, &watch->eventBase)) {
            XRRSelectInput(
                display, XDefaultRootWindow(display),
                RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
            XSync(display, False);
            selected = g_xError.count == 0;
        }
    }
    if (!selected) {
        XCloseDisplay(display);
        return false;
    }
    watch->changed = std::move(changed);
    watch->notifier =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(watch->notifier.get(), &QSocketNotifier::activated, watch->notifier.get(),
                     [this] { Drain(); });
    watch_ = std::move(watch);
    return true;
}

void X11GammaBackend::StopWatchingDisplays() {
    if (!watch_) return;
    watch_->notifier.reset();
    XCloseDisplay(watch_->display);
    watch_.reset();
}

void X11GammaBackend::Drain() {
    if (!watch_) return;
    Display* display = watch_->display;
    bool changed = false;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == watch_->eventBase + RRScreenChangeNotify) {
            XRRUpdateConfiguration(&event);
            changed = true;
        } else if (event.type == watch_->eventBase + RRNotify) {
            changed = true;
        }
    }
    if (!changed) return;
    watch_->crtcs.clear();
    // Last: the handler may apply a ramp through this connection.
    if (watch_->changed) watch_->changed();
}

GammaBackend& PlatformGammaBackend() {
    static X11GammaBackend backend;
    return backend;
}
