#pragma once

#include "eye/gamma_ramp.h"

// Loads a gamma ramp onto every screen of the desktop session.
class GammaBackend {
  public:
    virtual ~GammaBackend() = default;
    virtual const char* Name() const = 0;
    // True when the ramp was loaded on at least one screen and nothing failed on the way.
    virtual bool Apply(const GammaRamp& ramp) = 0;
};

// The platform's backend, defined in the platform file CMake picks (gamma_x11.cpp on Linux).
GammaBackend& PlatformGammaBackend();

// What the filter operations apply through: the platform backend unless a test installed one.
GammaBackend& CurrentGammaBackend();
// Installs a backend the caller keeps alive; nullptr goes back to the platform backend.
void SetGammaBackendForTests(GammaBackend* backend);
