// The session's recordings in the window: adding one, removing, renaming, leaving one out of the
// polish, and bringing one up through the tabs over the data graph, the File menu or
// Ctrl+PgUp/PgDn. One model is fitted to them all; each keeps its own window and regions.
#pragma once

#include <string>

struct ImportOptions;

void InitRecordings();  // registers the shower an undo uses, and the tabs' menu

// File > Add Recording...: the dialog, then AddRecordingFrom; 1 when one was added.
int AddRecording();
// Reads a data file as Open Data File does and adds it to the session's recordings, shown;
// 1 when added, else 0 with a message and nothing changed.
int AddRecordingFrom(const std::string& path, const ImportOptions* importOptions = nullptr);
// The same without an undo step or a redraw of the fits: for a session being opened.
int AddRecordingQuietly(const std::string& path, const ImportOptions* importOptions);
void RemoveShownRecording();  // the only one cannot be removed: Open Data File replaces it
void RenameShownRecording();
void ToggleShownInPolish();
void ShowRecordingAt(int index);  // brings it up in the window; nothing when it is shown
void StepRecording(int step);     // the next (+1) or previous (-1) one

// The shown recording goes to wait, with the window's ranges, window and cursor.
void ParkShownRecording();
// The tabs (shown with two recordings or more) and the File menu's recording items as the
// session has them.
void ShowRecordingSelector();

int recordingTabsCB(int panel, int control, int event, void* callbackData, int eventData1,
                    int eventData2);
