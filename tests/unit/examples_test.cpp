// The bundled examples: each recording is six Hodgkin-Huxley traces with the noise the generator
// states, and its parameter file, in the writer's exact layout, stays close to it, so that a
// change to the examples or the model cannot silently spoil the first thing a new user opens.
#include "test_support.h"

namespace {

const std::string kExamples = TestDataPath("../../examples/");

constexpr double kHoldingPotential = -80.0;  // mV
constexpr double kMembraneArea = 1e-6;       // cm2
constexpr double kNoiseSD = 0.03;            // nA

struct Example {
  const char* stem;
  bool sodium;           // m^3 h; otherwise the potassium n^4 family
  double steps[6];       // mV
  double rmsBound;       // nA: data against the summed fit over the analysis window
  double relativeBound;  // the same RMS over the largest measured current
};

// ---- Hodgkin and Huxley (1952), modern sign convention, written out again for the test ----

double LinearOverExp(double x, double k) {  // x / (1 - exp(-x/k)), k at x = 0
  return std::fabs(x) < 1e-9 ? k : x / (1.0 - std::exp(-x / k));
}

// The gate's value tMs after a step from the holding potential to v, from its rates.
double Gate(char gate, double v, double tMs) {
  const auto rates = [gate](double u) -> std::pair<double, double> {
    if (gate == 'n') return {0.01 * LinearOverExp(u + 55, 10), 0.125 * std::exp(-(u + 65) / 80)};
    if (gate == 'm') return {0.1 * LinearOverExp(u + 40, 10), 4 * std::exp(-(u + 65) / 18)};
    return {0.07 * std::exp(-(u + 65) / 20), 1 / (std::exp(-(u + 35) / 10) + 1)};
  };
  const auto [a, b] = rates(v);
  const auto [a0, b0] = rates(kHoldingPotential);
  return a / (a + b) + (a0 / (a0 + b0) - a / (a + b)) * std::exp(-tMs * (a + b));
}

// nA: mS/cm2 x mV = uA/cm2, times the area in cm2, times 1000.
double ReferenceCurrent(bool sodium, double v, double tMs) {
  if (sodium) {
    return 120.0 * std::pow(Gate('m', v, tMs), 3) * Gate('h', v, tMs) * (v - 50.0) * kMembraneArea *
           1e3;
  }
  return 36.0 * std::pow(Gate('n', v, tMs), 4) * (v + 77.0) * kMembraneArea * 1e3;
}

}  // namespace

TEST(Examples, HodgkinHuxleyFamiliesWithTheStatedNoiseAndACloseFit) {
  const Example examples[] = {{"hh-potassium", false, {-40, -20, 0, 20, 40, 60}, 0.09, 0.02},
                              {"hh-sodium", true, {-50, -35, -20, -5, 10, 25}, 0.05, 0.02}};
  for (const Example& example : examples) {
    ResetWorkspace();
    ASSERT_EQ(LoadDataFile(kExamples + example.stem + ".txt"), 1) << example.stem;
    ASSERT_EQ(NumTraces, 6);
    ASSERT_GT(NumPoints, 100);
    EXPECT_EQ(timevals[0], 0.0) << "each trace starts at the step onset";
    // What is left after the reference is the recording's noise: its SD as stated, mean near 0.
    double squares = 0.0, sum = 0.0;
    const int count = NumTraces * NumPoints;
    for (int k = 0; k < NumTraces; ++k) {
      EXPECT_NEAR(status.traceV[k], example.steps[k], 1e-9) << example.stem << " trace " << k + 1;
      for (int n = 0; n < NumPoints; ++n) {
        const double d =
            ydata[k][n] - ReferenceCurrent(example.sodium, example.steps[k], timevals[n]);
        squares += d * d;
        sum += d;
      }
    }
    EXPECT_NEAR(std::sqrt(squares / count), kNoiseSD, 0.1 * kNoiseSD) << example.stem;
    EXPECT_NEAR(sum / count, 0.0, 5.0 * kNoiseSD / std::sqrt(count)) << example.stem;

    // The parameter file: the writer's bytes, one named current in the fit held at the
    // recording's holding potential and evaluated at its step voltages.
    const std::string fit = kExamples + example.stem + ".fit";
    ASSERT_EQ(LoadParamFile(fit), 1);
    EXPECT_EQ(WorkspaceFileText(), ReadBytes(fit)) << example.stem;
    EXPECT_EQ(status.fitCount, 1) << example.stem;
    EXPECT_STREQ(params[0].name, example.sodium ? "INa" : "IK");
    EXPECT_EQ(params[0].Vhold, kHoldingPotential) << example.stem;
    for (int k = 0; k < kMaxTraces; ++k) EXPECT_EQ(status.loadedV[k], status.traceV[k]);

    // Over the window of the whole recording the fit is close, but never better than the noise:
    // a fit that is, fits the wrong thing.
    SetDataXIndexes();
    DoFit();
    squares = 0.0;
    double peak = 0.0;
    const int window = status.windowEnd - status.windowStart;
    for (int k = 0; k < NumTraces; ++k) {
      for (int n = status.windowStart; n < status.windowEnd; ++n) {
        double fitSum = 0.0;
        for (int i = 0; i < kMaxCurrents; ++i) fitSum += status.fitCurrent[i] ? yfits[i][k][n] : 0;
        squares += std::pow(ydata[k][n] - fitSum, 2);
        peak = std::fmax(peak, std::fabs(ydata[k][n]));
      }
    }
    const double rms = std::sqrt(squares / (NumTraces * window));
    EXPECT_LT(rms, example.rmsBound) << example.stem;
    EXPECT_LT(rms / peak, example.relativeBound) << example.stem;
    EXPECT_GT(rms, 0.9 * kNoiseSD) << example.stem;
  }
  ResetWorkspace();
}
