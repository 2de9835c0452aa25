// Goodness of fit: residuals, RMS, the noise's standard deviation and their ratio.
#include "fit/goodness.h"

#include <algorithm>
#include <cmath>

namespace {

// Sums of one trace that the trace's and the pooled figures are built from.
struct NoiseSums {
  double squaredDeviations = 0.0;  // about the trace's own mean, nA^2
  int samples = 0;
};

NoiseSums NoiseSumsOf(std::span<const double> measured, const SampleMask& noise) {
  NoiseSums sums;
  double total = 0.0;
  for (size_t n = 0; n < noise.size() && n < measured.size(); ++n) {
    if (!noise[n]) continue;
    total += measured[n];
    ++sums.samples;
  }
  if (sums.samples == 0) return sums;
  const double mean = total / sums.samples;
  for (size_t n = 0; n < noise.size() && n < measured.size(); ++n) {
    if (noise[n]) sums.squaredDeviations += (measured[n] - mean) * (measured[n] - mean);
  }
  return sums;
}

std::optional<double> RatioOf(const std::optional<double>& rms, const std::optional<double>& sd) {
  if (!rms || !sd || *sd <= 0.0) return std::nullopt;
  return *rms / *sd;
}

}  // namespace

std::vector<double> Residuals(std::span<const double> measured, std::span<const double> fit) {
  std::vector<double> residuals(std::min(measured.size(), fit.size()));
  for (size_t n = 0; n < residuals.size(); ++n) residuals[n] = measured[n] - fit[n];
  return residuals;
}

FitGoodness MeasureGoodness(std::span<const TraceSamples> traces, const SampleMask& counted,
                            const SampleMask& noise) {
  FitGoodness goodness;
  double allSquares = 0.0;
  double noiseSquares = 0.0;
  int noiseDegrees = 0;  // samples less one mean per trace
  for (const TraceSamples& trace : traces) {
    TraceGoodness figures;
    double squares = 0.0;
    const size_t samples = std::min({counted.size(), trace.measured.size(), trace.fit.size()});
    for (size_t n = 0; n < samples; ++n) {
      if (!counted[n]) continue;
      const double r = trace.measured[n] - trace.fit[n];
      squares += r * r;
      ++figures.counted;
    }
    if (figures.counted > 0) figures.rms = std::sqrt(squares / figures.counted);
    const NoiseSums sums = NoiseSumsOf(trace.measured, noise);
    if (sums.samples >= 2) {
      figures.noiseSd = std::sqrt(sums.squaredDeviations / (sums.samples - 1));
      noiseSquares += sums.squaredDeviations;
      noiseDegrees += sums.samples - 1;
    }
    figures.noiseRatio = RatioOf(figures.rms, figures.noiseSd);
    allSquares += squares;
    goodness.counted += figures.counted;
    goodness.traces.push_back(figures);
  }
  if (goodness.counted > 0) goodness.rms = std::sqrt(allSquares / goodness.counted);
  if (noiseDegrees > 0) goodness.noiseSd = std::sqrt(noiseSquares / noiseDegrees);
  goodness.noiseRatio = RatioOf(goodness.rms, goodness.noiseSd);
  return goodness;
}
