// Leak and capacitive subtraction of an amplifier file's sweeps before they become traces.
#include "io/abf/subtraction.h"

#include <algorithm>
#include <cmath>

#include "model/command.h"
#include "platform/number_text.h"

namespace {

// The samples before the command's first change: the holding stretch.
size_t HoldingSamples(const std::vector<double>& times, const std::vector<CommandLevel>& levels) {
  const double end = levels.size() > 1 ? levels[1].startMs : INFINITY;
  size_t n = 0;
  while (n < times.size() && times[n] < end) ++n;
  return n;
}

}  // namespace

std::string FitLeak(const std::vector<double>& times, const std::vector<SweepTrace>& sweeps,
                    const ImportChoices& choices, LeakLine* line) {
  // Sums for the least-squares line I = a + b V over every sample that counts.
  long double n = 0, sv = 0, si = 0, svv = 0, svi = 0;
  long double holdingSum = 0, holdingCount = 0;
  const auto add = [&](double v, double i) {
    n += 1;
    sv += v;
    si += i;
    svv += static_cast<long double>(v) * v;
    svi += static_cast<long double>(v) * i;
  };
  for (const SweepTrace& sweep : sweeps) {
    if (sweep.levels.empty()) return "the command is not known, so the leak cannot follow it";
    const size_t holding = HoldingSamples(times, sweep.levels);
    for (size_t s = 0; s < holding && s < sweep.current.size(); ++s) {
      holdingSum += sweep.current[s];
      holdingCount += 1;
      add(sweep.levels[0].level, sweep.current[s]);
    }
    if (choices.leak != LeakSubtraction::kRange) continue;
    const double from = std::min(choices.leakFromMs, choices.leakToMs);
    const double to = std::max(choices.leakFromMs, choices.leakToMs);
    for (size_t s = holding; s < times.size() && s < sweep.current.size(); ++s) {
      if (times[s] >= from && times[s] <= to)
        add(CommandVoltageAt(sweep.levels, times[s]), sweep.current[s]);
    }
  }
  if (holdingCount == 0) return "no sample holds the holding level before the first step";
  LeakLine made;
  if (choices.leak == LeakSubtraction::kHolding) {
    made.offset = static_cast<double>(holdingSum / holdingCount);
    *line = made;
    return "";
  }
  const long double spread = n * svv - sv * sv;
  if (n == holdingCount || !(std::fabs(static_cast<double>(spread)) > 1e-12 * (n * svv)))
    return "the leak stretch from " + SignificantText(choices.leakFromMs) + " to " +
           SignificantText(choices.leakToMs) +
           " ms holds no sample away from the holding level, so the leak conductance cannot be "
           "told";
  const double slope = static_cast<double>((n * svi - sv * si) / spread);
  const double intercept = static_cast<double>((si - slope * sv) / n);
  made.conductance = slope;
  made.reversal = slope != 0 ? -intercept / slope : 0;
  made.offset = slope != 0 ? 0 : intercept;
  *line = made;
  return "";
}

void SubtractLeak(const LeakLine& line, const std::vector<double>& times, SweepTrace* sweep) {
  for (size_t s = 0; s < sweep->current.size() && s < times.size(); ++s) {
    const double v = CommandVoltageAt(sweep->levels, times[s]);
    sweep->current[s] -= line.offset + line.conductance * (v - line.reversal);
  }
}

double StepAmplitude(const std::vector<CommandLevel>& levels) {
  for (size_t i = 1; i < levels.size(); ++i) {
    if (levels[i].level != levels[0].level) return levels[i].level - levels[0].level;
  }
  return 0;
}

std::string SubtractControl(const std::vector<double>& times, const SweepTrace& control,
                            SweepTrace* sweep, double* scale) {
  const double controlStep = StepAmplitude(control.levels);
  if (controlStep == 0) return "the control sweep never leaves its holding level";
  if (control.current.size() != sweep->current.size())
    return "the control sweep is not as long as the others";
  *scale = StepAmplitude(sweep->levels) / controlStep;
  // The control's holding current is the leak at rest, not part of its step response.
  const size_t holding = std::max<size_t>(HoldingSamples(times, control.levels), 1);
  long double rest = 0;
  for (size_t s = 0; s < holding && s < control.current.size(); ++s) rest += control.current[s];
  const double restMean = static_cast<double>(rest / static_cast<long double>(holding));
  for (size_t s = 0; s < sweep->current.size(); ++s)
    sweep->current[s] -= *scale * (control.current[s] - restMean);
  return "";
}
