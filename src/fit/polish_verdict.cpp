// The polish's verdict on its own fit.
#include "fit/polish_verdict.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/kinetics.h"
#include "platform/number_text.h"

namespace {

std::string Shown(double value) {
  return SignificantText(value, 3);
}

double Spread(const std::vector<double>& values) {
  if (values.size() < 2) return 0.0;
  double mean = 0.0;
  for (double v : values) mean += v;
  mean /= static_cast<double>(values.size());
  double squares = 0.0;
  for (double v : values) squares += (v - mean) * (v - mean);
  return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

// Pooled over the traces, each about its own mean.
std::optional<double> BaselineNoise(const PolishSamples& input) {
  if (input.windowStart < kLeastBaselineSamples) return std::nullopt;
  double squares = 0.0;
  int degrees = 0;
  for (const std::vector<double>& trace : input.measured) {
    const std::vector<double> before(trace.begin(), trace.begin() + input.windowStart);
    for (double v : before)
      if (!std::isfinite(v)) return std::nullopt;
    const double sd = Spread(before);
    squares += sd * sd * static_cast<double>(before.size() - 1);
    degrees += static_cast<int>(before.size()) - 1;
  }
  if (degrees <= 0 || squares <= 0.0) return std::nullopt;
  return std::sqrt(squares / degrees);
}

// White noise of SD s gives second differences of SD s sqrt(6); the median of their sizes,
// over 0.6745, is that SD without the few large ones a step or a fast rise leaves.
std::optional<double> DifferenceNoise(const PolishSamples& input) {
  std::vector<double> sizes;
  const int end = std::min(input.windowEnd, static_cast<int>(input.times.size()));
  for (const std::vector<double>& trace : input.measured) {
    for (int n = input.windowStart + 1; n + 1 < end; ++n) {
      if (!input.counted[n - 1] || !input.counted[n] || !input.counted[n + 1]) continue;
      sizes.push_back(std::abs(trace[n + 1] - 2.0 * trace[n] + trace[n - 1]));
    }
  }
  if (sizes.size() < 10) return std::nullopt;
  const auto middle = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
  std::nth_element(sizes.begin(), middle, sizes.end());
  const double sd = *middle / 0.6745 / std::sqrt(6.0);
  if (!(sd > 0.0)) return std::nullopt;
  return sd;
}

bool IsMidpoint(ParamField field) {
  return field == ParamField::Vm || field == ParamField::Vh || field == ParamField::Vtm ||
         field == ParamField::Vth;
}

double FieldOf(const PolishResult& result, int current, ParamField field) {
  return result.currents[current].*Descriptor(field).real;
}

// The lowest and highest voltage the traces of every recording visit: their steps, and the
// levels of the commands they follow (a prepulse, a tail).
std::pair<double, double> StepRange(const PolishInput& input) {
  double lowest = 1e300, highest = -1e300;
  const auto visit = [&](const PolishSamples& samples) {
    for (double v : samples.traceV) lowest = std::min(lowest, v), highest = std::max(highest, v);
    for (const std::vector<CommandLevel>& levels : samples.commands)
      for (const CommandLevel& level : levels)
        lowest = std::min(lowest, level.level), highest = std::max(highest, level.level);
  };
  visit(input);
  for (const PolishSamples& samples : input.also) visit(samples);
  return {lowest, highest};
}

// The RMS over the noise, one figure per recording that is fitted further above its noise than
// kNoiseExcess: with one recording the fit's own, with several each one's.
struct NoiseExcess {
  std::string label;  // empty: the one recording
  double ratio;
  NoiseEstimate noise;
};

std::vector<NoiseExcess> NoiseExcesses(const PolishResult& result) {
  std::vector<NoiseExcess> excesses;
  const auto check = [&](const std::string& label, const std::optional<double>& rms,
                         const NoiseEstimate& noise) {
    if (!rms || !noise.sd) return;
    const double ratio = *rms / *noise.sd;
    if (ratio > 1.0 + kNoiseExcess) excesses.push_back({label, ratio, noise});
  };
  if (result.recordings.empty()) check("", result.rmsAfter, result.noise);
  for (const RecordingFit& fit : result.recordings) check(fit.name, fit.rmsAfter, fit.noise);
  return excesses;
}

// Below this fraction of the h gate open at the holding level, Gmax and the inactivation's
// half-point trade against each other: the traces see only their product.
constexpr double kLittleAvailable = 0.5;

double HoldingInactivation(const CurrentParams& c) {
  return kinetics::SteadyState(c.Vhold, c.Vh, c.Kh);
}

std::string OnlyGmaxTimesHold(const PolishResult& result, const ParamRef& param) {
  return "only Gmax\u00b7h\u221e(Vhold) is determined (h\u221e(Vhold) = " +
         Shown(HoldingInactivation(result.currents[param.current])) +
         "): fix Vh and Kh, or add an inactivation family";
}

// What the data determine when Gmax runs away: the conductance the traces see.
std::string RunawayAdvice(const PolishInput& input, const PolishResult& result,
                          const ParamRef& param) {
  const std::string name = ParamName(param);
  if (param.IsBaseline() || param.field != ParamField::Gmax)
    return name +
           " is still moving at the iteration limit: the data do not hold it; fix it or "
           "bound it";
  const CurrentParams& c = result.currents[param.current];
  if (c.q != 0 && HoldingInactivation(c) < kLittleAvailable)
    return name + " is still growing at the iteration limit: " + OnlyGmaxTimesHold(result, param);
  const double highest = StepRange(input).second;
  const double open = kinetics::SteadyState(highest, c.Vm, c.Km);
  if (c.p != 0 && open < 0.5) {
    return name +
           " is still growing at the iteration limit: only Gmax\u00b7m\u221e^p is "
           "determined (m\u221e = " +
           Shown(open) + " at the highest step): fix Vm and Km, or add steps to higher voltages";
  }
  return name + " is still growing at the iteration limit: the data do not hold it; bound it";
}

}  // namespace

std::string NoiseSourceName(NoiseSource source) {
  switch (source) {
    case NoiseSource::Region:
      return "the noise region";
    case NoiseSource::Baseline:
      return "the baseline before the analysis window";
    case NoiseSource::Differences:
      return "the sample-to-sample differences";
    case NoiseSource::None:
      break;
  }
  return "none";
}

NoiseEstimate EstimateNoise(const PolishSamples& input) {
  if (input.noiseSd && *input.noiseSd > 0.0) return {input.noiseSd, NoiseSource::Region};
  if (const std::optional<double> sd = BaselineNoise(input)) return {sd, NoiseSource::Baseline};
  if (const std::optional<double> sd = DifferenceNoise(input))
    return {sd, NoiseSource::Differences};
  return {};
}

std::optional<double> LagOneAutocorrelation(const std::vector<std::vector<double>>& residuals) {
  double products = 0.0;
  double squares = 0.0;
  size_t samples = 0;
  for (const std::vector<double>& trace : residuals) {
    for (size_t s = 0; s < trace.size(); ++s) {
      squares += trace[s] * trace[s];
      if (s + 1 < trace.size()) products += trace[s] * trace[s + 1];
    }
    samples += trace.size();
  }
  if (samples < 3 || !(squares > 0.0)) return std::nullopt;
  return products / squares;
}

bool WorthAnotherStart(const PolishInput& input, const PolishResult& result) {
  if (result.outcome != PolishOutcome::Converged) return true;
  if (!NoiseExcesses(result).empty()) return true;
  const auto [lowest, highest] = StepRange(input);
  for (const ParamEstimate& e : result.estimates) {
    if (e.atBound) return true;
    if (e.param.IsBaseline() || !IsMidpoint(e.param.field)) continue;
    const double hold = FieldOf(result, e.param.current, ParamField::Vhold);
    if (e.result < std::min(lowest, hold) || e.result > std::max(highest, hold)) return true;
  }
  return false;
}

std::vector<std::string> FitWarnings(const PolishInput& input, const PolishResult& result,
                                     const std::vector<std::vector<double>>& path) {
  std::vector<std::string> warnings;
  for (const NoiseExcess& excess : NoiseExcesses(result)) {
    warnings.push_back((excess.label.empty() ? "the RMS" : excess.label + ": the RMS") + " is " +
                       Shown(excess.ratio) + " times the noise (" + Shown(*excess.noise.sd) +
                       " nA, from " + NoiseSourceName(excess.noise.source) +
                       "): the model misses part of the current, or the polish stopped short "
                       "of the best fit");
  }
  const auto [lowest, highest] = StepRange(input);
  const size_t count = result.estimates.size();
  std::vector<bool> running(count, false);
  if (result.outcome == PolishOutcome::IterationLimit && path.size() > kRunawaySteps) {
    for (size_t j = 0; j < count; ++j) {
      const double first = path[path.size() - 1 - kRunawaySteps][j];
      const double last = path.back()[j];
      bool steady = true;
      for (size_t s = path.size() - kRunawaySteps; s < path.size(); ++s)
        steady = steady && (path[s][j] - path[s - 1][j]) * (last - first) > 0.0;
      running[j] = steady && std::abs(last - first) > kRunawayGrowth * std::abs(last);
    }
  }
  for (size_t j = 0; j < count; ++j) {
    const ParamEstimate& e = result.estimates[j];
    const std::string name = ParamName(e.param);
    if (running[j]) {
      warnings.push_back(RunawayAdvice(input, result, e.param));
      continue;
    }
    if (e.atBound) warnings.push_back(name + " is on its bound (" + Shown(e.result) + ")");
    if (!e.param.IsBaseline() && IsMidpoint(e.param.field)) {
      const double hold = FieldOf(result, e.param.current, ParamField::Vhold);
      const double low = std::min(lowest, hold), high = std::max(highest, hold);
      if (e.result < low || e.result > high) {
        warnings.push_back(name + " (" + Shown(e.result) +
                           " mV) lies outside the voltages the traces visit (" + Shown(low) +
                           " to " + Shown(high) + " mV): they do not show where it is");
      }
    }
    if (e.determination != Determination::Determined && !e.param.IsBaseline() &&
        e.param.field == ParamField::Gmax && result.currents[e.param.current].q != 0 &&
        HoldingInactivation(result.currents[e.param.current]) < kLittleAvailable) {
      warnings.push_back(name + " is not determined: " + OnlyGmaxTimesHold(result, e.param));
    } else if (e.determination == Determination::Not) {
      warnings.push_back(name + " is not determined by the data");
    } else if (e.determination == Determination::Poorly) {
      warnings.push_back(name + " is poorly determined (standard error " + Shown(*e.standardError) +
                         ")");
    }
  }
  return warnings;
}
