// The bundled examples: each recording loads as six Hodgkin-Huxley traces, and the model current
// of its parameter file stays close to it, so a change to the examples or the model cannot
// silently spoil the first thing a new user opens.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/pavik.h"
#include "io/io.h"
#include "model/model.h"
#include "platform/platform_test.h"

namespace {

// tests/data may not exist, so the path is taken apart as text rather than resolved.
const std::string kExamples =
    (std::filesystem::path(PAVIK_TEST_DATA).parent_path().parent_path() / "examples/").string();

// What the generator promises about each family.
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

const Example kPotassium{"hh-potassium", false, {-40, -20, 0, 20, 40, 60}, 0.09, 0.02};
const Example kSodium{"hh-sodium", true, {-50, -35, -20, -5, 10, 25}, 0.05, 0.02};

// ---- Hodgkin and Huxley (1952), modern sign convention, written out again for the test ----

double LinearOverExp(double x, double k) {  // x / (1 - exp(-x/k)), k at x = 0
  return std::fabs(x) < 1e-9 ? k : x / (1.0 - std::exp(-x / k));
}

struct Gate {
  double inf, tau;
};

Gate FromRates(double a, double b) {
  return {a / (a + b), 1.0 / (a + b)};
}

Gate N(double v) {
  return FromRates(0.01 * LinearOverExp(v + 55, 10), 0.125 * std::exp(-(v + 65) / 80));
}
Gate M(double v) {
  return FromRates(0.1 * LinearOverExp(v + 40, 10), 4 * std::exp(-(v + 65) / 18));
}
Gate H(double v) {
  return FromRates(0.07 * std::exp(-(v + 65) / 20), 1 / (std::exp(-(v + 35) / 10) + 1));
}

double After(Gate (*gate)(double), double v, double tMs) {
  const Gate g = gate(v);
  return g.inf + (gate(kHoldingPotential).inf - g.inf) * std::exp(-tMs / g.tau);
}

// nA: mS/cm2 x mV = uA/cm2, times the area in cm2, times 1000.
double ReferenceCurrent(bool sodium, double v, double tMs) {
  if (sodium) {
    const double m = After(M, v, tMs);
    return 120.0 * m * m * m * After(H, v, tMs) * (v - 50.0) * kMembraneArea * 1e3;
  }
  const double n = After(N, v, tMs);
  return 36.0 * n * n * n * n * (v + 77.0) * kMembraneArea * 1e3;
}

// ---- loading as the menu does ----

void Load(const Example& example) {
  NumTraces = 0;
  NumPoints = 0;
  InitParams();
  ClearRecordedMessages();
  ASSERT_EQ(LoadDataFile(kExamples + example.stem + ".txt"), 1)
      << (RecordedMessages().empty() ? "" : RecordedMessages().back().message);
  SetDataXIndexes();  // the window the redraw after loading gives: the whole recording
  ASSERT_EQ(LoadParamFile(kExamples + example.stem + ".fit"), 1);
}

// Sum of the included currents, as the fit graph draws it.
double SummedFit(int trace, int sample) {
  double sum = 0.0;
  for (int i = 0; i < kMaxCurrents; ++i)
    if (status.fitCurrent[i]) sum += yfits[i][trace][sample];
  return sum;
}

void ExpectFitWithinBound(const Example& example) {
  Load(example);
  for (int i = 0; i < kMaxCurrents; ++i)
    if (status.fitCurrent[i]) CalcThisCurrent(i);
  double squares = 0.0, peak = 0.0;
  int count = 0;
  for (int k = 0; k < NumTraces; ++k) {
    for (int n = status.windowStart; n < status.windowEnd; ++n) {
      const double d = ydata[k][n] - SummedFit(k, n);
      squares += d * d;
      peak = std::fmax(peak, std::fabs(ydata[k][n]));
      ++count;
    }
  }
  ASSERT_GT(count, 0);
  const double rms = std::sqrt(squares / count);
  EXPECT_LT(rms, example.rmsBound) << example.stem;
  EXPECT_LT(rms / peak, example.relativeBound) << example.stem;
  // Never better than the noise the recording carries: a fit that is, fits the wrong thing.
  EXPECT_GT(rms, 0.9 * kNoiseSD) << example.stem;
}

void ExpectHodgkinHuxleyTraces(const Example& example) {
  Load(example);
  ASSERT_EQ(NumTraces, 6);
  ASSERT_GT(NumPoints, 100);
  ASSERT_LE(NumPoints, kMaxPoints);
  EXPECT_EQ(timevals[0], 0.0) << "each trace starts at the step onset";
  double squares = 0.0, sum = 0.0;
  int count = 0;
  for (int k = 0; k < NumTraces; ++k) {
    EXPECT_NEAR(status.traceV[k], example.steps[k], 1e-9) << example.stem << " trace " << k + 1;
    for (int n = 0; n < NumPoints; ++n) {
      const double d =
          ydata[k][n] - ReferenceCurrent(example.sodium, example.steps[k], timevals[n]);
      squares += d * d;
      sum += d;
      ++count;
    }
  }
  // What is left is the recording's noise: its SD as stated, its mean near zero.
  EXPECT_NEAR(std::sqrt(squares / count), kNoiseSD, 0.1 * kNoiseSD) << example.stem;
  EXPECT_NEAR(sum / count, 0.0, 5.0 * kNoiseSD / std::sqrt(count)) << example.stem;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// ---- the recordings ----

TEST(ExampleRecording, PotassiumFamilyIsHodgkinHuxleyWithStatedNoise) {
  ExpectHodgkinHuxleyTraces(kPotassium);
}

TEST(ExampleRecording, SodiumFamilyIsHodgkinHuxleyWithStatedNoise) {
  ExpectHodgkinHuxleyTraces(kSodium);
}

// ---- the parameter files ----

TEST(ExampleParamFile, PotassiumFitStaysCloseToItsRecording) {
  ExpectFitWithinBound(kPotassium);
}

TEST(ExampleParamFile, SodiumFitStaysCloseToItsRecording) {
  ExpectFitWithinBound(kSodium);
}

// The files are what the writer makes of what they hold, byte for byte, with one current in the
// fit, named, held at the recording's holding potential and evaluated at its step voltages.
TEST(ExampleParamFile, BothAreInTheWritersExactLayout) {
  for (const Example* example : {&kPotassium, &kSodium}) {
    Load(*example);
    EXPECT_EQ(FormatParamFile(params, dclamp, status), FileText(kExamples + example->stem + ".fit"))
        << example->stem;
    EXPECT_EQ(status.fitCount, 1) << example->stem;
    EXPECT_STREQ(params[0].name, example->sodium ? "INa" : "IK");
    EXPECT_EQ(params[0].Vhold, kHoldingPotential) << example->stem;
    for (int k = 0; k < kMaxTraces; ++k) EXPECT_EQ(status.loadedV[k], status.traceV[k]);
  }
}
