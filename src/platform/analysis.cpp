// The two array routines of the analysis library: clearing an array and finding its extremes.
#include "platform/platform.h"

namespace {
constexpr int kInvalidCount = -1;  // the library's answer to a count below one
}

int Clear1D(double* array, int count) {
  if (array == nullptr || count < 0) return kInvalidCount;
  for (int i = 0; i < count; ++i) array[i] = 0.0;
  return 0;
}

int MaxMin1D(const double* array, int count, double* max, int* maxIndex, double* min,
             int* minIndex) {
  if (array == nullptr || count < 1) return kInvalidCount;
  int maxAt = 0;
  int minAt = 0;
  for (int i = 1; i < count; ++i) {
    if (array[i] > array[maxAt]) maxAt = i;
    if (array[i] < array[minAt]) minAt = i;
  }
  if (max) *max = array[maxAt];
  if (maxIndex) *maxIndex = maxAt;
  if (min) *min = array[minAt];
  if (minIndex) *minIndex = minAt;
  return 0;
}
