// What follows a change: the undo step, the evaluation and the redrawing.
#include "app/after_change.h"

#include "app/history.h"
#include "app/polish_window.h"
#include "display/display.h"
#include "model/model.h"

void HandleChange(const Change& change) {
  switch (change.what) {
    case Changed::kParameter:
    case Changed::kTraceVoltage:
    case Changed::kBaseline:
    case Changed::kInFit:
    case Changed::kAutoUpdate:
      if (change.evaluate && status.autoUpdate) EvaluateAndShow();
      break;
    case Changed::kFitCommand:
      EvaluateAndShow();
      break;
    case Changed::kSelection:
      ShowMH();
      ShowTau();
      break;
    case Changed::kWorkspace:
      ShowWorkspace();
      break;
    case Changed::kTraceColors:
      ChangeDataColors();
      break;
    case Changed::kDclamp:
      break;
    case Changed::kRanges:
    case Changed::kFitSettings:
      ShowHistoryState();  // a session keeps them: the title's mark of unsaved work
      break;
  }
  // a gate power decides which free toggles apply, and any change outdates the polish's errors
  ShowFreeToggles();
  // recorded after showing, so that the step holds what showing settles (a file enabling no
  // current brings current 1 back into the fit)
  if (!change.step.empty()) NoteChange(change.step, change.stepped);
}
