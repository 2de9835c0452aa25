// splitmix64 (Steele, Lea and Flood 2014) feeding the trigonometric form of the Box-Muller
// transform.
#include "noise.h"

#include <cmath>
#include <numbers>

uint64_t GaussianNoise::NextBits() {
  uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

double GaussianNoise::NextUniform() {
  constexpr double kTwoToMinus53 = 1.0 / 9007199254740992.0;  // the 53 bits a double holds
  return static_cast<double>((NextBits() >> 11) + 1) * kTwoToMinus53;
}

double GaussianNoise::Next(double standardDeviation) {
  if (haveSpare_) {
    haveSpare_ = false;
    return standardDeviation * spare_;
  }
  const double radius = std::sqrt(-2.0 * std::log(NextUniform()));
  const double angle = 2.0 * std::numbers::pi * NextUniform();
  spare_ = radius * std::sin(angle);
  haveSpare_ = true;
  return standardDeviation * radius * std::cos(angle);
}
