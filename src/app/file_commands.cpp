// The menu's file commands: choosing and opening a data file or a parameter file, and saving the
// parameter file. The readers return what they read; the take-overs here commit it to the
// workspace, fill the controls and draw, and change nothing when a file could not be read.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/amplifier_open.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "app/recordings.h"
#include "app/session_changes.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "fit/undo.h"
#include "io/abf/import_options.h"
#include "io/dialog_folder.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "model/model.h"
#include "model/recording.h"
#include "model/session_recordings.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/number_text.h"
#include "platform/platform.h"

namespace {

// The notices of a data file taken over while a HeldDataNotices lives.
struct DataNotices {
  std::vector<std::string> file;  // the file's own
  std::string vhold;              // that Vhold was set to the holding level; "" when not
};
std::optional<DataNotices> heldNotices;

void TellDataNotices(const DataNotices& notices) {
  std::vector<std::string> told = notices.file;
  if (!notices.vhold.empty()) told.push_back(notices.vhold);
  if (told.empty()) return;
  std::string message = told[0];
  for (size_t i = 1; i < told.size(); ++i) message += "\n\n" + told[i];
  MessagePopup("Data file", message.c_str());
}

constexpr double kRangeMargin = 1.1;        // the current axis spans 1.1 x the extreme currents
constexpr double kStartingExtreme = 10000;  // the running current extremes start at -+ this
constexpr const char* kParamFileTitle = "Parameter File";
constexpr const char* kParamFileSpec = "*.fit";
constexpr const char* kParamFileTypes = "*.fit;*.V0*";

// ---- data files ----

// "" when a data file's name fits the workspace's field, otherwise why it cannot be kept.
std::string DataFileNameProblem(const std::string& name) {
  if (name.size() < sizeof status.dataFile) return "";
  return "The path of the data file is " + std::to_string(name.size()) +
         " characters long; at most " + std::to_string(sizeof status.dataFile - 1) +
         " can be kept.";
}

// A recording whose counts and sample arrays agree: the take-over copies no more than it holds.
bool IsWhole(const Recording& recording) {
  const size_t n = recording.times.size();
  if (n == 0 || n > static_cast<size_t>(kMaxPoints)) return false;
  if (recording.traces < 1 || recording.traces > recording.pairsStored ||
      recording.pairsStored > kTraceRows)
    return false;
  if (recording.voltages.size() < static_cast<size_t>(recording.pairsStored) ||
      recording.currents.size() < static_cast<size_t>(recording.pairsStored))
    return false;
  for (int k = 0; k < recording.pairsStored; ++k) {
    if (recording.voltages[k].size() < n || recording.currents[k].size() < n) return false;
  }
  return true;
}

void TellDataFileNotRead(const std::string& path, const std::string& why) {
  const std::string message = "The data file\n" + path + "\nwas not read: " + why + ".";
  MessagePopup("Error", message.c_str());
}

// The time range, and the current range from running extremes that start at -+10000.
void TakeOverRanges(const Recording& recording, int n) {
  int index = 0;
  MaxMin1D(recording.times.data(), n, &status.dataTMax, &index, &status.dataTMin, &index);
  double yMax = -kStartingExtreme;
  double yMin = kStartingExtreme;
  for (int k = 0; k < recording.traces; ++k) {
    double traceMax = 0;
    double traceMin = 0;
    MaxMin1D(recording.currents[k].data(), n, &traceMax, &index, &traceMin, &index);
    yMax = std::max(yMax, traceMax);
    yMin = std::min(yMin, traceMin);
  }
  status.xMin = status.dataTMin;
  status.xMax = status.dataTMax;
  status.dataYMin = kRangeMargin * yMin;
  status.dataYMax = kRangeMargin * yMax;
  status.yMin = status.dataYMin;
  status.yMax = status.dataYMax;
}

}  // namespace

// The shown recording's view: the trace arrays the text's code paths read, the data ranges and
// the data-file field. The analysis window and the trace voltages are the caller's to set.
void ShowRecordingView(const Recording& recording) {
  for (int row = 0; row < kTraceRows; ++row) Clear1D(ydata[row], kMaxPoints);
  Clear1D(timevals, kMaxPoints);
  const int n = static_cast<int>(recording.times.size());
  std::copy_n(recording.times.begin(), n, timevals);
  for (int k = 0; k < recording.pairsStored; ++k) {
    std::copy_n(recording.currents[k].begin(), n, ydata[k]);
    std::copy_n(recording.voltages[k].begin(), n, ydata[k] + kVoltageOffset);
  }
  NumPoints = n;
  NumTraces = recording.traces;
  TakeOverRanges(recording, n);
  status.dataLoaded = 1;
  std::snprintf(status.dataFile, sizeof status.dataFile, "%s", recording.name.c_str());
}

namespace {

// Set while a recording is being added to the session rather than replacing it.
bool addingRecording = false;

void TakeOverRecording(const Recording& recording) {
  // The model is the session's: an added recording is fitted with the same free flags and bounds.
  const FitterChoice fitter = loadedRecording.fitter;
  if (addingRecording) ParkShownRecording();  // before the arrays it is read back from change
  ShowRecordingView(recording);
  const std::vector<double> traceV = AllTraceVoltagesOf(recording);
  std::copy_n(traceV.begin(), kMaxTraces, status.traceV);
  status.windowStart = 0;
  status.windowEnd = recording.Samples();
  loadedRecording = recording;
  if (addingRecording) {
    loadedRecording.fitter = fitter;
    loadedRecording.id = NewRecordingId();
    sessionRecordings.order.push_back(loadedRecording.id);
  } else {
    StartRecordings(&loadedRecording);
    NoteRecordingReplaced();
  }
  loadedRecording.commands.clear();
  for (int k = 0; k < recording.traces; ++k)
    loadedRecording.commands.push_back(
        {traceV[k], recording.holdingLevel, CommandLevelsOf(recording, k)});
  loadedRecording.window = {status.windowStart, status.windowEnd};
}

std::string Millivolts(double value) {
  return SignificantText(value) + " mV";
}

// The recording was made holding at this level, so the currents being fitted start from it: their
// Vhold is set, and the user is told which changed (a parameter file read later sets its own).
std::string TakeOverHoldingLevel(double holding) {
  std::string changed;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!status.fitCurrent[i] || params[i].Vhold == holding) continue;
    changed += (changed.empty() ? "" : ", ") + std::string(params[i].name) + " (was " +
               Millivolts(params[i].Vhold) + ")";
    params[i].Vhold = holding;
  }
  if (changed.empty()) return "";
  SetPanelParams(SelectedIndex());
  ShowFreeToggles();
  return "The recording holds at " + Millivolts(holding) +
         " before the step, so Vhold of the currents in the fit was set to it: " + changed + ".";
}

}  // namespace

void ShowRecordingControls() {
  ShowTraceVoltages();
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  SetCtrlVal(panelHandle, PANEL_YMIN, status.yMin);
  SetCtrlVal(panelHandle, PANEL_YMAX, status.yMax);
  for (int control : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE}) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, 0);
  }
  SetCtrlVal(panelHandle, PANEL_DATAFILE, status.dataFile);
  SetCtrlAttribute(panelHandle, PANEL_DATACTRL, ATTR_DIMMED, 0);
  SetCtrlAttribute(panelHandle, PANEL_DOFIT, ATTR_DIMMED, 0);
  ShowPolishCommands();
}

namespace {

// ---- parameter files ----

void TellParamFile(const std::string& message) {
  MessagePopup(kParamFileTitle, message.c_str());
}

void TellParamFileNotRead(const std::string& path, const std::string& why) {
  TellParamFile("The parameter file\n" + path + "\nwas not read: " + why +
                ".\nNothing was changed.");
}

void TakeOverParamFile(const ParamFileContents& contents, const std::string& path) {
  for (int i = 0; i < kMaxCurrents; ++i) params[i] = contents.currents[i];
  dclamp = contents.dclamp;
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = contents.fitCurrent[i];
  for (int j = 0; j < kMaxTraces; ++j) status.loadedV[j] = contents.loadedV[j];
  status.selCurrent = 1;
  std::memcpy(status.paramFile, path.c_str(), path.size() + 1);  // length checked by the caller
  status.paramFileLoaded = 1;
}

void RefreshParamFilePanels() {
  SetPanelParams(SelectedIndex());
  ShowFreeToggles();
  ShowCurrentNames();  // the file's names in the name boxes too
  SetFitCurrents();    // also switches current 1 on when the file enables none
  UpdateFitMessage();
  SetDclampParams(0);
  SetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, 1);  // the panel now shows current 1's settings
}

}  // namespace

// ---- data files ----

int ReadDataFile() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), "*.*", "*.bu*;*.asc;*.txt",
                                     "Open Data File", VAL_LOAD_BUTTON, 0, 0, 1, 0, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  if (const std::string why = WhyNotFromDialog(path); !why.empty()) {
    TellDataFileNotRead(path, why);
    return 0;
  }
  if (LoadDataFile(path) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}

int LoadDataFile(const std::string& path, const ImportOptions* importOptions) {
  // Said before the file is read, since a name that cannot be kept refuses it anyway.
  if (const std::string problem = DataFileNameProblem(path); !problem.empty()) {
    MessagePopup("Error", problem.c_str());
    return 0;
  }
  // Only a regular file is looked at first: a pipe read for its mark could not be read again.
  if (KindOfFile(path) == FileKind::Regular && IsAmplifierPath(path))
    return LoadAmplifierFile(path, importOptions);
  const DataFileRead read = ReadDataFileAt(path, status.headerLines);
  if (!read.error.empty()) {
    MessagePopup("Error", read.error.c_str());
    return 0;
  }
  if (!CommitRecording(read.recording)) return 0;
  ForgetDataFileImportChoices();
  return 1;
}

bool CommitRecording(const Recording& recording) {
  if (const std::string problem = DataFileNameProblem(recording.name); !problem.empty()) {
    MessagePopup("Error", problem.c_str());
    return false;
  }
  if (!IsWhole(recording)) {
    MessagePopup("Error", "The recording was not taken over: its samples are incomplete.");
    return false;
  }
  if (addingRecording &&
      SessionSamples() + int64_t{recording.traces} * recording.Samples() > kMaxSessionSamples) {
    MessagePopup("Error", ("The recording was not added: the session's recordings would hold more "
                           "than " +
                           std::to_string(kMaxSessionSamples) +
                           " samples together, more than are fitted at once.")
                              .c_str());
    return false;
  }
  // The regions and bounds belong to the recording being replaced; one added keeps them.
  const bool fitterStateDropped = !addingRecording && HasFitterState(loadedRecording);
  TakeOverRecording(recording);
  NoteDataWindowDefault();
  DataNotices notices{recording.notices, ""};
  // Regions and bounds chosen for the previous recording mean nothing for this one (they once
  // flipped a slope's sign and sent a Gmax to 0 on the next file opened). A session being opened
  // sets its own right after, so it is not told.
  if (fitterStateDropped) {
    ShowFreeToggles();
    if (!heldNotices)
      notices.file.push_back(
          "The excluded regions, the noise region and the polish's free parameters and bounds "
          "belonged to the previous recording: they are back to their defaults.");
  }
  ShowRecordingControls();
  ShowCommandMode();
  SetPanelParams(SelectedIndex());  // Vhold as the commands have it
  // An added recording joins a model already shaped: its holding level does not reshape it.
  if (recording.holdingLevel && !addingRecording)
    notices.vhold = TakeOverHoldingLevel(*recording.holdingLevel);
  if (heldNotices && addingRecording) {
    // A session opening several recordings tells each one's notices, named, in one message.
    const std::string file = std::filesystem::path(recording.name).filename().string();
    for (const std::string& notice : notices.file)
      heldNotices->file.push_back(file + ": " + notice);
  } else if (heldNotices) {
    *heldNotices = notices;
  } else {
    TellDataNotices(notices);
  }
  ClearGraph(PANEL_GRAPH, VAL_ALL_PLOTS);
  ShowData();
  return true;
}

AddingRecording::AddingRecording() {
  addingRecording = true;
}

AddingRecording::~AddingRecording() {
  addingRecording = false;
}

HeldDataNotices::HeldDataNotices() {
  heldNotices.emplace();
}

HeldDataNotices::~HeldDataNotices() {
  heldNotices.reset();
}

void HeldDataNotices::Show(bool vholdSetSince) {
  DataNotices notices = *heldNotices;
  if (vholdSetSince) notices.vhold.clear();
  TellDataNotices(notices);
  *heldNotices = DataNotices{};
}

// ---- parameter files ----

int Read_Last_Values() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kParamFileSpec, kParamFileTypes,
                                     "Open Parameter File", VAL_SELECT_BUTTON, 0, 0, 1, 1, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  if (const std::string why = WhyNotFromDialog(path); !why.empty()) {
    TellParamFileNotRead(path, why);
    return 0;
  }
  return LoadParamFile(path);
}

int LoadParamFile(const std::string& path, ParamFileContents* asRead) {
  if (path.find('\0') != std::string::npos) {
    TellParamFile("The parameter file was not read: its path holds a zero byte.");
    return 0;
  }
  if (path.size() > static_cast<size_t>(kParamFileSize - 1)) {
    TellParamFile("The parameter file was not read: its path is longer than " +
                  std::to_string(kParamFileSize - 1) + " characters, more than Pavik can keep.\n" +
                  path);
    return 0;
  }
  ParamFileContents scratch = WorkspaceParamFileContents();
  if (const std::string why = ReadParamFileAt(path, &scratch); !why.empty()) {
    TellParamFileNotRead(path, why);
    return 0;
  }
  if (asRead != nullptr) *asRead = scratch;
  TakeOverParamFile(scratch, path);
  RefreshParamFilePanels();
  RememberParamFile(path);
  return 1;
}

int Save_Current_Values() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kParamFileSpec, kParamFileTypes,
                                     "Save Parameter File", VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;  // cancelled, or the dialog failed: write nothing anywhere
  return SaveParamFile(WithDefaultExtension(path, kParamFileExtension));
}
