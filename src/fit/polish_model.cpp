// The polish's residuals and their exact derivatives. Each sample's model current depends on the
// parameters only through eight quantities of its trace (the steady states, time constants and
// holding values of the two gates, the driving force and Gmax). So the derivatives come in two
// automatic differentiations through the model's own evaluation: once per trace, of those eight
// quantities with respect to the fifteen real fields, and once per sample, of the current with
// respect to the eight; their product is the Jacobian row. Values are those of the plain
// evaluation, bit for bit.
#include "fit/polish_model.h"

#include <ceres/jet.h>
#include <Eigen/Core>
#include <cmath>

#include "model/evaluate.h"
#include "model/evaluate_steps.h"

namespace {

// What one sample of one current depends on.
enum Intermediate { kMinf, kHinf, kTaum, kTauh, kMinf0, kHinf0, kDrivingForce, kGmax };
constexpr int kIntermediates = 8;

using SampleJet = ceres::Jet<double, kIntermediates>;
using ParamJet = ceres::Jet<double, kRealFieldCount>;
// d(intermediate)/d(real field) at one trace voltage.
using Chain = Eigen::Matrix<double, kIntermediates, kRealFieldCount>;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using SampleGradients = Eigen::Matrix<double, Eigen::Dynamic, kIntermediates, Eigen::RowMajor>;

template <typename T>
CurrentReals<T> RealsFrom(const std::array<T, kRealFieldCount>& r) {
  return {r[0], r[1], r[2],  r[3],  r[4],  r[5],  r[6], r[7],
          r[8], r[9], r[10], r[11], r[12], r[13], r[14]};
}

constexpr int Index(ParamField field) {
  return static_cast<int>(field);
}

Chain ChainAt(const std::array<double, kRealFieldCount>& reals, double v) {
  std::array<ParamJet, kRealFieldCount> seeded;
  for (int j = 0; j < kRealFieldCount; ++j) seeded[j] = ParamJet(reals[j], j);
  const TraceGates<ParamJet> g = GatesAt(RealsFrom(seeded), v);
  Chain chain;
  chain.row(kMinf) = g.minf.v.transpose();
  chain.row(kHinf) = g.hinf.v.transpose();
  chain.row(kTaum) = g.taum.v.transpose();
  chain.row(kTauh) = g.tauh.v.transpose();
  chain.row(kMinf0) = g.minf0.v.transpose();
  chain.row(kHinf0) = g.hinf0.v.transpose();
  chain.row(kDrivingForce) = g.drivingForce.v.transpose();
  chain.row(kGmax).setZero();
  chain(kGmax, Index(ParamField::Gmax)) = 1.0;
  // Far out on a sigmoid its exponential overflows: the value settles at its limit while the
  // derivative, inf over inf, is not a number. The true derivative there is below the smallest
  // double.
  return chain.unaryExpr([](double d) { return std::isfinite(d) ? d : 0.0; });
}

TraceGates<SampleJet> SeededGates(const TraceGates<double>& g) {
  return {SampleJet(g.minf, kMinf),
          SampleJet(g.hinf, kHinf),
          SampleJet(g.taum, kTaum),
          SampleJet(g.tauh, kTauh),
          SampleJet(g.minf0, kMinf0),
          SampleJet(g.hinf0, kHinf0),
          SampleJet(g.drivingForce, kDrivingForce)};
}

}  // namespace

PolishModel::PolishModel(const PolishInput& input, const std::atomic<bool>* cancel)
    : currents_(input.currents), baseline_(input.baseline), cancel_(cancel) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!input.inFit[i]) continue;
    const CurrentParams& c = input.currents[i];
    FitCurrent current{{}, c.p, c.q, -1};
    Block block{i, {}};
    for (int j = 0; j < kRealFieldCount; ++j) {
      current.reals[j] = c.*kParamTable[j].real;
      if (input.choice.currents[i].free[j]) block.fields.push_back(kParamTable[j].field);
    }
    if (!block.fields.empty()) {
      current.block = static_cast<int>(blocks_.size());
      blocks_.push_back(std::move(block));
    }
    fit_.push_back(current);
  }
  if (input.choice.baselineFree) {
    baselineBlock_ = static_cast<int>(blocks_.size());
    blocks_.push_back({-1, {}});
  }
  const int samples = static_cast<int>(input.times.size());
  const int end = std::min(input.windowEnd, samples);
  const double origin = input.times[input.windowStart];
  const double maxPiece =
      samples > 1 ? (input.times.back() - input.times.front()) / (samples - 1) : 0.0;
  for (size_t k = 0; k < input.measured.size(); ++k) {
    Trace trace{input.traceV[k], {}, {}, {}};
    if (k < input.commands.size()) CommandPieces(input.commands[k], maxPiece, &trace.pieces);
    const double traceOrigin = trace.pieces.empty() ? origin : 0.0;
    for (int n = input.windowStart; n < end; ++n) {
      if (!input.counted[n]) continue;
      trace.t.push_back(input.times[n] - traceOrigin);
      trace.measured.push_back(input.measured[k][n]);
    }
    totalResiduals_ += static_cast<int>(trace.t.size());
    if (!trace.t.empty()) traces_.push_back(std::move(trace));
  }
}

std::vector<std::vector<double>> PolishModel::StartValues() const {
  std::vector<std::vector<double>> values;
  for (const Block& block : blocks_) {
    if (block.current < 0) {
      values.push_back({baseline_});
      continue;
    }
    std::vector<double> start;
    for (ParamField field : block.fields) {
      start.push_back(currents_[block.current].*Descriptor(field).real);
    }
    values.push_back(std::move(start));
  }
  return values;
}

std::array<double, kRealFieldCount> PolishModel::RealsAt(const FitCurrent& current,
                                                         const double* const* blocks) const {
  std::array<double, kRealFieldCount> reals = current.reals;
  if (current.block < 0) return reals;
  const std::vector<ParamField>& fields = blocks_[current.block].fields;
  for (size_t j = 0; j < fields.size(); ++j) reals[Index(fields[j])] = blocks[current.block][j];
  return reals;
}

bool PolishModel::EvaluateTrace(int trace, const double* const* blocks, double* residuals,
                                double** jacobians) const {
  if (cancel_ && cancel_->load(std::memory_order_relaxed)) return false;
  const Trace& data = traces_[trace];
  const int samples = static_cast<int>(data.t.size());
  const double baseline = baselineBlock_ >= 0 ? blocks[baselineBlock_][0] : baseline_;
  // Summed from zero over the currents in index order, each carrying the baseline: the sum the
  // data graph draws.
  std::vector<double> sum(samples, 0.0);
  SampleGradients gradients;
  if (!data.pieces.empty() && !EvaluateSteps(data, blocks, baseline, &sum, jacobians)) return false;
  static const std::vector<FitCurrent> kNone;
  for (const FitCurrent& current : data.pieces.empty() ? fit_ : kNone) {
    const std::array<double, kRealFieldCount> reals = RealsAt(current, blocks);
    const CurrentReals<double> P = RealsFrom(reals);
    const TraceGates<double> g = GatesAt(P, data.v);
    double* jacobian = jacobians && current.block >= 0 ? jacobians[current.block] : nullptr;
    if (!jacobian) {
      for (int s = 0; s < samples; ++s)
        sum[s] += CurrentAt(P, current.p, current.q, g, data.t[s]) + baseline;
      continue;
    }
    const TraceGates<SampleJet> seeded = SeededGates(g);
    CurrentReals<SampleJet> seededReals{};
    seededReals.Gmax = SampleJet(P.Gmax, kGmax);  // the only field read per sample
    gradients.resize(samples, kIntermediates);
    for (int s = 0; s < samples; ++s) {
      const SampleJet y = CurrentAt(seededReals, current.p, current.q, seeded, data.t[s]);
      sum[s] += y.a + baseline;
      gradients.row(s) = y.v.transpose();
    }
    const std::vector<ParamField>& fields = blocks_[current.block].fields;
    const Chain chain = ChainAt(reals, data.v);
    Eigen::Matrix<double, kIntermediates, Eigen::Dynamic> freeChain(kIntermediates, fields.size());
    // The residual is measured minus model: its derivatives are the model's, negated.
    for (size_t j = 0; j < fields.size(); ++j) freeChain.col(j) = -chain.col(Index(fields[j]));
    Eigen::Map<RowMajorMatrix> block(jacobian, samples, fields.size());
    block.noalias() = gradients * freeChain;
    // A derivative that overflows at a trial point fails the evaluation quietly, as a value that
    // is not finite does; the solver then takes a shorter step.
    if (!block.allFinite()) return false;
  }
  bool finite = true;
  for (int s = 0; s < samples; ++s) {
    residuals[s] = data.measured[s] - sum[s];
    finite = finite && std::isfinite(residuals[s]);
  }
  if (jacobians && baselineBlock_ >= 0 && jacobians[baselineBlock_]) {
    const double perSample = -static_cast<double>(fit_.size());
    std::fill(jacobians[baselineBlock_], jacobians[baselineBlock_] + samples, perSample);
  }
  return finite;
}

// Along the whole command a sample depends on every level's gates, so the derivatives are those
// of the step evaluation itself in numbers carrying all fifteen real fields.
bool PolishModel::EvaluateSteps(const Trace& data, const double* const* blocks, double baseline,
                                std::vector<double>* sum, double** jacobians) const {
  const int samples = static_cast<int>(data.t.size());
  const SampleWindow all{0, samples};
  std::vector<double> values(samples);
  std::vector<ParamJet> jets;
  for (const FitCurrent& current : fit_) {
    const std::array<double, kRealFieldCount> reals = RealsAt(current, blocks);
    double* jacobian = jacobians && current.block >= 0 ? jacobians[current.block] : nullptr;
    if (!jacobian) {
      EvaluateTraceSteps(RealsFrom(reals), current.p, current.q,
                         std::span<const CommandPiece>(data.pieces), data.t.data(), samples, all,
                         baseline, values.data());
      for (int s = 0; s < samples; ++s) (*sum)[s] += values[s];
      continue;
    }
    std::array<ParamJet, kRealFieldCount> seeded;
    for (int j = 0; j < kRealFieldCount; ++j) seeded[j] = ParamJet(reals[j], j);
    jets.resize(samples);
    EvaluateTraceSteps(RealsFrom(seeded), current.p, current.q,
                       std::span<const CommandPiece>(data.pieces), data.t.data(), samples, all,
                       baseline, jets.data());
    const std::vector<ParamField>& fields = blocks_[current.block].fields;
    const size_t width = fields.size();
    for (int s = 0; s < samples; ++s) {
      (*sum)[s] += jets[s].a;
      for (size_t j = 0; j < width; ++j) {
        // The residual is measured minus model; a derivative lost to overflow far out on a
        // sigmoid is below the smallest double, as in the single step's chain.
        const double d = jets[s].v[Index(fields[j])];
        jacobian[s * width + j] = std::isfinite(d) ? -d : 0.0;
      }
    }
  }
  return true;
}

void PolishModel::Unpack(const double* const* blocks,
                         std::array<CurrentParams, kMaxCurrents>* currents,
                         double* baseline) const {
  *currents = currents_;
  *baseline = baselineBlock_ >= 0 ? blocks[baselineBlock_][0] : baseline_;
  for (const Block& block : blocks_) {
    if (block.current < 0) continue;
    const size_t index = &block - blocks_.data();
    for (size_t j = 0; j < block.fields.size(); ++j) {
      (*currents)[block.current].*Descriptor(block.fields[j]).real = blocks[index][j];
    }
  }
}
