// The fitter state of a recording (the regions left out of the fit, the noise region, the
// polish's free flags and bounds): its defaults, and the choice the polish takes from it. The
// state itself is part of the recording, so it goes when the recording goes; a session keeps
// it, the parameter file (whose layout the dynamic-clamp program reads) never does.
#pragma once

#include "fit/polish.h"
#include "model/recording.h"

// No regions, no noise region, the default free flags and bounds.
void ResetFitterState(Recording* recording);
// True when anything differs from the defaults: a newly opened file says it dropped them.
bool HasFitterState(const Recording& recording);
// The loaded recording's choice as stored, or the defaults for the parameters as they are now.
ParamChoice EffectivePolishChoice();
