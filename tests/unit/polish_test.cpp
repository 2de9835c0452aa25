// The least-squares polish on synthetic families: recovery of known parameters, fixed parameters,
// bounds, parameters the data cannot determine, cancelling, excluded regions, refused input, and
// residuals that are exactly the measured current minus the drawn sum.
#include <atomic>
#include <cmath>
#include <random>

#include "fit/bounds_entry.h"
#include "fit/covariance.h"
#include "fit/polish.h"
#include "fit/polish_model.h"
#include "fit/polish_verdict.h"
#include "model/evaluate.h"
#include "test_support.h"

namespace {

constexpr double kStep = 0.04;  // ms between samples
constexpr int kPoints = 2500;

CurrentParams SodiumLike() {
  // Vm Vh Km Kh Tmhi Tmlo Thhi Thlo Vtm Vth Ktm Kth Vhold Gmax Erev p q name
  return CurrentParams{-25, -45, -8,  7,    0.2, 1.0, 1.0, 10, -10,
                       -20, -12, -12, -100, 150, 55,  3,   1,  ""};
}

CurrentParams PotassiumLike() {
  // Vm Vh Km Kh Tmhi Tmlo Thhi Thlo Vtm Vth Ktm Kth Vhold Gmax Erev p q name
  return CurrentParams{-10, -30, -12, 8, 1.5, 6, 40, 120, 2, -3, -15, -15, -100, 50, -85, 4, 1, ""};
}

CurrentParams NonInactivating() {
  CurrentParams c = PotassiumLike();
  c.q = 0;
  return c;
}

// A recording made by the model from `truth` (currents 1, 2, ... in the fit), with Gaussian noise
// of `noise` nA; the polish starts from the truth.
PolishInput Family(const std::vector<CurrentParams>& truth, double noise = 0.0,
                   std::vector<double> voltages = {-40, -20, 0, 20, 40, 60}) {
  PolishInput in;
  for (size_t i = 0; i < truth.size(); ++i) {
    in.currents[i] = truth[i];
    in.inFit[i] = true;
  }
  for (int n = 0; n < kPoints; ++n) in.times.push_back(kStep * n);
  in.traceV = voltages;
  in.windowStart = 1;
  in.windowEnd = kPoints;
  in.counted.assign(kPoints, 0);
  for (int n = in.windowStart; n < in.windowEnd; ++n) in.counted[n] = 1;
  std::mt19937 random(7);
  std::normal_distribution<double> gauss(0.0, noise > 0.0 ? noise : 1.0);
  for (double v : voltages) {
    std::vector<double> trace(kPoints, 0.0);
    for (int n = in.windowStart; n < in.windowEnd; ++n) {
      for (const CurrentParams& c : truth) {
        const CurrentReals<double> P = RealsOf(c);
        trace[n] += CurrentAt(P, c.p, c.q, GatesAt(P, v), in.times[n] - in.times[1]);
      }
      if (noise > 0.0) trace[n] += gauss(random);
    }
    in.measured.push_back(trace);
  }
  in.choice = DefaultChoice(in.currents);
  return in;
}

// Moves every default-free parameter of the fit's currents as an eye's guess would be off.
void MoveStart(PolishInput* in) {
  int sign = 1;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!in->inFit[i]) continue;
    for (int j = 0; j < kRealFieldCount; ++j) {
      if (!in->choice.currents[i].free[j]) continue;
      double& value = in->currents[i].*kParamTable[j].real;
      const FieldKind kind = kParamTable[j].kind;
      if (kind == FieldKind::Voltage) {
        value += 3.0 * sign;
      } else {
        value *= 1.0 + sign * (kind == FieldKind::Slope          ? 0.1
                               : kind == FieldKind::TimeConstant ? 0.15
                                                                 : 0.08);
      }
      sign = -sign;
    }
  }
}

const ParamEstimate* EstimateOf(const PolishResult& r, int current, ParamField field) {
  for (const ParamEstimate& e : r.estimates) {
    if (e.param == ParamRef{current, field}) return &e;
  }
  return nullptr;
}

}  // namespace

// ---- recovery ----

TEST(Polish, RecoversNoiseFreeFamiliesToOneMillionth) {
  const std::vector<std::vector<CurrentParams>> families = {
      {SodiumLike()}, {NonInactivating()}, {SodiumLike(), PotassiumLike()}};
  for (const std::vector<CurrentParams>& truth : families) {
    PolishInput in = Family(truth);
    MoveStart(&in);
    const PolishResult r = Polish(in);
    ASSERT_EQ(r.outcome, PolishOutcome::Converged) << r.reason;
    for (const ParamEstimate& e : r.estimates) {
      const double expected = truth[e.param.current].*Descriptor(e.param.field).real;
      EXPECT_NEAR(e.result, expected, 1e-6 * std::abs(expected)) << ParamName(e.param);
    }
  }
}

TEST(Polish, NoisyFamilyLandsWithinThreeStandardErrors) {
  const std::vector<CurrentParams> truth = {SodiumLike(), PotassiumLike()};
  PolishInput in = Family(truth, 0.03);
  MoveStart(&in);
  const PolishResult r = Polish(in);
  ASSERT_EQ(r.outcome, PolishOutcome::Converged) << r.reason;
  EXPECT_LT(*r.rmsAfter, *r.rmsBefore);
  EXPECT_NEAR(*r.rmsAfter, 0.03, 0.03 * 0.02);
  for (const ParamEstimate& e : r.estimates) {
    ASSERT_TRUE(e.standardError) << ParamName(e.param);
    const double expected = truth[e.param.current].*Descriptor(e.param.field).real;
    EXPECT_LE(std::abs(e.result - expected), 3.0 * *e.standardError) << ParamName(e.param);
  }
}

// With Gmax alone free the model is linear in it, so its standard error has a closed form: the
// residuals' variance over n - 1 degrees, over the sum of squares of the current per nS.
TEST(Polish, StandardErrorOfALinearParameterHasItsClosedForm) {
  PolishInput in = Family({NonInactivating()}, 0.03);
  in.choice.currents[0].free.fill(false);
  in.choice.baselineFree = false;
  in.choice.currents[0].free[static_cast<int>(ParamField::Gmax)] = true;
  in.currents[0].Gmax *= 1.1;
  const PolishResult r = Polish(in);
  ASSERT_EQ(r.outcome, PolishOutcome::Converged) << r.reason;
  const ParamEstimate* gmax = EstimateOf(r, 0, ParamField::Gmax);
  ASSERT_TRUE(gmax && gmax->standardError);
  CurrentParams perNs = NonInactivating();
  perNs.Gmax = 1.0;
  const CurrentReals<double> P = RealsOf(perNs);
  double currentSquares = 0, residualSquares = 0;
  int n = 0;
  for (size_t k = 0; k < in.traceV.size(); ++k) {
    for (int i = 0; i < kPoints; ++i) {
      if (!in.counted[i]) continue;
      const double f =
          CurrentAt(P, perNs.p, perNs.q, GatesAt(P, in.traceV[k]), in.times[i] - in.times[1]);
      currentSquares += f * f;
      residualSquares += std::pow(in.measured[k][i] - gmax->result * f, 2);
      ++n;
    }
  }
  EXPECT_NEAR(*gmax->standardError, std::sqrt(residualSquares / (n - 1) / currentSquares),
              1e-6 * *gmax->standardError);
}

// ---- fixed, bounds, not determined ----

// A fixed parameter stays while the others move; a bound holds, and a start outside it is moved
// onto it and said so.
TEST(Polish, FixedParameterStaysAndABoundHolds) {
  PolishInput in = Family({SodiumLike()});
  MoveStart(&in);
  in.choice.currents[0].free[static_cast<int>(ParamField::Vm)] = false;
  in.currents[0].Vm = -27.5;
  in.choice.currents[0].bounds[static_cast<int>(ParamField::Gmax)] = {0.0, 120.0};
  in.currents[0].Gmax = 170.0;  // above the bound: started at 120
  const PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  EXPECT_EQ(r.currents[0].Vm, -27.5);
  EXPECT_EQ(EstimateOf(r, 0, ParamField::Vm), nullptr);
  EXPECT_NE(r.currents[0].Km, in.currents[0].Km);
  EXPECT_EQ(r.currents[0].Gmax, 120.0);
  const ParamEstimate* gmax = EstimateOf(r, 0, ParamField::Gmax);
  ASSERT_NE(gmax, nullptr);
  EXPECT_TRUE(gmax->atBound);
  EXPECT_EQ(gmax->start, 120.0);
  ASSERT_EQ(r.notices.size(), 1u);
  EXPECT_NE(r.notices[0].find("1.Gmax"), std::string::npos);
}

TEST(Polish, ParametersTheDataCannotSeeAreNotDetermined) {
  // One step: taum enters only through its value at that voltage, so its four parameters are not
  // determined one by one; an h parameter of a gate raised to the power 0 is not seen at all.
  PolishInput in = Family({NonInactivating()}, 0.0, {20});
  in.choice.currents[0].free[static_cast<int>(ParamField::Vh)] = true;
  in.currents[0].Gmax *= 1.05;
  const PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  for (ParamField field :
       {ParamField::Tmhi, ParamField::Tmlo, ParamField::Vtm, ParamField::Ktm, ParamField::Vh}) {
    ASSERT_NE(EstimateOf(r, 0, field), nullptr);
    EXPECT_FALSE(EstimateOf(r, 0, field)->standardError) << Descriptor(field).name;
  }
  EXPECT_EQ(r.currents[0].Vh, in.currents[0].Vh);
}

TEST(Polish, StrongCorrelationsAreListed) {
  // Three steps on the rising part of minf: a steeper Km and a larger Gmax give nearly the
  // same currents.
  PolishInput in = Family({NonInactivating()}, 0.01, {-20, 0, 20});
  for (ParamField field : {ParamField::Tmhi, ParamField::Tmlo, ParamField::Vtm, ParamField::Ktm}) {
    in.choice.currents[0].free[static_cast<int>(field)] = false;
  }
  const PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  bool listed = false;
  for (const CorrelatedPair& pair : r.correlated) {
    EXPECT_GT(std::abs(pair.r), kStrongCorrelation);
    listed = listed || (pair.first == ParamRef{0, ParamField::Km} &&
                        pair.second == ParamRef{0, ParamField::Gmax});
  }
  EXPECT_TRUE(listed);
}

// ---- cancel ----

TEST(Polish, CancelReturnsTheInputUntouched) {
  PolishInput in = Family({SodiumLike(), PotassiumLike()}, 0.03);
  MoveStart(&in);
  const PolishInput before = in;
  std::atomic<bool> cancel = false;
  int progressCalls = 0;
  const PolishResult r = Polish(
      in,
      [&](const PolishProgress& p) {
        ++progressCalls;
        if (p.iteration >= 1) cancel = true;  // as the Esc key would, from another thread
      },
      &cancel);
  EXPECT_EQ(r.outcome, PolishOutcome::Cancelled);
  EXPECT_EQ(r.reason, "cancelled");
  EXPECT_GE(progressCalls, 2);
  EXPECT_EQ(std::memcmp(r.currents.data(), before.currents.data(), sizeof before.currents), 0);
  EXPECT_EQ(r.baseline, before.baseline);
  EXPECT_EQ(std::memcmp(in.currents.data(), before.currents.data(), sizeof before.currents), 0);
  EXPECT_TRUE(r.estimates.empty());
}

// ---- regions and the time zero ----

TEST(Polish, ExcludingATransientRecoversTheCurrentItHid) {
  PolishInput in = Family({SodiumLike()});
  for (std::vector<double>& trace : in.measured) {
    for (int n = 1; n <= 8; ++n) trace[n] += 20.0 * std::exp(-n * kStep / 0.1);  // 0.3 ms artefact
  }
  MoveStart(&in);
  const PolishResult kept = Polish(in);
  for (int n = 1; n <= 8; ++n) in.counted[n] = 0;
  const PolishResult excluded = Polish(in);
  ASSERT_EQ(excluded.outcome, PolishOutcome::Converged) << excluded.reason;
  ASSERT_TRUE(kept.Applicable()) << kept.reason;
  const CurrentParams truth = SodiumLike();
  EXPECT_NEAR(excluded.currents[0].Tmlo, truth.Tmlo, 1e-6 * truth.Tmlo);
  EXPECT_NEAR(excluded.currents[0].Gmax, truth.Gmax, 1e-6 * truth.Gmax);
  EXPECT_GT(std::abs(kept.currents[0].Tmlo - truth.Tmlo), 1e-3 * truth.Tmlo);
  EXPECT_LT(excluded.counted, kept.counted);
}

TEST(PolishModel, ResidualsAreMeasuredMinusTheDrawnSumWhateverIsExcluded) {
  // Two currents each carry the baseline, as the drawn sum does; excluding the first samples
  // leaves the model's time zero at the window start.
  ResetWorkspace();
  PolishInput in = Family({SodiumLike(), PotassiumLike()}, 0.02);
  in.baseline = 0.25;
  NumTraces = static_cast<int>(in.traceV.size());
  NumPoints = kPoints;
  for (int n = 0; n < kPoints; ++n) timevals[n] = in.times[n];
  for (int k = 0; k < NumTraces; ++k) status.traceV[k] = in.traceV[k];
  status.windowStart = in.windowStart;
  status.windowEnd = in.windowEnd;
  status.baseline = in.baseline;

  for (int firstCounted : {1, 12}) {
    for (int n = 0; n < kPoints; ++n) in.counted[n] = n >= firstCounted ? 1 : 0;
    const PolishModel model(in, nullptr);
    const std::vector<std::vector<double>> start = model.StartValues();
    std::vector<const double*> blocks;
    for (const std::vector<double>& b : start) blocks.push_back(b.data());
    // The drawn fit of the parameters the solver's coordinates stand for.
    std::array<CurrentParams, kMaxCurrents> unpacked;
    model.Unpack(blocks.data(), &unpacked, &status.baseline);
    std::copy(unpacked.begin(), unpacked.end(), params);
    CalcThisCurrent(0);
    CalcThisCurrent(1);
    for (int k = 0; k < model.TraceCount(); ++k) {
      std::vector<double> residuals(model.ResidualCount(k));
      ASSERT_TRUE(model.EvaluateTrace(k, blocks.data(), residuals.data(), nullptr));
      for (int s = 0; s < model.ResidualCount(k); ++s) {
        const int n = firstCounted + s;
        const double drawn = (0.0 + yfits[0][k][n]) + yfits[1][k][n];
        ASSERT_EQ(residuals[s], in.measured[k][n] - drawn) << "trace " << k << " sample " << n;
      }
    }
  }
  ResetWorkspace();
}

// ---- refused input ----

TEST(Polish, RefusesInputItCannotPolishAndReturnsItUnchanged) {
  struct Case {
    const char* what;
    void (*spoil)(PolishInput*);
  };
  const Case cases[] = {
      {"no current is in the fit", [](PolishInput* in) { in->inFit.fill(false); }},
      {"no parameter is free",
       [](PolishInput* in) {
         for (CurrentChoice& c : in->choice.currents) c.free.fill(false);
       }},
      {"every sample", [](PolishInput* in) { in->counted.assign(in->counted.size(), 0); }},
      {"hold no value",
       [](PolishInput* in) {
         in->choice.currents[0].bounds[0] = {5.0, -5.0};
       }},
      {"sign it should keep", [](PolishInput* in) { in->currents[0].Km = 0.0; }},
      {"not a number", [](PolishInput* in) { in->currents[0].Thlo = std::nan(""); }},
      {"analysis window", [](PolishInput* in) { in->windowEnd = in->windowStart; }},
      {"not consistent", [](PolishInput* in) { in->measured[1].pop_back(); }},
  };
  for (const Case& c : cases) {
    PolishInput in = Family({SodiumLike()});
    c.spoil(&in);
    const PolishResult r = Polish(in);
    EXPECT_EQ(r.outcome, PolishOutcome::Refused) << c.what;
    EXPECT_NE(r.reason.find(c.what), std::string::npos) << r.reason;
    EXPECT_EQ(std::memcmp(r.currents.data(), in.currents.data(), sizeof in.currents), 0);
  }
}

// ---- the verdict ----

// Each fault a fit can have is named, and a fit without one is called good.
TEST(Polish, VerdictNamesWhatIsWrongWithAFit) {
  struct Case {
    const char* warning;  // "" for a good fit
    void (*spoil)(PolishInput*);
  };
  const Case cases[] = {
      {"", [](PolishInput*) {}},
      {"times the noise", [](PolishInput* in) { in->currents[0].q = 0; }},
      {"1.Gmax is on its bound",
       [](PolishInput* in) {
         in->choice.currents[0].bounds[static_cast<int>(ParamField::Gmax)] = {0.0, 120.0};
       }},
  };
  for (const Case& c : cases) {
    PolishInput in = Family({SodiumLike()}, 0.03);
    MoveStart(&in);
    c.spoil(&in);
    const PolishResult r = Polish(in);
    ASSERT_TRUE(r.Applicable()) << r.reason;
    std::string all;
    for (const std::string& w : r.warnings) all += w + "\n";
    if (*c.warning == '\0') {
      EXPECT_TRUE(r.Good()) << all;
    } else {
      EXPECT_FALSE(r.Good());
      EXPECT_NE(all.find(c.warning), std::string::npos) << all;
    }
  }
}

// A time-constant midpoint beyond every step and the holding level cannot be seen; the noise is
// the noise region's when there is one, else the baseline's before the window.
TEST(Polish, MidpointOutsideTheTracesAndTheNoiseSource) {
  CurrentParams truth = SodiumLike();
  truth.Vtm = 90.0;
  PolishInput in = Family({truth}, 0.03);
  MoveStart(&in);
  PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  bool named = false;
  for (const std::string& w : r.warnings) named = named || w.starts_with("1.Vtm (");
  EXPECT_TRUE(named);
  EXPECT_EQ(r.noise.source, NoiseSource::Differences);
  EXPECT_NEAR(*r.noise.sd, 0.03, 0.003);

  in.windowStart = 100;  // the samples before it hold the baseline (zero current) and noise
  std::mt19937 random(3);
  std::normal_distribution<double> gauss(0.0, 0.05);
  for (std::vector<double>& trace : in.measured)
    for (int n = 0; n < in.windowStart; ++n) trace[n] = gauss(random);
  EXPECT_EQ(EstimateNoise(in).source, NoiseSource::Baseline);
  EXPECT_NEAR(*EstimateNoise(in).sd, 0.05, 0.005);
  in.noiseSd = 0.04;
  EXPECT_EQ(EstimateNoise(in).source, NoiseSource::Region);
}

// Correlated noise (lag-1 autocorrelation 0.8) leaves independent-looking standard errors 3 times
// too small: the corrected ones are widened by sqrt(1.8 / 0.2).
TEST(Polish, CorrelatedResidualsWidenTheCorrectedErrors) {
  PolishInput in = Family({SodiumLike()});
  std::mt19937 random(11);
  std::normal_distribution<double> gauss(0.0, 0.03 * std::sqrt(1.0 - 0.64));
  for (std::vector<double>& trace : in.measured) {
    double noise = 0.0;
    for (double& sample : trace) sample += (noise = 0.8 * noise + gauss(random));
  }
  MoveStart(&in);
  const PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  ASSERT_TRUE(r.lag1);
  EXPECT_NEAR(*r.lag1, 0.8, 0.03);
  for (const ParamEstimate& e : r.estimates) {
    ASSERT_TRUE(e.standardError && e.correctedError) << ParamName(e.param);
    EXPECT_NEAR(*e.correctedError / *e.standardError, std::sqrt(1.8 / 0.2), 0.3);
  }
}

// Two parameters that move the data almost alike: below the documented cut both are not
// determined, wherever their tiny difference falls; above it both have standard errors.
TEST(EstimateCovariance, NearlyAlikeParametersAreLabelledAlikeAcrossTheRoundingCut) {
  struct Case {
    double angle;  // between the two parameters' effects (rad)
    bool determined;
  };
  for (const Case c : {Case{5e-9, false}, Case{1e-8, false}, Case{3e-8, false}, Case{1e-5, false},
                       Case{0.05, true}}) {
    // R of a Jacobian whose two unit columns are `angle` apart.
    const std::vector<double> r = {1.0, std::cos(c.angle), 0.0, std::sin(c.angle)};
    const std::vector<double> typical = {1.0, 1.0};
    const CovarianceFigures figures = EstimateCovariance(r, 2, typical, 1.0, 1000);
    for (int j = 0; j < 2; ++j)
      EXPECT_EQ(figures.standardErrors[j].has_value(), c.determined) << c.angle;
  }
}

// What the bounds editor takes, and what it refuses with a reason and nothing changed.
TEST(ReadBoundsEntry, TakesNumbersAndEmptiesAndRefusesTheRest) {
  struct Case {
    const char* lower;
    const char* upper;
    bool slope;
    double value;
    double wantLower;  // NAN: refused
    double wantUpper;
  };
  const double none = kUnbounded;
  const Case cases[] = {
      {"-100", " 20 ", false, -40, -100, 20}, {"", "", false, -40, -none, none},
      {"+1e-3", "", false, 1, 1e-3, none},    {"-20", "-1", true, -5, -20, -1},
      {"", "-0.5", true, -5, -none, -0.5},    {"0.2", "", true, 5, 0.2, none},
      {"abc", "", false, 1, NAN, 0},          {"12abc", "", false, 1, NAN, 0},
      {"1,5", "", false, 1, NAN, 0},          {"1e999", "", false, 1, NAN, 0},
      {"5", "5", false, 1, NAN, 0},           {"6", "5", false, 1, NAN, 0},
      {"-20", "", true, -5, NAN, 0},          {"-20", "0", true, -5, NAN, 0},
      {"-20", "3", true, -5, NAN, 0},         {"", "20", true, 5, NAN, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lower) + " | " + c.upper);
    ParamBounds bounds{1, 2};
    const std::string why =
        ReadBoundsEntry({c.lower, c.upper}, "Km of current 1", c.slope, c.value, &bounds);
    if (std::isnan(c.wantLower)) {
      EXPECT_NE(why, "");
      EXPECT_EQ(bounds, (ParamBounds{1, 2}));  // untouched
    } else {
      EXPECT_EQ(why, "");
      EXPECT_EQ(bounds, (ParamBounds{c.wantLower, c.wantUpper}));
    }
  }
  EXPECT_EQ(BoundText(-kUnbounded), "");
  EXPECT_EQ(BoundText(-0.1), "-0.1");
}
