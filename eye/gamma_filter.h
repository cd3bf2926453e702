#pragma once

// The blue-light filter operations behind the eye-protection page. The strength and switch are
// kept by SettingsStore; these load the matching ramp onto the screen.
//
// The filter replaces the ramps it finds rather than multiplying them: the strength shown is
// then exactly what the screen does, and a ramp of unknown purpose (another filter, a ramp left
// by a killed run) is never stacked under ours. The found ramps are kept from before the first
// load of this run and put back when the filter goes off and at exit, so a calibration is
// missing only while the filter is on.

// Switching the filter on always starts here, whatever strength was used last.
inline constexpr int kEyeProtectStartPercent = 15;

// Stores the strength first, so it is kept even when no screen can take the ramp, then loads it.
void SetBluePercent(int percent);
// Loads the ramp of a strength and stores nothing: the screen follows the gauge while the user
// drags it, and SetBluePercent stores where it ends.
void PreviewBluePercent(int percent);
// On: the start strength; off: the found ramps back, with 0 stored. The switch is stored last.
void SetEyeProtectOn(bool on);
// Loads the stored strength when the filter is on, writing nothing; the screen then matches what
// the page shows after a display change or a resume.
void ApplyStoredFilter();
// At start: ApplyStoredFilter, or with the filter off, identity where a CRTC still holds one of
// our filter's ramps (an earlier run killed before it could restore); other ramps stay.
void StartFilter();
// Puts back the ramps found before this run's first load (the identity when none could be read),
// only if it loaded any; used when the filter goes off and at exit.
void RestoreFoundRamps();
// Whether a ramp loaded here can reach the screen at all.
bool FilterReachesScreen();

// A new run as far as the found ramps go; for tests.
void ForgetFoundRampsForTests();
