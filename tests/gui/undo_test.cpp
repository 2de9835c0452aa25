// Undo and redo through the real widgets, the Edit menu and its keys: each kind of change taken
// back and made again with the panels showing it, a run of arrow steps as one step, a
// parameter-file read undone, and the fits redrawn with automatic update on.
#include <QLineEdit>

#include "app/history.h"
#include "fit/undo.h"
#include "program_fixture.h"

namespace {

class Undo : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(WriteDataFile("undo.txt", 2, 200));
    StartWorkspaceHistory();
  }
  static std::string MenuText(int item) {
    std::string text;
    GetMenuBarAttribute(GetPanelMenuBar(panelHandle), item, ATTR_ITEM_NAME, &text);
    return text;
  }
  static std::string Title() { return PanelWidget(panelHandle)->windowTitle().toStdString(); }
};

// What a panel shows of a control: its number, or else its text.
std::string Shown(int panel, int control) {
  double real = 0;
  int whole = 0;
  std::string text;
  if (GetCtrlVal(panel, control, &real) == 0) return std::to_string(real);
  if (GetCtrlVal(panel, control, &whole) == 0) return std::to_string(whole);
  GetCtrlVal(panel, control, &text);
  return text;
}

}  // namespace

// Each number field stores into its own place (a field of the selected current, a trace voltage,
// the baseline) and nowhere else, as one step named in the menu: undo restores it and what the
// field shows, redo makes it again. The six voltage fields are laid out V6, V5, V1 ... V4 by id.
TEST_F(Undo, EachFieldStoresInItsOwnPlaceAsOneStep) {
  Click(panelHandle, PANEL_CURRBUT2);
  CurrentParams& c = params[1];
  const struct {
    int control;
    double* place;
    const char* step;
  } fields[] = {
      {PANEL_VHOLD, &c.Vhold, "Vhold of current 2"},
      {PANEL_GMAX, &c.Gmax, "Gmax of current 2"},
      {PANEL_EREV, &c.Erev, "Erev of current 2"},
      {PANEL_VM, &c.Vm, "Vm of current 2"},
      {PANEL_KM, &c.Km, "Km of current 2"},
      {PANEL_VH, &c.Vh, "Vh of current 2"},
      {PANEL_KH, &c.Kh, "Kh of current 2"},
      {PANEL_VTM, &c.Vtm, "Vtm of current 2"},
      {PANEL_KTM, &c.Ktm, "Ktm of current 2"},
      {PANEL_VTH, &c.Vth, "Vth of current 2"},
      {PANEL_KTH, &c.Kth, "Kth of current 2"},
      {PANEL_TMLO, &c.Tmlo, "Tmlo of current 2"},
      {PANEL_TMHI, &c.Tmhi, "Tmhi of current 2"},
      {PANEL_THLO, &c.Thlo, "Thlo of current 2"},
      {PANEL_THHI, &c.Thhi, "Thhi of current 2"},
      {PANEL_V1, &status.traceV[0], "voltage of trace 1"},
      {PANEL_V2, &status.traceV[1], "voltage of trace 2"},
      {PANEL_V3, &status.traceV[2], "voltage of trace 3"},
      {PANEL_V4, &status.traceV[3], "voltage of trace 4"},
      {PANEL_V5, &status.traceV[4], "voltage of trace 5"},
      {PANEL_V6, &status.traceV[5], "voltage of trace 6"},
      {PANEL_BASELINE, &status.baseline, "baseline"},
  };
  double value = 11.25;
  for (const auto& f : fields) {
    SCOPED_TRACE(f.step);
    const std::string before = WorkspaceBytes();
    const double old = *f.place;
    TypeAndEnter(panelHandle, f.control, QString::number(value));
    EXPECT_EQ(*f.place, value);
    *f.place = old;
    EXPECT_EQ(WorkspaceBytes(), before) << "stored elsewhere too";
    *f.place = value;
    EXPECT_EQ(MenuText(MENU_UNDO), std::string("Undo ") + f.step);
    TriggerMenu(MENU_UNDO);
    EXPECT_EQ(*f.place, old);
    EXPECT_EQ(DoubleValue(panelHandle, f.control), old);
    TriggerMenu(MENU_REDO);
    EXPECT_EQ(DoubleValue(panelHandle, f.control), value);
    value += 1.5;
  }
  EXPECT_EQ(params[0].Vm, 1.0);  // the unselected current is untouched
}

// Every other kind of change is one step named in the menu; undo restores the workspace and what
// the panels show, redo makes it again.
TEST_F(Undo, EachKindOfChangeUndoesAndRedoesThroughTheMenu) {
  struct ChangeCase {
    const char* step;   // the step the Edit menu names
    int panel;          // 0: the menu
    int control;        // typed into, clicked, or the menu item
    const char* entry;  // what is typed; none: a click
    int shown;          // the main-panel control that shows the change, when another
  };
  DisplayPanel(dclampPanelHandle);
  const ChangeCase cases[] = {
      {"p of current 1", panelHandle, PANEL_P, "4", 0},
      {"name of current 1", panelHandle, PANEL_NAME, "Kdr", PANEL_CURRLABEL1},
      {"name of current 2", panelHandle, PANEL_CURRLABEL2, "NaT", 0},
      {"current 2 in the fit", panelHandle, PANEL_FITCURR2, nullptr, PANEL_FITMSG},
      {"dynamic-clamp settings", dclampPanelHandle, DCLAMP_SETTING1, "7", 0},
      {"Paste Current", 0, MENU_PASTE, nullptr, PANEL_GMAX},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.step);
    if (c.panel == 0) {  // current 1 with another Gmax, copied, to be pasted over current 2
      TypeAndEnter(panelHandle, PANEL_GMAX, "42");
      TriggerMenu(MENU_COPY);
      Click(panelHandle, PANEL_CURRBUT2);
    }
    const int panel = c.panel ? c.panel : panelHandle;
    const auto shown = [&] { return Shown(panel, c.shown ? c.shown : c.control); };
    const WorkspaceSnapshot before = CaptureWorkspace();
    if (c.panel == 0)
      TriggerMenu(c.control);
    else if (!c.entry)
      Click(c.panel, c.control);
    else if (qobject_cast<QLineEdit*>(Widget(c.panel, c.control)))
      TypeText(c.panel, c.control, c.entry);
    else
      TypeAndEnter(c.panel, c.control, c.entry);
    const WorkspaceSnapshot after = CaptureWorkspace();
    const std::string shownAfter = shown();
    ASSERT_FALSE(SameSnapshot(before, after));
    EXPECT_EQ(MenuText(MENU_UNDO), std::string("Undo ") + c.step);
    TriggerMenu(MENU_UNDO);
    EXPECT_TRUE(SameSnapshot(CaptureWorkspace(), before));
    EXPECT_NE(shown(), shownAfter);
    EXPECT_EQ(MenuText(MENU_REDO), std::string("Redo ") + c.step);
    TriggerMenu(MENU_REDO);
    EXPECT_TRUE(SameSnapshot(CaptureWorkspace(), after));
    EXPECT_EQ(shown(), shownAfter);
  }
}

// A run of arrow steps on one field undoes at once and a typed entry after it is a step of its
// own; Ctrl+Z in a field is the menu's undo, not the field's own text undo, and Ctrl+Y redoes.
TEST_F(Undo, ArrowStepRunIsOneStepAndKeysReachTheMenu) {
  ActivateMainWindow();
  const double start = params[0].Vm;
  QWidget* field = Widget(panelHandle, PANEL_VM);
  field->setFocus();
  for (int i = 0; i < 3; ++i) QTest::keyClick(field, Qt::Key_Up);
  const double stepped = params[0].Vm;
  ASSERT_GT(stepped, start);
  EXPECT_EQ(undoHistory.UndoCount(), 1);
  QTest::keyClick(Widget(panelHandle, PANEL_Q), Qt::Key_Up);  // a gate power steps too
  EXPECT_EQ(params[0].q, 2);
  EXPECT_EQ(undoHistory.UndoCount(), 2);
  TriggerMenu(MENU_UNDO);
  TypeAndEnter(panelHandle, PANEL_VM, "-10");
  EXPECT_EQ(undoHistory.UndoCount(), 2);
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(params[0].Vm, stepped);
  QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(params[0].Vm, -10.0);
  QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // nothing to redo
  EXPECT_EQ(params[0].Vm, -10.0);
  TriggerMenu(MENU_UNDO);
  TriggerMenu(MENU_UNDO);
  EXPECT_EQ(params[0].Vm, start);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), start);
}

// Reading a parameter file is a step: undone, the workspace and the panels are as before and
// the title marks the changes as unsaved; the read itself counts as saved.
TEST_F(Undo, ParameterFileReadUndone) {
  TypeAndEnter(panelHandle, PANEL_VM, "-61");
  const std::string file = ScratchPath("read.fit");
  ASSERT_EQ(SaveParamFile(file), 1);
  TypeAndEnter(panelHandle, PANEL_VM, "-5");
  QueueQuestionAnswer(1);  // discard the unsaved -5
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, file);
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_EQ(params[0].Vm, -61.0);
  EXPECT_EQ(Title().front(), 'P');  // no star: just read
  EXPECT_EQ(MenuText(MENU_UNDO), "Undo Open Parameter File");
  TriggerMenu(MENU_UNDO);
  EXPECT_EQ(params[0].Vm, -5.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -5.0);
  EXPECT_EQ(Title().front(), '*');
}

// With automatic update on, the fits drawn after an undo are those of the restored state.
TEST_F(Undo, FitsRedrawnAfterUndo) {
  Click(panelHandle, PANEL_AUTOUPDATE);
  ASSERT_TRUE(status.autoUpdate);
  auto lastCurve = [] { return Plot(PANEL_GRAPH, Plots(PANEL_GRAPH).back()).y; };
  const std::vector<double> before = lastCurve();
  TypeAndEnter(panelHandle, PANEL_GMAX, "250");
  ASSERT_NE(lastCurve(), before);
  TriggerMenu(MENU_UNDO);
  EXPECT_EQ(lastCurve(), before);
}
