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

// The polish of the session's recordings that are ticked for it: the shown one from the trace
// arrays, the others from their own values, each with its regions and noise figure. Holds no
// trace when every recording is left out.
PolishInput SessionPolishInput();

// The goodness of the model over every recording of the session together (see PooledGoodness);
// none with a single recording.
std::optional<FitGoodness> SessionGoodness();
