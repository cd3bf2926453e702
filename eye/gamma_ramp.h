#pragma once

#include <array>
#include <cstdint>
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

// The blue multiplier for a strength: 256 at 0 %, 0 at 100 %. The percent is clamped to 0..100
// first, so any int gives a factor in 0..256.
int BlueFactor(int percent);

// Red and green stay on the identity line; blue is scaled down by the strength percentage.
GammaRamp BuildGammaRamp(int percent);
GammaRamp IdentityGammaRamp();

// Stretches a 256-entry channel over a ramp of `size` entries by linear interpolation, as CRTCs
// do not all use 256 entries. Sizes below 2 have no meaningful ramp and give an empty vector.
std::vector<std::uint16_t> ResampleChannel(const GammaChannel& channel, int size);
