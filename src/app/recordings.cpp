// The session's recordings in the window. The shown one is the loaded recording behind the trace
// arrays; bringing up another parks it with its view and fills the arrays from the other.
#include "app/recordings.h"

#include <algorithm>
#include <utility>

#include "app/after_change.h"
#include "app/history.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "display/display.h"
#include "display/goodness_display.h"
#include "io/dialog_folder.h"
#include "io/file_kind.h"
#include "model/model.h"
#include "model/session_recordings.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr const char* kTitle = "Recordings";
enum TabMenuItem { kRename, kRemove, kInPolish };

void Tell(const std::string& message) {
  MessagePopup(kTitle, message.c_str());
}

// The step voltages the fields show: the shown recording's commands, as it left them.
void TakeTraceVoltages(const Recording& recording) {
  const std::vector<double> read = AllTraceVoltagesOf(recording);
  for (int k = 0; k < kMaxTraces; ++k) {
    const bool kept = static_cast<size_t>(k) < recording.commands.size();
    status.traceV[k] = kept ? recording.commands[k].step : read[static_cast<size_t>(k)];
  }
}

void TakeView(const RecordingView& view) {
  status.xMin = view.xMin;
  status.xMax = view.xMax;
  status.yMin = view.yMin;
  status.yMax = view.yMax;
  status.windowStart = view.windowStart;
  status.windowEnd = view.windowEnd;
}

// Brings the recording with id up in the window, without an undo step (an undo calls it too).
void ShowRecordingWithId(uint64_t id) {
  const auto found = sessionRecordings.waiting.find(id);
  if (found == sessionRecordings.waiting.end() || id == loadedRecording.id) return;
  Recording next = std::move(found->second);
  sessionRecordings.waiting.erase(found);
  const FitterChoice fitter = loadedRecording.fitter;  // the model's, not the recording's
  ParkShownRecording();
  ShowRecordingView(next);
  TakeTraceVoltages(next);
  int cursor = -1;
  if (next.view) {
    TakeView(*next.view);
    cursor = next.view->cursorIndex;
  }
  next.view.reset();
  next.fitter = fitter;
  loadedRecording = std::move(next);
  ShowRecordingControls();
  ShowCommandMode();
  ShowData();  // with the window, its regions, the command strip and the goodness line
  ChangeDataColors();
  ShowAxisRanges();  // the window as the data allow it
  if (cursor >= 0 && cursor < NumPoints) PlaceDataCursor(timevals[cursor]);
  SetPanelParams(SelectedIndex());  // Vhold as the commands have it
  EvaluateAndShow();
  ShowRecordingSelector();
}

// A title no other recording shows, so that two recordings of one file are told apart.
std::string UnusedTitle(const std::string& wanted, uint64_t self) {
  auto taken = [&](const std::string& title) {
    for (int i = 0; i < RecordingCount(); ++i) {
      const Recording& other = RecordingAt(i);
      if (other.id != self && RecordingTitle(other) == title) return true;
    }
    return false;
  };
  std::string title = wanted;
  for (int n = 2; taken(title); ++n) title = wanted + " (" + std::to_string(n) + ")";
  return title;
}

void TabMenuChosen(int, int, int item) {
  switch (item) {
    case kRename:
      RenameShownRecording();
      break;
    case kRemove:
      RemoveShownRecording();
      break;
    case kInPolish:
      ToggleShownInPolish();
      break;
    default:
      break;
  }
}

// The tab shows the shape of the recording's points on the steady-state graph: the legend.
std::string TabLabel(const Recording& recording, int index) {
  static const char* const kShapes[] = {"\u25CB", "\u25A1", "\u25B3", "\u25C7", "\u00D7"};
  const int marker = RecordingMarker(index) - VAL_EMPTY_CIRCLE;
  return std::string(kShapes[marker]) + " " + RecordingTitle(recording) +
         (recording.inPolish ? "" : " (left out)");
}

}  // namespace

void InitRecordings() {
  SetRecordingShower(ShowRecordingWithId);
  ShowRecordingSelector();
}

int AddRecording() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), "*.*", "*.bu*;*.asc;*.txt;*.abf;*.atf",
                                     "Add Recording", VAL_LOAD_BUTTON, 0, 0, 1, 0, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  if (const std::string why = WhyNotFromDialog(path); !why.empty()) {
    Tell("The data file\n" + path + "\nwas not added: " + why + ".");
    return 0;
  }
  if (AddRecordingFrom(path) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}

int AddRecordingFrom(const std::string& path, const ImportOptions* importOptions) {
  if (!status.dataLoaded) return LoadDataFile(path, importOptions);  // the first one is opened
  if (AddRecordingQuietly(path, importOptions) != 1) return 0;
  EvaluateAndShow();
  AfterChange({Changed::kFitSettings, "Add Recording " + RecordingTitle(loadedRecording)});
  return 1;
}

int AddRecordingQuietly(const std::string& path, const ImportOptions* importOptions) {
  if (RecordingCount() >= kMaxRecordings) {
    Tell("The session holds " + std::to_string(kMaxRecordings) +
         " recordings, as many as are fitted together; remove one to add another.");
    return 0;
  }
  {
    AddingRecording adding;
    if (LoadDataFile(path, importOptions) != 1) return 0;
  }
  // A second recording of one file is told apart by its title; a unique one follows the file.
  const std::string fileTitle = RecordingTitle(loadedRecording);
  if (const std::string title = UnusedTitle(fileTitle, loadedRecording.id); title != fileTitle)
    loadedRecording.title = title;
  ShowRecordingSelector();
  return 1;
}

void RemoveShownRecording() {
  if (RecordingCount() < 2) {
    Tell("The only recording cannot be removed; Open Data File replaces it.");
    return;
  }
  const int index = ShownRecordingIndex();
  const uint64_t id = loadedRecording.id;
  const std::string title = RecordingTitle(loadedRecording);
  ShowRecordingAt(index > 0 ? index - 1 : 1);
  auto& order = sessionRecordings.order;
  order.erase(std::remove(order.begin(), order.end(), id), order.end());
  ShowRecordingSelector();
  ShowGoodness();
  AfterChange({Changed::kFitSettings, "Remove Recording " + title});
}

void RenameShownRecording() {
  if (!status.dataLoaded) return;
  std::string typed = RecordingTitle(loadedRecording);
  if (PromptPopup("Rename Recording",
                  "The recording's name in the tabs and the polish's summary:", &typed) != 1)
    return;
  const auto first = typed.find_first_not_of(" \t");
  typed = first == std::string::npos
              ? ""
              : typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
  if (typed.find_first_of("\r\n") != std::string::npos) {
    Tell("A recording's name is one line; it was not renamed.");
    return;
  }
  const std::string before = RecordingTitle(loadedRecording);
  loadedRecording.title = typed.empty() ? "" : UnusedTitle(typed, loadedRecording.id);
  if (RecordingTitle(loadedRecording) == before) return;
  ShowRecordingSelector();
  AfterChange({Changed::kFitSettings, "Rename Recording " + before});
}

void ToggleShownInPolish() {
  if (!status.dataLoaded) return;
  loadedRecording.inPolish = !loadedRecording.inPolish;
  ShowRecordingSelector();
  AfterChange({Changed::kFitSettings, (loadedRecording.inPolish ? "Fit " : "Leave Out ") +
                                          RecordingTitle(loadedRecording)});
}

void ShowRecordingAt(int index) {
  if (index < 0 || index >= RecordingCount()) return;
  ShowRecordingWithId(sessionRecordings.order[static_cast<size_t>(index)]);
}

void StepRecording(int step) {
  const int count = RecordingCount();
  if (count < 2) return;
  ShowRecordingAt((ShownRecordingIndex() + step + count) % count);
}

void ParkShownRecording() {
  ViewedRecording();  // the trace voltages and the window as the fields left them
  Recording& shown = loadedRecording;
  shown.view = RecordingView{status.xMin,
                             status.xMax,
                             status.yMin,
                             status.yMax,
                             status.windowStart,
                             status.windowEnd,
                             DataCursorMarks() ? status.cursorIndex : -1};
  const uint64_t id = shown.id;
  sessionRecordings.waiting[id] = std::move(shown);
  loadedRecording = Recording{};  // id 0 until another is shown: it matches no recording
}

void ShowRecordingSelector() {
  const int count = RecordingCount();
  std::vector<std::string> labels;
  for (int i = 0; i < count; ++i) labels.push_back(TabLabel(RecordingAt(i), i));
  SetCtrlTabs(panelHandle, PANEL_RECORDINGS, labels, ShownRecordingIndex());
  SetCtrlAttribute(panelHandle, PANEL_RECORDINGS, ATTR_VISIBLE, count > 1 ? 1 : 0);
  const bool inPolish = count == 0 || loadedRecording.inPolish;
  SetCtrlContextMenu(
      panelHandle, PANEL_RECORDINGS,
      {"Rename...", "Remove", inPolish ? "Leave Out of the Polish" : "Fit in the Polish"},
      TabMenuChosen);
  const int menuBar = GetPanelMenuBar(panelHandle);
  SetMenuBarAttribute(
      menuBar, MENU_RECORDINGINPOLISH, ATTR_ITEM_NAME,
      inPolish ? "&Leave Recording Out of the Polish" : "&Fit Recording in the Polish");
  for (int item : {MENU_RENAMERECORDING, MENU_RECORDINGINPOLISH})
    SetMenuBarAttribute(menuBar, item, ATTR_DIMMED, count > 0 ? 0 : 1);
  for (int item : {MENU_REMOVERECORDING, MENU_PREVRECORDING, MENU_NEXTRECORDING})
    SetMenuBarAttribute(menuBar, item, ATTR_DIMMED, count > 1 ? 0 : 1);
}

int recordingTabsCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  int index = 0;
  if (GetCtrlVal(panel, control, &index) == 0) ShowRecordingAt(index);
  return 0;
}
