// The gate kinetics of one model current: Boltzmann steady states, sigmoidal time constants,
// the relaxation of a gate from its holding value, and integer gate powers. Written once and
// templated on the number type, so that the evaluation, the curve graphs, the command line and
// the least-squares polish (which differentiates them with dual numbers) share the same
// operations in the same order.
#pragma once

#include <cmath>
#include <cstdint>

namespace kinetics {

// Powers up to this size are multiplied out one factor at a time, exactly as written; larger
// ones (never a real gate power, but a file may hold one) are squared up so that one evaluation
// cannot take billions of multiplications.
inline constexpr uint32_t kSequentialPowerLimit = 64;

// 1 / (exp((v - half) / slope) + 1): a negative slope rises with v, a positive one falls.
template <typename T, typename V>
T SteadyState(const V& v, const T& half, const T& slope) {
  using std::exp;
  return 1.0 / (exp((v - half) / slope) + 1.0);
}

// (lo - hi) / (exp(-(v - mid) / slope) + 1) + hi: runs from hi to lo across mid.
template <typename T, typename V>
T TimeConstant(const V& v, const T& hi, const T& lo, const T& mid, const T& slope) {
  using std::exp;
  return (lo - hi) / (exp(-(v - mid) / slope) + 1.0) + hi;
}

// A gate at time t after the step: from its holding value inf0 towards inf with time constant
// tau.
template <typename T>
T Relaxation(const T& inf, const T& inf0, double t, const T& tau) {
  using std::exp;
  return inf + (inf0 - inf) * exp(-t / tau);
}

template <typename T>
T PositivePower(const T& x, uint32_t n) {
  if (n <= kSequentialPowerLimit) {
    T result = x;
    for (uint32_t i = 1; i < n; ++i) result *= x;
    return result;
  }
  T result = T(1.0);
  T factor = x;
  while (n > 0) {
    if (n & 1u) result *= factor;
    factor *= factor;
    n >>= 1;
  }
  return result;
}

// x to the integer power n; 1 for n = 0, 1 / x^|n| for negative n.
template <typename T>
T GatePower(const T& x, int32_t n) {
  if (n == 0) return T(1.0);
  if (n > 0) return PositivePower(x, static_cast<uint32_t>(n));
  // -n would overflow for the most negative int32; the magnitude is formed unsigned.
  const uint32_t magnitude = static_cast<uint32_t>(-(static_cast<int64_t>(n)));
  return T(1.0) / PositivePower(x, magnitude);
}

}  // namespace kinetics
