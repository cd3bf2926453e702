#include "eye/gamma_filter.h"

#include "data/settings_store.h"
#include "eye/gamma_ramp.h"
#include "platform/gamma.h"

namespace {

// The result is not acted on: there is no display to report a failure on, and the stored
// setting stays the user's choice either way.
void Load(const GammaRamp& ramp) {
    static_cast<void>(CurrentGammaBackend().Apply(ramp));
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
    SetBluePercent(on ? kEyeProtectStartPercent : 0);
    SettingsStore::StoreEyeProtectOn(on);
}

void ApplyStoredFilter() {
    if (!SettingsStore::GetEyeProtectOn()) return;
    Load(BuildGammaRamp(SettingsStore::GetPercent()));
}

void RestoreIdentityRamp() {
    Load(IdentityGammaRamp());
}

bool FilterReachesScreen() {
    return CurrentGammaBackend().ReachesScreen();
}
