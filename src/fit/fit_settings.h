// The fit's own part of the workspace, beside the records the parameter file holds: the regions
// left out of the fit, the noise region, and the polish's free flags and bounds. Kept with the
// session, never written to the parameter file (whose layout the dynamic-clamp program reads).
// Touched on the user-interface thread only, like the rest of the workspace.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "fit/polish.h"
#include "fit/regions.h"

struct FitSettings {
  std::vector<TimeRegion> excluded;  // stretches left out of the RMS and the polish (ms)
  std::optional<TimeRegion> noise;   // the stretch whose spread is the noise (ms); none by default
  // Free flags and bounds chosen by the user; unset: the defaults for the current parameters
  // (DefaultChoice), which follow a change of a slope's sign or of a gate power.
  std::optional<ParamChoice> choice;
  // The bounds in choice that the user set (a session's bounds that differ from the defaults);
  // the others follow the parameters as they are now, so that a slope's bound keeps its sign.
  std::array<std::array<bool, kRealFieldCount>, kMaxCurrents> userBounds{};
  bool baselineUserBounds = false;
};

extern FitSettings fitSettings;

void ResetFitSettings();              // no regions, no noise region, default choice
ParamChoice EffectivePolishChoice();  // the user's choice, or the defaults for params
