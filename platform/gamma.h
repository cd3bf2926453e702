#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

inline constexpr int kGammaRampSize = 256;

using GammaChannel = std::array<std::uint16_t, kGammaRampSize>;

// One 256-entry ramp per colour channel, in the 16-bit range the display server expects.
struct GammaRamp {
    GammaChannel red{};
    GammaChannel green{};
    GammaChannel blue{};

    bool operator==(const GammaRamp&) const = default;
};

// The ramp one CRTC holds, at that CRTC's own size.
struct CrtcRamp {
    unsigned long crtc = 0;
    std::vector<std::uint16_t> red;
    std::vector<std::uint16_t> green;
    std::vector<std::uint16_t> blue;

    bool operator==(const CrtcRamp&) const = default;
};

// Stretches a 256-entry channel over a ramp of `size` entries by linear interpolation, as CRTCs
// do not all use 256 entries. Sizes below 2 have no meaningful ramp and give an empty vector.
std::vector<std::uint16_t> ResampleChannel(const GammaChannel& channel, int size);

// Loads gamma ramps onto the screens of the desktop session.
class GammaBackend {
  public:
    virtual ~GammaBackend() = default;
    virtual const char* Name() const = 0;
    // False where ramps cannot reach the screen at all (the null backend).
    virtual bool ReachesScreen() const { return true; }
    // True when the ramp was loaded on at least one screen and nothing failed on the way.
    virtual bool Apply(const GammaRamp& ramp) = 0;
    // Every CRTC's ramp as it is now; empty when they cannot be read.
    virtual std::vector<CrtcRamp> Read() { return {}; }
    // Each ramp back onto its CRTC, where that CRTC is still there with the same size.
    virtual bool Load(const std::vector<CrtcRamp>& /*ramps*/) { return false; }
    // Calls `changed` on the UI thread after the displays changed in a way that can reset their
    // ramps (an output plugged in or out, a mode or screen size changed), once for each burst of
    // changes. Events, never polling: nothing runs while the displays stay as they are. False
    // when this backend cannot tell (no display, or one that reports no such changes).
    virtual bool WatchDisplays(std::function<void()> /*changed*/) { return false; }
    // No more calls; whatever watching held is let go.
    virtual void StopWatchingDisplays() {}
};

// What the filter applies through: the platform's backend unless a test installed one.
GammaBackend& CurrentGammaBackend();
// Installs a backend the caller keeps alive; nullptr goes back to the platform's.
void SetGammaBackendForTests(GammaBackend* backend);
