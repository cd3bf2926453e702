#include "eye/gamma_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace {

// Xlib's default handler prints and exits on any protocol error; a CRTC vanishing mid-apply
// must not take the program down, so errors are only counted while a ramp is being loaded.
int g_xErrors = 0;

int CountXError(Display*, XErrorEvent*) {
    ++g_xErrors;
    return 0;
}

class ScopedErrorTrap {
  public:
    ScopedErrorTrap() : previous_(XSetErrorHandler(&CountXError)) { g_xErrors = 0; }
    ~ScopedErrorTrap() { XSetErrorHandler(previous_); }
    ScopedErrorTrap(const ScopedErrorTrap&) = delete;
    ScopedErrorTrap& operator=(const ScopedErrorTrap&) = delete;

  private:
    XErrorHandler previous_;
};

bool HasCrtcGamma(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return false;
    int major = 0;
    int minor = 0;
    if (!XRRQueryVersion(display, &major, &minor)) return false;
    return major > 1 || (major == 1 && minor >= 2);
}

void Fill(unsigned short* target, const std::vector<std::uint16_t>& values) {
    std::copy(values.begin(), values.end(), target);
}

bool SetCrtcGamma(Display* display, RRCrtc crtc, const GammaRamp& ramp) {
    const int size = XRRGetCrtcGammaSize(display, crtc);
    if (size < 2) return false;
    XRRCrtcGamma* gamma = XRRAllocGamma(size);
    if (gamma == nullptr) return false;
    Fill(gamma->red, ResampleChannel(ramp.red, size));
    Fill(gamma->green, ResampleChannel(ramp.green, size));
    Fill(gamma->blue, ResampleChannel(ramp.blue, size));
    XRRSetCrtcGamma(display, crtc, gamma);
    XRRFreeGamma(gamma);
    return true;
}

}  // namespace

bool X11GammaBackend::Apply(const GammaRamp& ramp) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;

    bool applied = false;
    {
        ScopedErrorTrap trap;
        if (HasCrtcGamma(display)) {
            XRRScreenResources* resources =
                XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
            if (resources != nullptr) {
                for (int i = 0; i < resources->ncrtc; ++i) {
                    if (SetCrtcGamma(display, resources->crtcs[i], ramp)) applied = true;
                }
                XRRFreeScreenResources(resources);
            }
        }
        // Errors arrive asynchronously; sync while the trap is still installed.
        XSync(display, False);
        if (g_xErrors > 0) applied = false;
    }
    XCloseDisplay(display);
    return applied;
}

GammaBackend& PlatformGammaBackend() {
    static X11GammaBackend backend;
    return backend;
}
