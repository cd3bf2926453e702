#include "eye/gamma_filter.h"

#include <vector>

#include "data/settings_store.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"

namespace {

struct Found {
    bool read = false;            // the ramps below were read
    bool loaded = false;          // this run loaded a ramp of its own since (or tried to)
    std::vector<CrtcRamp> ramps;  // each CRTC's ramp before this run's first load
};
Found g_found;

// A ramp of ours found at start is what a killed run left: the user's own is the identity.
CrtcRamp Unfiltered(CrtcRamp ramp) {
    if (FilterStrengthOf(ramp) <= 0) return ramp;
    const GammaRamp identity = IdentityGammaRamp();
    const int size = static_cast<int>(ramp.red.size());
    ramp.red = ResampleChannel(identity.red, size);
    ramp.green = ramp.red;
    ramp.blue = ramp.red;
    return ramp;
}

// The result is not acted on: there is no display to report a failure on, and the stored
// setting stays the user's choice either way.
void Load(const GammaRamp& ramp) {
    GammaBackend& backend = CurrentGammaBackend();
    if (!g_found.read) {
        g_found.ramps = backend.Read();
        for (CrtcRamp& found : g_found.ramps) found = Unfiltered(std::move(found));
        // Nothing read (no display yet): read again before the next load.
        g_found.read = !g_found.ramps.empty();
    }
    // Marked before the load: a load that fails half way has changed some CRTCs all the same.
    g_found.loaded = true;
    static_cast<void>(backend.Apply(ramp));
}

}  // namespace

void SetBluePercent(int percent) {
    SettingsStore::StorePercent(percent);
    Load(BuildGammaRamp(percent));
}

void PreviewBluePercent(int percent) {
    Load(BuildGammaRamp(percent));
}

void SetEyeProtectOn(bool on) {
    if (on) {
        SetBluePercent(kEyeProtectStartPercent);
    } else {
        SettingsStore::StorePercent(0);
        RestoreFoundRamps();
    }
    SettingsStore::StoreEyeProtectOn(on);
}

void ApplyStoredFilter() {
    if (!SettingsStore::GetEyeProtectOn()) return;
    Load(BuildGammaRamp(SettingsStore::GetPercent()));
}

void StartFilter() {
    if (SettingsStore::GetEyeProtectOn()) {
        ApplyStoredFilter();
        return;
    }
    std::vector<CrtcRamp> cleared;
    for (const CrtcRamp& ramp : CurrentGammaBackend().Read())
        if (FilterStrengthOf(ramp) > 0) cleared.push_back(Unfiltered(ramp));
    if (!cleared.empty()) static_cast<void>(CurrentGammaBackend().Load(cleared));
}

void RestoreFoundRamps() {
    if (!g_found.loaded) return;
    // Ramps that could not be read are not guessed at: the identity is better than our filter.
    if (g_found.ramps.empty())
        static_cast<void>(CurrentGammaBackend().Apply(IdentityGammaRamp()));
    else
        static_cast<void>(CurrentGammaBackend().Load(g_found.ramps));
    g_found.loaded = false;
}

bool FilterReachesScreen() {
    return CurrentGammaBackend().ReachesScreen();
}

void ForgetFoundRampsForTests() {
    g_found = {};
}
