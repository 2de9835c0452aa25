// The dynamic-clamp, options and information panels, driven through their real widgets.
#include <cstring>

#include "program_fixture.h"

namespace {

class SecondaryPanels : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    // every setting distinct, so that a value stored in the wrong place shows
    for (int k = 0; k < kCurrentSettings; ++k)
      for (int i = 0; i < kMaxCurrents; ++i) dclamp.currentSetting[k][i] = 100 * k + i + 0.5;
    for (int k = 0; k < kGlobalSettings; ++k) dclamp.globalSetting[k] = 1000 + k;
    for (int k = 0; k < kIntSettings; ++k) dclamp.intSetting[k] = 10 + k;
    SetDclampParams(0);
    DisplayPanel(dclampPanelHandle);
  }

  static bool SameSettings(const DclampSettings& a, const DclampSettings& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
  }
};

constexpr int kSettingFields[kCurrentSettings] = {DCLAMP_SETTING1, DCLAMP_SETTING2, DCLAMP_SETTING3,
                                                  DCLAMP_SETTING4, DCLAMP_SETTING5, DCLAMP_SETTING6,
                                                  DCLAMP_SETTING7, DCLAMP_SETTING8};

}  // namespace

// ---- dynamic-clamp panel ----

// Choosing another current shows its settings and stores nothing of the one shown before; nor
// does closing the panel.
TEST_F(SecondaryPanels, DclampCurrentChangeStoresNothing) {
  const DclampSettings before = dclamp;
  SetCtrlVal(dclampPanelHandle, DCLAMP_SETTING1, -1.0);  // shown but never committed
  SetCtrlVal(dclampPanelHandle, DCLAMP_GLOBAL1, -2.0);
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "3");
  EXPECT_TRUE(SameSettings(dclamp, before));
  for (int k = 0; k < kCurrentSettings; ++k)
    EXPECT_EQ(DoubleValue(dclampPanelHandle, kSettingFields[k]), 100 * k + 2 + 0.5);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_GLOBAL1), 1000.0);  // the stored value again
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_INT6), 15);
  Click(dclampPanelHandle, DCLAMP_CLOSE);  // hides the panel and stores nothing either
  EXPECT_FALSE(PanelWidget(dclampPanelHandle)->isVisible());
  EXPECT_TRUE(SameSettings(dclamp, before));
}

// One field committed stores the whole panel, the per-current rows under the shown current.
TEST_F(SecondaryPanels, DclampFieldChangeStoresWholePanel) {
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "3");
  SetCtrlVal(dclampPanelHandle, DCLAMP_SETTING7, 77.0);  // not committed by itself
  SetCtrlVal(dclampPanelHandle, DCLAMP_GLOBAL4, 0.5);
  SetCtrlVal(dclampPanelHandle, DCLAMP_INT2, 42);
  DclampSettings expected = dclamp;
  TypeAndEnter(dclampPanelHandle, DCLAMP_SETTING2, "-12.5");
  expected.currentSetting[1][2] = -12.5;
  expected.currentSetting[6][2] = 77.0;
  expected.globalSetting[3] = 0.5;
  expected.intSetting[1] = 42;
  EXPECT_TRUE(SameSettings(dclamp, expected));
}

// ---- options panel ----

// 20 header lines entered and the panel closed: the next data file read skips 20 lines.
TEST_F(SecondaryPanels, OptionsHeaderLinesTakeEffectAtNextRead) {
  DisplayPanel(optionsPanelHandle);
  TypeAndEnter(optionsPanelHandle, OPTIONS_HEADERLINES, "20");
  EXPECT_EQ(status.headerLines, 13);  // stored only when the panel is closed
  Click(optionsPanelHandle, OPTIONS_CLOSE);
  EXPECT_EQ(status.headerLines, 20);
  EXPECT_FALSE(PanelWidget(optionsPanelHandle)->isVisible());

  ASSERT_EQ(LoadDataFile(WriteDataFile("twenty.txt", 2, 30, 20)), 1);
  EXPECT_EQ(NumTraces, 2);
  EXPECT_EQ(NumPoints, 30);
  EXPECT_EQ(timevals[0], 0.0);
}
