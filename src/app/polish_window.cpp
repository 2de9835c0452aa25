// The least-squares polish in the window. The polish runs on a thread of its own over a copy of
// the workspace; everything here that reads or writes the workspace or a control runs on the
// user-interface thread, and the polish's thread hands its progress and its result back through
// PostToUserInterface.
#include "app/polish_window.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "app/bounds_editor.h"
#include "app/history.h"
#include "app/pavik.h"
#include "display/change.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "fit/fit_summary.h"
#include "fit/undo.h"
#include "fit/workspace_fit.h"
#include "model/model.h"
#include "model/param_table.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/number_text.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
// Progress is drawn at most this often: about 20 times a second.
constexpr auto kProgressInterval = std::chrono::milliseconds(50);
constexpr int kAppliedDigits = 6;  // significant digits of a polished value as applied

// What the polish's thread shares with the user-interface thread.
struct PolishRun {
  std::atomic<bool> cancel{false};
  WorkspaceSnapshot before;  // the workspace the copy was taken from
  // Guarded by mutex: the latest progress and whether a redraw of it is queued.
  std::mutex mutex;
  std::array<CurrentParams, kMaxCurrents> currents{};
  double baseline = 0.0;
  int iteration = 0;
  double rms = 0.0;
  bool redrawQueued = false;
  Clock::time_point lastQueued{};
};

// The user-interface thread's own state.
std::shared_ptr<PolishRun> activeRun;  // the polish running, if any
std::optional<PolishResult> lastResult;
WorkspaceSnapshot afterLastResult{};  // the workspace as the last polish left it

int MenuBar() {
  return GetPanelMenuBar(panelHandle);
}

void SetMessage(const std::string& text) {
  SetCtrlVal(panelHandle, PANEL_POLISHMSG, text.c_str());
}

std::string Nanoamps(double value) {
  return SignificantText(value, 4) + " nA";
}

// Two significant figures, without an exponent where a person reads the number at a glance.
std::string ErrorFigure(double error) {
  char text[32];
  const double size = std::fabs(error);
  if (size >= 1e-3 && size < 1e5) {
    const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(size))));
    std::snprintf(text, sizeof text, "%.*f", decimals, error);
  } else {
    std::snprintf(text, sizeof text, "%.1e", error);
  }
  return text;
}

int FreeToggleOf(ParamField field) {
  return PANEL_FREE_VM + static_cast<int>(field);
}

// Draws the fit with the polish's latest parameters and puts the workspace straight back: the
// workspace is never left holding a half-polished state.
void DrawProgress(const std::shared_ptr<PolishRun>& run) {
  std::array<CurrentParams, kMaxCurrents> progressCurrents;
  double progressBaseline = 0.0;
  int iteration = 0;
  double rms = 0.0;
  {
    std::lock_guard lock(run->mutex);
    run->redrawQueued = false;
    progressCurrents = run->currents;
    progressBaseline = run->baseline;
    iteration = run->iteration;
    rms = run->rms;
  }
  if (run != activeRun || run->cancel) return;
  std::array<CurrentParams, kMaxCurrents> kept;
  std::copy(params, params + kMaxCurrents, kept.begin());
  const double keptBaseline = status.baseline;
  std::copy(progressCurrents.begin(), progressCurrents.end(), params);
  status.baseline = progressBaseline;
  EvaluateAndShow();
  std::copy(kept.begin(), kept.end(), params);
  status.baseline = keptBaseline;
  SetMessage("Polishing: iteration " + std::to_string(iteration) + ", RMS " + Nanoamps(rms) +
             ". Esc cancels.");
}

// Called on the polish's thread after every iteration.
void QueueProgress(const std::shared_ptr<PolishRun>& run, const PolishProgress& progress) {
  std::lock_guard lock(run->mutex);
  run->currents = progress.currents;
  run->baseline = progress.baseline;
  run->iteration = progress.iteration;
  run->rms = progress.rms;
  const Clock::time_point now = Clock::now();
  if (run->redrawQueued || now - run->lastQueued < kProgressInterval) return;
  run->redrawQueued = true;
  run->lastQueued = now;
  PostToUserInterface([run] { DrawProgress(run); });
}

std::string OutcomeMessage(const PolishResult& result) {
  switch (result.outcome) {
    case PolishOutcome::Converged:
    case PolishOutcome::IterationLimit: {
      std::string text = "Polished (" + result.reason + ") in " +
                         std::to_string(result.iterations) + " iterations";
      if (result.rmsBefore && result.rmsAfter)
        text += ": RMS " + Nanoamps(*result.rmsBefore) + " to " + Nanoamps(*result.rmsAfter);
      text += ". Undo takes it back.";
      if (result.Good()) {
        text += " A good fit.";
      } else {
        text += " Doubtful:";
        for (const std::string& warning : result.warnings) text += " " + warning + ";";
        if (result.warnings.empty()) text += " it did not converge;";
        text.back() = '.';
      }
      if (!result.correlated.empty()) {
        text += " Strongly correlated:";
        for (const CorrelatedPair& pair : result.correlated)
          text += " " + ParamName(pair.first) + " and " + ParamName(pair.second) + ";";
        text.back() = '.';
      }
      for (const std::string& notice : result.notices) text += " " + notice + ".";
      return text;
    }
    case PolishOutcome::Cancelled:
      return "Polish cancelled; the parameters are as they were.";
    case PolishOutcome::Failed:
    case PolishOutcome::Refused:
      break;
  }
  return "The polish did not run to an end (" + result.reason +
         "); the parameters are as they were.";
}

// The polished values as the fields show them: a field holds what is stored, and digits past
// the sixth are far below any standard error.
PolishResult RoundedToShownDigits(PolishResult result) {
  // Read back with from_chars: the text has a point whatever the desktop's locale.
  const auto rounded = [](double value) {
    const std::string text = SignificantText(value, kAppliedDigits);
    double back = value;
    std::from_chars(text.data(), text.data() + text.size(), back);
    return back;
  };
  for (ParamEstimate& e : result.estimates) {
    e.result = rounded(e.result);
    if (e.param.IsBaseline()) {
      result.baseline = e.result;
    } else {
      result.currents[e.param.current].*Descriptor(e.param.field).real = e.result;
    }
  }
  return result;
}

void FinishPolish(const std::shared_ptr<PolishRun>& run, const PolishResult& result) {
  if (run != activeRun) return;  // a polish already stopped at quitting
  activeRun.reset();
  JoinBackgroundWork();
  const bool untouched = SameParameters(CaptureWorkspace(), run->before);
  if (result.Applicable() && untouched) {
    const PolishResult shown = RoundedToShownDigits(result);
    std::copy(shown.currents.begin(), shown.currents.end(), params);
    status.baseline = shown.baseline;
    EvaluateAndShow();
    NoteChange("Polish");  // one step: Undo takes the whole polish back
    lastResult = shown;
    afterLastResult = CaptureWorkspace();
    SetPanelParams(SelectedIndex());
    SetCtrlVal(panelHandle, PANEL_BASELINE, status.baseline);
    SetMessage(OutcomeMessage(result));
  } else {
    EvaluateAndShow();  // the fit of the parameters as they are, over the polish's last drawing
    SetMessage(result.Applicable()
                   ? "The parameters were changed during the polish, so its result was not "
                     "applied."
                   : OutcomeMessage(result));
  }
  ShowPolishCommands();
  ShowFreeToggles();
}

}  // namespace

// ---- commands ----

bool StartPolish() {
  if (activeRun) return false;
  if (!status.dataLoaded || NumTraces < 1) {
    MessagePopup("Polish", "Open a data file first: the polish fits the currents to its traces.");
    return false;
  }
  PolishInput input = SessionPolishInput();
  if (input.measured.empty()) {
    MessagePopup("Polish",
                 "Every recording is left out of the polish: take one back into it "
                 "(File menu).");
    return false;
  }
  input.choice = WindowChoice();
  auto run = std::make_shared<PolishRun>();
  run->before = CaptureWorkspace();
  activeRun = run;
  ShowPolishCommands();
  SetMessage("Polishing... Esc cancels.");
  const int started = RunInBackground([run, input = std::move(input)] {
    PolishResult result = Polish(
        input, [&run](const PolishProgress& progress) { QueueProgress(run, progress); },
        &run->cancel);
    PostToUserInterface([run, result = std::move(result)] { FinishPolish(run, result); });
  });
  if (started < 0) {
    activeRun.reset();
    ShowPolishCommands();
    SetMessage("The polish could not be started.");
    return false;
  }
  return true;
}

void CancelPolish() {
  if (!activeRun) return;
  activeRun->cancel = true;
  SetMessage("Cancelling the polish...");
}

bool PolishRunning() {
  return activeRun != nullptr;
}

void StopPolishForQuit() {
  if (activeRun) activeRun->cancel = true;
  JoinBackgroundWork();
  activeRun.reset();
}

void ShowPolishCommands() {
  const bool running = activeRun != nullptr;
  const bool canStart = !running && status.dataLoaded;
  SetCtrlAttribute(panelHandle, PANEL_POLISH, ATTR_DIMMED, canStart ? 0 : 1);
  SetCtrlAttribute(panelHandle, PANEL_CANCELPOLISH, ATTR_DIMMED, running ? 0 : 1);
  SetMenuBarAttribute(MenuBar(), MENU_POLISH, ATTR_DIMMED, canStart ? 0 : 1);
  SetMenuBarAttribute(MenuBar(), MENU_CANCELPOLISH, ATTR_DIMMED, running ? 0 : 1);
  // A new data file would change what the running polish is fitting.
  SetMenuBarAttribute(MenuBar(), MENU_OPENDATA, ATTR_DIMMED, running ? 1 : 0);
  SetMenuBarAttribute(MenuBar(), MENU_FITSUMMARY, ATTR_DIMMED, CurrentPolishResult() ? 0 : 1);
}

// ---- free toggles and standard errors ----

// The free flags are the user's. Bounds follow the parameters as they are now (a slope's bound
// keeps its present sign), except those the user set in the bounds editor or a session set to
// something other than the defaults.
ParamChoice WindowChoice() {
  std::array<CurrentParams, kMaxCurrents> currents;
  std::copy(params, params + kMaxCurrents, currents.begin());
  ParamChoice choice = DefaultChoice(currents);
  if (!loadedRecording.fitter.choice) return choice;
  const ParamChoice& user = *loadedRecording.fitter.choice;
  for (int i = 0; i < kMaxCurrents; ++i) {
    choice.currents[i].free = user.currents[i].free;
    for (int f = 0; f < kRealFieldCount; ++f) {
      if (loadedRecording.fitter.userBounds[i][f])
        choice.currents[i].bounds[f] = user.currents[i].bounds[f];
    }
  }
  choice.baselineFree = user.baselineFree;
  if (loadedRecording.fitter.baselineUserBounds) choice.baselineBounds = user.baselineBounds;
  return choice;
}

std::optional<PolishResult> CurrentPolishResult() {
  // Its errors hold for the parameters it left, whatever is freed or bounded since.
  if (!lastResult || !SameParameters(CaptureWorkspace(), afterLastResult)) return std::nullopt;
  return lastResult;
}

void ShowFreeToggles() {
  const int index = SelectedIndex();
  const ParamChoice choice = WindowChoice();
  const std::optional<PolishResult> result = CurrentPolishResult();
  if (lastResult && !result && !activeRun) {
    // The message described parameters that are no longer the ones shown.
    lastResult.reset();
    SetMessage("");
  }
  const auto errorText = [&](const ParamRef& param) -> std::string {
    if (!result) return "";
    for (const ParamEstimate& estimate : result->estimates) {
      if (!(estimate.param == param)) continue;
      std::string mark = !estimate.standardError ? "not determined"
                                                 : "\u00b1" + ErrorFigure(*estimate.standardError);
      if (estimate.determination == Determination::Poorly) mark += " poorly";
      if (estimate.atBound) mark += " bound";  // short: the label beside the box is narrow
      return mark;
    }
    return "";
  };
  for (int j = 0; index >= 0 && j < kRealFieldCount; ++j) {  // -1: no current selected
    const ParamField field = kParamTable[j].field;
    const int toggle = FreeToggleOf(field);
    SetCtrlVal(panelHandle, toggle, choice.currents[index].free[j] ? 1 : 0);
    SetCtrlAttribute(panelHandle, toggle, ATTR_DIMMED, OfSilentGate(params[index], field) ? 1 : 0);
    SetCtrlAttribute(panelHandle, toggle, ATTR_LABEL_TEXT, errorText({index, field}).c_str());
    SetCtrlAttribute(panelHandle, toggle, ATTR_TOOLTIP_TEXT,
                     FreeToggleTip(choice, {index, field}).c_str());
  }
  SetCtrlVal(panelHandle, PANEL_FREE_BASELINE, choice.baselineFree ? 1 : 0);
  SetCtrlAttribute(panelHandle, PANEL_FREE_BASELINE, ATTR_LABEL_TEXT, errorText({}).c_str());
  SetCtrlAttribute(panelHandle, PANEL_FREE_BASELINE, ATTR_TOOLTIP_TEXT,
                   FreeToggleTip(choice, {}).c_str());
  SetMenuBarAttribute(MenuBar(), MENU_FITSUMMARY, ATTR_DIMMED, result ? 0 : 1);
}

void CopyFitSummary() {
  const std::optional<PolishResult> result = CurrentPolishResult();
  if (!result) return;
  const std::optional<double> noiseSd =
      WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).noiseSd;
  std::string text = FitSummaryText(*result, noiseSd);
  ClipboardPutText(text.c_str());
}

// ---- callbacks ----

int polishCB(int, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  if (control == PANEL_POLISH) StartPolish();
  if (control == PANEL_CANCELPOLISH) CancelPolish();
  return 0;
}

int freeCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  int free = 0;
  GetCtrlVal(panel, control, &free);
  ParamChoice choice = WindowChoice();
  std::string what = "baseline";
  if (control == PANEL_FREE_BASELINE) {
    choice.baselineFree = free != 0;
  } else {
    const int j = control - PANEL_FREE_VM;
    const int index = SelectedIndex();
    if (j < 0 || j >= kRealFieldCount || index < 0) return 0;
    choice.currents[index].free[j] = free != 0;
    what = std::string(kParamTable[j].name) + " of current " + std::to_string(index + 1);
  }
  loadedRecording.fitter.choice = choice;
  AfterChange({Changed::kFitSettings, (free != 0 ? "Free " : "Fix ") + what});
  return 0;
}
