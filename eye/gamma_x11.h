#pragma once

#include "eye/gamma_backend.h"

// Sets the gamma of every CRTC through XRandR 1.2+ on the display named by $DISPLAY. Each Apply
// opens its own connection and closes it again: it only runs on user clicks, start-up and exit,
// so nothing is held open while idle.
class X11GammaBackend final : public GammaBackend {
  public:
    const char* Name() const override { return "x11-randr"; }
    bool Apply(const GammaRamp& ramp) override;
};
