// The jobs the command line runs, one file each, and what they share.
#pragma once

#include <string>

#include "app/cli.h"

struct ParamFileContents;

inline constexpr const char* kStandardOutput = "-";  // an output named so goes to standard output

// ---- the jobs (cli_fits.cpp, cli_report.cpp, cli_render.cpp, cli_window.cpp) ----
int RunFits(const CliCommand& command);
int RunReport(const CliCommand& command);
int RunRender(const CliCommand& command, int argc, char* argv[]);
int RunWindow(const CliCommand& command, int argc, char* argv[]);  // the event loop's result

int RunConvert(const CliCommand& command);      // cli_convert.cpp
int RunPolish(const CliCommand& command);       // cli_polish.cpp
int RunExportNmodl(const CliCommand& command);  // cli_nmodl.cpp

// ---- shared (cli_shared.cpp) ----
// The import choices for an amplifier data file: --trace-v gives its step voltages by hand.
ImportOptions ImportOptionsOf(const CliCommand& command);
// true when a file can be read; otherwise its name and the system's reason on standard error
// (the window keeps the readers' own messages).
bool ReadableOnCommandLine(const std::string& path, const char* what);
// Reads the command's files as the menu's open commands do, then applies the options as if
// they were typed; false when a file could not be read (the reader's message, which goes to
// standard error without a window, said why).
// paramRead, when given, receives the parameter file's contents as read.
bool LoadAndApply(const CliCommand& command, ParamFileContents* paramRead = nullptr);
// The command's excluded stretches and noise region become the fit's regions.
void ApplyRegions(const CliCommand& command);
// Reads a further recording (an --also) into the workspace in place of the one there, with its
// own options and regions; the currents stay as they are (its holding level does not become
// their Vhold). false when its file could not be read (the reader said why).
bool LoadFurtherRecording(const CliCommand& recording);
// Says on standard error that the arguments do not form a command, and why; the usage status.
int UsageError(const std::string& why);
// Writes text to standard output; the exit status, and on failure the reason on standard error.
int WriteToStandardOutput(const std::string& text, const char* what);
// Writes bytes safely to path; the exit status, and on failure the reason on standard error.
int SaveOutput(const std::string& path, const std::string& bytes, const char* what);
