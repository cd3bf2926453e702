#include "platform/x11/gamma_x11.h"

#include <QByteArray>
#include <QMetaObject>
#include <algorithm>
#include <utility>

#include "platform/log.h"
#include "platform/x11/connection.h"

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

using Crtc = X11GammaBackend::Crtc;

// The causes of a failed apply, as bits of X11GammaBackend::warned_.
enum Cause : unsigned {
    kNoDisplay = 1U << 0,
    kNoGamma = 1U << 1,
    kNoCrtc = 1U << 2,
    kXError = 1U << 3,
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

bool SetCrtcGamma(Display* display, RRCrtc crtc, const std::vector<std::uint16_t>& red,
                  const std::vector<std::uint16_t>& green, const std::vector<std::uint16_t>& blue) {
    if (red.size() < 2 || green.size() != red.size() || blue.size() != red.size()) return false;
    XRRCrtcGamma* gamma = XRRAllocGamma(static_cast<int>(red.size()));
    if (gamma == nullptr) return false;
    Fill(gamma->red, red);
    Fill(gamma->green, green);
    Fill(gamma->blue, blue);
    XRRSetCrtcGamma(display, crtc, gamma);
    XRRFreeGamma(gamma);
    return true;
}

enum class Outcome { kApplied, kNoGamma, kNoCrtc, kXError };

// Calls `set` for every CRTC. `known` is the CRTC list of a watched display (empty: look them up
// and keep them there); without it the CRTCs are looked up each time.
Outcome SetOnCrtcs(Display* display, std::vector<Crtc>* known, int* error,
                   const std::function<bool(const Crtc&)>& set) {
    x11::ErrorTrap trap;
    std::vector<Crtc> fresh;
    if (known == nullptr || known->empty()) {
        if (!HasCrtcGamma(display)) return Outcome::kNoGamma;
        fresh = ListCrtcs(display);
    }
    const std::vector<Crtc>& crtcs = fresh.empty() && known != nullptr ? *known : fresh;
    bool applied = false;
    for (const Crtc& crtc : crtcs) applied = set(crtc) || applied;
    XSync(display, False);
    if (trap.Count() > 0) {
        if (known != nullptr) known->clear();  // a CRTC may have gone: look again next time
        error[0] = trap.Code();
        error[1] = trap.Request();
        error[2] = trap.Minor();
        return Outcome::kXError;
    }
    if (known != nullptr && !fresh.empty()) *known = std::move(fresh);
    return applied ? Outcome::kApplied : Outcome::kNoCrtc;
}

}  // namespace

X11GammaBackend::X11GammaBackend(x11::Connection& connection) : connection_(connection) {}

X11GammaBackend::~X11GammaBackend() = default;

bool X11GammaBackend::Warn(unsigned cause) {
    const bool first = !(warned_ & cause);
    warned_ |= cause;
    return first;
}

bool X11GammaBackend::Apply(const GammaRamp& ramp) {
    return SetEach([&ramp](const Crtc& crtc, CrtcRamp* out) {
        if (crtc.gammaSize < 2) return false;
        out->red = ResampleChannel(ramp.red, crtc.gammaSize);
        out->green = ResampleChannel(ramp.green, crtc.gammaSize);
        out->blue = ResampleChannel(ramp.blue, crtc.gammaSize);
        return true;
    });
}

bool X11GammaBackend::Load(const std::vector<CrtcRamp>& ramps) {
    if (ramps.empty()) return false;
    return SetEach([&ramps](const Crtc& crtc, CrtcRamp* out) {
        const auto kept = std::find_if(ramps.begin(), ramps.end(),
                                       [&crtc](const CrtcRamp& r) { return r.crtc == crtc.id; });
        // A CRTC whose size changed takes no ramp of the old size; one that is new has none kept.
        if (kept == ramps.end() || static_cast<int>(kept->red.size()) != crtc.gammaSize)
            return false;
        *out = *kept;
        return true;
    });
}

bool X11GammaBackend::SetEach(const std::function<bool(const Crtc&, CrtcRamp*)>& rampOf) {
    Display* display = connection_.Get();
    if (display == nullptr) {
        if (Warn(kNoDisplay))
            qCWarning(lcPlatform) << "cannot load a gamma ramp: no X display (DISPLAY is"
                                  << qgetenv("DISPLAY") << ")";
        return false;
    }
    std::vector<Crtc>* known = watch_ ? &crtcs_ : nullptr;
    int error[3] = {};
    const auto set = [display, &rampOf](const Crtc& crtc) {
        CrtcRamp ramp;
        return rampOf(crtc, &ramp) &&
               SetCrtcGamma(display, crtc.id, ramp.red, ramp.green, ramp.blue);
    };
    Outcome outcome = SetOnCrtcs(display, known, error, set);
    // The CRTCs kept may be out of date; one more try with fresh ones.
    if (outcome == Outcome::kXError && known != nullptr)
        outcome = SetOnCrtcs(display, known, error, set);
    connection_.DrainSoon();

    switch (outcome) {
        case Outcome::kApplied:
            warned_ = 0;  // all is well again: the next failure is news
            return true;
        case Outcome::kNoGamma:
            if (Warn(kNoGamma))
                qCWarning(lcPlatform) << "cannot load a gamma ramp: the X display has no RandR "
                                         "1.2 gamma ramps";
            return false;
        case Outcome::kNoCrtc:
            if (Warn(kNoCrtc))
                qCWarning(lcPlatform) << "cannot load a gamma ramp: no CRTC of the display takes "
                                         "one";
            return false;
        case Outcome::kXError:
            if (Warn(kXError))
                qCWarning(lcPlatform).nospace()
                    << "the display refused a gamma ramp: X error " << error[0] << " on request "
                    << error[1] << "." << error[2];
            return false;
    }
    return false;
}

std::vector<CrtcRamp> X11GammaBackend::Read() {
    std::vector<CrtcRamp> ramps;
    Display* display = connection_.Get();
    if (display == nullptr) return ramps;
    x11::ErrorTrap trap;
    if (!HasCrtcGamma(display)) return ramps;
    for (const Crtc& crtc : ListCrtcs(display)) {
        if (crtc.gammaSize < 2) continue;
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, crtc.id);
        if (gamma == nullptr) continue;
        const auto size = static_cast<std::size_t>(gamma->size);
        ramps.push_back({crtc.id,
                         {gamma->red, gamma->red + size},
                         {gamma->green, gamma->green + size},
                         {gamma->blue, gamma->blue + size}});
        XRRFreeGamma(gamma);
    }
    XSync(display, False);
    connection_.DrainSoon();
    if (trap.Count() > 0) {
        qCWarning(lcPlatform) << "cannot read the gamma ramps of the display: X error"
                              << trap.Code();
        ramps.clear();
    }
    return ramps;
}

bool X11GammaBackend::WatchDisplays(std::function<void()> changed) {
    changed_ = std::move(changed);
    if (watch_) return true;
    Display* display = connection_.Get();
    if (display == nullptr) return false;
    {
        x11::ErrorTrap trap;
        if (!HasCrtcGamma(display, &eventBase_)) return false;
        XRRSelectInput(
            display, XDefaultRootWindow(display),
            RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
        XSync(display, False);
        if (trap.Count() > 0) return false;
    }
    crtcs_.clear();
    watch_ = connection_.Listen([this](XEvent& event) {
        if (event.type == eventBase_ + RRScreenChangeNotify)
            XRRUpdateConfiguration(&event);
        else if (event.type != eventBase_ + RRNotify)
            return;
        crtcs_.clear();
        // One call for a burst: a mode change alone sends a screen, a CRTC and an output event.
        if (!changePending_) {
            changePending_ = true;
            QMetaObject::invokeMethod(
                &later_,
                [this] {
                    changePending_ = false;
                    if (changed_) changed_();
                },
                Qt::QueuedConnection);
        }
    });
    connection_.DrainSoon();
    return true;
}

void X11GammaBackend::StopWatchingDisplays() {
    if (!watch_) return;
    watch_.reset();
    changed_ = nullptr;
    if (Display* display = connection_.Get()) {
        XRRSelectInput(display, XDefaultRootWindow(display), 0);
        XFlush(display);
    }
}
