// A recording that is not the shown one, as the polish and the goodness line see it: taken from
// the recording's own value (its samples, commands, window and regions), not the trace arrays.
#pragma once

#include <span>

#include "fit/goodness.h"
#include "fit/polish.h"
#include "model/evaluation.h"
#include "model/model.h"
#include "model/recording.h"

// Its part of a polish over several recordings, named by name.
PolishSamples RecordingPolishSamples(const Recording& recording, const std::string& name);

// The goodness of the model currents over it, inside its window, outside its regions.
FitGoodness RecordingGoodness(const Recording& recording,
                              std::span<const CurrentParams, kMaxCurrents> currents,
                              const InFit& inFit, double baseline);

// The figures of several recordings together: the RMS over every counted sample, and the RMS of
// the residuals each divided by its own recording's noise (only when every one has a noise
// figure, since a ratio over some of them would pass for all).
FitGoodness PooledGoodness(std::span<const FitGoodness> recordings);
