// The lists that choose the free parameters on the command line: comma-separated items, each
// CURRENT.FIELD ("1.Vm", "2.Gmax"), CURRENT.* (every real parameter of the current that the data
// can see) or "baseline". --free replaces the default free set, --fix removes from it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fit/polish.h"
#include "model/model.h"

struct ParamListParse {
  std::vector<ParamRef> params;  // in the order given; CURRENT.* expanded
  std::string error;             // what is wrong with the list; empty when nothing is
};

// Current numbers are the user's (1 to 10); a current must be in the fit.
ParamListParse ParseParamList(std::string_view list,
                              const std::array<CurrentParams, kMaxCurrents>& currents,
                              const std::array<bool, kMaxCurrents>& inFit);

struct FreeChoice {
  ParamChoice choice;  // `defaults` with the lists applied; `defaults` itself on an error
  std::string error;   // "--free: ..." or "--fix: ..."; empty when both lists are sound
};

// The free flags that --free (when given) and then --fix (when given) make of `defaults`;
// bounds are kept.
FreeChoice ApplyFreeAndFix(const ParamChoice& defaults,
                           const std::array<CurrentParams, kMaxCurrents>& currents,
                           const std::array<bool, kMaxCurrents>& inFit,
                           const std::optional<std::string>& freeList,
                           const std::optional<std::string>& fixList);
