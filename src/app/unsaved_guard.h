// The guard on unsaved parameters: before the workspace is quit or replaced, a question whether
// to save it first.
#pragma once

// True when the caller may go on: nothing is unsaved, or the user saved, or chose to discard.
// False when the user cancelled, or chose to save and the save did not happen.
bool MayDiscardChanges(const char* what);  // what: the command asking ("Quit")
