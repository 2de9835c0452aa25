// The polish's solves with Ceres Solver.
#include "fit/polish_solve.h"

#include <ceres/ceres.h>

#include <memory>
#include <mutex>
#include <thread>

namespace {

// A relative change of 1e-6 in the sum of squares of 30,000 residuals is a few hundredths of
// what moving one parameter by its standard error changes; stopping there spares the long crawl
// along a direction the data barely see. A step below 1e-10 of the parameters leaves them exact
// to the digits anyone reads.
constexpr double kFunctionTolerance = 1e-6;
constexpr double kParameterTolerance = 1e-10;
constexpr double kGradientTolerance = 1e-10;
// Below this many residuals, one thread evaluates faster than two (measured on the examples'
// family: 6,000 residuals, 15 % less processor time on one).
constexpr int kResidualsForTwoThreads = 20000;

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

std::vector<double> FreeValues(const PolishModel& model, const Coordinates& coordinates) {
  std::vector<double> values;
  for (size_t b = 0; b < coordinates.size(); ++b) {
    for (size_t j = 0; j < coordinates[b].size(); ++j)
      values.push_back(FromCoordinate(model.Blocks()[b].maps[j], coordinates[b][j]));
  }
  return values;
}

class Relay final : public ceres::IterationCallback {
 public:
  Relay(const PolishModel& model, const Coordinates& values, const IterationObserver& observe,
        const std::atomic<bool>* cancel, std::vector<std::vector<double>>* path)
      : model_(model), values_(values), observe_(observe), cancel_(cancel), path_(path) {}

  ceres::CallbackReturnType operator()(const ceres::IterationSummary& summary) override {
    if (cancel_ && cancel_->load()) return ceres::SOLVER_ABORT;
    // The solver keeps the blocks at the iteration's state (update_state_every_iteration).
    if (summary.step_is_successful || summary.iteration == 0)
      path_->push_back(FreeValues(model_, values_));
    if (observe_) observe_(summary.iteration, 2.0 * summary.cost, values_);
    return ceres::SOLVER_CONTINUE;
  }

 private:
  const PolishModel& model_;
  const Coordinates& values_;
  const IterationObserver& observe_;
  const std::atomic<bool>* cancel_;
  std::vector<std::vector<double>>* path_;
};

ceres::Solver::Options SolverOptions(int maxIterations, int threads,
                                     ceres::IterationCallback* relay) {
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
  options.max_num_iterations = maxIterations;
  options.logging_type = ceres::SILENT;
  options.num_threads = threads;
  // The observer reads the iteration's parameters from the blocks.
  options.update_state_every_iteration = true;
  options.callbacks.push_back(relay);
  return options;
}

double SumOfSquares(const PolishModel& model, const Coordinates& values, bool* finite) {
  std::vector<const double*> blocks;
  for (const std::vector<double>& block : values) blocks.push_back(block.data());
  double squares = 0.0;
  *finite = true;
  for (int k = 0; k < model.TraceCount() && *finite; ++k) {
    std::vector<double> residuals(model.ResidualCount(k));
    *finite = model.EvaluateTrace(k, blocks.data(), residuals.data(), nullptr);
    for (double r : residuals) squares += r * r;
  }
  return squares;
}

}  // namespace

SolveRun SolveFrom(const PolishModel& model, Coordinates start, int maxIterations, int threads,
                   const IterationObserver& observe, const std::atomic<bool>* cancel) {
  SolveRun run;
  run.coordinates = std::move(start);
  std::vector<std::unique_ptr<TraceCost>> costs;
  ceres::Problem::Options ownership;
  ownership.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;  // `costs` owns them
  ceres::Problem problem(ownership);
  std::vector<double*> blocks;
  for (std::vector<double>& block : run.coordinates) blocks.push_back(block.data());
  for (int k = 0; k < model.TraceCount(); ++k) {
    costs.push_back(std::make_unique<TraceCost>(model, k));
    problem.AddResidualBlock(costs.back().get(), nullptr, blocks);
  }
  Relay relay(model, run.coordinates, observe, cancel, &run.path);
  ceres::Solver::Summary summary;
  ceres::Solve(SolverOptions(maxIterations, threads, &relay), &problem, &summary);
  run.message = summary.message;
  run.iterations = std::max(0, static_cast<int>(summary.iterations.size()) - 1);
  if (cancel && cancel->load()) {
    run.end = SolveEnd::Cancelled;
    return run;
  }
  switch (summary.termination_type) {
    case ceres::CONVERGENCE:
      run.end = SolveEnd::Converged;
      break;
    case ceres::NO_CONVERGENCE:
      run.end = SolveEnd::IterationLimit;
      break;
    default:
      run.end = SolveEnd::Failed;
      return run;
  }
  bool finite = false;
  run.squares = SumOfSquares(model, run.coordinates, &finite);
  if (!finite) {
    run.end = cancel && cancel->load() ? SolveEnd::Cancelled : SolveEnd::Failed;
    run.message = "the solution is not a number";
  }
  return run;
}

std::vector<SolveRun> SolveSideBySide(const PolishModel& model,
                                      const std::vector<Coordinates>& starts, int maxIterations,
                                      const IterationObserver& observe,
                                      const std::atomic<bool>* cancel) {
  std::vector<SolveRun> runs(starts.size());
  if (starts.size() == 1) {
    // One start alone may have both cores for its traces, where they are many enough that
    // waking a second thread at every evaluation pays.
    const int threads = model.TotalResiduals() >= kResidualsForTwoThreads ? 2 : 1;
    runs[0] = SolveFrom(model, starts[0], maxIterations, threads, observe, cancel);
    return runs;
  }
  const IterationObserver none;
  std::vector<std::thread> others;
  for (size_t i = 1; i < starts.size(); ++i) {
    others.emplace_back(
        [&, i] { runs[i] = SolveFrom(model, starts[i], maxIterations, 1, none, cancel); });
  }
  runs[0] = SolveFrom(model, starts[0], maxIterations, 1, observe, cancel);
  for (std::thread& other : others) other.join();
  return runs;
}
