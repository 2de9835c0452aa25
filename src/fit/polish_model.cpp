// The polish's residuals and their exact derivatives. Each sample's model current depends on the
// parameters only through eight quantities of its trace (the steady states, time constants and
// holding values of the two gates, the driving force and Gmax). So the derivatives come in two
// parts: once per trace, those eight quantities differentiated automatically with respect to the
// fifteen real fields; once per sample, the current differentiated by hand with respect to the
// eight, sharing the exponentials and powers of its own value. Their product, with the
// coordinates' own slopes, is the Jacobian row. Values are those of the plain evaluation, bit
// for bit.
#include "fit/polish_model.h"

#include <ceres/jet.h>

#include <Eigen/Core>
#include <algorithm>
#include <cmath>

#include "model/evaluate.h"
#include "model/evaluate_steps.h"

namespace {

// What one sample of one current depends on.
enum Intermediate { kMinf, kHinf, kTaum, kTauh, kMinf0, kHinf0, kDrivingForce, kGmax };
constexpr int kIntermediates = 8;

using ParamJet = ceres::Jet<double, kRealFieldCount>;
// d(intermediate)/d(real field) at one trace voltage.
using Chain = Eigen::Matrix<double, kIntermediates, kRealFieldCount>;

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

// A free column's Jacobian entry: its field moves at most two of the intermediates (a
// half-point or slope both the steady state at the step and at the holding level, Vhold both
// holding values, every other field one).
struct Column {
  int first = kGmax, second = kGmax;
  double firstFactor = 0.0, secondFactor = 0.0;  // -d(intermediate)/d(coordinate)
};

// d(current)/d(intermediate) at one sample, and the current itself, from the same operations
// as CurrentAt.
struct SampleSlopes {
  double value;
  double d[kIntermediates];
};

// x^n and x^(n-1) with the multiplications of GatePower, so that x^n is bit for bit its value.
inline void PowerAndBelow(double x, int32_t n, double* power, double* below) {
  if (n == 1) {
    *below = 1.0;
    *power = x;
    return;
  }
  if (n >= 2 && n <= static_cast<int32_t>(kinetics::kSequentialPowerLimit)) {
    double result = x;
    for (int32_t i = 2; i < n; ++i) result *= x;
    *below = result;
    *power = result * x;
    return;
  }
  *power = kinetics::GatePower(x, n);
  *below = kinetics::GatePower(x, n - 1);
}

inline SampleSlopes Slopes(const CurrentReals<double>& P, int32_t p, int32_t q,
                           const TraceGates<double>& g, double t) {
  SampleSlopes s{};
  double m = 1.0, h = 1.0, em = 0.0, eh = 0.0;
  double mp = 1.0, mBelow = 0.0, hq = 1.0, hBelow = 0.0;
  if (p != 0) {
    em = std::exp(-t / g.taum);
    m = g.minf + (g.minf0 - g.minf) * em;
    PowerAndBelow(m, p, &mp, &mBelow);
  }
  if (q != 0) {
    eh = std::exp(-t / g.tauh);
    h = g.hinf + (g.hinf0 - g.hinf) * eh;
    PowerAndBelow(h, q, &hq, &hBelow);
  }
  s.value = 0.001 * (((P.Gmax * mp) * hq) * g.drivingForce);
  const double scale = 0.001 * g.drivingForce;
  s.d[kGmax] = scale * mp * hq;
  s.d[kDrivingForce] = 0.001 * P.Gmax * mp * hq;
  const double perM = scale * P.Gmax * hq * p * mBelow;
  s.d[kMinf] = perM * (1.0 - em);
  s.d[kMinf0] = perM * em;
  s.d[kTaum] = p != 0 ? perM * (g.minf0 - g.minf) * em * t / (g.taum * g.taum) : 0.0;
  const double perH = scale * P.Gmax * mp * q * hBelow;
  s.d[kHinf] = perH * (1.0 - eh);
  s.d[kHinf0] = perH * eh;
  s.d[kTauh] = q != 0 ? perH * (g.hinf0 - g.hinf) * eh * t / (g.tauh * g.tauh) : 0.0;
  return s;
}

double TypicalStep(const ParamRef& param) {
  constexpr double kBaselineStep = 0.01;  // nA
  return param.IsBaseline() ? kBaselineStep : Descriptor(param.field).step;
}

}  // namespace

bool WeightedByNoise(const PolishInput& input) {
  const auto hasNoise = [](const PolishSamples& samples) {
    return samples.noiseSd && *samples.noiseSd > 0.0 && std::isfinite(*samples.noiseSd);
  };
  return !input.also.empty() && hasNoise(input) &&
         std::all_of(input.also.begin(), input.also.end(), hasNoise);
}

std::vector<double> RecordingWeights(const PolishInput& input) {
  std::vector<double> weights(input.also.size() + 1, 1.0);
  if (!WeightedByNoise(input)) return weights;
  for (size_t r = 0; r < input.also.size(); ++r)
    weights[r + 1] = *input.noiseSd / *input.also[r].noiseSd;
  return weights;
}

PolishModel::PolishModel(const PolishInput& input, const std::atomic<bool>* cancel,
                         Coordinates coordinates)
    : currents_(input.currents), baseline_(input.baseline), cancel_(cancel) {
  const auto mapOf = [coordinates](const ParamBounds& bounds, const ParamRef& param) {
    if (coordinates == Coordinates::Plain) return BoundMapOf({-kUnbounded, kUnbounded}, 1.0);
    return BoundMapOf(bounds, TypicalStep(param));
  };
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!input.inFit[i]) continue;
    const CurrentParams& c = input.currents[i];
    FitCurrent current{{}, c.p, c.q, -1};
    Block block{i, {}, {}};
    for (int j = 0; j < kRealFieldCount; ++j) {
      current.reals[j] = c.*kParamTable[j].real;
      if (!input.choice.currents[i].free[j]) continue;
      const ParamField field = kParamTable[j].field;
      block.fields.push_back(field);
      block.maps.push_back(mapOf(input.choice.currents[i].bounds[j], ParamRef{i, field}));
    }
    if (!block.fields.empty()) {
      current.block = static_cast<int>(blocks_.size());
      blocks_.push_back(std::move(block));
    }
    fit_.push_back(current);
  }
  if (input.choice.baselineFree) {
    baselineBlock_ = static_cast<int>(blocks_.size());
    blocks_.push_back({-1, {}, {mapOf(input.choice.baselineBounds, ParamRef{})}});
  }
  const std::vector<double> weights = RecordingWeights(input);
  AddTraces(input, 0, weights[0]);
  for (size_t r = 0; r < input.also.size(); ++r)
    AddTraces(input.also[r], static_cast<int>(r) + 1, weights[r + 1]);
}

void PolishModel::AddTraces(const PolishSamples& samples, int recording, double weight) {
  const int count = static_cast<int>(samples.times.size());
  const int end = std::min(samples.windowEnd, count);
  const double origin = samples.times[samples.windowStart];
  const double maxPiece =
      count > 1 ? (samples.times.back() - samples.times.front()) / (count - 1) : 0.0;
  for (size_t k = 0; k < samples.measured.size(); ++k) {
    Trace trace{samples.traceV[k], {}, {}, {}, recording, weight};
    if (k < samples.commands.size()) CommandPieces(samples.commands[k], maxPiece, &trace.pieces);
    const double traceOrigin = trace.pieces.empty() ? origin : 0.0;
    for (int n = samples.windowStart; n < end; ++n) {
      if (!samples.counted[n]) continue;
      trace.t.push_back(samples.times[n] - traceOrigin);
      trace.measured.push_back(samples.measured[k][n]);
    }
    totalResiduals_ += static_cast<int>(trace.t.size());
    if (!trace.t.empty()) traces_.push_back(std::move(trace));
  }
}

std::vector<std::vector<double>> PolishModel::CoordinatesOf(
    const std::array<CurrentParams, kMaxCurrents>& currents, double baseline) const {
  std::vector<std::vector<double>> values;
  for (const Block& block : blocks_) {
    if (block.current < 0) {
      values.push_back({ToCoordinate(block.maps[0], baseline)});
      continue;
    }
    std::vector<double> start;
    for (size_t j = 0; j < block.fields.size(); ++j) {
      start.push_back(
          ToCoordinate(block.maps[j], currents[block.current].*Descriptor(block.fields[j]).real));
    }
    values.push_back(std::move(start));
  }
  return values;
}

std::vector<std::vector<double>> PolishModel::StartValues() const {
  return CoordinatesOf(currents_, baseline_);
}

std::array<double, kRealFieldCount> PolishModel::RealsAt(const FitCurrent& current,
                                                         const double* const* blocks) const {
  std::array<double, kRealFieldCount> reals = current.reals;
  if (current.block < 0) return reals;
  const Block& block = blocks_[current.block];
  for (size_t j = 0; j < block.fields.size(); ++j) {
    reals[Index(block.fields[j])] = FromCoordinate(block.maps[j], blocks[current.block][j]);
  }
  return reals;
}

bool PolishModel::EvaluateTrace(int trace, const double* const* blocks, double* residuals,
                                double** jacobians) const {
  if (cancel_ && cancel_->load(std::memory_order_relaxed)) return false;
  const Trace& data = traces_[trace];
  const int samples = static_cast<int>(data.t.size());
  const double baseline = baselineBlock_ >= 0 ? FromCoordinate(blocks_[baselineBlock_].maps[0],
                                                               blocks[baselineBlock_][0])
                                              : baseline_;
  // Summed from zero over the currents in index order, each carrying the baseline: the sum the
  // data graph draws. The residuals hold the sum until the end.
  double* sum = residuals;
  std::fill(sum, sum + samples, 0.0);
  if (!data.pieces.empty() && !EvaluateSteps(data, blocks, baseline, sum, jacobians)) return false;
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
    const Block& block = blocks_[current.block];
    const int width = static_cast<int>(block.fields.size());
    const Chain chain = ChainAt(reals, data.v);
    std::array<Column, kRealFieldCount> columns{};
    for (int j = 0; j < width; ++j) {
      const double slope = ValuePerCoordinate(block.maps[j], blocks[current.block][j]);
      int terms = 0;
      for (int k = 0; k < kIntermediates && terms < 2; ++k) {
        const double d = chain(k, Index(block.fields[j]));
        if (d == 0.0) continue;
        (terms++ == 0 ? columns[j].first : columns[j].second) = k;
        (terms == 1 ? columns[j].firstFactor : columns[j].secondFactor) = -d * slope;
      }
    }
    bool finite = true;
    for (int s = 0; s < samples; ++s) {
      const SampleSlopes slopes = Slopes(P, current.p, current.q, g, data.t[s]);
      sum[s] += slopes.value + baseline;
      double* row = jacobian + static_cast<size_t>(s) * width;
      for (int j = 0; j < width; ++j) {
        const Column& c = columns[j];
        row[j] = slopes.d[c.first] * c.firstFactor + slopes.d[c.second] * c.secondFactor;
        finite = finite && std::isfinite(row[j]);
      }
    }
    // A derivative that overflows at a trial point fails the evaluation quietly, as a value that
    // is not finite does; the solver then takes a shorter step.
    if (!finite) return false;
  }
  bool finite = true;
  for (int s = 0; s < samples; ++s) {
    residuals[s] = data.measured[s] - sum[s];
    finite = finite && std::isfinite(residuals[s]);
  }
  if (jacobians && baselineBlock_ >= 0 && jacobians[baselineBlock_]) {
    const double perSample =
        -static_cast<double>(fit_.size()) *
        ValuePerCoordinate(blocks_[baselineBlock_].maps[0], blocks[baselineBlock_][0]);
    std::fill(jacobians[baselineBlock_], jacobians[baselineBlock_] + samples, perSample);
  }
  // A recording weighted by its noise: the factor on the residuals is on their derivatives too.
  // One recording alone has weight 1 and stays bit for bit unweighted.
  if (data.weight != 1.0) {
    for (int s = 0; s < samples; ++s) residuals[s] *= data.weight;
    for (size_t b = 0; jacobians && b < blocks_.size(); ++b) {
      if (!jacobians[b]) continue;
      const size_t entries =
          static_cast<size_t>(samples) * (blocks_[b].current < 0 ? 1 : blocks_[b].fields.size());
      for (size_t e = 0; e < entries; ++e) jacobians[b][e] *= data.weight;
    }
  }
  return finite;
}

// Along the whole command a sample depends on every level's gates, so the derivatives are those
// of the step evaluation itself in numbers carrying all fifteen real fields, then taken to the
// solver's coordinates.
bool PolishModel::EvaluateSteps(const Trace& data, const double* const* blocks, double baseline,
                                double* sum, double** jacobians) const {
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
      for (int s = 0; s < samples; ++s) sum[s] += values[s];
      continue;
    }
    std::array<ParamJet, kRealFieldCount> seeded;
    for (int j = 0; j < kRealFieldCount; ++j) seeded[j] = ParamJet(reals[j], j);
    jets.resize(samples);
    EvaluateTraceSteps(RealsFrom(seeded), current.p, current.q,
                       std::span<const CommandPiece>(data.pieces), data.t.data(), samples, all,
                       baseline, jets.data());
    const Block& block = blocks_[current.block];
    const size_t width = block.fields.size();
    std::array<double, kRealFieldCount> perCoordinate{};
    for (size_t j = 0; j < width; ++j)
      perCoordinate[j] = ValuePerCoordinate(block.maps[j], blocks[current.block][j]);
    for (int s = 0; s < samples; ++s) {
      sum[s] += jets[s].a;
      for (size_t j = 0; j < width; ++j) {
        // The residual is measured minus model; a derivative lost to overflow far out on a
        // sigmoid is below the smallest double, as in the single step's chain.
        const double d = jets[s].v[Index(block.fields[j])];
        jacobian[s * width + j] = std::isfinite(d) ? -d * perCoordinate[j] : 0.0;
      }
    }
  }
  return true;
}

void PolishModel::Unpack(const double* const* blocks,
                         std::array<CurrentParams, kMaxCurrents>* currents,
                         double* baseline) const {
  *currents = currents_;
  *baseline = baselineBlock_ >= 0
                  ? FromCoordinate(blocks_[baselineBlock_].maps[0], blocks[baselineBlock_][0])
                  : baseline_;
  for (const Block& block : blocks_) {
    if (block.current < 0) continue;
    const size_t index = &block - blocks_.data();
    for (size_t j = 0; j < block.fields.size(); ++j) {
      (*currents)[block.current].*Descriptor(block.fields[j]).real =
          FromCoordinate(block.maps[j], blocks[index][j]);
    }
  }
}
