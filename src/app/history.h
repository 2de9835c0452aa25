// The undo history wired to the window: the user's changes recorded as named steps, undo and
// redo through the Edit menu, the panels brought up to a restored state, the window title's
// mark of unsaved changes and the message line's word of the last saves.
#pragma once

#include <string>

// The workspace as it stands is the first state, counted as saved, and so is what a session keeps.
void StartWorkspaceHistory();
// After a change to what the user fits: one undo step named step ("Vm of current 1"). A run of
// arrow or wheel steps (stepped) on the same field merges into one step.
void NoteChange(const std::string& step, bool stepped = false);
void NoteSaved();  // the workspace is now what the parameter file last read holds
// The workspace is now what the parameter file at path holds, and the message line says so.
void NoteParamFileSaved(const std::string& path);
// The message line says where the session went ("" after a session was opened: it says nothing).
void NoteSessionFileSaved(const std::string& path);
bool HasUnsavedParameters();  // the parameters differ from the parameter file last written or read
bool HasUnsavedChanges();     // the parameters, or the work only a session keeps
void UndoChange();            // the Edit menu's Undo: the state before the last step, shown
void RedoChange();            // the Edit menu's Redo
void ShowWorkspace();         // panels, curves and (with automatic update) fits show the workspace
// The Undo and Redo items' texts and dimming, the window title, and the message line: where the
// last saves went, while the workspace still holds what they wrote.
void ShowHistoryState();
std::string WindowTitle();  // "Pavik (Ver ...)", with "*" before it when changes are unsaved
