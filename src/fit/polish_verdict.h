// Whether a polished fit is good, in words: its RMS against the recording's noise, parameters on
// a bound, a midpoint or half-point the traces never reach, a parameter still running away at
// the iteration limit (with what the data determine instead), parameters the data do not pin
// down. And the two figures that say how far to trust the standard errors: the noise and the
// residuals' lag-1 autocorrelation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fit/polish.h"

// A fit whose RMS exceeds the noise by more than this fraction is not as good as the noise
// allows: the model misses part of the current, or the polish stopped in a poorer minimum.
inline constexpr double kNoiseExcess = 0.1;
// A parameter still moving the same way over this many of the last steps, by at least
// kRunawayGrowth of its size, is running away.
inline constexpr int kRunawaySteps = 8;
inline constexpr double kRunawayGrowth = 0.05;

// The noise region's figure when there is one; else the spread of the samples before the
// analysis window (at least kLeastBaselineSamples per trace); else the spread of the counted
// samples' second differences, which a smooth current hardly touches.
inline constexpr int kLeastBaselineSamples = 20;
NoiseEstimate EstimateNoise(const PolishSamples& samples);

// Of every counted trace, pooled: sum r[s] r[s+1] / sum r[s]^2; empty with fewer than 3 samples.
std::optional<double> LagOneAutocorrelation(const std::vector<std::vector<double>>& residuals);

// The warnings of `result` (whose estimates, RMS and noise are filled in). `path` holds the free
// parameters after each step of the solve, in estimate order.
std::vector<std::string> FitWarnings(const PolishInput& input, const PolishResult& result,
                                     const std::vector<std::vector<double>>& path);

// Whether another start might find a better fit than `result`: it stopped at the iteration
// limit, lies far above the noise, on a bound or with a midpoint outside the traces. Parameters
// the data do not determine stay so from any start.
bool WorthAnotherStart(const PolishInput& input, const PolishResult& result);

std::string NoiseSourceName(NoiseSource source);  // "the noise region", ...
