// One recording as every data reader returns it: the sample times, the voltage and current
// samples of each trace, the trace voltages, a display name and the notices for the user. A
// reader fills one of these from text or bytes; one take-over commits it to the workspace.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

struct Recording {
  std::vector<double> times;  // sample times on the program's axis (ms for a file in seconds)
  int traces = 0;             // traces kept, 1 to kMaxTraces (NumTraces)
  int pairsStored = 0;        // traces whose voltage samples are stored (>= traces)
  std::array<std::vector<double>, kMaxTraces> voltages;  // per trace, one per time (mV)
  std::array<std::vector<double>, kMaxTraces> currents;  // per trace, one per time (nA)
  // Step voltage of each trace (mV). Unset: each voltage column's mean (TraceVoltagesOf), as
  // the text reader always gives it.
  std::optional<std::array<double, kMaxTraces>> stepVoltages;
  std::optional<double> holdingLevel;  // the protocol's holding level (mV), offered as Vhold
  std::string name;                    // what the data-file field shows
  std::vector<std::string> notices;    // told to the user after a successful read
};

// Each trace's step voltage (mV): stepVoltages when given, otherwise the mean of the trace's
// voltage samples (a plain sum divided by the count, as the text reader always has); a trace
// beyond the stored pairs takes the last stored one's. Needs at least one sample and one pair.
std::array<double, kMaxTraces> TraceVoltagesOf(const Recording& recording);
