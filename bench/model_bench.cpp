// Evaluating the model at full load (ten currents, six traces of 5000 samples) and for one
// current, against the same work done the straightforward way (every voltage-dependent quantity
// recomputed at every sample), and against the floor: the bare exponentials a full evaluation
// cannot do without, timed in the same run so that their ratio is printed at the end.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "model/evaluate.h"
#include "model/kinetics.h"
#include "model/model.h"

namespace {

constexpr int kSamplesAtFullLoad = kMaxCurrents * kMaxTraces * kMaxPoints;
constexpr int kExponentialsPerSample = 2;  // the relaxations of m and h

void LoadFullWorkspace(int currentsInFit) {
  NumTraces = 0;
  InitParams();
  NumTraces = kMaxTraces;
  NumPoints = kMaxPoints;
  for (int n = 0; n < kMaxPoints; ++n) timevals[n] = 0.02 * n;
  for (int i = 0; i < kMaxCurrents; ++i) {
    CurrentParams& c = params[i];
    c.Vm = -30 + i;
    c.Km = -6;
    c.Vh = -60 + i;
    c.Kh = 7;
    c.Tmhi = 0.2;
    c.Tmlo = 3;
    c.Vtm = -40;
    c.Ktm = -9;
    c.Thhi = 1;
    c.Thlo = 20;
    c.Vth = -50;
    c.Kth = 6;
    c.Gmax = 50;
    c.Erev = i % 2 ? 50 : -80;
    c.p = 3;
    c.q = 1;
    status.fitCurrent[i] = i < currentsInFit;
  }
  for (int k = 0; k < kMaxTraces; ++k) status.traceV[k] = -40 + 20 * k;
  // Every sample in the window, so that a full evaluation takes exactly two exponentials each.
  status.windowStart = 0;
  status.windowEnd = kMaxPoints;
}

// The model written the direct way: the steady states and time constants are evaluated anew
// at every sample, as a reading of the equations suggests.
void CalcStraightforward(int i) {
  using kinetics::SteadyState;
  using kinetics::TimeConstant;
  const CurrentParams& P = params[i];
  for (int k = 0; k < NumTraces; ++k) {
    const double v = status.traceV[k];
    for (int n = 0; n < status.windowStart; ++n) yfits[i][k][n] = status.baseline;
    for (int n = status.windowStart; n < status.windowEnd; ++n) {
      const double minf = SteadyState(v, P.Vm, P.Km);
      const double hinf = SteadyState(v, P.Vh, P.Kh);
      const double taum = TimeConstant(v, P.Tmhi, P.Tmlo, P.Vtm, P.Ktm);
      const double tauh = TimeConstant(v, P.Thhi, P.Thlo, P.Vth, P.Kth);
      const double hinf0 = SteadyState(P.Vhold, P.Vh, P.Kh);
      const double minf0 = SteadyState(P.Vhold, P.Vm, P.Km);
      const double t = timevals[n] - timevals[status.windowStart];
      const double m = kinetics::Relaxation(minf, minf0, t, taum);
      const double h = kinetics::Relaxation(hinf, hinf0, t, tauh);
      yfits[i][k][n] = 0.001 * (((P.Gmax * GetPower(m, P.p)) * GetPower(h, P.q)) * (v - P.Erev)) +
                       status.baseline;
    }
    for (int n = status.windowEnd; n < NumPoints; ++n) yfits[i][k][n] = status.baseline;
  }
}

// The arguments of every exponential a full evaluation takes: -t / taum and -t / tauh at each
// sample of each trace of each current.
std::vector<double> ExponentArguments() {
  LoadFullWorkspace(kMaxCurrents);
  std::vector<double> arguments;
  arguments.reserve(kSamplesAtFullLoad * kExponentialsPerSample);
  for (int i = 0; i < kMaxCurrents; ++i) {
    for (int k = 0; k < kMaxTraces; ++k) {
      const TraceGates<double> g = GatesAt(RealsOf(params[i]), status.traceV[k]);
      for (int n = status.windowStart; n < status.windowEnd; ++n) {
        const double t = timevals[n] - timevals[status.windowStart];
        arguments.push_back(-t / g.taum);
        arguments.push_back(-t / g.tauh);
      }
    }
  }
  return arguments;
}

void SetSampleCount(benchmark::State& state, int currents) {
  state.SetItemsProcessed(state.iterations() * currents * kMaxTraces * kMaxPoints);
}

void BM_DoFitTenCurrents(benchmark::State& state) {
  LoadFullWorkspace(kMaxCurrents);
  for (auto _ : state) {
    DoFit();
    benchmark::DoNotOptimize(yfits[9][5][kMaxPoints - 1]);
  }
  SetSampleCount(state, kMaxCurrents);
}

// The floor of the case above: its 600,000 exponentials and nothing else.
void BM_ExponentialsOfTenCurrents(benchmark::State& state) {
  const std::vector<double> arguments = ExponentArguments();
  for (auto _ : state) {
    double sum = 0.0;
    for (double a : arguments) sum += std::exp(a);
    benchmark::DoNotOptimize(sum);
  }
  SetSampleCount(state, kMaxCurrents);
}

void BM_DoFitOneCurrent(benchmark::State& state) {
  LoadFullWorkspace(1);
  for (auto _ : state) {
    DoFit();
    benchmark::DoNotOptimize(yfits[0][5][kMaxPoints - 1]);
  }
  SetSampleCount(state, 1);
}

void BM_StraightforwardTenCurrents(benchmark::State& state) {
  LoadFullWorkspace(kMaxCurrents);
  for (auto _ : state) {
    for (int i = 0; i < kMaxCurrents; ++i) CalcStraightforward(i);
    benchmark::DoNotOptimize(yfits[9][5][kMaxPoints - 1]);
  }
  SetSampleCount(state, kMaxCurrents);
}

void BM_StraightforwardOneCurrent(benchmark::State& state) {
  LoadFullWorkspace(1);
  for (auto _ : state) {
    CalcStraightforward(0);
    benchmark::DoNotOptimize(yfits[0][5][kMaxPoints - 1]);
  }
  SetSampleCount(state, 1);
}

// The console output, keeping each case's processor time per iteration for the ratios at the
// end (processor time, since the machines are shared and their wall-clock time is noisy).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (!run.error_occurred && run.iterations > 0) {
        seconds_[run.benchmark_name()] =
            run.cpu_accumulated_time / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatio(const char* what, const std::string& of, const std::string& to) const {
    const auto a = seconds_.find(of);
    const auto b = seconds_.find(to);
    if (a == seconds_.end() || b == seconds_.end() || b->second <= 0.0) return;
    std::printf("%s: %.2fx (processor time)\n", what, a->second / b->second);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

BENCHMARK(BM_DoFitTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExponentialsOfTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightforwardTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoFitOneCurrent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightforwardOneCurrent)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("DoFit at full load over its bare exponentials (the floor)",
                      "BM_DoFitTenCurrents", "BM_ExponentialsOfTenCurrents");
  reporter.PrintRatio("Straightforward evaluation over DoFit", "BM_StraightforwardTenCurrents",
                      "BM_DoFitTenCurrents");
  benchmark::Shutdown();
  return 0;
}
