// Goodness of fit: the samples that count, the RMS, the noise's standard deviation and their
// ratio against the formulas worked out here, regions at the edges and beyond the data. (The
// workspace's figures of its drawn fit: the residual strip's and the command line's tests.)
#include "fit/goodness.h"
#include "fit/regions.h"
#include "test_support.h"

namespace {

constexpr int kSamples = 60;
constexpr double kStep = 0.1;  // ms

struct TraceSet {
  std::vector<double> times;
  std::vector<std::vector<double>> measured, fit;
};

// Two traces whose residuals and noise differ from sample to sample in a known way.
TraceSet TwoTraces() {
  TraceSet r;
  for (int n = 0; n < kSamples; ++n) r.times.push_back(kStep * n);
  for (int k = 0; k < 2; ++k) {
    std::vector<double> measured, fit;
    for (int n = 0; n < kSamples; ++n) {
      fit.push_back(std::sin(0.1 * n + k));
      measured.push_back(fit.back() + 0.05 * (k + 1) * std::cos(1.7 * n) + 0.01 * k);
    }
    r.measured.push_back(measured);
    r.fit.push_back(fit);
  }
  return r;
}

bool Inside(double t, double from, double to) {
  return t >= from && t <= to;
}

}  // namespace

// ---- RMS and noise ratio ----

TEST(MeasureGoodness, MatchesTheFormulasOverTheSamplesThatCount) {
  struct Case {
    const char* what;
    int windowStart, windowEnd;
    std::vector<TimeRegion> excluded;
  };
  const Case cases[] = {
      {"whole window", 1, kSamples, {}},
      {"excluded at the window start", 10, 50, {{0.9, 1.25}}},
      {"overlapping regions", 10, 50, {{2.0, 2.6}, {2.4, 3.05}, {2.5, 2.55}}},
      {"a region beyond the data", 10, 50, {{100.0, 200.0}, {4.0, 3.5}}},
      {"window past the samples", 40, 500, {}},
  };
  const TraceSet rec = TwoTraces();
  const TimeRegion noise{0.0, 0.75};  // samples 0 to 7
  for (const Case& c : cases) {
    const SampleMask counted = CountedSamples(rec.times, c.windowStart, c.windowEnd, c.excluded);
    const SampleMask noiseMask = NoiseSamples(rec.times, noise, c.excluded);
    const std::vector<TraceSamples> traces = {{rec.measured[0], rec.fit[0]},
                                              {rec.measured[1], rec.fit[1]}};
    const FitGoodness g = MeasureGoodness(traces, counted, noiseMask);

    double allSquares = 0.0, pooledSquares = 0.0;
    int allCount = 0, pooledDegrees = 0;
    for (int k = 0; k < 2; ++k) {
      double squares = 0.0, sum = 0.0;
      int count = 0, noiseCount = 0;
      for (int n = std::max(c.windowStart, 0); n < std::min(c.windowEnd, kSamples); ++n) {
        bool out = false;
        for (const TimeRegion& r : c.excluded) {
          out = out || Inside(rec.times[n], std::min(r.from, r.to), std::max(r.from, r.to));
        }
        if (out) continue;
        squares += std::pow(rec.measured[k][n] - rec.fit[k][n], 2);
        ++count;
      }
      for (int n = 0; n < kSamples; ++n) {
        if (Inside(rec.times[n], noise.from, noise.to)) sum += rec.measured[k][n], ++noiseCount;
      }
      const double mean = sum / noiseCount;
      double deviations = 0.0;
      for (int n = 0; n < noiseCount; ++n) deviations += std::pow(rec.measured[k][n] - mean, 2);
      const double rms = std::sqrt(squares / count);
      const double sd = std::sqrt(deviations / (noiseCount - 1));
      EXPECT_EQ(g.traces[k].counted, count) << c.what;
      EXPECT_NEAR(*g.traces[k].rms, rms, 1e-14) << c.what;
      EXPECT_NEAR(*g.traces[k].noiseSd, sd, 1e-14) << c.what;
      EXPECT_NEAR(*g.traces[k].noiseRatio, rms / sd, 1e-12) << c.what;
      allSquares += squares, allCount += count;
      pooledSquares += deviations, pooledDegrees += noiseCount - 1;
    }
    EXPECT_EQ(g.counted, allCount) << c.what;
    EXPECT_NEAR(*g.rms, std::sqrt(allSquares / allCount), 1e-14) << c.what;
    EXPECT_NEAR(*g.noiseSd, std::sqrt(pooledSquares / pooledDegrees), 1e-14) << c.what;
    EXPECT_NEAR(*g.noiseRatio, *g.rms / *g.noiseSd, 1e-12) << c.what;
  }
}

TEST(MeasureGoodness, NothingToStandOnIsNotAvailableNeverNaN) {
  const TraceSet rec = TwoTraces();
  const std::vector<TraceSamples> traces = {{rec.measured[0], rec.fit[0]}};
  // A region covering the whole window; a noise region of one sample; no noise region at all.
  const std::vector<TimeRegion> everything = {{-1.0, 1e9}};
  const FitGoodness covered =
      MeasureGoodness(traces, CountedSamples(rec.times, 1, kSamples, everything),
                      NoiseSamples(rec.times, {0, 0}, {}));
  EXPECT_EQ(covered.counted, 0);
  EXPECT_FALSE(covered.rms);
  EXPECT_FALSE(covered.traces[0].rms);
  EXPECT_FALSE(covered.noiseSd);
  EXPECT_FALSE(covered.noiseRatio);
  const FitGoodness noNoise =
      MeasureGoodness(traces, CountedSamples(rec.times, 1, kSamples, {}), SampleMask{});
  EXPECT_TRUE(noNoise.rms);
  EXPECT_FALSE(noNoise.noiseSd);
  EXPECT_FALSE(noNoise.noiseRatio);
  // A flat noise region has no spread to divide by.
  const std::vector<double> flat(kSamples, 1.0);
  const std::vector<TraceSamples> flatTrace = {{flat, rec.fit[0]}};
  const FitGoodness still = MeasureGoodness(flatTrace, CountedSamples(rec.times, 1, kSamples, {}),
                                            NoiseSamples(rec.times, {0, 1}, {}));
  EXPECT_EQ(*still.noiseSd, 0.0);
  EXPECT_FALSE(still.noiseRatio);
}

// ---- regions ----

TEST(ParseTimeRegion, ReadsFromToAndSaysWhatIsWrong) {
  struct Case {
    const char* text;
    bool ok;
    double from, to;
  };
  const Case cases[] = {
      {"0:0.3", true, 0.0, 0.3}, {"-5:1e1", true, -5.0, 10.0}, {"2:2", true, 2.0, 2.0},
      {"0.3", false, 0, 0},      {"a:1", false, 0, 0},         {"1:", false, 0, 0},
      {"5:2", false, 0, 0},      {"1:2:3", false, 0, 0},       {"nan:1", false, 0, 0},
      {"0,1:0,3", false, 0, 0},
  };
  for (const Case& c : cases) {
    const RegionParse parse = ParseTimeRegion(c.text);
    EXPECT_EQ(parse.region.has_value(), c.ok) << c.text;
    EXPECT_EQ(parse.error.empty(), c.ok) << c.text;
    if (c.ok && parse.region) {
      EXPECT_EQ(parse.region->from, c.from);
      EXPECT_EQ(parse.region->to, c.to);
    }
  }
}
