// Copy and paste of one current, and the text report of the currents: names and indexes (the
// report's layout is pinned by the golden test of the fits, on every kind of current).
#include <cstddef>

#include "test_support.h"

namespace {

using Report = WorkspaceTest;

}  // namespace

// Ten names of 255 characters come out whole in 191 lines; an empty name prints as two quotes;
// an index outside the currents gives no report; the clipboard gets the report.
TEST_F(Report, NamesComeOutWholeAndIndexesOutsideGiveNothing) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    SetName(&params[i], std::string(kMaxNameLength, static_cast<char>('a' + i)));
  }
  const std::string report = CurrentReport(-1);
  for (int i = 0; i < kMaxCurrents; ++i) {
    const std::string title = "Current \"" +
                              std::string(kMaxNameLength, static_cast<char>('a' + i)) + "\" (" +
                              std::to_string(i + 1) + ")\n";
    EXPECT_NE(report.find(title), std::string::npos);
  }
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 191);
  CopyCurrToClipboard(2);
  EXPECT_EQ(LastClipboardText(), CurrentReport(2));
  SetName(&params[6], "");
  EXPECT_EQ(CurrentReport(6).substr(0, 15), "Current \"\" (7)\n");
  EXPECT_EQ(CurrentReport(kMaxCurrents), "");
  EXPECT_EQ(CurrentReport(-2), "");
}

// Current 2 pasted into current 5: everything of current 2 but 5's own holding potential; the
// copy buffer's holding potential is never written.
TEST_F(Report, PasteKeepsTheTargetsHoldingPotential) {
  copyCurr.Vhold = 12.5;
  CurrentParams& source = params[1];
  // Vm Vh Km Kh Tmhi Tmlo Thhi Thlo Vtm Vth Ktm Kth Vhold Gmax Erev p q name
  source =
      CurrentParams{-3, -4, -10.0, 5, 0.6, 0.7, 8, 9, -20, -30, -6, 7, -90, 36.0, -77.0, 4, 0, "K"};
  params[4].Vhold = -40.0;
  status.selCurrent = 2;
  CopyCurrent();
  EXPECT_EQ(copyCurr.Vhold, 12.5);
  status.selCurrent = 5;
  PasteCurrent();
  CurrentParams expected = source;
  expected.Vhold = -40.0;
  EXPECT_EQ(std::memcmp(&params[4], &expected, offsetof(CurrentParams, name)), 0);
  EXPECT_STREQ(params[4].name, "K");
  EXPECT_EQ(params[1].Vhold, -90.0);
  EXPECT_EQ(status.selCurrent, 5);
}
