// Time regions of a recording and the masks of the samples that count.
#include "fit/regions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

int HeldToSamples(int index, size_t samples) {
  if (index < 0) return 0;
  return static_cast<size_t>(index) < samples ? index : static_cast<int>(samples);
}

bool InAnyRegion(std::span<const TimeRegion> regions, double t) {
  return std::any_of(regions.begin(), regions.end(),
                     [t](const TimeRegion& r) { return InRegion(r, t); });
}

// A whole number text, read the same whatever the desktop's locale says.
std::optional<double> NumberOf(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

bool InRegion(const TimeRegion& region, double t) {
  const double low = std::min(region.from, region.to);
  const double high = std::max(region.from, region.to);
  return t >= low && t <= high;
}

SampleMask CountedSamples(std::span<const double> times, int windowStart, int windowEnd,
                          std::span<const TimeRegion> excluded) {
  SampleMask mask(times.size(), 0);
  const int start = HeldToSamples(windowStart, times.size());
  const int end = HeldToSamples(windowEnd, times.size());
  for (int n = start; n < end; ++n) mask[n] = InAnyRegion(excluded, times[n]) ? 0 : 1;
  return mask;
}

SampleMask NoiseSamples(std::span<const double> times, const TimeRegion& noise,
                        std::span<const TimeRegion> excluded) {
  SampleMask mask(times.size(), 0);
  for (size_t n = 0; n < times.size(); ++n) {
    mask[n] = InRegion(noise, times[n]) && !InAnyRegion(excluded, times[n]) ? 1 : 0;
  }
  return mask;
}

int CountOf(const SampleMask& mask) {
  return static_cast<int>(std::count(mask.begin(), mask.end(), uint8_t{1}));
}

RegionParse ParseTimeRegion(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    return {std::nullopt, "\"" + std::string(text) + "\" is not a region: write FROM:TO in ms"};
  }
  const std::optional<double> from = NumberOf(text.substr(0, colon));
  const std::optional<double> to = NumberOf(text.substr(colon + 1));
  if (!from || !to) {
    return {std::nullopt,
            "\"" + std::string(text) + "\" is not a region: FROM and TO must be numbers (ms)"};
  }
  if (*from > *to) {
    return {std::nullopt, "\"" + std::string(text) + "\" is not a region: FROM is later than TO"};
  }
  return {TimeRegion{*from, *to}, ""};
}
