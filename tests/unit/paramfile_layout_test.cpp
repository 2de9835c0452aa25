// The writer's layout, pinned byte for byte against text written out by hand.
#include "test_support.h"

namespace {

using ParamFileLayout = WorkspaceTest;

// The line of a current that still has its start-up values.
const std::string kStartCurrentLine =
    "1.000000 1.000000 1.000000 -80.000000 1.000000 1.000000 -1.000000 1.000000 1.000000 "
    "1.000000 -1.000000 1.000000 1.000000 1.000000 1.000000 1.000000 100.000000 0.000000 "
    "40.000000 -80.000000 100.000000 -100.000000 100.000000 0.000000\n";

}  // namespace

// A fresh workspace still writes fifteen lines, the last without a line end.
TEST_F(ParamFileLayout, StartUpWorkspaceWritesFifteenLines) {
  std::string expected = "0.000000 100.000000 0.000000 0.250000 0 0 0 0 0 0\n";
  for (int i = 0; i < kMaxCurrents; ++i) expected += kStartCurrentLine;
  expected +=
      "-60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 "
      "-60.000000 -60.000000 -60.000000 \n"
      "-30.000000 -10.000000 10.000000 30.000000 30.000000 30.000000 \n"
      "1 0 0 0 0 0 0 0 0 0 \n"
      "1,2,3,4,5,6,7,8,9,10";
  EXPECT_EQ(WorkspaceFileText(), expected);
}

// Current 1 has every column different, so a column out of place shows; current 2 shows the
// rounding to six decimals, negative zero, large values and negative gate powers; current 3's
// empty name is written as its number.
TEST_F(ParamFileLayout, ChosenWorkspaceGivesTheHandWrittenFile) {
  const double globals[] = {1.5, -2.0, 0.0, 0.25};
  const int32_t ints[kIntSettings] = {1, 0, 0, 0, 0, 2};
  std::copy(std::begin(globals), std::end(globals), dclamp.globalSetting);
  std::copy(std::begin(ints), std::end(ints), dclamp.intSetting);
  // Vm Vh Km Kh Tmhi Tmlo Thhi Thlo Vtm Vth Ktm Kth Vhold Gmax Erev p q name
  params[0] = CurrentParams{-40.0, -62.0, -7.0, 6.0,   0.3,   0.05, 8.5, 0.5, -38.0,
                            -67.0, -10.0, 12.0, -70.0, 120.0, 50.0, 3,   1,   "Na"};
  for (int k = 0; k < kCurrentSettings; ++k) dclamp.currentSetting[k][0] = 11.0 + k;
  CurrentParams& awkward = params[1];
  awkward.Gmax = 0.0000004;
  awkward.p = -1;
  awkward.q = -2;
  awkward.Erev = -0.0000004;
  awkward.Vm = 0.0000006;
  awkward.Vh = 1e6;
  awkward.Km = 1e20;
  awkward.Kh = -123456789.25;
  awkward.Vtm = -0.0;
  SetName(&params[1], "K");
  SetName(&params[2], "");
  status.fitCurrent[2] = 1;
  status.fitCurrent[9] = 1;
  status.traceV[3] = -0.0000004;

  std::string expected =
      "1.500000 -2.000000 0.000000 0.250000 1 0 0 0 0 2\n"
      "120.000000 3.000000 1.000000 50.000000 -40.000000 -62.000000 -7.000000 6.000000 "
      "-38.000000 -67.000000 -10.000000 12.000000 0.050000 0.300000 0.500000 8.500000 "
      "11.000000 12.000000 13.000000 14.000000 15.000000 16.000000 17.000000 18.000000\n"
      "0.000000 -1.000000 -2.000000 -0.000000 0.000001 1000000.000000 "
      "100000000000000000000.000000 -123456789.250000 -0.000000 1.000000 -1.000000 1.000000 "
      "1.000000 1.000000 1.000000 1.000000 100.000000 0.000000 40.000000 -80.000000 "
      "100.000000 -100.000000 100.000000 0.000000\n";
  for (int i = 2; i < kMaxCurrents; ++i) expected += kStartCurrentLine;
  expected +=
      "-70.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 "
      "-60.000000 -60.000000 -60.000000 \n"
      "-30.000000 -10.000000 10.000000 -0.000000 30.000000 30.000000 \n"
      "1 0 1 0 0 0 0 0 0 1 \n"
      "Na,K,3,4,5,6,7,8,9,10";
  EXPECT_EQ(WorkspaceFileText(), expected);
}

// The largest real is written in full, never with an exponent, and a long name whole.
TEST_F(ParamFileLayout, LargestRealAndLongestNameAreWrittenWhole) {
  params[0].Gmax = 1.7976931348623157e308;
  const std::string longName(kMaxNameLength, 'x');
  SetName(&params[9], longName);
  const std::string text = WorkspaceFileText();
  const std::string line2 = text.substr(text.find('\n') + 1);
  const std::string gmax = line2.substr(0, line2.find(' '));
  EXPECT_EQ(gmax.size(), 309u + 7u);  // 309 digits, the point and six decimals
  EXPECT_EQ(gmax.substr(0, 6), "179769");
  EXPECT_EQ(gmax.substr(gmax.size() - 7), ".000000");
  EXPECT_EQ(text.substr(text.size() - longName.size() - 1), "," + longName);
}
