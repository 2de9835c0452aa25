// The fit's own part of the workspace and its defaults.
#include "fit/fit_settings.h"

#include <algorithm>

FitSettings fitSettings;

void ResetFitSettings() {
  fitSettings = FitSettings{};
}

ParamChoice EffectivePolishChoice() {
  if (fitSettings.choice) return *fitSettings.choice;
  std::array<CurrentParams, kMaxCurrents> currents;
  std::copy(params, params + kMaxCurrents, currents.begin());
  return DefaultChoice(currents);
}
