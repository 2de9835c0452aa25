// The table of a fit as CSV text: time, then per trace the measured current, the summed fit and
// the residual, then per current in the fit its own curve on each trace.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/evaluation.h"
#include "model/recording.h"

constexpr int kAllRows = 1 << 30;  // a window end beyond any recording: every sample

// ---- records ----
struct FitTableCurrent {
  int number;                                   // 1-based, as the user sees it
  std::string name;                             // the current's name; "" when it has none
  std::vector<std::span<const double>> traces;  // its curve on each trace (nA)
};

struct FitTable {
  std::span<const double> time;                   // sample times (ms)
  std::vector<std::span<const double>> measured;  // measured current of each trace (nA)
  std::vector<double> stepVoltages;               // of each trace (mV), for the column titles
  std::vector<FitTableCurrent> currents;          // the currents in the fit, in summing order
  std::vector<uint8_t> excluded;   // per sample: 1 in a region left out of the fit; empty: none
  SampleWindow rows{0, kAllRows};  // the samples written: start .. end-1, held to the columns
};

// ---- the table ----
// A header line naming each column with its unit (each trace by its step voltage), then one line
// per sample: its time, whether it is excluded (1) or not (0), per trace the measured current,
// the fit and the residual, then each current's own curve per trace. The fit is the sum of the
// currents' curves in their order, as the data graph draws it; the residual is measured minus
// fit. Numbers are the shortest text that reads back to the same double, with a point; a time
// is the shortest within a few units in its last place (ms made from a file's seconds, 0.15
// for 0.15000000000000002). Rows: the window held to what every column holds.
std::string FormatFitTable(const FitTable& table);
// The recording's traces, step voltages and analysis window (or its whole span), and each
// current of the evaluation with the name it has in the workspace; the table holds views of
// both, which must outlive it. excluded is left to the caller, who knows the regions' rule.
FitTable FitTableOf(const Recording& recording, const Evaluation& evaluation, bool wholeSpan);
