// The undo history: order of undo and redo, runs that merge, the cap, the saved marker, and the
// snapshots taken from and put back into the workspace.
#include "fit/undo.h"
#include "test_support.h"

namespace {

// A state told apart from others by its baseline.
WorkspaceSnapshot State(double baseline) {
  WorkspaceSnapshot state{};
  state.baseline = baseline;
  return state;
}

// The baseline of the state an undo or redo restores, -1 for none; its label into label.
double Restored(const std::optional<UndoRestore>& restore, std::string* label = nullptr) {
  if (restore && label != nullptr) *label = restore->label;
  return restore ? restore->state.baseline : -1.0;
}

}  // namespace

// ---- order ----

// Committing a value that changes nothing is not a step; a new change drops what could be redone.
TEST(UndoHistory, UndoAndRedoWalkTheStepsInOrderWithTheirLabels) {
  UndoHistory history;
  history.Reset(State(0));
  EXPECT_FALSE(history.Record("Vm of current 1", State(0)));
  EXPECT_FALSE(history.CanUndo());
  history.Record("Vm of current 1", State(1));
  history.Record("Paste Current", State(2));
  EXPECT_EQ(UndoMenuText(history), "Undo Paste Current");
  EXPECT_EQ(RedoMenuText(history), "Redo");

  std::string label;
  EXPECT_EQ(Restored(history.Undo(), &label), 1);
  EXPECT_EQ(label, "Paste Current");
  EXPECT_EQ(Restored(history.Undo(), &label), 0);
  EXPECT_EQ(label, "Vm of current 1");
  EXPECT_EQ(Restored(history.Undo()), -1);  // the first state is the end
  EXPECT_EQ(UndoMenuText(history), "Undo");
  EXPECT_EQ(RedoMenuText(history), "Redo Vm of current 1");

  EXPECT_EQ(Restored(history.Redo(), &label), 1);
  EXPECT_EQ(label, "Vm of current 1");
  history.Record("Gmax of current 2", State(3));
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(Restored(history.Undo()), 1);
}

// ---- runs ----

TEST(UndoHistory, ARunEndsAtAnotherRecordAnUndoASaveOrEndRun) {
  struct Case {
    const char* what;
    void (*between)(UndoHistory*);
    int steps;  // steps after: run of two, the interruption, run of two
  };
  const Case cases[] = {
      {"other field", [](UndoHistory* h) { h->Record("Km of current 1", State(50), "Km"); }, 3},
      {"typed entry", [](UndoHistory* h) { h->Record("Vm of current 1", State(50)); }, 3},
      {"undo and redo",
       [](UndoHistory* h) {
         h->Undo();
         h->Redo();
       },
       2},
      {"save", [](UndoHistory* h) { h->MarkClean(); }, 2},
      {"end of run", [](UndoHistory* h) { h->EndRun(); }, 2},
  };
  for (const Case& c : cases) {
    UndoHistory history;
    history.Reset(State(0));
    history.Record("Vm of current 1", State(1), "Vm");
    history.Record("Vm of current 1", State(2), "Vm");
    c.between(&history);
    history.Record("Vm of current 1", State(3), "Vm");
    history.Record("Vm of current 1", State(4), "Vm");
    EXPECT_EQ(history.UndoCount(), c.steps) << c.what;
    EXPECT_EQ(Restored(history.Undo()), c.steps == 3 ? 50 : 2) << c.what;
  }
}

// A run of steps on one field is one step; one that comes back to where it started, none.
TEST(UndoHistory, ARunOfStepsOnOneFieldIsOneStep) {
  UndoHistory history;
  history.Reset(State(0));
  for (int n = 1; n <= 5; ++n) history.Record("Vm of current 1", State(n), "Vm of current 1");
  EXPECT_EQ(history.UndoCount(), 1);
  EXPECT_EQ(Restored(history.Undo()), 0);
  EXPECT_EQ(Restored(history.Redo()), 5);

  history.Reset(State(0));
  history.Record("Vm of current 1", State(1), "Vm");
  history.MarkClean();
  history.Record("Vm of current 1", State(2), "Vm");
  history.Record("Vm of current 1", State(1), "Vm");
  EXPECT_EQ(history.UndoCount(), 1);
  EXPECT_TRUE(history.IsClean());
  history.Record("Vm of current 1", State(7), "Vm");  // a new run, a new step
  EXPECT_EQ(history.UndoCount(), 2);
  EXPECT_EQ(Restored(history.Undo()), 1);
}

// ---- the cap ----

TEST(UndoHistory, KeepsTheLatestThousandStepsAndDropsTheOldest) {
  UndoHistory history;
  history.Reset(State(0));
  for (int n = 1; n <= kUndoSteps + 5; ++n) history.Record("step " + std::to_string(n), State(n));
  EXPECT_EQ(history.UndoCount(), kUndoSteps);
  std::string label;
  double state = 0;
  while (history.CanUndo()) state = Restored(history.Undo(), &label);
  EXPECT_EQ(state, 5);
  EXPECT_EQ(label, "step 6");
  // The state saved at the start is gone with the dropped steps.
  EXPECT_FALSE(history.IsClean());
}

// ---- the saved marker ----

TEST(UndoHistory, CleanOnlyAtTheStateLastSaved) {
  UndoHistory history;
  history.Reset(State(0));
  EXPECT_TRUE(history.IsClean());
  history.Record("a", State(1));
  EXPECT_FALSE(history.IsClean());
  Restored(history.Undo());
  EXPECT_TRUE(history.IsClean());
  Restored(history.Redo());
  history.Record("b", State(2));
  history.MarkClean();
  EXPECT_TRUE(history.IsClean());
  Restored(history.Undo());
  EXPECT_FALSE(history.IsClean());
  Restored(history.Redo());
  EXPECT_TRUE(history.IsClean());
  // Undo past the save and change: the saved state can no longer be reached.
  Restored(history.Undo());
  history.Record("c", State(2));
  EXPECT_FALSE(history.IsClean());
}

// ---- the workspace ----

TEST(WorkspaceSnapshot, CaptureAndRestoreCoverEveryFieldAStepChanges) {
  ResetWorkspace();
  params[0].Vm = -35.5;
  params[9].q = 3;
  std::strcpy(params[2].name, "NaT");
  status.fitCurrent[4] = 1;
  status.fitCount = 2;
  status.traceV[5] = -12.25;
  status.baseline = 0.125;
  dclamp.currentSetting[7][9] = 4.5;
  dclamp.globalSetting[3] = 2.0;
  dclamp.intSetting[5] = 6;
  const WorkspaceSnapshot edited = CaptureWorkspace();
  const std::string file = WorkspaceFileText();  // the currents, settings, voltages and flags

  ResetWorkspace();
  EXPECT_FALSE(SameSnapshot(CaptureWorkspace(), edited));
  RestoreWorkspace(edited);
  EXPECT_EQ(WorkspaceFileText(), file);
  EXPECT_EQ(status.fitCount, 2);
  EXPECT_EQ(status.baseline, 0.125);
  EXPECT_TRUE(SameSnapshot(CaptureWorkspace(), edited));
  // Bytes left behind a name's terminator are no change.
  std::memset(params[2].name, 'x', kNameSize);
  std::strcpy(params[2].name, "NaT");
  EXPECT_TRUE(SameSnapshot(CaptureWorkspace(), edited));
  ResetWorkspace();
}
