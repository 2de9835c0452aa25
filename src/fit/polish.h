// The least-squares polish: from the user's fit, move the free parameters of the currents in
// the fit (and the baseline, when freed) to the least squares of measured minus summed model
// over the samples that count, within bounds; then the standard errors at the solution. It works
// on a plain copy of the workspace and touches no global, so it can run off the user-interface
// thread; the caller applies the result.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fit/regions.h"
#include "model/fitter_choice.h"
#include "model/model.h"
#include "model/param_table.h"
#include "model/recording.h"

inline constexpr int kDefaultMaxIterations = 200;
inline constexpr double kStrongCorrelation = 0.95;  // |r| above this is listed

// A parameter the polish can move: a real field of a current, or the baseline.
struct ParamRef {
  int current = -1;                   // 0-based; -1 for the baseline
  ParamField field = ParamField::Vm;  // a real field; unused for the baseline
  bool IsBaseline() const { return current < 0; }
  bool operator==(const ParamRef&) const = default;
};

// "1.Vm" (current numbers as the user sees them), or "baseline".
std::string ParamName(const ParamRef& param);

// The physical bounds of a field; a slope keeps the sign it has in `current`.
ParamBounds DefaultBounds(const CurrentParams& current, ParamField field);

// Gmax and the twelve kinetic parameters free, Erev and Vhold fixed, the parameters of a gate
// raised to the power 0 fixed (the data cannot see them), the baseline fixed; physical bounds.
ParamChoice DefaultChoice(const std::array<CurrentParams, kMaxCurrents>& currents);

// True when the field belongs to a gate that `current` raises to the power 0.
bool OfSilentGate(const CurrentParams& current, ParamField field);

// One recording's part of the polish: its samples, analysis window and the samples that count.
struct PolishSamples {
  std::vector<double> times;   // ms, one per sample, shared by the traces
  std::vector<double> traceV;  // step voltage of each trace (mV)
  // Per trace, its whole command when the model follows it; empty (or none): the single step.
  std::vector<std::vector<CommandLevel>> commands;
  std::vector<std::vector<double>> measured;  // nA, per trace, one per sample
  int windowStart = 0;                        // the model's time zero is times[windowStart]
  int windowEnd = 0;                          // exclusive
  SampleMask counted;                         // the samples that count, for every trace
  std::optional<double> noiseSd;              // nA, over the noise region when one is set
  std::string name;                           // how the summary names the recording
};

// Everything the polish needs, copied out of the workspace: the first recording's samples, and
// those of any further recordings fitted together with it to the same currents.
struct PolishInput : PolishSamples {
  std::array<CurrentParams, kMaxCurrents> currents{};
  std::array<bool, kMaxCurrents> inFit{};  // the currents summed in the fit
  double baseline = 0.0;                   // nA, carried by every current in the fit
  ParamChoice choice;
  int maxIterations = kDefaultMaxIterations;
  std::vector<PolishSamples> also;  // further recordings; empty: the polish of one recording
};

// Handed to the progress callback after every iteration, on the polish's own thread.
struct PolishProgress {
  int iteration;
  double rms;                                               // nA, over the counted samples
  const std::array<CurrentParams, kMaxCurrents>& currents;  // the iteration's parameters
  double baseline;
};
using PolishProgressFn = std::function<void(const PolishProgress&)>;

enum class PolishOutcome {
  Converged,       // a tolerance was reached
  IterationLimit,  // stopped at maxIterations; the result is the best point found
  Cancelled,       // the cancel flag was raised; the result is the input
  Failed,          // the solver gave up; the result is the input
  Refused,         // the input cannot be polished (reason says why); the result is the input
};

// How well the data pin a parameter down (fit/covariance.h says where the lines are drawn).
enum class Determination {
  Determined,
  Poorly,  // its standard error exceeds its size
  Not,     // a combination of it with others is all the data see; no standard error
};

struct ParamEstimate {
  ParamRef param;
  double start;  // after moving onto its bounds
  double result;
  std::optional<double> standardError;   // empty: not determined by the data
  bool atBound = false;                  // the result lies on one of its bounds
  std::optional<double> correctedError;  // the standard error widened for correlated residuals
  Determination determination = Determination::Not;
};

// Where the noise figure that the fit's RMS is held against came from.
enum class NoiseSource {
  Region,       // the noise region the user set
  Baseline,     // the samples before the analysis window, before the step
  Differences,  // the spread of second differences of the counted samples
  None,
};

struct NoiseEstimate {
  std::optional<double> sd;  // nA
  NoiseSource source = NoiseSource::None;
};

// How far the fit misses one recording, when several are fitted together.
struct RecordingFit {
  std::string name;
  int counted = 0;                  // samples that count
  std::optional<double> rmsBefore;  // nA, unweighted
  std::optional<double> rmsAfter;   // nA, unweighted
  NoiseEstimate noise;
  double weight = 1.0;  // its residuals' factor in the joint sum of squares
};

struct CorrelatedPair {
  ParamRef first;
  ParamRef second;
  double r;  // correlation of the two estimates
};

struct PolishResult {
  PolishOutcome outcome = PolishOutcome::Refused;
  std::string reason;  // why it stopped, or why it did not start, in words
  std::array<CurrentParams, kMaxCurrents> currents{};  // fitted (the input unless applicable)
  double baseline = 0.0;
  std::vector<ParamEstimate> estimates;    // one per free parameter, in current and field order
  std::vector<CorrelatedPair> correlated;  // pairs with |r| > kStrongCorrelation
  std::vector<std::string> notices;        // starts moved onto their bounds
  std::string covarianceNote;              // why there are no standard errors, when there are none
  int iterations = 0;
  int counted = 0;                  // samples that count, over all traces
  std::optional<double> rmsBefore;  // nA
  std::optional<double> rmsAfter;   // nA
  // Why the fit may not be good: far above the noise, on a bound, a midpoint the traces do not
  // reach, a parameter running away or not determined. Empty: nothing to warn of.
  std::vector<std::string> warnings;
  NoiseEstimate noise;         // what the RMS is held against
  std::optional<double> lag1;  // lag-1 autocorrelation of the residuals
  // With several recordings, each one's figures (the RMS above is over all, weighted), and
  // whether each was weighted by its noise region (otherwise all count alike).
  std::vector<RecordingFit> recordings;
  bool weightedByNoise = false;
  int starts = 0;        // solves run: the given start and the restarts
  double seconds = 0.0;  // wall time of the solves

  // Converged or stopped at its iteration limit: the result is meant to be applied.
  bool Applicable() const {
    return outcome == PolishOutcome::Converged || outcome == PolishOutcome::IterationLimit;
  }
  // Converged, and nothing to warn of.
  bool Good() const { return outcome == PolishOutcome::Converged && warnings.empty(); }
};

// Runs the polish. `progress` (may be empty) is called after every iteration; raising `cancel`
// (may be null) stops it within one evaluation of the model.
PolishResult Polish(const PolishInput& input, const PolishProgressFn& progress = {},
                    const std::atomic<bool>* cancel = nullptr);
