// Time regions of a recording (stretches left out of the fit, the noise region) and the masks of
// the samples that count: inside the analysis window and outside every excluded region.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/recording.h"

// 1 for each sample that counts, 0 for one that does not; one entry per sample.
using SampleMask = std::vector<uint8_t>;

bool InRegion(const TimeRegion& region, double t);

// The samples inside the analysis window [windowStart, windowEnd) that lie in no excluded region.
// Window indices beyond the samples are held to them.
SampleMask CountedSamples(std::span<const double> times, int windowStart, int windowEnd,
                          std::span<const TimeRegion> excluded);

// The samples inside the noise region that lie in no excluded region, wherever the window is.
SampleMask NoiseSamples(std::span<const double> times, const TimeRegion& noise,
                        std::span<const TimeRegion> excluded);

int CountOf(const SampleMask& mask);

// "FROM:TO" in ms, as the command line takes it; FROM must not be later than TO.
struct RegionParse {
  std::optional<TimeRegion> region;
  std::string error;  // why the text is not a region; empty when it is
};
RegionParse ParseTimeRegion(std::string_view text);
