// Goodness of fit: the residuals, their RMS over the samples that count, the noise's standard
// deviation over a noise region and the ratio of the two. A figure with no sample to stand on is
// "not available" (an empty optional), never a NaN.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "fit/regions.h"

// One trace as goodness sees it: the measured current and the drawn summed fit, sample for
// sample.
struct TraceSamples {
  std::span<const double> measured;  // nA
  std::span<const double> fit;       // nA
};

struct TraceGoodness {
  int counted = 0;                   // samples that count in the RMS
  std::optional<double> rms;         // nA, over the counted samples
  std::optional<double> noiseSd;     // nA, over the noise samples (at least two)
  std::optional<double> noiseRatio;  // rms / noiseSd; 1 means as good as the noise allows
};

struct FitGoodness {
  std::vector<TraceGoodness> traces;  // one per trace
  int counted = 0;                    // counted samples over all traces
  std::optional<double> rms;          // nA, over every counted sample of every trace
  std::optional<double> noiseSd;      // nA, pooled over the traces' noise samples
  std::optional<double> noiseRatio;   // rms / noiseSd
};

// measured - fit at every sample.
std::vector<double> Residuals(std::span<const double> measured, std::span<const double> fit);

// The RMS over `counted`, and the noise figures over `noise` (an empty mask: no noise region).
FitGoodness MeasureGoodness(std::span<const TraceSamples> traces, const SampleMask& counted,
                            const SampleMask& noise);
