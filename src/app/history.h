// The undo history wired to the window: the user's changes recorded as named steps, undo and
// redo through the Edit menu, the panels brought up to a restored state, and the window title's
// mark of unsaved changes.
#pragma once

#include <string>

void StartWorkspaceHistory();  // the workspace as it stands is the first state, counted as saved
// After a change to what the user fits: one undo step named step ("Vm of current 1"). A run of
// arrow or wheel steps (stepped) on the same field merges into one step.
void NoteChange(const std::string& step, bool stepped = false);
void NoteSaved();  // the workspace is now what the parameter file last written or read holds
bool HasUnsavedChanges();
void UndoChange();          // the Edit menu's Undo: the state before the last step, shown
void RedoChange();          // the Edit menu's Redo
void ShowWorkspace();       // panels, curves and (with automatic update) fits show the workspace
void ShowHistoryState();    // the Undo and Redo items' texts and dimming, the window title
std::string WindowTitle();  // "Pavik (Ver ...)", with "*" before it when changes are unsaved
