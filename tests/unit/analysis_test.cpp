// The two array routines of the analysis library.
#include <gtest/gtest.h>

#include "platform/platform.h"

// Clear1D clears exactly the count given; MaxMin1D finds the extremes and their first index, and
// refuses an empty array without touching the results.
TEST(AnalysisLibrary, ClearAndExtremes) {
  double a[5] = {2, -7, 9, 9, -7};
  double max = 11, min = 12;
  int maxAt = -1, minAt = -1;
  EXPECT_LT(MaxMin1D(a, 0, &max, nullptr, &min, nullptr), 0);
  EXPECT_EQ(max + min, 23.0);
  EXPECT_EQ(MaxMin1D(a, 5, &max, &maxAt, &min, &minAt), 0);
  EXPECT_EQ(max, 9.0);
  EXPECT_EQ(maxAt, 2);
  EXPECT_EQ(min, -7.0);
  EXPECT_EQ(minAt, 1);
  EXPECT_EQ(Clear1D(a, 4), 0);
  EXPECT_EQ(a[0] + a[3], 0.0);
  EXPECT_EQ(a[4], -7.0);
}
