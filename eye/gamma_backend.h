#pragma once

#include <functional>

#include "eye/gamma_ramp.h"

// Loads a gamma ramp onto every screen of the desktop session.
class GammaBackend {
  public:
    virtual ~GammaBackend() = default;
    virtual const char* Name() const = 0;
    // True when the ramp was loaded on at least one screen and nothing failed on the way.
    virtual bool Apply(const GammaRamp& ramp) = 0;
    // Calls `changed` on the UI thread after the displays changed in a way that can reset their
    // ramps (an output plugged in or out, a mode or screen size changed), once for each burst of
    // changes. Events, never polling: nothing runs while the displays stay as they are. False
    // when this backend cannot tell (no display, or one that reports no such changes).
    virtual bool WatchDisplays(std::function<void()> /*changed*/) { return false; }
    // No more calls; whatever watching held is let go.
    virtual void StopWatchingDisplays() {}
};

// The platform's backend, defined in the platform file CMake picks (gamma_x11.cpp on Linux).
GammaBackend& PlatformGammaBackend();

// What the filter operations apply through: the platform backend unless a test installed one.
GammaBackend& CurrentGammaBackend();
// Installs a backend the caller keeps alive; nullptr goes back to the platform backend.
void SetGammaBackendForTests(GammaBackend* backend);
