// The dynamic-clamp, options and information panels, driven through their real widgets.
#include <algorithm>
#include <cstring>

#include "editing_fixture.h"

namespace {

class SecondaryPanels : public EditingProgram {
 protected:
  void SetUp() override {
    EditingProgram::SetUp();
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

// Choosing another current shows its settings and stores nothing of the one shown before.
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

TEST_F(SecondaryPanels, DclampCloseStoresNothingAndHides) {
  const DclampSettings before = dclamp;
  SetCtrlVal(dclampPanelHandle, DCLAMP_SETTING1, -1.0);
  ASSERT_TRUE(PanelWidget(dclampPanelHandle)->isVisible());
  Click(dclampPanelHandle, DCLAMP_CLOSE);
  EXPECT_TRUE(SameSettings(dclamp, before));
  EXPECT_FALSE(PanelWidget(dclampPanelHandle)->isVisible());
}

// The shown-current field admits only 1 to 10, so no entry can name a current that is not there.
TEST_F(SecondaryPanels, DclampCurrentAdmitsOnlyOneToTen) {
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "11");
  const int shown = IntValue(dclampPanelHandle, DCLAMP_CURRENT);
  EXPECT_GE(shown, 1);
  EXPECT_LE(shown, kMaxCurrents);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_SETTING1), shown - 1 + 0.5);
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "0");
  EXPECT_GE(IntValue(dclampPanelHandle, DCLAMP_CURRENT), 1);
}

// After a parameter file is read the panel names current 1, whose settings it shows, so the next
// commit cannot store current 1's settings under another current.
TEST_F(SecondaryPanels, DclampCurrentInStepAfterParameterFileRead) {
  const std::string path = ScratchPath("settings.fit");
  ASSERT_EQ(SaveParamFile(path), 1);
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "4");
  ASSERT_EQ(LoadParamFile(path), 1);
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_CURRENT), 1);
  const DclampSettings read = dclamp;
  TypeAndEnter(dclampPanelHandle, DCLAMP_SETTING3, "9");
  EXPECT_EQ(dclamp.currentSetting[2][0], 9.0);
  EXPECT_EQ(dclamp.currentSetting[0][3], read.currentSetting[0][3]);
}

// ---- options panel ----

TEST_F(SecondaryPanels, OptionsShowThirteenAtStart) {
  EXPECT_EQ(IntValue(optionsPanelHandle, OPTIONS_HEADERLINES), 13);
  EXPECT_EQ(status.headerLines, 13);
}

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

// ---- information panel ----

// The text is whole: 21 pieces of one line each, 722 characters, with its "(default=18)".
TEST_F(SecondaryPanels, InfoTextIsWhole) {
  const std::string text = TextValue(infoPanelHandle, INFO_TEXT);
  EXPECT_EQ(text, InfoText());
  EXPECT_EQ(text.size(), 722u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21);
  EXPECT_EQ(text.rfind("Equations:\n", 0), 0u);
  EXPECT_NE(text.find("Set in Options (default=18)\n"), std::string::npos);
  EXPECT_NE(text.find("i3 ...] \n  Max number of current traces: 6 \n  Must include Voltage and "
                      "Current in order  \n"),
            std::string::npos);
  EXPECT_NE(text.find("\n\nData File:\n"), std::string::npos);
  EXPECT_NE(text.find("\n\nParameter File:\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("  shown in the Pavik title bar.\n"));
}

TEST_F(SecondaryPanels, InfoCloseHides) {
  DisplayPanel(infoPanelHandle);
  Click(infoPanelHandle, INFO_CLOSE);
  EXPECT_FALSE(PanelWidget(infoPanelHandle)->isVisible());
  EXPECT_EQ(TextValue(infoPanelHandle, INFO_TEXT).size(), 722u);
}
