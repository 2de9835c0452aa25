// The two array routines of the analysis library.
#include <gtest/gtest.h>

#include "platform/platform.h"

TEST(Clear1D, ClearsExactlyTheCountGiven) {
  double a[4] = {1, 2, 3, 4};
  EXPECT_EQ(Clear1D(a, 3), 0);
  EXPECT_EQ(a[0], 0.0);
  EXPECT_EQ(a[2], 0.0);
  EXPECT_EQ(a[3], 4.0);
}

TEST(MaxMin1D, FindsExtremesAndTheirFirstIndex) {
  const double a[5] = {2, -7, 9, 9, -7};
  double max = 0, min = 0;
  int maxAt = -1, minAt = -1;
  EXPECT_EQ(MaxMin1D(a, 5, &max, &maxAt, &min, &minAt), 0);
  EXPECT_EQ(max, 9.0);
  EXPECT_EQ(maxAt, 2);
  EXPECT_EQ(min, -7.0);
  EXPECT_EQ(minAt, 1);
}

TEST(MaxMin1D, RefusesAnEmptyArrayAndLeavesResultsAlone) {
  const double a[1] = {5};
  double max = 11, min = 12;
  EXPECT_LT(MaxMin1D(a, 0, &max, nullptr, &min, nullptr), 0);
  EXPECT_EQ(max, 11.0);
  EXPECT_EQ(min, 12.0);
}
