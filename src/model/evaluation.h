// The one evaluation of the model: every current in the fit over every trace of a recording, and
// their sum per trace. It reads only its arguments, so the window, the goodness figures, the
// polish, the command line and the benchmarks all get the very same numbers from it.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "model/command.h"
#include "model/model.h"
#include "model/recording.h"

using InFit = std::array<bool, kMaxCurrents>;

struct Evaluation {
  // [current][trace]: the current's curve plus the baseline at every sample; no traces for a
  // current that is not in the fit.
  std::array<std::vector<std::vector<double>>, kMaxCurrents> currents;
  // [trace]: the curves of the currents in the fit added in the order of the currents.
  std::vector<std::vector<double>> summed;
  // [trace]: the command cut into pieces when it is followed whole; kept only for its storage.
  std::vector<std::vector<CommandPiece>> pieces;
};

InFit InFitOf(const FitStatus& fitStatus);

// With the single step, each trace steps from the current's own Vhold to its command's step
// voltage at the start of the recording's analysis window. With the whole command, each trace
// whose levels are known follows them from the first (the others take the single step). into keeps
// its storage from one call to the next, so that an edit repeated at the pace of a held arrow key
// allocates nothing.
void Evaluate(const Recording& recording, std::span<const CurrentParams, kMaxCurrents> currents,
              const InFit& inFit, double baseline, Evaluation* into);
Evaluation Evaluate(const Recording& recording,
                    std::span<const CurrentParams, kMaxCurrents> currents, const InFit& inFit,
                    double baseline);
