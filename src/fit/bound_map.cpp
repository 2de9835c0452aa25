// The polish's coordinates within bounds.
#include "fit/bound_map.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsBounded(double bound) {
  return std::abs(bound) < kUnbounded;
}

// The logistic curve's coordinate is limited so that exp of it stays finite and the value
// never reaches a bound exactly.
constexpr double kLargestCoordinate = 700.0;

}  // namespace

BoundMap BoundMapOf(const ParamBounds& bounds, double typicalSize) {
  double least = 1e-4 * typicalSize;
  if (IsBounded(bounds.lower) && IsBounded(bounds.upper))
    least = std::min(least, 0.25 * (bounds.upper - bounds.lower));
  return {bounds.lower, bounds.upper, least};
}

double ToCoordinate(const BoundMap& map, double value) {
  const bool low = IsBounded(map.lower);
  const bool high = IsBounded(map.upper);
  if (low && high) {
    if (!(map.lower < map.upper)) return 0.0;
    const double above = std::max(value - map.lower, map.least);
    const double below = std::max(map.upper - value, map.least);
    return std::log(above / below);
  }
  if (low) return std::log(std::max(value - map.lower, map.least));
  if (high) return std::log(std::max(map.upper - value, map.least));
  return value;
}

double FromCoordinate(const BoundMap& map, double coordinate) {
  const bool low = IsBounded(map.lower);
  const bool high = IsBounded(map.upper);
  if (low && high) {
    if (!(map.lower < map.upper)) return map.lower;
    const double u = std::clamp(coordinate, -kLargestCoordinate, kLargestCoordinate);
    return map.lower + (map.upper - map.lower) / (1.0 + std::exp(-u));
  }
  if (low) return map.lower + std::exp(coordinate);
  if (high) return map.upper - std::exp(coordinate);
  return coordinate;
}

double ValuePerCoordinate(const BoundMap& map, double coordinate) {
  const bool low = IsBounded(map.lower);
  const bool high = IsBounded(map.upper);
  if (low && high) {
    if (!(map.lower < map.upper) || std::abs(coordinate) > kLargestCoordinate) return 0.0;
    const double e = std::exp(-std::abs(coordinate));
    return (map.upper - map.lower) * e / ((1.0 + e) * (1.0 + e));
  }
  if (low) return std::exp(coordinate);
  if (high) return -std::exp(coordinate);
  return 1.0;
}
