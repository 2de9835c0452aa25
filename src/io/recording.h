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
  // Step voltage of each trace (mV). Unset: the take-over averages each voltage column, as the
  // text reader always does.
  std::optional<std::array<double, kMaxTraces>> stepVoltages;
  std::optional<double> holdingLevel;  // the protocol's holding level (mV), offered as Vhold
  std::string name;                    // what the data-file field shows
  std::vector<std::string> notices;    // told to the user after a successful read
};
