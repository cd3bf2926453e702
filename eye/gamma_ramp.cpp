#include "eye/gamma_ramp.h"

#include <algorithm>

namespace {

constexpr int kChannelMax = 65535;

std::uint16_t Capped(int value) {
    return static_cast<std::uint16_t>(std::clamp(value, 0, kChannelMax));
}

}  // namespace

int BlueFactor(int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    return kGammaRampSize - (clamped * kGammaRampSize) / 100;
}

GammaRamp BuildGammaRamp(int percent) {
    const int k = BlueFactor(percent);
    GammaRamp ramp;
    for (int i = 0; i < kGammaRampSize; ++i) {
        const auto index = static_cast<std::size_t>(i);
        ramp.red[index] = Capped(i * kGammaRampSize);
        ramp.green[index] = ramp.red[index];
        ramp.blue[index] = Capped(i * k);
    }
    return ramp;
}

GammaRamp IdentityGammaRamp() {
    return BuildGammaRamp(0);
}

std::vector<std::uint16_t> ResampleChannel(const GammaChannel& channel, int size) {
    if (size < 2) return {};
    // Exact integer positions: entry j sits at j * 255 / (size - 1) in the source, so both ends
    // map onto the source ends and size 256 reproduces the source unchanged.
    const std::int64_t last = kGammaRampSize - 1;
    const std::int64_t denominator = size - 1;
    std::vector<std::uint16_t> out(static_cast<std::size_t>(size));
    for (std::int64_t j = 0; j < size; ++j) {
        const std::int64_t numerator = j * last;
        const std::int64_t below = numerator / denominator;
        const std::int64_t fraction = numerator % denominator;
        const std::int64_t above = std::min(below + 1, last);
        const std::int64_t a = channel[static_cast<std::size_t>(below)];
        const std::int64_t b = channel[static_cast<std::size_t>(above)];
        const std::int64_t value =
            (a * (denominator - fraction) + b * fraction + denominator / 2) / denominator;
        out[static_cast<std::size_t>(j)] = static_cast<std::uint16_t>(value);
    }
    return out;
}
