#pragma once

#include "platform/gamma.h"

// The blue multiplier for a strength: 256 at 0 %, 0 at 100 %. The percent is clamped to 0..100
// first, so any int gives a factor in 0..256.
int BlueFactor(int percent);

// Red and green stay on the identity line; blue is scaled down by the strength percentage.
GammaRamp BuildGammaRamp(int percent);
GammaRamp IdentityGammaRamp();

// The strength 0..100 whose ramp, at the CRTC's size, is exactly the one the CRTC holds; -1 for
// any other ramp. What an earlier run of ours leaves behind when it is killed is recognised so.
int FilterStrengthOf(const CrtcRamp& ramp);
