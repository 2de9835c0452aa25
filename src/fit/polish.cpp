// The least-squares polish with Ceres Solver: Levenberg-Marquardt within bounds, one residual
// block per trace, the free parameters of each current in one parameter block; then the
// standard errors from the Jacobian at the solution.
#include "fit/polish.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <random>

#include "fit/covariance.h"
#include "fit/polish_model.h"
#include "fit/polish_solve.h"
#include "fit/polish_verdict.h"
#include "platform/number_text.h"

namespace {

constexpr double kBaselineTypicalSize = 0.01;  // nA
// Restarts: after the given start, up to this many rounds of two solves side by side (one core
// each) while the best fit so far has a fault that another start might not have. The jitter moves
// each free parameter by up to this fraction of its size (or of ten arrow steps, near zero).
constexpr int kRestartRounds = 2;
constexpr double kJitter = 0.3;
constexpr unsigned kJitterSeed = 24;  // fixed: the same input gives the same result
// A result closer to a bound than this fraction of its typical size stands on it.
constexpr double kOnBound = 1e-4;

// A number as the user reads it, with a point whatever the desktop's locale.
std::string Shown(double value) {
  return SignificantText(value, 8);
}

bool IsBounded(double bound) {
  return std::abs(bound) < kUnbounded;
}

const ParamBounds& BoundsOf(const ParamChoice& choice, const ParamRef& param) {
  return param.IsBaseline() ? choice.baselineBounds
                            : choice.currents[param.current].bounds[static_cast<int>(param.field)];
}

double StartOf(const PolishInput& input, const ParamRef& param) {
  return param.IsBaseline() ? input.baseline
                            : input.currents[param.current].*Descriptor(param.field).real;
}

double& ValueOf(PolishInput& input, const ParamRef& param) {
  return param.IsBaseline() ? input.baseline
                            : input.currents[param.current].*Descriptor(param.field).real;
}

// The free parameters in the order of the solver's blocks: current by current, then the
// baseline.
std::vector<ParamRef> FreeParams(const PolishInput& input) {
  std::vector<ParamRef> free;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!input.inFit[i]) continue;
    for (int j = 0; j < kRealFieldCount; ++j) {
      if (input.choice.currents[i].free[j]) free.push_back({i, kParamTable[j].field});
    }
  }
  if (input.choice.baselineFree) free.push_back({});
  return free;
}

// Why one recording's samples cannot be polished, or an empty text.
std::string SamplesFault(const PolishSamples& input) {
  const size_t samples = input.times.size();
  if (samples == 0 || input.measured.empty()) return "no recording is loaded";
  if (input.traceV.size() != input.measured.size() || input.counted.size() != samples) {
    return "the copy of the recording is not consistent";
  }
  for (const std::vector<double>& trace : input.measured) {
    if (trace.size() != samples) return "the copy of the recording is not consistent";
  }
  if (input.windowStart < 0 || static_cast<size_t>(input.windowStart) >= samples ||
      input.windowEnd <= input.windowStart) {
    return "the analysis window holds no sample";
  }
  const int end = std::min(static_cast<size_t>(input.windowEnd), samples);
  bool anyCounted = false;
  for (int n = input.windowStart; n < end; ++n) {
    if (!input.counted[n]) continue;
    anyCounted = true;
    for (size_t k = 0; k < input.measured.size(); ++k) {
      if (!std::isfinite(input.measured[k][n])) {
        return "the measured current of trace " + std::to_string(k + 1) + " at " +
               Shown(input.times[n]) + " ms is not a number";
      }
    }
  }
  if (!anyCounted) return "no sample counts: every sample of the analysis window is excluded";
  return "";
}

// "recording 2 (name)": how a fault or a figure names one of several recordings.
std::string RecordingLabel(const PolishSamples& samples, size_t index) {
  std::string label = "recording " + std::to_string(index + 1);
  if (!samples.name.empty()) label += " (" + samples.name + ")";
  return label;
}

// Why the input cannot be polished, or an empty text.
std::string InputFault(const PolishInput& input, const std::vector<ParamRef>& free) {
  if (std::string fault = SamplesFault(input); !fault.empty()) {
    return input.also.empty() ? fault : RecordingLabel(input, 0) + ": " + fault;
  }
  for (size_t r = 0; r < input.also.size(); ++r) {
    if (std::string fault = SamplesFault(input.also[r]); !fault.empty())
      return RecordingLabel(input.also[r], r + 1) + ": " + fault;
  }
  bool anyInFit = false;
  for (int i = 0; i < kMaxCurrents; ++i) anyInFit = anyInFit || input.inFit[i];
  if (!anyInFit) return "no current is in the fit";
  if (free.empty()) return "no parameter is free";
  if (input.maxIterations < 1) return "the iteration limit must be at least 1";
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!input.inFit[i]) continue;
    for (int j = 0; j < kRealFieldCount; ++j) {
      const ParamRef param{i, kParamTable[j].field};
      if (!std::isfinite(input.currents[i].*kParamTable[j].real)) {
        return ParamName(param) + " is not a number";
      }
    }
  }
  if (!std::isfinite(input.baseline)) return "the baseline is not a number";
  for (const ParamRef& param : free) {
    const ParamBounds& bounds = BoundsOf(input.choice, param);
    if (!(bounds.lower <= bounds.upper)) {
      return "the bounds of " + ParamName(param) + " hold no value (lower " + Shown(bounds.lower) +
             ", upper " + Shown(bounds.upper) + ")";
    }
    if (!param.IsBaseline() && Descriptor(param.field).kind == FieldKind::Slope &&
        input.currents[param.current].*Descriptor(param.field).real == 0.0) {
      return ParamName(param) + " is 0, so the sign it should keep is not known: give it one";
    }
  }
  return "";
}

// Each recording's counted samples and RMS (its residuals unweighted), when there are several.
std::vector<RecordingFit> RecordingFigures(const PolishInput& input, const PolishModel& model,
                                           const std::vector<std::vector<double>>& start,
                                           const std::vector<std::vector<double>>& end) {
  if (input.also.empty()) return {};
  const std::vector<double> weights = RecordingWeights(input);
  std::vector<RecordingFit> figures(input.also.size() + 1);
  std::vector<double> before(figures.size(), 0.0), after(figures.size(), 0.0);
  for (int k = 0; k < model.TraceCount(); ++k) {
    const int r = model.RecordingOf(k);
    const double w = model.WeightOf(k);
    for (double x : start[k]) before[r] += (x / w) * (x / w);
    for (double x : end[k]) after[r] += (x / w) * (x / w);
    figures[r].counted += model.ResidualCount(k);
  }
  for (size_t r = 0; r < figures.size(); ++r) {
    const PolishSamples& samples = r == 0 ? input : input.also[r - 1];
    RecordingFit& fit = figures[r];
    fit.name = RecordingLabel(samples, r);
    fit.weight = weights[r];
    fit.noise = EstimateNoise(samples);
    if (fit.counted == 0) continue;
    fit.rmsBefore = std::sqrt(before[r] / fit.counted);
    fit.rmsAfter = std::sqrt(after[r] / fit.counted);
  }
  return figures;
}

// Moves free starts that lie outside their bounds onto them; one notice for each.
std::vector<std::string> MoveOntoBounds(PolishInput& input, const std::vector<ParamRef>& free) {
  std::vector<std::string> notices;
  for (const ParamRef& param : free) {
    const ParamBounds& bounds = BoundsOf(input.choice, param);
    double& value = ValueOf(input, param);
    const double moved = std::clamp(value, bounds.lower, bounds.upper);
    if (moved == value) continue;
    notices.push_back(ParamName(param) + " was " + Shown(value) + ", " +
                      (moved > value ? "below its lower" : "above its upper") +
                      " bound; the polish started it at " + Shown(moved));
    value = moved;
  }
  return notices;
}

std::vector<const double*> BlockPointers(const std::vector<std::vector<double>>& values) {
  std::vector<const double*> pointers;
  for (const std::vector<double>& block : values) pointers.push_back(block.data());
  return pointers;
}

// The residuals of every trace, or empty when a value is not finite or the polish was
// cancelled.
std::optional<std::vector<std::vector<double>>> ResidualsAt(const PolishModel& model,
                                                            const Coordinates& values) {
  const std::vector<const double*> blocks = BlockPointers(values);
  std::vector<std::vector<double>> residuals;
  for (int k = 0; k < model.TraceCount(); ++k) {
    residuals.emplace_back(model.ResidualCount(k));
    if (!model.EvaluateTrace(k, blocks.data(), residuals.back().data(), nullptr))
      return std::nullopt;
  }
  return residuals;
}

double SquaresOf(const std::vector<std::vector<double>>& residuals) {
  double squares = 0.0;
  for (const std::vector<double>& trace : residuals)
    for (double r : trace) squares += r * r;
  return squares;
}

std::string ConvergedReason(const std::string& message) {
  if (message.starts_with("Function tolerance")) {
    return "converged: the sum of squares stopped falling";
  }
  if (message.starts_with("Parameter tolerance")) {
    return "converged: the parameters stopped moving";
  }
  if (message.starts_with("Gradient tolerance")) return "converged: the gradient vanished";
  return "converged: " + message;
}

// The triangular factor of the Jacobian at `values`, built trace by trace; empty when cancelled.
std::optional<std::vector<double>> JacobianFactor(const PolishModel& model,
                                                  const std::vector<std::vector<double>>& values,
                                                  const std::atomic<bool>* cancel) {
  const std::vector<const double*> blocks = BlockPointers(values);
  std::vector<int> offsets;
  int columns = 0;
  for (const std::vector<double>& block : values) {
    offsets.push_back(columns);
    columns += static_cast<int>(block.size());
  }
  std::vector<double> factor(static_cast<size_t>(columns) * columns, 0.0);
  for (int k = 0; k < model.TraceCount(); ++k) {
    const int rows = model.ResidualCount(k);
    std::vector<std::vector<double>> blockJacobians;
    std::vector<double*> jacobians;
    for (const std::vector<double>& block : values) {
      blockJacobians.emplace_back(static_cast<size_t>(rows) * block.size());
      jacobians.push_back(blockJacobians.back().data());
    }
    std::vector<double> residuals(rows);
    if (!model.EvaluateTrace(k, blocks.data(), residuals.data(), jacobians.data())) {
      return std::nullopt;
    }
    std::vector<double> stacked(static_cast<size_t>(rows) * columns);
    for (size_t b = 0; b < values.size(); ++b) {
      const size_t width = values[b].size();
      for (int row = 0; row < rows; ++row) {
        std::copy_n(&blockJacobians[b][row * width], width, &stacked[row * columns + offsets[b]]);
      }
    }
    FoldRows(&factor, columns, stacked.data(), rows);
    if (cancel && cancel->load()) return std::nullopt;
  }
  return factor;
}

double TypicalSize(const ParamRef& param, double value) {
  const double step = param.IsBaseline() ? kBaselineTypicalSize : Descriptor(param.field).step;
  return std::max(std::abs(value), step);
}

// The solver's coordinates only come near a bound: near enough is on it.
bool OnBound(double value, const ParamBounds& bounds, double typical) {
  const double near = kOnBound * typical;
  return (IsBounded(bounds.lower) && value - bounds.lower <= near) ||
         (IsBounded(bounds.upper) && bounds.upper - value <= near);
}

bool IsRaised(const std::atomic<bool>* cancel) {
  return cancel && cancel->load();
}

// Standard errors, "not determined" and the strongly correlated pairs of the result's estimates
// at the solution `values`. False when cancelled.
bool AddStandardErrors(const PolishModel& model, const std::vector<std::vector<double>>& values,
                       double sumOfSquares, const std::atomic<bool>* cancel, PolishResult* result) {
  std::vector<ParamEstimate>& estimates = result->estimates;
  const std::optional<std::vector<double>> factor = JacobianFactor(model, values, cancel);
  if (IsRaised(cancel)) return false;
  if (!factor) {
    result->covarianceNote = "the Jacobian at the solution is not a number";
    return true;
  }
  std::vector<double> typical;
  for (const ParamEstimate& e : estimates) typical.push_back(TypicalSize(e.param, e.result));
  const int n = static_cast<int>(estimates.size());
  const CovarianceFigures figures =
      EstimateCovariance(*factor, n, typical, sumOfSquares, result->counted);
  result->covarianceNote = figures.note;
  // Correlated residuals carry less news than as many independent ones: the errors widen by
  // the root of samples over effective samples, n / n_eff = (1 + rho) / (1 - rho).
  const double widening = result->lag1 && *result->lag1 > 0.0
                              ? std::sqrt((1.0 + *result->lag1) / (1.0 - *result->lag1))
                              : 1.0;
  for (int a = 0; a < n; ++a) {
    ParamEstimate& e = estimates[a];
    e.standardError = figures.standardErrors[a];
    e.determination = !e.standardError                ? Determination::Not
                      : *e.standardError > typical[a] ? Determination::Poorly
                                                      : Determination::Determined;
    if (e.standardError && std::isfinite(widening)) e.correctedError = *e.standardError * widening;
    for (int b = a + 1; b < n; ++b) {
      const double r = figures.correlation[static_cast<size_t>(a) * n + b];
      if (std::abs(r) > kStrongCorrelation) {
        result->correlated.push_back({estimates[a].param, estimates[b].param, r});
      }
    }
  }
  return true;
}

PolishResult Unchanged(const PolishInput& input, PolishOutcome outcome, std::string reason) {
  PolishResult result;
  result.outcome = outcome;
  result.reason = std::move(reason);
  result.currents = input.currents;
  result.baseline = input.baseline;
  return result;
}

// A start near `from` in the parameters' own units, as another eye might have left it.
Coordinates Jittered(const PolishModel& model, const PolishInput& input,
                     const std::vector<ParamRef>& free, const Coordinates& from,
                     std::mt19937& random) {
  std::array<CurrentParams, kMaxCurrents> currents;
  double baseline = 0.0;
  const std::vector<const double*> blocks = BlockPointers(from);
  model.Unpack(blocks.data(), &currents, &baseline);
  std::uniform_real_distribution<double> move(-kJitter, kJitter);
  for (const ParamRef& param : free) {
    double& value =
        param.IsBaseline() ? baseline : currents[param.current].*Descriptor(param.field).real;
    const double step = param.IsBaseline() ? kBaselineTypicalSize : Descriptor(param.field).step;
    const ParamBounds& bounds = BoundsOf(input.choice, param);
    value = std::clamp(value + move(random) * std::max(std::abs(value), 10.0 * step), bounds.lower,
                       bounds.upper);
  }
  return model.CoordinatesOf(currents, baseline);
}

// The result of the solve `run`: values, RMS, standard errors and the verdict. Empty when
// cancelled or when the solution is not a number.
std::optional<PolishResult> Judge(const PolishInput& input, const PolishModel& model,
                                  const SolveRun& run, const std::vector<ParamRef>& free,
                                  const std::vector<std::string>& notices,
                                  const std::vector<std::vector<double>>& startResiduals,
                                  const NoiseEstimate& noise, const std::atomic<bool>* cancel) {
  PolishResult result;
  result.outcome =
      run.end == SolveEnd::Converged ? PolishOutcome::Converged : PolishOutcome::IterationLimit;
  result.reason = run.end == SolveEnd::Converged ? ConvergedReason(run.message)
                                                 : "stopped at the iteration limit (" +
                                                       std::to_string(input.maxIterations) + ")";
  const std::vector<const double*> solution = BlockPointers(run.coordinates);
  PolishInput solved = input;
  model.Unpack(solution.data(), &solved.currents, &solved.baseline);
  // The coordinates only approach a bound: a result that close to one is put on it.
  std::vector<bool> onBound;
  for (const ParamRef& param : free) {
    double& value = ValueOf(solved, param);
    const ParamBounds& bounds = BoundsOf(input.choice, param);
    onBound.push_back(OnBound(value, bounds, TypicalSize(param, value)));
    if (onBound.back())
      value = std::abs(value - bounds.lower) < std::abs(value - bounds.upper) ? bounds.lower
                                                                              : bounds.upper;
  }
  // Residuals, standard errors and the RMS are of the parameters themselves.
  const PolishModel plain(solved, cancel, PolishModel::Coordinates::Plain);
  const Coordinates values = plain.StartValues();
  const auto residuals = ResidualsAt(plain, values);
  if (IsRaised(cancel) || !residuals) return std::nullopt;
  const double squares = SquaresOf(*residuals);
  result.currents = solved.currents;
  result.baseline = solved.baseline;
  result.notices = notices;
  result.iterations = run.iterations;
  result.counted = model.TotalResiduals();
  result.rmsBefore = std::sqrt(SquaresOf(startResiduals) / result.counted);
  result.rmsAfter = std::sqrt(squares / result.counted);
  result.noise = noise;
  result.lag1 = LagOneAutocorrelation(*residuals);
  if (!input.also.empty()) {
    result.recordings = RecordingFigures(input, model, startResiduals, *residuals);
    result.weightedByNoise = WeightedByNoise(input);
  }
  for (size_t j = 0; j < free.size(); ++j) {
    result.estimates.push_back({free[j], StartOf(input, free[j]), StartOf(solved, free[j]),
                                std::nullopt, onBound[j], std::nullopt, Determination::Not});
  }
  if (!AddStandardErrors(plain, values, squares, cancel, &result)) return std::nullopt;
  result.warnings = FitWarnings(input, result, run.path);
  return result;
}

}  // namespace

std::string ParamName(const ParamRef& param) {
  if (param.IsBaseline()) return "baseline";
  return std::to_string(param.current + 1) + "." + std::string(Descriptor(param.field).name);
}

bool OfSilentGate(const CurrentParams& current, ParamField field) {
  switch (Descriptor(field).gate) {
    case Gate::m:
      return current.p == 0;
    case Gate::h:
      return current.q == 0;
    case Gate::None:
      return false;
  }
  return false;
}

ParamBounds DefaultBounds(const CurrentParams& current, ParamField field) {
  const ParamDescriptor& d = Descriptor(field);
  if (d.kind == FieldKind::Slope && d.real) {
    const double value = current.*d.real;
    if (value > 0.0) return {kLeastSlope, kUnbounded};
    if (value < 0.0) return {-kUnbounded, -kLeastSlope};
  }
  return {d.lower, d.upper};
}

ParamChoice DefaultChoice(const std::array<CurrentParams, kMaxCurrents>& currents) {
  ParamChoice choice;
  for (int i = 0; i < kMaxCurrents; ++i) {
    for (int j = 0; j < kRealFieldCount; ++j) {
      const ParamField field = kParamTable[j].field;
      choice.currents[i].bounds[j] = DefaultBounds(currents[i], field);
      choice.currents[i].free[j] = field != ParamField::Erev && field != ParamField::Vhold &&
                                   !OfSilentGate(currents[i], field);
    }
  }
  return choice;
}

PolishResult Polish(const PolishInput& original, const PolishProgressFn& progress,
                    const std::atomic<bool>* cancel) {
  const auto began = std::chrono::steady_clock::now();
  const auto cancelled = [&] { return Unchanged(original, PolishOutcome::Cancelled, "cancelled"); };
  const std::vector<ParamRef> free = FreeParams(original);
  if (std::string fault = InputFault(original, free); !fault.empty()) {
    return Unchanged(original, PolishOutcome::Refused, std::move(fault));
  }
  PolishInput input = original;
  const std::vector<std::string> notices = MoveOntoBounds(input, free);
  const PolishModel model(input, cancel);
  const Coordinates start = model.StartValues();
  const auto startResiduals = ResidualsAt(model, start);
  if (IsRaised(cancel)) return cancelled();
  if (!startResiduals) {
    return Unchanged(original, PolishOutcome::Refused,
                     "the model is not a number at some counted sample: look for a zero slope or "
                     "time constant");
  }
  const NoiseEstimate noise = EstimateNoise(input);

  const IterationObserver observe = [&](int iteration, double squares, const Coordinates& at) {
    if (!progress) return;
    std::array<CurrentParams, kMaxCurrents> currents;
    double baseline = 0.0;
    const std::vector<const double*> blocks = BlockPointers(at);
    model.Unpack(blocks.data(), &currents, &baseline);
    progress({iteration, std::sqrt(squares / model.TotalResiduals()), currents, baseline});
  };
  std::mt19937 random(kJitterSeed);
  std::vector<Coordinates> starts = {start};
  std::optional<SolveRun> best;
  std::string failure;
  int solves = 0;
  PolishResult result;
  for (int round = 0; round <= kRestartRounds; ++round) {
    std::vector<SolveRun> runs =
        SolveSideBySide(model, starts, input.maxIterations, round == 0 ? observe : nullptr, cancel);
    if (IsRaised(cancel)) return cancelled();
    solves += static_cast<int>(runs.size());
    bool improved = false;
    for (SolveRun& run : runs) {
      if (run.end == SolveEnd::Failed && failure.empty()) failure = run.message;
      if (run.end != SolveEnd::Converged && run.end != SolveEnd::IterationLimit) continue;
      // A restart must do clearly better to replace a fit: equal fits keep the given start's.
      if (best && !(run.squares < best->squares * (1.0 - 1e-9))) continue;
      best = std::move(run);
      improved = true;
    }
    if (!best) break;
    if (improved) {
      const std::optional<PolishResult> judged =
          Judge(input, model, *best, free, notices, *startResiduals, noise, cancel);
      if (IsRaised(cancel)) return cancelled();
      if (!judged)
        return Unchanged(original, PolishOutcome::Failed, "the solution is not a number");
      result = *judged;
    }
    if (!WorthAnotherStart(input, result)) break;
    starts = {Jittered(model, input, free, start, random),
              Jittered(model, input, free, best->coordinates, random)};
  }
  if (!best) return Unchanged(original, PolishOutcome::Failed, "the solver gave up: " + failure);
  result.starts = solves;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}
