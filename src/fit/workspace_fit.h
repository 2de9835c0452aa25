// The workspace as goodness and the polish see it: the drawn summed fit, the goodness of the
// fit on screen, and a copy of the workspace for the polish. These read the workspace and so run
// on the user-interface thread; everything they hand on is a plain value.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "fit/goodness.h"
#include "fit/polish.h"
#include "fit/regions.h"

// RMS and noise figures of the drawn fit against the loaded traces.
FitGoodness WorkspaceGoodness(std::span<const TimeRegion> excluded,
                              const std::optional<TimeRegion>& noise);

// A copy of the workspace for the polish, with the default free parameters and bounds.
PolishInput WorkspacePolishInput(std::span<const TimeRegion> excluded);
