#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "platform/gamma.h"

namespace x11 {
class Connection;
}
namespace platform {
class Watch;
}

// Sets the gamma of every CRTC through XRandR 1.2+ over the shared X connection. While the
// displays are watched RandR tells it when a screen, CRTC or output changes, and Apply keeps the
// CRTCs it knows until then, so a drag of the gauge costs the X server no lookups.
//
// Failures are warned about through lcPlatform once per cause until an apply succeeds again: no
// display, no RandR gamma, no CRTC with a ramp, an X error (the display refused the ramp).
class X11GammaBackend final : public GammaBackend {
  public:
    explicit X11GammaBackend(x11::Connection& connection);
    ~X11GammaBackend() override;
    X11GammaBackend(const X11GammaBackend&) = delete;
    X11GammaBackend& operator=(const X11GammaBackend&) = delete;

    const char* Name() const override { return "x11-randr"; }
    bool Apply(const GammaRamp& ramp) override;
    std::vector<CrtcRamp> Read() override;
    bool Load(const std::vector<CrtcRamp>& ramps) override;
    bool WatchDisplays(std::function<void()> changed) override;
    void StopWatchingDisplays() override;
    bool IsWatching() const { return watch_ != nullptr; }

    struct Crtc {
        unsigned long id = 0;
        int gammaSize = 0;
    };

  private:
    bool Warn(unsigned cause);
    // Loads on every CRTC the ramp `rampOf` gives it; false from it leaves that CRTC alone.
    bool SetEach(const std::function<bool(const Crtc&, CrtcRamp*)>& rampOf);

    x11::Connection& connection_;
    std::unique_ptr<platform::Watch> watch_;
    std::function<void()> changed_;
    int eventBase_ = 0;
    std::vector<Crtc> crtcs_;  // while watched: empty until looked up, and again after a change
    bool changePending_ = false;
    QObject later_;        // runs the change call once the burst is read
    unsigned warned_ = 0;  // causes already warned about, as bits
};
