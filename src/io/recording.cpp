// What a recording gives the workspace beyond its samples: the step voltage and the whole command
// of each trace.
#include "io/recording.h"

#include <algorithm>

#include "model/command.h"

std::array<double, kMaxTraces> TraceVoltagesOf(const Recording& recording) {
  const std::vector<double> all = AllTraceVoltagesOf(recording);
  std::array<double, kMaxTraces> voltages{};
  std::copy_n(all.begin(), kMaxTraces, voltages.begin());
  return voltages;
}

std::vector<double> AllTraceVoltagesOf(const Recording& recording) {
  std::vector<double> voltages(static_cast<size_t>(std::max(kMaxTraces, recording.traces)));
  const double count = static_cast<double>(recording.times.size());
  for (int k = 0; k < static_cast<int>(voltages.size()); ++k) {
    if (recording.stepVoltages && k < static_cast<int>(recording.stepVoltages->size())) {
      voltages[k] = (*recording.stepVoltages)[k];
      continue;
    }
    if (recording.stepVoltages || k >= recording.pairsStored) {
      voltages[k] = k > 0 ? voltages[k - 1] : 0.0;
      continue;
    }
    // A plain sum divided by the count, so that the mean agrees to the last bit with any other
    // program that averages the same way. Only absurd voltages (near 1e308) overflow it.
    double sum = 0;
    for (double v : recording.voltages[k]) sum += v;
    voltages[k] = sum / count;
  }
  return voltages;
}

std::vector<CommandLevel> CommandLevelsOf(const Recording& recording, int trace) {
  const size_t k = static_cast<size_t>(trace);
  if (k < recording.commandLevels.size() && !recording.commandLevels[k].empty())
    return recording.commandLevels[k];
  if (trace < 0 || trace >= recording.pairsStored || k >= recording.voltages.size()) return {};
  return LevelsFromVoltages(recording.times, recording.voltages[k]);
}
