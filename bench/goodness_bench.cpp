// The figures every redraw adds at full load (six traces of 5000 samples, ten currents in the
// fit): the residuals the strip draws and the RMS figures of the goodness line, beside the
// model's own evaluation for scale.
#include <benchmark/benchmark.h>

#include <cmath>

#include "fit/goodness.h"
#include "fit/workspace_fit.h"
#include "model/model.h"

namespace {

void LoadMeasuredWorkspace() {
  InitParams();
  NumTraces = kMaxTraces;
  NumPoints = kMaxPoints;
  for (int n = 0; n < kMaxPoints; ++n) timevals[n] = 0.02 * n;
  for (int i = 0; i < kMaxCurrents; ++i) {
    params[i].Gmax = 5 + i;
    status.fitCurrent[i] = 1;
  }
  for (int k = 0; k < kMaxTraces; ++k) {
    status.traceV[k] = -40 + 20 * k;
    for (int n = 0; n < kMaxPoints; ++n) ydata[k][n] = std::sin(0.01 * n + k);
  }
  status.windowStart = 1;
  status.windowEnd = kMaxPoints;
  for (int i = 0; i < kMaxCurrents; ++i) CalcThisCurrent(i);
}

void BM_ModelTenCurrents(benchmark::State& state) {
  LoadMeasuredWorkspace();
  for (auto _ : state) {
    for (int i = 0; i < kMaxCurrents; ++i) CalcThisCurrent(i);
    benchmark::DoNotOptimize(yfits[9][5][kMaxPoints - 1]);
  }
}

void BM_ResidualsAllTraces(benchmark::State& state) {
  LoadMeasuredWorkspace();
  for (auto _ : state) {
    for (int k = 0; k < kMaxTraces; ++k) {
      const std::vector<double> fit = SummedFit(k);
      benchmark::DoNotOptimize(Residuals({ydata[k], kMaxPoints}, fit));
    }
  }
}

void BM_GoodnessWithTwoRegions(benchmark::State& state) {
  LoadMeasuredWorkspace();
  const TimeRegion excluded[] = {{0, 0.3}, {50, 60}};
  const std::optional<TimeRegion> noise = TimeRegion{80, 99};
  for (auto _ : state) benchmark::DoNotOptimize(WorkspaceGoodness(excluded, noise));
}

}  // namespace

BENCHMARK(BM_ModelTenCurrents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResidualsAllTraces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GoodnessWithTwoRegions)->Unit(benchmark::kMillisecond);
