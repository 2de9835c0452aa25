// What the panels show after a parameter file is read or a current is pasted: the file's first
// current, its flags and dynamic-clamp settings, with the model left as last evaluated.
#include <cstring>

#include "editing_fixture.h"

namespace {

class ParamFileRefresh : public EditingProgram {
 protected:
  // A file whose first current, flags and dynamic-clamp settings differ from start-up.
  std::string WriteChangedFile() {
    params[0].Gmax = 120.0;
    params[0].p = 3;
    std::snprintf(params[0].name, sizeof params[0].name, "%s", "Na");
    ZeroFitCurrents();
    status.fitCurrent[1] = 1;
    status.fitCurrent[3] = 1;
    dclamp.globalSetting[0] = 2.5;
    dclamp.intSetting[0] = 7;
    dclamp.currentSetting[0][0] = 55.0;
    const std::string path = ScratchPath("changed.fit");
    EXPECT_EQ(SaveParamFile(path), 1);
    InitParams();
    SetPanelParams(0);
    return path;
  }
};

}  // namespace

TEST_F(ParamFileRefresh, ReadShowsTheFilesFirstCurrentFlagsAndSettings) {
  const std::string path = WriteChangedFile();
  Click(panelHandle, PANEL_CURRBUT4);
  SetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, 6);
  ASSERT_EQ(LoadParamFile(path), 1);

  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "Na");
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_GMAX), 120.0);
  EXPECT_EQ(IntValue(panelHandle, PANEL_P), 3);
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), path);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR1), 0);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR2), 1);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR4), 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "2+4");
  // The dynamic-clamp panel shows current 1, and its number says so.
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_CURRENT), 1);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_SETTING1), 55.0);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_GLOBAL1), 2.5);
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_INT1), 7);
}

// Reading does not evaluate the model: the fits keep what the last evaluation gave.
TEST_F(ParamFileRefresh, ReadDoesNotReevaluateTheModel) {
  LoadAndShow(WriteDataFile("steps.txt", 2, 200));
  const std::string path = WriteChangedFile();
  DoFit();
  const double evaluated = yfits[0][0][50];
  ASSERT_NE(evaluated, 0.0);
  ASSERT_EQ(LoadParamFile(path), 1);
  EXPECT_EQ(params[0].Gmax, 120.0);
  EXPECT_EQ(yfits[0][0][50], evaluated);
}

// A refused file leaves the panels as they were and says why.
TEST_F(ParamFileRefresh, RefusedReadLeavesThePanels) {
  const std::string path = ScratchPath("broken.fit");
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("1.0 2.0 three\n", file);
  std::fclose(file);
  Click(panelHandle, PANEL_CURRBUT4);
  EXPECT_EQ(LoadParamFile(path), 0);
  EXPECT_EQ(status.selCurrent, 4);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "4");
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), "(no parameter file)");
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_NE(RecordedMessages()[0].message.find("line 1, number 3 of 276"), std::string::npos);
}

// Paste shows the pasted values, while the name boxes keep the old name until the next fit.
TEST_F(ParamFileRefresh, PasteShowsThePastedCurrent) {
  params[1].Km = -9.5;
  std::snprintf(params[1].name, sizeof params[1].name, "%s", "K");
  Click(panelHandle, PANEL_CURRBUT2);
  CopyCurrent();
  Click(panelHandle, PANEL_CURRBUT5);
  PasteCurrent();
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_KM), -9.5);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "K");
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VHOLD), -60.0);
}
