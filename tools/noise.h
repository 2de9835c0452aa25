// Recording noise that is the same on every machine: a splitmix64 generator and Box-Muller, written
// out so that no standard-library distribution (whose output differs between libraries) is used.
#pragma once

#include <cstdint>

class GaussianNoise {
 public:
  explicit GaussianNoise(uint64_t seed) : state_(seed) {}
  double Next(double standardDeviation);  // one Gaussian sample with mean 0

 private:
  uint64_t NextBits();
  double NextUniform();  // in (0, 1], so that its logarithm is finite

  uint64_t state_;
  bool haveSpare_ = false;  // Box-Muller makes two samples at a time
  double spare_ = 0.0;
};
