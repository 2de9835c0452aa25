// The least-squares polish with Ceres Solver: Levenberg-Marquardt within bounds, one residual
// block per trace, the free parameters of each current in one parameter block; then the
// standard errors from the Jacobian at the solution.
#include "fit/polish.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>

#include "fit/covariance.h"
#include "fit/polish_model.h"

namespace {

// A relative change of 1e-6 in the sum of squares of 30,000 residuals is a few hundredths of
// what moving one parameter by its standard error changes; stopping there spares the long crawl
// along a direction the data barely see. A step below 1e-10 of the parameters leaves them exact
// to the digits anyone reads.
constexpr double kFunctionTolerance = 1e-6;
constexpr double kParameterTolerance = 1e-10;
constexpr double kGradientTolerance = 1e-10;
constexpr double kBaselineTypicalSize = 0.01;  // nA

// A number as the user reads it, with a point whatever the desktop's locale.
std::string Shown(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 8);
  return std::string(text, result.ptr);
}

bool IsBounded(double bound) {
  return std::abs(bound) < kUnbounded;
}

const ParamBounds& BoundsOf(const ParamChoice& choice, const ParamRef& param) {
  return param.IsBaseline() ? choice.baselineBounds
                            : choice.currents[param.current].bounds[static_cast<int>(param.field)];
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

// Why the input cannot be polished, or an empty text.
std::string InputFault(const PolishInput& input, const std::vector<ParamRef>& free) {
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

class TraceCost final : public ceres::CostFunction {
 public:
  TraceCost(const PolishModel& model, int trace) : model_(model), trace_(trace) {
    set_num_residuals(model.ResidualCount(trace));
    for (const PolishModel::Block& block : model.Blocks()) {
      mutable_parameter_block_sizes()->push_back(
          block.current < 0 ? 1 : static_cast<int32_t>(block.fields.size()));
    }
  }
  bool Evaluate(double const* const* parameters, double* residuals,
                double** jacobians) const override {
    return model_.EvaluateTrace(trace_, parameters, residuals, jacobians);
  }

 private:
  const PolishModel& model_;
  int trace_;
};

std::vector<const double*> BlockPointers(const std::vector<std::vector<double>>& values) {
  std::vector<const double*> pointers;
  for (const std::vector<double>& block : values) pointers.push_back(block.data());
  return pointers;
}

// The sum of squared residuals over every trace, or empty when a value is not finite or the
// polish was cancelled.
std::optional<double> SumOfSquares(const PolishModel& model,
                                   const std::vector<std::vector<double>>& values) {
  const std::vector<const double*> blocks = BlockPointers(values);
  double squares = 0.0;
  for (int k = 0; k < model.TraceCount(); ++k) {
    std::vector<double> residuals(model.ResidualCount(k));
    if (!model.EvaluateTrace(k, blocks.data(), residuals.data(), nullptr)) return std::nullopt;
    for (double r : residuals) squares += r * r;
  }
  return squares;
}

class ProgressRelay final : public ceres::IterationCallback {
 public:
  ProgressRelay(const PolishModel& model, const std::vector<std::vector<double>>& values,
                const PolishProgressFn& progress, const std::atomic<bool>* cancel)
      : model_(model), values_(values), progress_(progress), cancel_(cancel) {}

  ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
    if (cancel_ && cancel_->load()) return ceres::SOLVER_ABORT;
    if (progress_) {
      // The solver keeps the blocks at the iteration's state (update_state_every_iteration).
      const std::vector<const double*> blocks = BlockPointers(values_);
      model_.Unpack(blocks.data(), &currents_, &baseline_);
      const double rms = std::sqrt(2.0 * summary.cost / model_.TotalResiduals());
      progress_({summary.iteration, rms, currents_, baseline_});
    }
    return ceres::SOLVER_CONTINUE;
  }

 private:
  const PolishModel& model_;
  const std::vector<std::vector<double>>& values_;
  const PolishProgressFn& progress_;
  const std::atomic<bool>* cancel_;
  std::array<CurrentParams, kMaxCurrents> currents_{};
  double baseline_ = 0.0;
};

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

ceres::Solver::Options SolverOptions(int maxIterations, ceres::IterationCallback* relay) {
  // The solver's own log would reach the command line's standard error; every failure it could
  // tell of comes back in its summary instead.
  static std::once_flag quietLog;
  std::call_once(quietLog, [] { FLAGS_minloglevel = google::GLOG_FATAL; });
  ceres::Solver::Options options;
  options.function_tolerance = kFunctionTolerance;
  options.parameter_tolerance = kParameterTolerance;
  options.gradient_tolerance = kGradientTolerance;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  // With thousands of residuals per parameter, forming J^T J costs a fraction of a QR of J; the
  // Levenberg-Marquardt damping keeps it well conditioned.
  options.linear_solver_type = ceres::DENSE_NORMAL_CHOLESKY;
  // Bounds make the solver search along each step; interpolating from costs alone spares it a
  // Jacobian at every trial point.
  options.line_search_interpolation_type = ceres::QUADRATIC;
  options.max_num_iterations = maxIterations;
  options.logging_type = ceres::SILENT;
  options.num_threads = 1;
  // The progress callback reads the iteration's parameters from the blocks.
  options.update_state_every_iteration = true;
  options.callbacks.push_back(relay);
  return options;
}

double TypicalSize(const ParamRef& param, double value) {
  const double step = param.IsBaseline() ? kBaselineTypicalSize : Descriptor(param.field).step;
  return std::max(std::abs(value), step);
}

bool OnBound(double value, const ParamBounds& bounds) {
  return value == bounds.lower || value == bounds.upper;
}

bool IsRaised(const std::atomic<bool>* cancel) {
  return cancel && cancel->load();
}

// The solver's problem: one residual block per trace over every parameter block, and the bounds.
struct SolverProblem {
  std::vector<std::unique_ptr<TraceCost>> costs;
  ceres::Problem problem;

  SolverProblem(const PolishModel& model, std::vector<std::vector<double>>& values,
                const std::vector<ParamRef>& free, const ParamChoice& choice)
      : problem(Ownership()) {
    std::vector<double*> blocks;
    for (std::vector<double>& block : values) blocks.push_back(block.data());
    for (int k = 0; k < model.TraceCount(); ++k) {
      costs.push_back(std::make_unique<TraceCost>(model, k));
      problem.AddResidualBlock(costs.back().get(), nullptr, blocks);
    }
    size_t column = 0;
    for (size_t b = 0; b < values.size(); ++b) {
      for (size_t j = 0; j < values[b].size(); ++j, ++column) {
        const ParamBounds& bounds = BoundsOf(choice, free[column]);
        if (IsBounded(bounds.lower)) problem.SetParameterLowerBound(blocks[b], j, bounds.lower);
        if (IsBounded(bounds.upper)) problem.SetParameterUpperBound(blocks[b], j, bounds.upper);
      }
    }
  }

  static ceres::Problem::Options Ownership() {
    ceres::Problem::Options options;
    options.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;  // `costs` owns them
    return options;
  }
};

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
  for (int a = 0; a < n; ++a) {
    estimates[a].standardError = figures.standardErrors[a];
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
  const auto cancelled = [&] { return Unchanged(original, PolishOutcome::Cancelled, "cancelled"); };
  const std::vector<ParamRef> free = FreeParams(original);
  if (std::string fault = InputFault(original, free); !fault.empty()) {
    return Unchanged(original, PolishOutcome::Refused, std::move(fault));
  }
  PolishInput input = original;
  const std::vector<std::string> notices = MoveOntoBounds(input, free);
  const PolishModel model(input, cancel);
  std::vector<std::vector<double>> values = model.StartValues();
  const std::optional<double> startSquares = SumOfSquares(model, values);
  if (IsRaised(cancel)) return cancelled();
  if (!startSquares) {
    return Unchanged(original, PolishOutcome::Refused,
                     "the model is not a number at some counted sample: look for a zero slope or "
                     "time constant");
  }

  SolverProblem solver(model, values, free, input.choice);
  ProgressRelay relay(model, values, progress, cancel);
  ceres::Solver::Summary summary;
  ceres::Solve(SolverOptions(input.maxIterations, &relay), &solver.problem, &summary);
  if (IsRaised(cancel)) return cancelled();
  PolishResult result;
  switch (summary.termination_type) {
    case ceres::CONVERGENCE:
      result.outcome = PolishOutcome::Converged;
      result.reason = ConvergedReason(summary.message);
      break;
    case ceres::NO_CONVERGENCE:
      result.outcome = PolishOutcome::IterationLimit;
      result.reason =
          "stopped at the iteration limit (" + std::to_string(input.maxIterations) + ")";
      break;
    default:
      return Unchanged(original, PolishOutcome::Failed, "the solver gave up: " + summary.message);
  }
  const std::optional<double> endSquares = SumOfSquares(model, values);
  if (IsRaised(cancel)) return cancelled();
  if (!endSquares)
    return Unchanged(original, PolishOutcome::Failed, "the solution is not a number");

  const std::vector<const double*> solution = BlockPointers(values);
  model.Unpack(solution.data(), &result.currents, &result.baseline);
  result.notices = notices;
  result.iterations = std::max(0, static_cast<int>(summary.iterations.size()) - 1);
  result.counted = model.TotalResiduals();
  result.rmsBefore = std::sqrt(*startSquares / result.counted);
  result.rmsAfter = std::sqrt(*endSquares / result.counted);
  for (const ParamRef& param : free) {
    const double end = param.IsBaseline()
                           ? result.baseline
                           : result.currents[param.current].*Descriptor(param.field).real;
    result.estimates.push_back({param, ValueOf(input, param), end, std::nullopt,
                                OnBound(end, BoundsOf(input.choice, param))});
  }
  if (!AddStandardErrors(model, values, *endSquares, cancel, &result)) return cancelled();
  return result;
}
