// The --bounds items of the command line: CURRENT.FIELD=LO:HI ("1.Vtm=-60:-20", "baseline=-1:1")
// replaces the bounds of one parameter; an empty LO or HI is no bound on that side.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "fit/polish.h"
#include "model/model.h"

// Sets the bounds the items name in `choice`; "" or why an item is wrong ("--bounds ...: ..."),
// and then `choice` is left as it was. A current must be in the fit. A slope's bounds must keep
// one sign and a time constant's stay above 0, since the model divides by them.
std::string ApplyBounds(const std::vector<std::string>& items,
                        const std::array<CurrentParams, kMaxCurrents>& currents,
                        const std::array<bool, kMaxCurrents>& inFit, ParamChoice* choice);
