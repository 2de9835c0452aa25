// The fit summary of a polish: every free parameter with its start, result and standard error (or
// "not determined"), the RMS before and after, the noise ratio, the iterations and why it
// stopped. As text for the clipboard and the command line's table, and as one JSON object for
// the command line's --json.
#pragma once

#include <optional>
#include <string>

#include "fit/polish.h"

// `noiseSd` (nA), when a noise region is set, adds the ratio of the final RMS to it.
std::string FitSummaryText(const PolishResult& result, const std::optional<double>& noiseSd);
std::string FitSummaryJson(const PolishResult& result, const std::optional<double>& noiseSd);
