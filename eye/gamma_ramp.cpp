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

int FilterStrengthOf(const CrtcRamp& ramp) {
    const int size = static_cast<int>(ramp.red.size());
    if (size < 2 || ramp.green.size() != ramp.red.size() || ramp.blue.size() != ramp.red.size())
        return -1;
    const GammaRamp identity = IdentityGammaRamp();
    if (ramp.red != ResampleChannel(identity.red, size) || ramp.green != ramp.red) return -1;
    for (int percent = 0; percent <= 100; ++percent)
        if (ramp.blue == ResampleChannel(BuildGammaRamp(percent).blue, size)) return percent;
    return -1;
}
