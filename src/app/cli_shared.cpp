// What the command line's jobs share: reading the command's files and applying its options as
// the window would, and writing an output to standard output or, safely, to a file.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/cli_jobs.h"
#include "app/pavik.h"
#include "display/command_strip.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "io/file_kind.h"
#include "io/safe_write.h"
#include "model/model.h"
#include "model/recording.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

ImportOptions ImportOptionsOf(const CliCommand& command) {
  ImportOptions options = command.import;
  options.typedVoltages = command.traceV;
  return options;
}

bool ReadableOnCommandLine(const std::string& path, const char* what) {
  const std::string why = WhyNotAReadableFile(path);
  if (why.empty()) return true;
  std::fprintf(stderr, "pavik: the %s %s was not read: %s.\n", what, path.c_str(), why.c_str());
  return false;
}

bool LoadAndApply(const CliCommand& command, ParamFileContents* paramRead) {
  if (command.headerLines) status.headerLines = *command.headerLines;
  const ImportOptions importOptions = ImportOptionsOf(command);
  if (!ReadableOnCommandLine(command.dataFile, "data file") ||
      (!command.paramFile.empty() && !ReadableOnCommandLine(command.paramFile, "parameter file")) ||
      !LoadDataFile(command.dataFile, &importOptions) ||
      (!command.paramFile.empty() && !LoadParamFile(command.paramFile, paramRead))) {
    return false;
  }
  if (command.import.command) {
    loadedRecording.commandMode = *command.import.command;
    ShowCommandMode();
    ShowCommandStrip();
    SetPanelParams(SelectedIndex());
  }
  // A text data file's traces are the six voltage fields; an amplifier file took them all above.
  if (!loadedRecording.import && command.traceV.size() > static_cast<size_t>(kMaxTraces)) {
    std::fprintf(stderr,
                 "pavik: --trace-v gives %zu voltages, but a text data file holds at most %d "
                 "traces.\n",
                 command.traceV.size(), kMaxTraces);
    return false;
  }
  for (size_t k = 0; k < command.traceV.size() && k < static_cast<size_t>(kMaxTraces); ++k)
    status.traceV[k] = command.traceV[k];
  if (command.baseline) status.baseline = *command.baseline;
  if (command.xMin) status.xMin = *command.xMin;
  if (command.xMax) status.xMax = *command.xMax;
  SetDataAxis();
  // The fields show what was applied, as they would after typing (no-ops without a window).
  ShowTraceVoltages();
  SetCtrlVal(panelHandle, PANEL_BASELINE, status.baseline);
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  return true;
}

int UsageError(const std::string& why) {
  std::fprintf(stderr, "pavik: %s\nTry 'pavik --help' for more information.\n", why.c_str());
  return kExitUsage;
}

int WriteToStandardOutput(const std::string& text, const char* what) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return kExitSuccess;
  const int error = errno != 0 ? errno : EIO;
  std::fprintf(stderr, "pavik: the %s could not be written to standard output (%s).\n", what,
               std::strerror(error));
  return kExitFileError;
}

int SaveOutput(const std::string& path, const std::string& bytes, const char* what) {
  const SaveResult result = SaveFileSafely(path, bytes);
  if (result.why.empty()) return kExitSuccess;
  std::fprintf(stderr, "%s\n", SaveFailureMessage(what, path, result).c_str());
  return kExitFileError;
}

void ApplyRegions(const CliCommand& command) {
  loadedRecording.excluded = command.excluded;
  loadedRecording.noise = command.noise;
}

bool LoadFurtherRecording(const CliCommand& recording) {
  std::array<CurrentParams, kMaxCurrents> currents;
  std::copy(std::begin(params), std::end(params), currents.begin());
  const int headerLines = status.headerLines;
  // The regions of the recording read before are its own, not this one's: dropped without the
  // notice that a newly opened file gives.
  ResetFitterState(&loadedRecording);
  const bool read = LoadAndApply(recording);
  status.headerLines = headerLines;
  std::copy(currents.begin(), currents.end(), params);
  if (read) ApplyRegions(recording);
  return read;
}
