// Start-up, the main panel, the main menu and its file commands: the panel handles, the
// start-up sequence, and opening and saving files with their take-over into the workspace.
#pragma once

#include <string>

#include "display/panel_handles.h"
#include "io/recording.h"

struct ImportOptions;
struct ParamFileContents;

inline constexpr const char* kVersion = "3.2";  // shown in the title and by --version
inline constexpr const char* kVersionDate = "2010-June-03";
inline constexpr const char* kParamFileExtension = ".fit";  // given to a saved name that has none

// ---- start-up and the main panel (pavik.cpp) ----
void RegisterPavikCallbacks();           // the callback table the resource file's names refer to
int StartPavik(int argc, char* argv[]);  // the run-time, the panels and their start values; 0 ok
void InitPanel();
void ShowAxisRanges();  // the graph ranges of the workspace in their fields
int panelCB(int panel, int event, void* callbackData, int eventData1, int eventData2);

// ---- the menu (menu.cpp) ----
void menuCB(int menuBar, int menuItem, void* callbackData, int panel);

// ---- file commands (file_commands.cpp) ----
int ReadDataFile();  // dialog, then LoadDataFile; 1 when a file was read
// 1 when read and drawn; else a message, no change. An amplifier file (ABF, ATF) is imported with
// the given choices or, without them, as the import dialog asks; any other file is read as the
// text data file.
int LoadDataFile(const std::string& path, const ImportOptions* importOptions = nullptr);
// Commits a recording to the workspace (the trace arrays, the trace voltages, the data ranges
// and the analysis window), fills the controls, tells its notices and draws it. A recording
// whose name does not fit the data-file field, or whose sample arrays do not agree with its
// counts, is refused with a message and changes nothing (false).
bool CommitRecording(const Recording& recording);
// While one lives, a recording committed is added to the session's recordings and shown, instead
// of replacing them.
class AddingRecording {
 public:
  AddingRecording();
  ~AddingRecording();
  AddingRecording(const AddingRecording&) = delete;
  AddingRecording& operator=(const AddingRecording&) = delete;
};
void ShowRecordingControls();  // the data file's name, the ranges, the commands a recording allows
// Fills the trace arrays, the data ranges and the data-file field from a recording being shown.
void ShowRecordingView(const Recording& recording);
// While one lives, the notices of a data file taken over are held instead of shown, so that a
// parameter file read after it can make the one about Vhold untrue first; Show() tells them.
class HeldDataNotices {
 public:
  HeldDataNotices();
  ~HeldDataNotices();
  HeldDataNotices(const HeldDataNotices&) = delete;
  HeldDataNotices& operator=(const HeldDataNotices&) = delete;
  void Show(bool vholdSetSince);  // vholdSetSince: a parameter file has set Vhold since
};
int Read_Last_Values();  // dialog, then LoadParamFile; 1 when a file was read
// Reads, takes over and refreshes; 1, or 0 and a message. asRead, when given, receives the file's
// contents as read, before the take-over adjusts anything (a file with no current in the fit gets
// current 1 in it).
int LoadParamFile(const std::string& path, ParamFileContents* asRead = nullptr);
int Save_Current_Values();  // dialog, then SaveParamFile; 1 when written
