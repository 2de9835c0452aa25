// The run-time without a toolkit, for the unit tests, the fuzzers and the tools: there are no
// panels, controls, graphs or event loop, so every operation on them does nothing and answers
// kErrNotStarted. A message goes to standard error, a file dialog answers "cancelled" and there
// is no clipboard; the test seams answer and record through the same hooks as on the toolkit.
#include "platform/import_dialog.h"
#include "platform/platform.h"
#include "platform/unattended.h"

namespace {
constexpr int kErrNotStarted = -1;   // nothing can start without a toolkit
constexpr int kErrNoClipboard = -9;  // there is no system clipboard
}  // namespace

// ---- callbacks: nothing can deliver an event, so nothing is kept ----

void RegisterCtrlCallback(const char*, CtrlCallbackPtr) {}
void RegisterPanelCallback(const char*, PanelCallbackPtr) {}
void RegisterMenuCallback(const char*, MenuCallbackPtr) {}

// ---- panels and the event loop ----

int InitRunTime(int, char*[]) {
  return kErrNotStarted;
}
int LoadPanel(int, const char*, int) {
  return kErrNotStarted;
}
int DisplayPanel(int) {
  return kErrNotStarted;
}
int HidePanel(int) {
  return kErrNotStarted;
}
int DiscardPanel(int) {
  return kErrNotStarted;
}
int RunUserInterface() {
  return kErrNotStarted;
}
int QuitUserInterface(int) {
  return kErrNotStarted;
}
int SetSleepPolicy(int) {
  return kErrNotStarted;
}
int SetPanelAttribute(int, int, const char*) {
  return kErrNotStarted;
}
int GetPanelMenuBar(int) {
  return kErrNotStarted;
}
int SetMenuBarAttribute(int, int, int, int) {
  return kErrNotStarted;
}
int GetMenuBarAttribute(int, int, int, int*) {
  return kErrNotStarted;
}
int SetMenuBarAttribute(int, int, int, const char*) {
  return kErrNotStarted;
}
int GetMenuBarAttribute(int, int, int, std::string*) {
  return kErrNotStarted;
}
int RenderPanelImage(int, int, int, std::string*) {
  return kErrNotStarted;
}
int RenderGraphFigure(int, const std::vector<int>&, int, double, std::string*) {
  return kErrNotStarted;
}
int RenderPaperFigure(int, const PaperFigure&, int, std::string*) {
  return kErrNotStarted;
}

// ---- controls ----

int SetCtrlVal(int, int, int) {
  return kErrNotStarted;
}
int SetCtrlVal(int, int, double) {
  return kErrNotStarted;
}
int SetCtrlVal(int, int, const char*) {
  return kErrNotStarted;
}
int GetCtrlVal(int, int, int*) {
  return kErrNotStarted;
}
int GetCtrlVal(int, int, double*) {
  return kErrNotStarted;
}
int GetCtrlVal(int, int, std::string*) {
  return kErrNotStarted;
}
int SetCtrlAttribute(int, int, int, int) {
  return kErrNotStarted;
}
int SetCtrlAttribute(int, int, int, const char*) {
  return kErrNotStarted;
}
int GetCtrlAttribute(int, int, int, int*) {
  return kErrNotStarted;
}
int GetCtrlAttribute(int, int, int, std::string*) {
  return kErrNotStarted;
}
int SetActiveCtrl(int, int) {
  return kErrNotStarted;
}
int SetAdaptiveStep(int, int, double, int) {
  return kErrNotStarted;
}
int CommitCtrlVal(int, int, double) {
  return kErrNotStarted;
}
int ResetTextBox(int, int, const char*) {
  return kErrNotStarted;
}

// ---- graphs ----

int PlotXY(int, int, const double*, const double*, int, int, int, int, int, int, int, int) {
  return kErrNotStarted;
}
int DeleteGraphPlot(int, int, int, int) {
  return kErrNotStarted;
}
int SetPlotAttribute(int, int, int, int, int) {
  return kErrNotStarted;
}
int SetAxisRange(int, int, int, double, double, int, double, double) {
  return kErrNotStarted;
}
int SetGraphCursor(int, int, int, double, double) {
  return kErrNotStarted;
}
int GetGraphCursor(int, int, int, double*, double*) {
  return kErrNotStarted;
}
int SetGraphHandleCallback(int, int, GraphHandleCallbackPtr) {
  return kErrNotStarted;
}
int SetGraphHandle(int, int, int, double, double, int, const char*) {
  return kErrNotStarted;
}

int EnableGraphRegions(int, int, RegionCallbackPtr) {
  return kErrNotStarted;
}
int SetGraphRegions(int, int, const std::vector<GraphRegion>&) {
  return kErrNotStarted;
}
int GetGraphRegions(int, int, std::vector<GraphRegion>*) {
  return kErrNotStarted;
}
int SetGraphNoiseSuggestion(int, int, double, double, const char*) {
  return kErrNotStarted;
}

// ---- work off the user-interface thread: without an event loop nothing could take the
// results back, so no work starts ----

int RunInBackground(std::function<void()>) {
  return kErrNotStarted;
}
void JoinBackgroundWork() {}
int PostToUserInterface(std::function<void()>) {
  return kErrNotStarted;
}

// ---- popups and the clipboard ----

int FileSelectPopup(const char*, const char*, const char*, const char*, int, int, int, int, int,
                    std::string* path) {
  int answer = VAL_NO_FILE_SELECTED;
  FileSelectAnsweredBySeam(&answer, path);
  return answer;
}

int DirSelectPopup(const char*, const char*, int, int, std::string* path) {
  int answer = VAL_NO_FILE_SELECTED;
  FileSelectAnsweredBySeam(&answer, path);
  return answer == VAL_NO_FILE_SELECTED ? 0 : 1;
}

int PromptPopup(const char*, const char*, std::string* response) {
  bool answered = false;
  std::string text;
  if (!Seams().prompt || !Seams().prompt(&answered, &text) || !answered) return 0;
  if (response) *response = text;
  return 1;
}

int PromptPairPopup(const char*, const char*, const char*, const char*, std::string* first,
                    std::string* second) {
  std::string entered[2];
  for (std::string& text : entered) {
    bool answered = false;
    if (!Seams().prompt || !Seams().prompt(&answered, &text) || !answered) return 0;
  }
  if (first) *first = entered[0];
  if (second) *second = entered[1];
  return 1;
}

int SetCtrlTabs(int, int, const std::vector<std::string>&, int) {
  return kErrNotStarted;
}

int SetCtrlContextMenu(int, int, const std::vector<std::string>&, CtrlMenuCallbackPtr) {
  return 0;
}

int MessagePopup(const char* title, const char* message) {
  if (!MessageTakenBySeam(title, message)) TellOnStandardError(message);
  return 0;
}

int QuestionPopup(const char* title, const char* message, const std::vector<std::string>& answers,
                  int) {
  int answer = -1;
  if (Seams().question && Seams().question(title, message, &answer))
    return answer >= 0 && answer < static_cast<int>(answers.size()) ? answer : -1;
  return -1;  // no one to ask: closed
}

int ClipboardPutText(const char* text) {
  ShowClipboardTextToSeam(text);
  return kErrNoClipboard;
}

std::optional<ImportChoices> ShowImportDialog(const ImportDialogInput&) {
  return std::nullopt;  // no one to ask: cancelled
}
