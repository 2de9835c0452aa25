// The fitter state of a recording: its defaults and the choice the polish takes from it.
#include "fit/fit_settings.h"

#include <algorithm>

void ResetFitterState(Recording* recording) {
  recording->excluded.clear();
  recording->noise.reset();
  recording->fitter = FitterChoice{};
}

bool HasFitterState(const Recording& recording) {
  return !recording.excluded.empty() || recording.noise || recording.fitter.choice;
}

ParamChoice EffectivePolishChoice() {
  if (loadedRecording.fitter.choice) return *loadedRecording.fitter.choice;
  std::array<CurrentParams, kMaxCurrents> currents;
  std::copy(params, params + kMaxCurrents, currents.begin());
  return DefaultChoice(currents);
}
