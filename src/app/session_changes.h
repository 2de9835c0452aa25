// Whether the work a session keeps beside the parameters (the import choices, the analysis
// window, the regions left out of the fit, the noise region, the free flags and bounds) differs
// from the session last saved or opened, and in which parts.
#pragma once

#include <string>

// What a session keeps is now what the disk holds (a session saved or opened), or what the
// program started with.
void NoteSessionSaved();
// A data file was taken over: the window it sets is its default, not the user's work.
void NoteDataWindowDefault();
bool HasUnsavedSessionWork();
// The parts that differ, for a question ("the regions left out of the fit and the noise
// region"); "" when none does.
std::string UnsavedSessionWork();
