#pragma once

// The blue-light filter operations behind the eye-protection page. The strength and switch are
// kept by SettingsStore; these load the matching ramp onto the screen.

// Switching the filter on always starts here, whatever strength was used last.
inline constexpr int kEyeProtectStartPercent = 15;

// Stores the strength first, so it is kept even when no screen can take the ramp, then loads it.
void SetBluePercent(int percent);
// Loads the ramp of a strength and stores nothing: the screen follows the gauge while the user
// drags it, and SetBluePercent stores where it ends.
void PreviewBluePercent(int percent);
// On: the start strength; off: the identity ramp with 0 stored. The switch is stored last.
void SetEyeProtectOn(bool on);
// Loads the stored strength when the filter is on, writing nothing; used at start-up so the
// screen matches what the page shows.
void ApplyStoredFilter();
// Loads the identity ramp and leaves the store alone; used at exit, which removes the filter.
void RestoreIdentityRamp();
// Whether a ramp loaded here can reach the screen at all.
bool FilterReachesScreen();
