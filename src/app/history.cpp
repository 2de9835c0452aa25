// The undo history wired to the window: recording steps, undo and redo from the Edit menu, and
// refreshing every panel that shows a part of a restored state.
#include "app/history.h"

#include <cstdio>

#include "app/after_change.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "app/recordings.h"
#include "app/session_changes.h"
#include "display/display.h"
#include "display/goodness_display.h"
#include "display/region_editing.h"
#include "fit/undo.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr int kTitleSize = 100;  // the title buffer

std::string paramFileSavedAt;    // where the parameters were last saved; "" after a read
std::string sessionFileSavedAt;  // where the session was last saved; "" after an open

// Says where the last saves went while what they wrote still holds, so that a save is never
// silent and the line never describes a workspace that has moved on.
std::string SaveMessage() {
  std::string message;
  if (!paramFileSavedAt.empty() && !HasUnsavedParameters())
    message = "Parameters saved in " + paramFileSavedAt;
  if (!sessionFileSavedAt.empty() && !HasUnsavedSessionWork())
    message += (message.empty() ? "Session saved in " : "; session saved in ") + sessionFileSavedAt;
  return message;
}

void AfterRestore(const std::optional<std::string>& step) {
  if (!step) return;
  HandleChange({Changed::kWorkspace});
  ShowHistoryState();
}

}  // namespace

void StartWorkspaceHistory() {
  ResetWorkspaceHistory();
  NoteSessionSaved();
  ShowHistoryState();
}

void NoteChange(const std::string& step, bool stepped) {
  RecordWorkspaceStep(step, stepped ? step : std::string());
  ShowHistoryState();
}

void NoteSaved() {
  undoHistory.MarkClean();
  paramFileSavedAt.clear();
  ShowHistoryState();
}

void NoteParamFileSaved(const std::string& path) {
  undoHistory.MarkClean();
  paramFileSavedAt = path;
  ShowHistoryState();
}

void NoteSessionFileSaved(const std::string& path) {
  sessionFileSavedAt = path;
  ShowHistoryState();
}

bool HasUnsavedParameters() {
  return !undoHistory.IsClean();
}

bool HasUnsavedChanges() {
  return HasUnsavedParameters() || HasUnsavedSessionWork();
}

void UndoChange() {
  AfterRestore(UndoWorkspaceStep());
}

void RedoChange() {
  AfterRestore(RedoWorkspaceStep());
}

void ShowWorkspace() {
  if (status.selCurrent >= 1 && status.selCurrent <= kMaxCurrents)
    SetPanelParams(status.selCurrent - 1);
  ShowCurrentNames();
  ShowTraceVoltages();
  SetCtrlVal(panelHandle, PANEL_BASELINE, status.baseline);
  SetFitCurrents();
  UpdateFitMessage();
  int shown = 1;
  GetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, &shown);
  SetDclampParams(shown - 1);
  ShowMH();
  ShowTau();
  ShowFreeToggles();
  ShowRecordingSelector();  // an undo may bring back a recording, its name or its regions
  ShowRegions();
  if (status.autoUpdate)
    EvaluateAndShow();
  else
    ShowGoodness();  // the regions or the recordings it counts may be others now
}

std::string WindowTitle() {
  char title[kTitleSize];
  std::snprintf(title, sizeof title, "%sPavik (Ver %s %s)", HasUnsavedChanges() ? "*" : "",
                kVersion, kVersionDate);
  return title;
}

void ShowHistoryState() {
  const int menuBar = GetPanelMenuBar(panelHandle);
  SetMenuBarAttribute(menuBar, MENU_UNDO, ATTR_ITEM_NAME, UndoMenuText(undoHistory).c_str());
  SetMenuBarAttribute(menuBar, MENU_REDO, ATTR_ITEM_NAME, RedoMenuText(undoHistory).c_str());
  SetMenuBarAttribute(menuBar, MENU_UNDO, ATTR_DIMMED, undoHistory.CanUndo() ? 0 : 1);
  SetMenuBarAttribute(menuBar, MENU_REDO, ATTR_DIMMED, undoHistory.CanRedo() ? 0 : 1);
  SetPanelAttribute(panelHandle, ATTR_TITLE, WindowTitle().c_str());
  SetCtrlVal(panelHandle, PANEL_MESSAGE, SaveMessage().c_str());
}
