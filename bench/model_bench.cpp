// Evaluating the model at full load (ten currents, six traces of 5000 samples) and for one
// current, against the same work done the straightforward way, with every voltage-dependent
// quantity recomputed at every sample.
#include <benchmark/benchmark.h>

#include <cmath>

#include "model.h"

namespace {

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
  status.windowStart = 1;
  status.windowEnd = kMaxPoints;
}

// The model written the direct way: the steady states and time constants are evaluated anew
// at every sample, as a reading of the equations suggests.
void CalcStraightforward(int i) {
  const CurrentParams& P = params[i];
  for (int k = 0; k < NumTraces; ++k) {
    const double v = status.traceV[k];
    for (int n = 0; n < status.windowStart; ++n) yfits[i][k][n] = status.baseline;
    for (int n = status.windowStart; n < status.windowEnd; ++n) {
      const double minf = 1.0 / (std::exp((v - P.Vm) / P.Km) + 1.0);
      const double hinf = 1.0 / (std::exp((v - P.Vh) / P.Kh) + 1.0);
      const double taum = (P.Tmlo - P.Tmhi) / (std::exp(-(v - P.Vtm) / P.Ktm) + 1.0) + P.Tmhi;
      const double tauh = (P.Thlo - P.Thhi) / (std::exp(-(v - P.Vth) / P.Kth) + 1.0) + P.Thhi;
      const double hinf0 = 1.0 / (std::exp((P.Vhold - P.Vh) / P.Kh) + 1.0);
      const double minf0 = 1.0 / (std::exp((P.Vhold - P.Vm) / P.Km) + 1.0);
      const double t = timevals[n] - timevals[status.windowStart];
      const double m = minf + (minf0 - minf) * std::exp(-t / taum);
      const double h = hinf + (hinf0 - hinf) * std::exp(-t / tauh);
      yfits[i][k][n] = 0.001 * (((P.Gmax * GetPower(m, P.p)) * GetPower(h, P.q)) * (v - P.Erev)) +
                       status.baseline;
    }
    for (int n = status.windowEnd; n < NumPoints; ++n) yfits[i][k][n] = status.baseline;
  }
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

}  // namespace

BENCHMARK(BM_DoFitTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightforwardTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DoFitOneCurrent)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StraightforwardOneCurrent)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
