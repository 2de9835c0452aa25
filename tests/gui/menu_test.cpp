// The main menu: each item's command through its real action, the unknown ids, paste usable from
// the first copy, and quitting.
#include <QApplication>
#include <QClipboard>
#include <QTimer>

#include <cstring>

#include "editing_fixture.h"

namespace {

using Menu = EditingProgram;

int MenuBar() {
  return GetPanelMenuBar(panelHandle);
}

bool PasteDimmed() {
  int dimmed = -1;
  GetMenuBarAttribute(MenuBar(), MENU_PASTE, ATTR_DIMMED, &dimmed);
  return dimmed != 0;
}

// Runs the event loop, performs `action` from inside it, and tells whether the loop ended by
// itself (a watchdog ends it after a few seconds otherwise).
template <typename Action>
bool LoopEndsAfter(Action action) {
  bool watchdogFired = false;
  QTimer::singleShot(0, action);
  QTimer::singleShot(5000, [&watchdogFired] {
    watchdogFired = true;
    QuitUserInterface(1);
  });
  RunUserInterface();
  return !watchdogFired;
}

}  // namespace

// ---- files ----

// A cancelled open leaves the graph as it was; an accepted one draws the new traces, no fits.
TEST_F(Menu, OpenDataCancelledKeepsGraphAcceptedRedrawsWithoutFits) {
  LoadAndShow(WriteDataFile("first.txt", 2, 100));
  Click(panelHandle, PANEL_DOFIT);
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  TriggerMenu(MENU_OPENDATA);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);

  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, WriteDataFile("second.txt", 3, 120));
  TriggerMenu(MENU_OPENDATA);
  EXPECT_EQ(NumTraces, 3);
  const std::vector<int> now = Plots(PANEL_GRAPH);
  EXPECT_EQ(now.size(), 4u);  // three traces and the zero line
  for (int handle : drawn) EXPECT_EQ(std::count(now.begin(), now.end(), handle), 0);
}

TEST_F(Menu, OpenDataThatCannotBeReadKeepsGraph) {
  LoadAndShow(WriteDataFile("first.txt", 2, 100));
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, ScratchPath("missing.txt"));
  TriggerMenu(MENU_OPENDATA);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  EXPECT_EQ(RecordedMessages().size(), 1u);
}

// Save writes the layout of the workspace; open reads it back and shows the file's name.
TEST_F(Menu, SaveParamThenOpenParamRestoresTheWorkspace) {
  params[0].Gmax = 36.0;
  params[4].Vm = -52.5;
  const std::string path = ScratchPath("saved.fit");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  TriggerMenu(MENU_SAVEPARAM);
  EXPECT_EQ(FileText(path), FormatParamFile(params, dclamp, status));

  params[0].Gmax = 1.0;
  params[4].Vm = 1.0;
  Click(panelHandle, PANEL_CURRBUT5);
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_EQ(params[0].Gmax, 36.0);
  EXPECT_EQ(params[4].Vm, -52.5);
  EXPECT_EQ(status.selCurrent, 1);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_GMAX), 36.0);
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), path);
}

TEST_F(Menu, CancelledParamDialogsChangeNothing) {
  const CurrentParams before = params[0];
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  TriggerMenu(MENU_OPENPARAM);
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  TriggerMenu(MENU_SAVEPARAM);
  EXPECT_EQ(std::memcmp(&params[0], &before, sizeof before), 0);
  EXPECT_EQ(TextValue(panelHandle, PANEL_PARAMFILE), "(no parameter file)");
  EXPECT_TRUE(RecordedMessages().empty());
}

// ---- copy, paste and the report ----

// Paste is unusable until the first copy; the all-currents report does not open it.
TEST_F(Menu, PasteDimmedUntilFirstCopy) {
  EXPECT_TRUE(PasteDimmed());
  EXPECT_FALSE(MenuItemAction(MenuBar(), MENU_PASTE)->isEnabled());
  TriggerMenu(MENU_CLIPBOARD);
  EXPECT_EQ(LastClipboardText(), CurrentReport(-1));
  EXPECT_TRUE(PasteDimmed());
  TriggerMenu(MENU_COPY);
  EXPECT_FALSE(PasteDimmed());
  EXPECT_TRUE(MenuItemAction(MenuBar(), MENU_PASTE)->isEnabled());
}

// Copy with current 3 selected copies it and reports it; paste puts it over current 5.
TEST_F(Menu, CopyCurrent3ThenPasteOverCurrent5) {
  params[2].Vm = -25.0;
  params[2].Vhold = -90.0;
  std::snprintf(params[2].name, sizeof params[2].name, "%s", "IA");
  Click(panelHandle, PANEL_CURRBUT3);
  TriggerMenu(MENU_COPY);
  EXPECT_EQ(LastClipboardText(), CurrentReport(2));
  EXPECT_NE(LastClipboardText().find("\"IA\" (3)"), std::string::npos);
  EXPECT_EQ(copyCurr.Vm, -25.0);

  Click(panelHandle, PANEL_CURRBUT5);
  TriggerMenu(MENU_PASTE);
  EXPECT_EQ(params[4].Vm, -25.0);
  EXPECT_STREQ(params[4].name, "IA");
  EXPECT_EQ(params[4].Vhold, -60.0);  // the holding potential stays the target's
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -25.0);
}

// ---- panels ----

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

// ---- ids outside the table ----

// Titles, separators and ids outside the table change nothing anywhere.
TEST_F(Menu, UnknownIdsDoNothing) {
  LoadAndShow(WriteDataFile("first.txt", 2, 100));
  const FitStatus statusBefore = status;
  const CurrentParams paramsBefore = params[0];
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  const std::string clipboard = LastClipboardText();
  for (int item : {-1, 0, 1, 2, 6, 8, 11, 13, 17, 99}) {
    menuCB(MenuBar(), item, nullptr, panelHandle);
  }
  EXPECT_EQ(std::memcmp(&status, &statusBefore, sizeof status), 0);
  EXPECT_EQ(std::memcmp(&params[0], &paramsBefore, sizeof paramsBefore), 0);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  EXPECT_EQ(LastClipboardText(), clipboard);
  EXPECT_TRUE(PasteDimmed());
  EXPECT_TRUE(RecordedMessages().empty());
  EXPECT_EQ(PendingFileSelectAnswers(), 0);
  for (int panel : {dclampPanelHandle, optionsPanelHandle, infoPanelHandle})
    EXPECT_FALSE(PanelWidget(panel)->isVisible());
}

// ---- quitting ----

// The quit item and closing the main window both end the event loop.
TEST_F(Menu, QuitAndClosingTheWindowEndTheLoopAlike) {
  EXPECT_TRUE(LoopEndsAfter([] { TriggerMenu(MENU_QUIT); }));
  EXPECT_TRUE(LoopEndsAfter([] { PanelWidget(panelHandle)->close(); }));
}

// ---- shortcuts ----

// The menu shortcuts act from the panel, and inside a text field Ctrl+V stays the field's paste.
TEST_F(Menu, ShortcutsLeaveTextEditingToTheFields) {
  QWidget* window = PanelWidget(panelHandle);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));  // shortcuts reach the active window only
  QWidget* button = Widget(panelHandle, PANEL_DOFIT);
  button->setFocus();
  QTest::keyClick(button, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(PasteDimmed()) << "Ctrl+Shift+C copies the current";

  auto* name = qobject_cast<QLineEdit*>(Widget(panelHandle, PANEL_NAME));
  ASSERT_NE(name, nullptr);
  Click(panelHandle, PANEL_CURRBUT2);
  name->setFocus();
  QApplication::clipboard()->setText("pasted");
  QTest::keyClick(name, Qt::Key_End);
  QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(name->text().toStdString(), "2pasted");
  EXPECT_STREQ(params[1].name, "2");  // the copy buffer was not pasted over current 2

  // the same in a numeric field, where the focus stays after every edit
  QWidget* vm = Widget(panelHandle, PANEL_VM);
  vm->setFocus();
  params[1].Vm = 1.0;
  copyCurr.Vm = -99.0;
  QApplication::clipboard()->setText("7");
  QTest::keyClick(vm, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(vm, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(params[1].Vm, 1.0);  // not the copy buffer's -99
  QTest::keyClick(vm, Qt::Key_Return);
  EXPECT_EQ(params[1].Vm, 7.0);
}
