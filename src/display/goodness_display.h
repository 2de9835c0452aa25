// The goodness-of-fit line under the data graph: the RMS of the residuals per trace and over
// all traces, and the RMS against the noise when a noise region is set.
#pragma once

#include <optional>
#include <string>

#include "fit/goodness.h"

// The line as shown, e.g. "RMS 0.0412 nA  (1: 0.035 2: 0.0481)  RMS/noise 1.32"; it must fit
// under the data graph. A figure without samples reads "not available", never a NaN.
// With several recordings, together holds the figures of all of them, which follow the shown
// one's.
std::string GoodnessLine(const FitGoodness& goodness, bool noiseRegionSet,
                         const std::optional<FitGoodness>& together = std::nullopt,
                         int recordings = 0);

// Measures the drawn fit against the loaded traces and shows the line; empty without fits.
void ShowGoodness();
