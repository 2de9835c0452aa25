// The main menu through its real actions: opening a data file (and one that cannot be read),
// saving and opening parameter files with what the panels then show, copy and paste, the panel
// items, and the ids outside the table.
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
  // Everything the user sees of a loaded file.
  struct Visible {
    std::vector<double> fields;
    std::string dataFile;
    std::vector<int> plots;
    std::vector<std::vector<double>> plotted;
    bool operator==(const Visible&) const = default;
  };
  static Visible Look() {
    Visible v{};
    for (int control : {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6, PANEL_XMIN,
                        PANEL_XMAX, PANEL_YMIN, PANEL_YMAX})
      v.fields.push_back(DoubleValue(panelHandle, control));
    v.dataFile = TextValue(panelHandle, PANEL_DATAFILE);
    v.plots = Plots(PANEL_GRAPH);
    for (int handle : v.plots) v.plotted.push_back(Plot(PANEL_GRAPH, handle).y);
    double xMin, xMax, yMin, yMax;
    GetAxisRange(panelHandle, PANEL_GRAPH, &xMin, &xMax, &yMin, &yMax);
    v.fields.insert(v.fields.end(), {xMin, xMax, yMin, yMax});
    return v;
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
  const Visible before = Look();
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
  EXPECT_EQ(ReadBytes(path), FormatParamFile(params, dclamp, status));

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
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR1), 0);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR2), 1);
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

// Reading does not evaluate the model: the fits keep what the last evaluation gave.
TEST_F(Menu, ParameterFileReadDoesNotReevaluateTheModel) {
  LoadAndShow(WriteDataFile("steps.txt", 2, 200));
  params[0].Gmax = 120.0;
  const std::string path = ScratchPath("changed.fit");
  ASSERT_EQ(SaveParamFile(path), 1);
  InitParams();
  DoFit();
  const double evaluated = yfits[0][0][50];
  ASSERT_NE(evaluated, 0.0);
  ASSERT_EQ(LoadParamFile(path), 1);
  EXPECT_EQ(params[0].Gmax, 120.0);
  EXPECT_EQ(yfits[0][0][50], evaluated);
}

// A refused file leaves the workspace and the panels as they were and says why; a cancelled
// dialog, to open or to save, says nothing.
TEST_F(Menu, RefusedOrCancelledParameterFileChangesNothing) {
  Click(panelHandle, PANEL_CURRBUT4);
  const std::string workspace = WorkspaceBytes();
  OpenThroughMenu(MENU_OPENPARAM, WriteBytes(ScratchPath("broken.fit"), "1.0 2.0 three\n"));
  EXPECT_NE(OnlyMessage().message.find("line 1, number 3 of 276"), std::string::npos);
  for (int item : {MENU_OPENPARAM, MENU_SAVEPARAM}) {
    QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
    TriggerMenu(item);
  }
  EXPECT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(WorkspaceBytes(), workspace);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "4");
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), "(no parameter file)");
}

// ---- copy, paste and the report ----

// Paste is unusable until the first copy (the all-currents report does not open it); copy with
// current 3 selected copies and reports it; paste puts it over current 5 with current 5's
// holding potential kept, and the panels show the pasted values.
TEST_F(Menu, CopyCurrent3ThenPasteOverCurrent5) {
  EXPECT_TRUE(PasteDimmed());
  EXPECT_FALSE(MenuItemAction(MenuBar(), MENU_PASTE)->isEnabled());
  TriggerMenu(MENU_CLIPBOARD);
  EXPECT_EQ(LastClipboardText(), CurrentReport(-1));
  EXPECT_TRUE(PasteDimmed());

  params[2].Vm = -25.0;
  params[2].Km = -9.5;
  params[2].Vhold = -90.0;
  std::snprintf(params[2].name, sizeof params[2].name, "%s", "IA");
  Click(panelHandle, PANEL_CURRBUT3);
  TriggerMenu(MENU_COPY);
  EXPECT_FALSE(PasteDimmed());
  EXPECT_TRUE(MenuItemAction(MenuBar(), MENU_PASTE)->isEnabled());
  EXPECT_EQ(LastClipboardText(), CurrentReport(2));
  EXPECT_NE(LastClipboardText().find("\"IA\" (3)"), std::string::npos);

  Click(panelHandle, PANEL_CURRBUT5);
  TriggerMenu(MENU_PASTE);  // what is stored: the paste's own tests
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -25.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_KM), -9.5);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VHOLD), -60.0);  // the target's own
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "IA");
}

// ---- panels and ids outside the table ----

TEST_F(Menu, PanelItemsShowTheirPanels) {
  for (auto [item, panel] :
       {std::pair{MENU_DCLAMP, dclampPanelHandle}, std::pair{MENU_OPTIONS, optionsPanelHandle},
        std::pair{MENU_INFO, infoPanelHandle}}) {
    ASSERT_FALSE(PanelWidget(panel)->isVisible()) << "item " << item;
    TriggerMenu(item);
    EXPECT_TRUE(PanelWidget(panel)->isVisible()) << "item " << item;
  }
  EXPECT_TRUE(PanelWidget(panelHandle)->isVisible());  // not modal, the main panel stays
}

// Titles, separators and ids outside the table change nothing anywhere.
TEST_F(Menu, UnknownIdsDoNothing) {
  LoadAndShow(WriteDataFile("first.txt", 2, 100));
  const std::string workspace = WorkspaceBytes();
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  const std::string clipboard = LastClipboardText();
  for (int item : {-1, 0, 1, 2, 6, 8, 11, 13, 17, 99})
    menuCB(MenuBar(), item, nullptr, panelHandle);
  EXPECT_EQ(WorkspaceBytes(), workspace);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  EXPECT_EQ(LastClipboardText(), clipboard);
  EXPECT_TRUE(PasteDimmed());
  EXPECT_TRUE(RecordedMessages().empty());
  EXPECT_EQ(PendingFileSelectAnswers(), 0);
  for (int panel : {dclampPanelHandle, optionsPanelHandle, infoPanelHandle})
    EXPECT_FALSE(PanelWidget(panel)->isVisible());
}
