// The workspace's start-up state and the evaluation of the model currents over the traces.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "model/model.h"

namespace {

// Loads a synthetic recording: `traces` traces of `points` equally spaced samples.
void LoadEvenTimes(int traces, int points, double step = 1.0) {
  NumTraces = traces;
  NumPoints = points;
  for (int n = 0; n < kMaxPoints; ++n) timevals[n] = n < points ? n * step : 0.0;
}

void ResetWorkspace() {
  NumTraces = 0;
  NumPoints = 0;
  InitParams();
  status.windowStart = 0;
  status.windowEnd = 0;
}

double Boltzmann(double v, double half, double slope) {
  return 1.0 / (1.0 + std::exp((v - half) / slope));
}

// The model current written out from its definition, independently of the program's loop.
double ModelAt(const CurrentParams& c, double v, double t, double baseline) {
  const double minf = Boltzmann(v, c.Vm, c.Km);
  const double hinf = Boltzmann(v, c.Vh, c.Kh);
  const double minf0 = Boltzmann(c.Vhold, c.Vm, c.Km);
  const double hinf0 = Boltzmann(c.Vhold, c.Vh, c.Kh);
  const double taum = c.Tmhi + (c.Tmlo - c.Tmhi) / (1.0 + std::exp(-(v - c.Vtm) / c.Ktm));
  const double tauh = c.Thhi + (c.Thlo - c.Thhi) / (1.0 + std::exp(-(v - c.Vth) / c.Kth));
  const double m = minf + (minf0 - minf) * std::exp(-t / taum);
  const double h = hinf + (hinf0 - hinf) * std::exp(-t / tauh);
  return 0.001 * c.Gmax * std::pow(m, c.p) * std::pow(h, c.q) * (v - c.Erev) + baseline;
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
};

}  // namespace

// ---- start-up workspace ----

TEST_F(ModelTest, InitParamsGivesEveryCurrentItsDefaults) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    const CurrentParams& c = params[i];
    EXPECT_EQ(c.Vm, 1.0);
    EXPECT_EQ(c.Vh, 1.0);
    EXPECT_EQ(c.Km, -1.0);
    EXPECT_EQ(c.Kh, 1.0);
    EXPECT_EQ(c.Tmhi, 1.0);
    EXPECT_EQ(c.Tmlo, 1.0);
    EXPECT_EQ(c.Thhi, 1.0);
    EXPECT_EQ(c.Thlo, 1.0);
    EXPECT_EQ(c.Vtm, 1.0);
    EXPECT_EQ(c.Vth, 1.0);
    EXPECT_EQ(c.Ktm, -1.0);
    EXPECT_EQ(c.Kth, 1.0);
    EXPECT_EQ(c.Vhold, -60.0);
    EXPECT_EQ(c.Gmax, 1.0);
    EXPECT_EQ(c.Erev, -80.0);
    EXPECT_EQ(c.p, 1);
    EXPECT_EQ(c.q, 1);
    EXPECT_STREQ(c.name, std::to_string(i + 1).c_str());
    const double settings[kCurrentSettings] = {100, 0, 40, -80, 100, -100, 100, 0};
    for (int k = 0; k < kCurrentSettings; ++k) EXPECT_EQ(dclamp.currentSetting[k][i], settings[k]);
  }
}

TEST_F(ModelTest, InitParamsPutsOnlyCurrentOneInTheFitAndSelectsIt) {
  EXPECT_EQ(status.fitCurrent[0], 1);
  for (int i = 1; i < kMaxCurrents; ++i) EXPECT_EQ(status.fitCurrent[i], 0) << i;
  EXPECT_EQ(status.fitCount, 1);
  EXPECT_EQ(status.selCurrent, 1);
}

TEST_F(ModelTest, InitParamsSetsTheStatusAndDynamicClampDefaults) {
  const double traceV[kMaxTraces] = {-30, -10, 10, 30, 30, 30};
  for (int k = 0; k < kMaxTraces; ++k) EXPECT_EQ(status.traceV[k], traceV[k]);
  EXPECT_EQ(status.baseline, 0.0);
  EXPECT_EQ(status.xMin, 0.0);
  EXPECT_EQ(status.xMax, 280.0);
  EXPECT_EQ(status.yMin, -40.0);
  EXPECT_EQ(status.yMax, 40.0);
  EXPECT_EQ(status.vMin, -100.0);
  EXPECT_EQ(status.vMax, 100.0);
  EXPECT_EQ(status.dataLoaded, 0);
  EXPECT_EQ(status.paramFileLoaded, 0);
  EXPECT_EQ(status.autoUpdate, 0);
  EXPECT_EQ(status.colorTraces, 0);
  EXPECT_EQ(status.headerLines, 13);
  EXPECT_STREQ(status.paramFile, "temp");
  EXPECT_EQ(NumPoints, 0);
  const double globals[kGlobalSettings] = {0, 100, 0, 0.25};
  for (int k = 0; k < kGlobalSettings; ++k) EXPECT_EQ(dclamp.globalSetting[k], globals[k]);
  for (int k = 0; k < kIntSettings; ++k) EXPECT_EQ(dclamp.intSetting[k], 0);
}

TEST_F(ModelTest, InitParamsLeavesTheCopyBufferAndLoadedDataAlone) {
  copyCurr.Gmax = 42.0;
  status.cursorIndex = 7;
  NumTraces = 3;
  InitParams();
  EXPECT_EQ(copyCurr.Gmax, 42.0);
  EXPECT_EQ(status.cursorIndex, 7);
  EXPECT_EQ(NumTraces, 3);
  copyCurr = CurrentParams{};
}

// ---- clearing the fits ----

TEST_F(ModelTest, ZeroYFitsWithoutTracesChangesNothing) {
  yfits[2][0][0] = 3.0;
  ZeroYFits(2);
  EXPECT_EQ(yfits[2][0][0], 3.0);
  yfits[2][0][0] = 0.0;
}

TEST_F(ModelTest, ZeroYFitsClearsTheFirst5000SamplesOfEachLoadedTrace) {
  LoadEvenTimes(2, 10);
  for (int k = 0; k < 3; ++k) {
    yfits[4][k][0] = 1.0;
    yfits[4][k][4999] = 1.0;  // beyond NumPoints, still cleared
    yfits[4][k][5000] = 1.0;  // beyond the current samples, kept
  }
  ZeroYFits(4);
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(yfits[4][k][0], 0.0);
    EXPECT_EQ(yfits[4][k][4999], 0.0);
    EXPECT_EQ(yfits[4][k][5000], 1.0);
  }
  EXPECT_EQ(yfits[4][2][0], 1.0);  // trace 3 is not loaded
  for (int k = 0; k < 3; ++k) yfits[4][k][0] = yfits[4][k][4999] = yfits[4][k][5000] = 0.0;
}

// ---- integer powers ----

TEST(GetPower, MultipliesOutPositivePowers) {
  EXPECT_EQ(GetPower(0.5, 3), 0.125);
  EXPECT_EQ(GetPower(-2.0, 1), -2.0);
  EXPECT_EQ(GetPower(0.3, 4), 0.3 * 0.3 * 0.3 * 0.3);  // the same rounding as factor by factor
}

TEST(GetPower, PowerZeroIsOneWhateverTheBase) {
  EXPECT_EQ(GetPower(0.0, 0), 1.0);
  EXPECT_EQ(GetPower(NAN, 0), 1.0);
  EXPECT_EQ(GetPower(INFINITY, 0), 1.0);
}

TEST(GetPower, NegativePowersDivideOne) {
  EXPECT_EQ(GetPower(2.0, -2), 0.25);
  EXPECT_EQ(GetPower(0.0, -1), INFINITY);
}

// A power read from a file may be huge; it must neither hang nor overflow the exponent.
TEST(GetPower, ExtremePowersFinishWithTheLimitValue) {
  EXPECT_EQ(GetPower(0.5, INT32_MAX), 0.0);
  EXPECT_EQ(GetPower(1.0, INT32_MAX), 1.0);
  EXPECT_EQ(GetPower(1.0, INT32_MIN), 1.0);
  EXPECT_EQ(GetPower(2.0, INT32_MIN), 0.0);
  EXPECT_NEAR(GetPower(1.0001, 100000), std::pow(1.0001, 100000), 1e-9 * std::pow(1.0001, 100000));
}

// ---- the analysis window ----

TEST_F(ModelTest, WindowStartsOnePastTheSampleAtXMin) {
  LoadEvenTimes(1, 100);
  status.xMin = 10;
  status.xMax = 20;
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 11);
  EXPECT_EQ(status.windowEnd, 21);
}

TEST_F(ModelTest, WindowBetweenSamplesIncludesTheFirstSampleAtOrAfterXMax) {
  LoadEvenTimes(1, 100);
  status.xMin = 9.5;   // first sample at or after: 10
  status.xMax = 19.5;  // first at or after: 20
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 11);
  EXPECT_EQ(status.windowEnd, 21);
}

TEST_F(ModelTest, XMaxNotLaterThanTheFirstEvaluatedSampleGivesOneSample) {
  LoadEvenTimes(1, 100);
  status.xMin = 10;
  status.xMax = 10.5;
  SetDataXIndexes();
  EXPECT_EQ(status.windowEnd - status.windowStart, 1);
  status.xMax = 3;  // even earlier than xMin
  SetDataXIndexes();
  EXPECT_EQ(status.windowEnd - status.windowStart, 1);
}

TEST_F(ModelTest, WholeDataWindowRunsFromSampleOneToTheEnd) {
  LoadEvenTimes(1, 50);
  status.xMin = 0;
  status.xMax = 49;
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 1);
  EXPECT_EQ(status.windowEnd, 50);
}

// The samples past NumPoints hold stale times (here 0, below any bound): a scan that ran on
// would end far outside the loaded data.
TEST_F(ModelTest, WindowScansStopAtTheLastLoadedSample) {
  LoadEvenTimes(1, 50);
  status.xMin = 10;
  status.xMax = 1000;  // after the data: the window runs to the last sample
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 11);
  EXPECT_EQ(status.windowEnd, 50);

  status.xMin = 48.5;  // only the last sample is at or after xMin: nothing after it
  status.xMax = 48.51;
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 50);
  EXPECT_EQ(status.windowEnd, 50);

  status.xMin = 500;  // past the data: empty window
  status.xMax = 500.01;
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 50);
  EXPECT_EQ(status.windowEnd, 50);
}

TEST_F(ModelTest, WindowWithoutDataIsEmpty) {
  SetDataXIndexes();
  EXPECT_EQ(status.windowStart, 0);
  EXPECT_EQ(status.windowEnd, 0);
}

// ---- evaluating a current ----

TEST_F(ModelTest, FirstWindowSampleHoldsTheHoldingPotentialGates) {
  LoadEvenTimes(1, 40, 0.5);
  CurrentParams& c = params[0];
  c.Vm = -20;
  c.Km = -6;
  c.Vh = -50;
  c.Kh = 7;
  c.Vhold = -70;
  c.Gmax = 30;
  c.Erev = 50;
  c.p = 3;
  c.q = 1;
  status.traceV[0] = -10;
  status.baseline = 0.25;
  status.windowStart = 5;
  status.windowEnd = 30;
  CalcThisCurrent(0);
  const double minf0 = Boltzmann(-70, -20, -6);
  const double hinf0 = Boltzmann(-70, -50, 7);
  const double expected = 0.001 * 30 * minf0 * minf0 * minf0 * hinf0 * (-10 - 50) + 0.25;
  EXPECT_NEAR(yfits[0][0][5], expected, 1e-15);
}

TEST_F(ModelTest, WindowSamplesFollowTheRelaxationFromTheStepOnset) {
  LoadEvenTimes(2, 200, 0.1);
  CurrentParams& c = params[3];
  c.Vm = -30;
  c.Km = -5;
  c.Vh = -60;
  c.Kh = 6;
  c.Tmhi = 0.2;
  c.Tmlo = 2.0;
  c.Vtm = -40;
  c.Ktm = -8;
  c.Thhi = 1.0;
  c.Thlo = 9.0;
  c.Vth = -50;
  c.Kth = 5;
  c.Vhold = -90;
  c.Gmax = 120;
  c.Erev = 55;
  c.p = 3;
  c.q = 1;
  status.traceV[0] = -20;
  status.traceV[1] = 10;
  status.baseline = -0.5;
  status.windowStart = 20;
  status.windowEnd = 150;
  CalcThisCurrent(3);
  for (int k = 0; k < 2; ++k) {
    for (int n : {20, 21, 77, 149}) {
      const double t = timevals[n] - timevals[20];
      const double expected = ModelAt(c, status.traceV[k], t, -0.5);
      EXPECT_NEAR(yfits[3][k][n], expected, 1e-12 * std::fabs(expected)) << k << " " << n;
    }
  }
  EXPECT_EQ(V, 10.0);  // the voltage of the trace evaluated last
}

TEST_F(ModelTest, GatePowersZeroMakeTheCurrentOhmic) {
  LoadEvenTimes(1, 30);
  params[0].p = 0;
  params[0].q = 0;
  status.traceV[0] = -30;
  status.windowStart = 1;
  status.windowEnd = 30;
  CalcThisCurrent(0);
  for (int n = 1; n < 30; ++n) EXPECT_DOUBLE_EQ(yfits[0][0][n], 0.05) << n;
}

TEST_F(ModelTest, TraceAtTheReversalPotentialGivesExactlyTheBaseline) {
  LoadEvenTimes(1, 30);
  status.traceV[0] = params[0].Erev;
  status.baseline = 1.75;
  status.windowStart = 1;
  status.windowEnd = 30;
  CalcThisCurrent(0);
  for (int n = 0; n < 30; ++n) EXPECT_EQ(yfits[0][0][n], 1.75) << n;
}

TEST_F(ModelTest, SamplesOutsideTheWindowHoldTheBaselineAndLaterOnesAreKept) {
  LoadEvenTimes(1, 100);
  status.baseline = 5;
  status.windowStart = 10;
  status.windowEnd = 60;
  yfits[0][0][100] = 123.0;  // beyond NumPoints
  CalcThisCurrent(0);
  for (int n = 0; n < 10; ++n) EXPECT_EQ(yfits[0][0][n], 5.0);
  for (int n = 60; n < 100; ++n) EXPECT_EQ(yfits[0][0][n], 5.0);
  EXPECT_NE(yfits[0][0][30], 5.0);
  EXPECT_EQ(yfits[0][0][100], 123.0);
  yfits[0][0][100] = 0.0;
}

TEST_F(ModelTest, EachEnabledCurrentCarriesTheBaselineSoTheSumCarriesItTwice) {
  LoadEvenTimes(1, 20);
  status.baseline = 5;
  status.fitCurrent[1] = 1;
  status.windowStart = 5;
  status.windowEnd = 10;
  DoFit();
  for (int n : {0, 4, 10, 19}) EXPECT_EQ(yfits[0][0][n] + yfits[1][0][n], 10.0);
}

TEST_F(ModelTest, DisabledCurrentKeepsItsLastCurve) {
  LoadEvenTimes(1, 20);
  status.windowStart = 1;
  status.windowEnd = 20;
  status.fitCurrent[2] = 1;
  DoFit();
  const double before = yfits[2][0][7];
  status.fitCurrent[2] = 0;
  params[2].Gmax = 99;
  DoFit();
  EXPECT_EQ(yfits[2][0][7], before);
}

TEST_F(ModelTest, NoTracesLoadedEvaluatesNothing) {
  yfits[0][0][0] = 8.0;
  status.windowEnd = 10;
  CalcThisCurrent(0);
  EXPECT_EQ(yfits[0][0][0], 8.0);
  yfits[0][0][0] = 0.0;
}
