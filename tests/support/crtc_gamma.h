#pragma once

#include <cstdint>
#include <vector>

// Last: Xlib defines macros (Bool, Status, None...) that clash with Qt's own names, so this
// header goes after every Qt include.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

using Channels = std::vector<std::vector<std::uint16_t>>;  // red, green, blue

// Every gamma-capable CRTC's ramp, read back over a connection of its own to `displayName`
// (nullptr: $DISPLAY). Empty when the server cannot be reached.
inline std::vector<Channels> ReadCrtcGammas(const char* displayName = nullptr) {
    std::vector<Channels> out;
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) return out;
    XRRScreenResources* resources =
        XRRGetScreenResourcesCurrent(display, XDefaultRootWindow(display));
    for (int i = 0; resources != nullptr && i < resources->ncrtc; ++i) {
        if (XRRGetCrtcGammaSize(display, resources->crtcs[i]) < 2) continue;
        XRRCrtcGamma* gamma = XRRGetCrtcGamma(display, resources->crtcs[i]);
        if (gamma == nullptr) continue;
        const auto size = static_cast<std::size_t>(gamma->size);
        out.push_back({{gamma->red, gamma->red + size},
                       {gamma->green, gamma->green + size},
                       {gamma->blue, gamma->blue + size}});
        XRRFreeGamma(gamma);
    }
    if (resources != nullptr) XRRFreeScreenResources(resources);
    XCloseDisplay(display);
    return out;
}
