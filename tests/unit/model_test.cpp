// Integer powers, the analysis window and the evaluation of a model current over the traces (the
// golden checksums pin every other case of the evaluation: gate powers 0, a trace at the reversal
// potential, the baseline outside the window).
#include <array>
#include <climits>
#include <cmath>
#include <utility>

#include "model/evaluation.h"
#include "model/recording.h"
#include "test_support.h"

namespace {

using ModelTest = WorkspaceTest;

// Loads a synthetic recording: `traces` traces of `points` equally spaced samples.
void LoadEvenTimes(int traces, int points, double step = 1.0) {
  NumTraces = traces;
  NumPoints = points;
  for (int n = 0; n < kMaxPoints; ++n) timevals[n] = n < points ? n * step : 0.0;
}

}  // namespace

// ---- integer powers ----

// Factor by factor (the same rounding), one for power 0 whatever the base, negative powers
// dividing one, and powers read from a file that neither hang nor overflow the exponent.
TEST(GetPower, MultipliesOutDividesAndEndsAtTheLimit) {
  const struct {
    double base;
    int power;
    double expected;
  } cases[] = {
      {0.5, 3, 0.125},       {-2.0, 1, -2.0},       {0.3, 4, 0.3 * 0.3 * 0.3 * 0.3},
      {0.0, 0, 1.0},         {NAN, 0, 1.0},         {INFINITY, 0, 1.0},
      {2.0, -2, 0.25},       {0.0, -1, INFINITY},   {0.5, INT32_MAX, 0.0},
      {1.0, INT32_MAX, 1.0}, {1.0, INT32_MIN, 1.0}, {2.0, INT32_MIN, 0.0},
  };
  for (const auto& c : cases) EXPECT_EQ(GetPower(c.base, c.power), c.expected) << c.base << c.power;
  EXPECT_NEAR(GetPower(1.0001, 100000), std::pow(1.0001, 100000), 1e-9 * std::pow(1.0001, 100000));
}

// ---- the analysis window ----

// The window starts one past the sample at or after xMin and ends at the first sample at or
// after xMax, at least one sample wide; the scans stop at the last loaded sample, since the
// samples past it hold stale times (here 0, below any bound).
TEST_F(ModelTest, WindowRule) {
  const struct {
    int points;
    double xMin, xMax;
    int start, end;
  } cases[] = {
      {100, 10, 20, 11, 21},     {100, 9.5, 19.5, 11, 21},  {100, 10, 10.5, 11, 12},
      {100, 10, 3, 11, 12},      {50, 0, 49, 1, 50},        {50, 10, 1000, 11, 50},
      {50, 48.5, 48.51, 50, 50}, {50, 500, 500.01, 50, 50}, {0, 0, 280, 0, 0},
  };
  for (const auto& c : cases) {
    LoadEvenTimes(1, c.points);
    status.xMin = c.xMin;
    status.xMax = c.xMax;
    SetDataXIndexes();
    EXPECT_EQ(status.windowStart, c.start)
        << c.points << " samples, " << c.xMin << " to " << c.xMax;
    EXPECT_EQ(status.windowEnd, c.end) << c.points << " samples, " << c.xMin << " to " << c.xMax;
  }
}

// ---- evaluating a current ----

// From the window start the gates relax from their holding-potential values, with time counted
// from that sample.
TEST_F(ModelTest, WindowSamplesFollowTheRelaxationFromTheStepOnset) {
  LoadEvenTimes(2, 200, 0.1);
  CurrentParams& c = params[3];
  // Vm Vh Km Kh Tmhi Tmlo Thhi Thlo Vtm Vth Ktm Kth Vhold Gmax Erev p q name
  c = CurrentParams{-30, -60, -5, 6, 0.2, 2.0, 1.0, 9.0, -40, -50, -8, 5, -90, 120, 55, 3, 1, "Na"};
  status.traceV[0] = -20;
  status.traceV[1] = 10;
  status.baseline = -0.5;
  status.windowStart = 20;
  status.windowEnd = 150;
  CalcThisCurrent(3);
  for (int k = 0; k < 2; ++k) {
    for (int n : {20, 21, 77, 149}) {
      const double expected = ModelAt(c, status.traceV[k], timevals[n] - timevals[20], -0.5);
      EXPECT_NEAR(yfits[3][k][n], expected, 1e-12 * std::fabs(expected)) << k << " " << n;
    }
  }
}

// A recording far beyond the trace arrays goes through the same evaluation: each trace's sum is
// the currents in the fit added in order, each current stepping from its own Vhold.
TEST(Evaluate, AnyRecordingWithoutTheTraceArrays) {
  Recording big;
  const int traces = 40;
  const int samples = 20000;
  for (int n = 0; n < samples; ++n) big.times.push_back(0.01 * n);
  big.traces = big.pairsStored = traces;
  for (int k = 0; k < traces; ++k) big.commands.push_back({-100.0 + 4.0 * k, -80.0, {}});
  big.window = {100, samples};
  std::array<CurrentParams, kMaxCurrents> currents{};
  for (CurrentParams& c : currents)
    c = {-30, -60, -8, 7, 2, 0.2, 20, 1, -40, -50, 10, 10, -80, 50, 40, 3, 1, {}};
  currents[4].p = 4;
  currents[4].q = 0;
  currents[4].Erev = -90;
  InFit inFit{};
  inFit[0] = inFit[4] = true;
  const Evaluation e = Evaluate(big, currents, inFit, 0.5);
  ASSERT_EQ(e.summed.size(), 40u);
  EXPECT_TRUE(e.currents[1].empty());
  const auto independent = [&](const CurrentParams& c, double v, double t) {
    const auto boltzmann = [](double x, double half, double k) {
      return 1 / (1 + std::exp((x - half) / k));
    };
    const auto tau = [](double x, double hi, double lo, double half, double k) {
      return lo + (hi - lo) / (1 + std::exp((x - half) / k));
    };
    const double m0 = boltzmann(c.Vhold, c.Vm, c.Km), mi = boltzmann(v, c.Vm, c.Km);
    const double h0 = boltzmann(c.Vhold, c.Vh, c.Kh), hi = boltzmann(v, c.Vh, c.Kh);
    const double m = mi - (mi - m0) * std::exp(-t / tau(v, c.Tmhi, c.Tmlo, c.Vtm, c.Ktm));
    const double h = hi - (hi - h0) * std::exp(-t / tau(v, c.Thhi, c.Thlo, c.Vth, c.Kth));
    return 0.001 * c.Gmax * std::pow(m, c.p) * std::pow(h, c.q) * (v - c.Erev) + 0.5;
  };
  for (const auto& [k, n] : {std::pair{0, 100}, {7, 150}, {23, 4000}, {39, 19999}}) {
    const double v = big.commands[k].step;
    const double t = big.times[n] - big.times[100];
    EXPECT_NEAR(e.summed[k][n], independent(currents[0], v, t) + independent(currents[4], v, t),
                1e-9)
        << "trace " << k << ", sample " << n;
  }
  EXPECT_EQ(e.summed[5][99], 1.0) << "before the window: the baseline of each current";
}
