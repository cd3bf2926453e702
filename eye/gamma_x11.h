#pragma once

#include <memory>

#include "eye/gamma_backend.h"

// Sets the gamma of every CRTC through XRandR 1.2+ on the display named by $DISPLAY.
//
// Without a watch each Apply opens its own connection and closes it again. While the displays
// are watched one connection stays open: RandR tells it when a screen, CRTC or output changes
// (a QSocketNotifier wakes the UI thread only then), and Apply uses it with the CRTCs it already
// knows, so a drag of the gauge costs the X server no new connection and no lookups.
//
// Failures are warned about through lcEye once per cause until an apply succeeds again: no
// display, no RandR gamma, no CRTC with a ramp, an X error (the display refused the ramp).
class X11GammaBackend final : public GammaBackend {
  public:
    X11GammaBackend();
    ~X11GammaBackend() override;
    X11GammaBackend(const X11GammaBackend&) = delete;
    X11GammaBackend& operator=(const X11GammaBackend&) = delete;

    const char* Name() const override { return "x11-randr"; }
    bool Apply(const GammaRamp& ramp) override;
    bool WatchDisplays(std::function<void()> changed) override;
    void StopWatchingDisplays() override;
    bool IsWatching() const { return watch_ != nullptr; }

  private:
    struct Watch;
    // Reads every event the watch connection has and reports one change for them all.
    void Drain();

    std::unique_ptr<Watch> watch_;
    unsigned warned_ = 0;  // causes already warned about, as bits
};
