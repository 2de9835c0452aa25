// One least-squares solve of the polish with Ceres Solver (Levenberg-Marquardt, one residual
// block per trace, the free parameters of each current in one parameter block, moved in their
// coordinates within bounds), and a round of such solves from several starts side by side.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "fit/polish_model.h"

using Coordinates = std::vector<std::vector<double>>;  // one vector per parameter block

enum class SolveEnd { Converged, IterationLimit, Failed, Cancelled };

struct SolveRun {
  SolveEnd end = SolveEnd::Failed;
  std::string message;  // the solver's own words on why it stopped
  Coordinates coordinates;
  double squares = 0.0;  // sum of squared residuals at the end
  int iterations = 0;
  // The free parameters (in block order, in their own units) after each iteration, the start
  // first: whether one was still running away when the solve stopped.
  std::vector<std::vector<double>> path;
};

// Called on the solve's own thread after every iteration with the iteration, the sum of squares
// and the parameters' coordinates at that iteration.
using IterationObserver = std::function<void(int, double, const Coordinates&)>;

// Solves from `start`; `threads` evaluate the traces in parallel.
SolveRun SolveFrom(const PolishModel& model, Coordinates start, int maxIterations, int threads,
                   const IterationObserver& observe, const std::atomic<bool>* cancel);

// Solves from every start at once, one thread each; the first start's solve reports to
// `observe` (which may be empty).
std::vector<SolveRun> SolveSideBySide(const PolishModel& model,
                                      const std::vector<Coordinates>& starts, int maxIterations,
                                      const IterationObserver& observe,
                                      const std::atomic<bool>* cancel);
