// The main menu through its real actions: opening a data file (and one that cannot be read),
// saving and opening parameter files with what the panels then show (what is refused: the
// parameter file's own tests), copy and paste, the panel items, and the ids outside the table.
#include <cstring>

#include "program_fixture.h"

namespace {

bool PasteDimmed() {
  int dimmed = -1;
  GetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENU_PASTE, ATTR_DIMMED, &dimmed);
  return dimmed != 0;
}

class Menu : public StartedProgram {
 protected:
  // What the user sees of a loaded file: the fields, the file's name and what is drawn.
  static std::vector<std::string> Look() {
    std::vector<std::string> seen = {TextValue(panelHandle, PANEL_DATAFILE)};
    for (int control : {PANEL_V1, PANEL_V6, PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX})
      seen.push_back(std::to_string(DoubleValue(panelHandle, control)));
    for (int handle : Plots(PANEL_GRAPH)) seen.push_back(std::to_string(handle));
    return seen;
  }
};

}  // namespace

// ---- data files ----

// The menu command reads the file, fills the fields, un-dims the data controls and draws the new
// traces without the old file's fits.
TEST_F(Menu, OpenDataFillsUndimsAndRedrawsWithoutFits) {
  LoadAndShow(WriteDataFile("first.txt", 2, 100));
  Click(panelHandle, PANEL_DOFIT);
  const std::string path = WriteDataFile("four.txt", 4, 300);
  OpenThroughMenu(MENU_OPENDATA, path);
  EXPECT_EQ(NumTraces, 4);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_V3), 0.0) << "-40 + 20 x 2";
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_V5), 20.0) << "past the pairs: the last pair's";
  EXPECT_NEAR(DoubleValue(panelHandle, PANEL_XMAX), 29.9, 1e-6);
  EXPECT_NEAR(DoubleValue(panelHandle, PANEL_YMAX), 1.1 * 4, 1e-6);
  EXPECT_EQ(TextValue(panelHandle, PANEL_DATAFILE), path);
  for (int control : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE,
                      PANEL_DATACTRL, PANEL_DOFIT})
    EXPECT_EQ(Dimmed(control), 0) << "control " << control;
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 4u + 1u);  // four traces and the zero line
}

// Every failure keeps the previous file on screen and says why; a cancelled dialog says nothing
// and changes nothing.
TEST_F(Menu, FailedOpenLeavesTheScreenAlone) {
  OpenThroughMenu(MENU_OPENDATA, WriteDataFile("six.txt", 6, 400));
  ASSERT_EQ(NumTraces, 6);
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 10.0, 10.0));
  ShowFits();
  const std::vector<std::string> before = Look();
  const std::string workspace = WorkspaceBytes();
  std::string words;
  for (int i = 0; i < 20; ++i) words += "just words and no numbers\n";
  const std::string bad[] = {WriteBytes(ScratchPath("empty.txt"), ""), ScratchPath("absent.txt"),
                             WriteBytes(ScratchPath("text.txt"), words), ""};
  for (const std::string& path : bad) {
    ClearRecordedMessages();
    if (path.empty()) {
      QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
      TriggerMenu(MENU_OPENDATA);
    } else {
      OpenThroughMenu(MENU_OPENDATA, path);
    }
    EXPECT_EQ(Look(), before) << path;
    EXPECT_EQ(WorkspaceBytes(), workspace) << path;
    const size_t messages = RecordedMessages().size();
    EXPECT_EQ(messages, path.empty() ? 0u : 1u) << path;
    if (messages == 1) {
      EXPECT_EQ(RecordedMessages()[0].title, "Error");
    }
  }
}

// ---- parameter files ----

// Save writes the workspace's layout; reading it back shows the file's first current, its in-fit
// flags and its dynamic-clamp settings (the panel naming current 1, whose settings it shows, so
// that the next commit cannot store them under another current), and the file's name.
TEST_F(Menu, SavedParameterFileOpensIntoThePanels) {
  params[0].Gmax = 120.0;
  params[0].p = 3;
  std::snprintf(params[0].name, sizeof params[0].name, "%s", "Na");
  params[4].Vm = -52.5;
  ZeroFitCurrents();
  status.fitCurrent[1] = status.fitCurrent[3] = 1;
  dclamp.globalSetting[0] = 2.5;
  dclamp.intSetting[0] = 7;
  dclamp.currentSetting[0][0] = 55.0;
  const std::string path = ScratchPath("saved.fit");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  TriggerMenu(MENU_SAVEPARAM);

  InitParams();
  SetPanelParams(0);
  Click(panelHandle, PANEL_CURRBUT4);
  DisplayPanel(dclampPanelHandle);
  TypeAndEnter(dclampPanelHandle, DCLAMP_CURRENT, "6");
  OpenThroughMenu(MENU_OPENPARAM, path);
  EXPECT_EQ(params[4].Vm, -52.5);
  EXPECT_EQ(status.selCurrent, 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "Na");
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_GMAX), 120.0);
  EXPECT_EQ(IntValue(panelHandle, PANEL_P), 3);
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), path);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR4), 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "2+4");
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_CURRENT), 1);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_SETTING1), 55.0);
  EXPECT_EQ(DoubleValue(dclampPanelHandle, DCLAMP_GLOBAL1), 2.5);
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_INT1), 7);
  // so the next commit stores under current 1, not under the current shown before the read
  const DclampSettings read = dclamp;
  TypeAndEnter(dclampPanelHandle, DCLAMP_SETTING3, "9");
  EXPECT_EQ(dclamp.currentSetting[2][0], 9.0);
  EXPECT_EQ(dclamp.currentSetting[0][5], read.currentSetting[0][5]);
}

// ---- copy, paste and the report ----

// Paste is unusable until the first copy (the all-currents report does not open it); copy with
// current 3 selected reports it and opens paste. (What a paste stores: the report's tests; the
// keys: the control events'.)
TEST_F(Menu, CopyOpensPaste) {
  EXPECT_TRUE(PasteDimmed());
  TriggerMenu(MENU_CLIPBOARD);
  EXPECT_EQ(LastClipboardText(), CurrentReport(-1));
  EXPECT_TRUE(PasteDimmed());
  Click(panelHandle, PANEL_CURRBUT3);
  TriggerMenu(MENU_COPY);
  EXPECT_FALSE(PasteDimmed());
  EXPECT_TRUE(MenuItemAction(MenuBar(), MENU_PASTE)->isEnabled());
  EXPECT_EQ(LastClipboardText(), CurrentReport(2));
}

// The panel items show their panels beside the main one.
TEST_F(Menu, PanelItemsShowTheirPanels) {
  for (auto [item, panel] :
       {std::pair{MENU_DCLAMP, dclampPanelHandle}, std::pair{MENU_OPTIONS, optionsPanelHandle},
        std::pair{MENU_INFO, infoPanelHandle}}) {
    TriggerMenu(item);
    EXPECT_TRUE(PanelWidget(panel)->isVisible()) << "item " << item;
  }
  EXPECT_TRUE(PanelWidget(panelHandle)->isVisible());
}
