#include "platform/gamma.h"

#include <algorithm>

#include "platform/platform.h"

namespace {

GammaBackend* g_override = nullptr;

}  // namespace

GammaBackend& CurrentGammaBackend() {
    return g_override != nullptr ? *g_override : platform::Current().Gamma();
}

void SetGammaBackendForTests(GammaBackend* backend) {
    g_override = backend;
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
