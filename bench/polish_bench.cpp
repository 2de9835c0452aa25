// The least-squares polish on a synthetic recording (two currents, m^3 h and m^4 h, six traces of
// 5000 samples, Gaussian noise of 0.03 nA) from a start with every free parameter moved, against
// one evaluation of the same currents and the noise floor; three such recordings of ten traces
// fitted together; and the cost of the goodness figures at full load against one DoFit.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <thread>

#include "fit/polish.h"
#include "fit/workspace_fit.h"
#include "model/evaluate.h"
#include "model/model.h"

namespace {

constexpr double kNoise = 0.03;       // nA
constexpr double kSampleStep = 0.02;  // ms
constexpr double kStepVoltages[kMaxTraces] = {-40, -20, 0, 20, 40, 60};

CurrentParams SodiumLike() {
  CurrentParams c{};
  c.Vm = -25, c.Km = -8, c.Vh = -45, c.Kh = 7;
  c.Tmhi = 0.2, c.Tmlo = 1.0, c.Vtm = -10, c.Ktm = -12;
  c.Thhi = 1.0, c.Thlo = 10, c.Vth = -20, c.Kth = -12;
  c.Vhold = -100, c.Gmax = 150, c.Erev = 55, c.p = 3, c.q = 1;
  return c;
}

CurrentParams PotassiumLike() {
  CurrentParams c{};
  c.Vm = -10, c.Km = -12, c.Vh = -30, c.Kh = 8;
  c.Tmhi = 1.5, c.Tmlo = 6, c.Vtm = 0, c.Ktm = -15;
  c.Thhi = 40, c.Thlo = 120, c.Vth = 0, c.Kth = -15;
  c.Vhold = -100, c.Gmax = 50, c.Erev = -85, c.p = 4, c.q = 1;
  return c;
}

double SummedModel(const PolishInput& in, int trace, int n) {
  const double t = in.times[n] - in.times[in.windowStart];
  double sum = 0.0;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!in.inFit[i]) continue;
    const CurrentReals<double> P = RealsOf(in.currents[i]);
    const TraceGates<double> g = GatesAt(P, in.traceV[trace]);
    sum += CurrentAt(P, in.currents[i].p, in.currents[i].q, g, t) + in.baseline;
  }
  return sum;
}

// The recording made from the true currents, the start moved from them as a user's eye leaves it.
PolishInput NoisyFamily(unsigned seed) {
  PolishInput in;
  in.currents[0] = SodiumLike();
  in.currents[1] = PotassiumLike();
  in.inFit[0] = in.inFit[1] = true;
  for (int n = 0; n < kMaxPoints; ++n) in.times.push_back(kSampleStep * n);
  in.traceV.assign(kStepVoltages, kStepVoltages + kMaxTraces);
  in.windowStart = 1;
  in.windowEnd = kMaxPoints;
  in.counted.assign(kMaxPoints, 0);
  for (int n = in.windowStart; n < in.windowEnd; ++n) in.counted[n] = 1;
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, kNoise);
  for (int k = 0; k < kMaxTraces; ++k) {
    std::vector<double> trace(kMaxPoints, 0.0);
    for (int n = in.windowStart; n < in.windowEnd; ++n)
      trace[n] = SummedModel(in, k, n) + noise(random);
    in.measured.push_back(trace);
  }
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 2; ++i) {
    for (const ParamDescriptor& d : kParamTable) {
      if (!d.real || d.field == ParamField::Erev || d.field == ParamField::Vhold) continue;
      double& value = in.currents[i].*d.real;
      switch (d.kind) {
        case FieldKind::Conductance:
          value *= 1.0 + 0.10 * unit(random);
          break;
        case FieldKind::Voltage:
          value += 4.0 * unit(random);
          break;
        case FieldKind::Slope:
          value *= 1.0 + 0.15 * unit(random);
          break;
        case FieldKind::TimeConstant:
          value *= 1.0 + 0.20 * unit(random);
          break;
        case FieldKind::GatePower:
          break;
      }
    }
  }
  in.choice = DefaultChoice(in.currents);
  return in;
}

// Seconds of this thread's processor time: the machine is shared, so ratios are taken of the
// time this thread ran, not of the time that passed.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds per evaluation of the two currents over every counted sample, the program's way.
double SecondsPerEvaluation(const PolishInput& in) {
  constexpr int kRepeats = 50;
  std::vector<double> sum(kMaxPoints);
  const double begin = ThreadSeconds();
  for (int repeat = 0; repeat < kRepeats; ++repeat) {
    for (size_t k = 0; k < in.traceV.size(); ++k) {
      std::fill(sum.begin(), sum.end(), 0.0);
      for (int i = 0; i < 2; ++i) {
        const CurrentReals<double> P = RealsOf(in.currents[i]);
        const TraceGates<double> g = GatesAt(P, in.traceV[k]);
        const double origin = in.times[in.windowStart];
        for (int n = in.windowStart; n < in.windowEnd; ++n) {
          sum[n] += CurrentAt(P, in.currents[i].p, in.currents[i].q, g, in.times[n] - origin) +
                    in.baseline;
        }
      }
      benchmark::DoNotOptimize(sum.data());
    }
  }
  return (ThreadSeconds() - begin) / kRepeats;
}

void BM_PolishTwoCurrents(benchmark::State& state) {
  const PolishInput input = NoisyFamily(static_cast<unsigned>(state.range(0)));
  const double evaluation = SecondsPerEvaluation(input);
  int counted = 0;
  for (uint8_t c : input.counted) counted += c;
  const double floor = 0.5 * counted * kMaxTraces * kNoise * kNoise;
  PolishResult result;
  double seconds = 0.0;
  for (auto _ : state) {
    const double begin = ThreadSeconds();
    result = Polish(input);
    seconds += ThreadSeconds() - begin;
  }
  const double cost = 0.5 * result.counted * *result.rmsAfter * *result.rmsAfter;
  state.counters["iterations"] = result.iterations;
  state.counters["cost/floor"] = cost / floor;
  state.counters["cpu_ms"] = 1e3 * seconds / state.iterations();
  state.counters["evaluations"] = seconds / state.iterations() / evaluation;
  state.counters["converged"] = result.outcome == PolishOutcome::Converged;
}

// Three recordings of the same two currents, ten steps each (5000 samples a trace, fresh noise),
// fitted together from the moved start of NoisyFamily: wall time, as the user waits, against
// one evaluation of all three.
PolishInput ThreeFamilies() {
  PolishInput in = NoisyFamily(1);
  PolishInput truth = in;
  truth.currents[0] = SodiumLike();
  truth.currents[1] = PotassiumLike();
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0.0, kNoise);
  const auto family = [&](double lowest) {
    PolishSamples samples = in;
    samples.traceV.clear();
    samples.measured.clear();
    for (int k = 0; k < 10; ++k) samples.traceV.push_back(lowest + 10.0 * k);
    truth.traceV = samples.traceV;
    for (int k = 0; k < 10; ++k) {
      std::vector<double> trace(kMaxPoints, 0.0);
      for (int n = in.windowStart; n < in.windowEnd; ++n)
        trace[n] = SummedModel(truth, k, n) + noise(random);
      samples.measured.push_back(trace);
    }
    return samples;
  };
  static_cast<PolishSamples&>(in) = family(-55);
  in.also = {family(-50), family(-45)};
  return in;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void BM_PolishThreeRecordings(benchmark::State& state) {
  const PolishInput input = ThreeFamilies();
  PolishInput one = input;
  double evaluation = 0.0;
  for (const PolishSamples& samples :
       {static_cast<const PolishSamples&>(input), input.also[0], input.also[1]}) {
    static_cast<PolishSamples&>(one) = samples;
    evaluation += SecondsPerEvaluation(one);
  }
  PolishResult result;
  double seconds = 0.0;
  for (auto _ : state) {
    const double begin = WallSeconds();
    result = Polish(input);
    seconds += WallSeconds() - begin;
  }
  state.counters["wall_ms"] = 1e3 * seconds / state.iterations();
  state.counters["evaluations"] = seconds / state.iterations() / evaluation;
  state.counters["starts"] = result.starts;
  state.counters["iterations"] = result.iterations;
  state.counters["rms/noise"] = *result.rmsAfter / kNoise;
  state.counters["good"] = result.Good();
}

void LoadFullWorkspace() {
  NumTraces = 0;
  InitParams();
  NumTraces = kMaxTraces;
  NumPoints = kMaxPoints;
  for (int n = 0; n < kMaxPoints; ++n) timevals[n] = kSampleStep * n;
  for (int i = 0; i < kMaxCurrents; ++i) {
    params[i] = i % 2 ? SodiumLike() : PotassiumLike();
    params[i].Vm += i;
    status.fitCurrent[i] = 1;
  }
  for (int k = 0; k < kMaxTraces; ++k) status.traceV[k] = kStepVoltages[k];
  status.windowStart = 1;
  status.windowEnd = kMaxPoints;
  DoFit();
  for (int k = 0; k < kMaxTraces; ++k) {
    for (int n = 0; n < kMaxPoints; ++n) ydata[k][n] = 0.9 * yfits[0][k][n];
  }
}

// The RMS and the noise figures of the drawn fit at full load, against one DoFit.
void BM_GoodnessFullLoad(benchmark::State& state) {
  LoadFullWorkspace();
  const std::vector<TimeRegion> excluded = {{0.0, 0.3}, {50.0, 51.0}};
  const TimeRegion noise{60.0, 70.0};
  constexpr int kDoFits = 20;
  const double begin = ThreadSeconds();
  for (int repeat = 0; repeat < kDoFits; ++repeat) DoFit();
  const double doFit = (ThreadSeconds() - begin) / kDoFits;
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = ThreadSeconds();
    benchmark::DoNotOptimize(WorkspaceGoodness(excluded, noise));
    seconds += ThreadSeconds() - start;
  }
  state.counters["of_DoFit"] = seconds / state.iterations() / doFit;
}

// How long a cancel takes to stop a polish of ten currents (130 free parameters, 30,000
// residuals), raised at moments spread over its first iterations; wall time, as the user waits.
void BM_PolishCancelFullLoad(benchmark::State& state) {
  PolishInput input = NoisyFamily(1);
  for (int i = 2; i < kMaxCurrents; ++i) {
    input.currents[i] = i % 2 ? SodiumLike() : PotassiumLike();
    input.currents[i].Vm += i;
    input.currents[i].Gmax *= 0.2;
    input.inFit[i] = true;
  }
  input.choice = DefaultChoice(input.currents);
  using Clock = std::chrono::steady_clock;
  double longest = 0.0;
  int delay = 0;
  for (auto _ : state) {
    std::atomic<bool> cancel = false;
    Clock::time_point raised;
    std::thread polish([&] { benchmark::DoNotOptimize(Polish(input, {}, &cancel)); });
    delay = (delay + 137) % 1000;
    std::this_thread::sleep_for(std::chrono::milliseconds(200 + delay));
    raised = Clock::now();
    cancel = true;
    polish.join();
    longest = std::max(longest, std::chrono::duration<double>(Clock::now() - raised).count());
  }
  state.counters["longest_cancel_ms"] = 1e3 * longest;
}

}  // namespace

BENCHMARK(BM_PolishCancelFullLoad)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolishTwoCurrents)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PolishThreeRecordings)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodnessFullLoad)->Unit(benchmark::kMillisecond);
