// The guard on unsaved work: before the workspace is quit or replaced, a question whether to save
// it first, in a parameter file and, for what only a session keeps, in a session.
#pragma once

enum class Guarded {
  kParameters,            // the command replaces the parameters only (Open Parameter File)
  kSession,               // what a session keeps beside them only (Open Data File)
  kParametersAndSession,  // the command replaces everything (Quit, Open Session)
};

// True when the caller may go on: nothing is unsaved, or the user saved, or chose to discard.
// False when the user cancelled, or chose to save and a save did not happen.
bool MayDiscardChanges(const char* what, Guarded guarded = Guarded::kParametersAndSession);
