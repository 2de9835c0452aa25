// The table of a fit as CSV text: time, then per trace the measured current, the summed fit and
// the residual, then per current in the fit its own curve on each trace.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "model/evaluation.h"
#include "model/recording.h"

// ---- records ----
struct FitTableCurrent {
  int number;                                   // 1-based, as the user sees it
  std::string name;                             // the current's name; "" when it has none
  std::vector<std::span<const double>> traces;  // its curve on each trace (nA)
};

struct FitTable {
  std::span<const double> time;                   // sample times (ms)
  std::vector<std::span<const double>> measured;  // measured current of each trace (nA)
  std::vector<FitTableCurrent> currents;          // the currents in the fit, in summing order
};

// ---- the table ----
// A header line naming each column with its unit, then one line per sample. The fit is the sum
// of the currents' curves in their order, as the data graph draws it; the residual is measured
// minus fit. Numbers are the shortest text that reads back to the same double, with a point.
// Rows: as many as every column holds; traces: as many as every current has curves for.
std::string FormatFitTable(const FitTable& table);
// The recording's traces and each current of the evaluation with the name it has in the
// workspace; the table holds views of both, which must outlive it.
FitTable FitTableOf(const Recording& recording, const Evaluation& evaluation);
