// The bounds editor: the free toggles' right-button menus, the box that asks for a parameter's
// bounds, and the bounds stored in the loaded recording's choice as one undoable step.
#include "app/bounds_editor.h"

#include <string>

#include "app/polish_window.h"
#include "display/change.h"
#include "display/panel_handles.h"
#include "fit/bounds_entry.h"
#include "model/model.h"
#include "model/param_table.h"
#include "model/recording.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

const char* const kBoundsItem = "Bounds\u2026";

// "Km of current 1", or "the baseline".
std::string ParamWords(const ParamRef& param) {
  if (param.IsBaseline()) return "the baseline";
  return std::string(Descriptor(param.field).name) + " of current " +
         std::to_string(param.current + 1);
}

void BoundsChosen(int, int control, int) {
  if (control == PANEL_FREE_BASELINE) {
    EditBounds({});
    return;
  }
  const int j = control - PANEL_FREE_VM;
  const int index = SelectedIndex();
  if (j < 0 || j >= kRealFieldCount || index < 0) return;
  EditBounds({index, kParamTable[j].field});
}

}  // namespace

std::string FreeToggleTip(const ParamChoice& choice, const ParamRef& param) {
  const bool baseline = param.IsBaseline();
  const int j = static_cast<int>(param.field);
  const bool free = baseline ? choice.baselineFree : choice.currents[param.current].free[j];
  const ParamBounds& b =
      baseline ? choice.baselineBounds : choice.currents[param.current].bounds[j];
  const std::string unit = baseline ? " nA" : " " + std::string(Descriptor(param.field).unit);
  const std::string lower = BoundText(b.lower);
  const std::string upper = BoundText(b.upper);
  std::string within = "without bounds";
  if (!lower.empty() && !upper.empty())
    within = "between " + lower + " and " + upper + unit;
  else if (!lower.empty())
    within = "above " + lower + unit;
  else if (!upper.empty())
    within = "below " + upper + unit;
  const std::string what =
      free ? "Free: the polish may move this parameter, " + within
           : "Fixed: the polish leaves this parameter as it is (freed: " + within + ")";
  return what + ". After a polish, its standard error.\nRight-click for its bounds.";
}

void InitBoundsEditing() {
  for (int j = 0; j < kRealFieldCount; ++j)
    SetCtrlContextMenu(panelHandle, PANEL_FREE_VM + j, {kBoundsItem}, BoundsChosen);
  SetCtrlContextMenu(panelHandle, PANEL_FREE_BASELINE, {kBoundsItem}, BoundsChosen);
}

void EditBounds(const ParamRef& param) {
  ParamChoice choice = WindowChoice();
  const bool baseline = param.IsBaseline();
  const int j = static_cast<int>(param.field);
  ParamBounds& bounds = baseline ? choice.baselineBounds : choice.currents[param.current].bounds[j];
  const ParamDescriptor& d = Descriptor(param.field);
  const std::string unit = baseline ? "nA" : std::string(d.unit);
  const std::string words = ParamWords(param);
  const bool slope = !baseline && d.kind == FieldKind::Slope;
  const double value = baseline ? status.baseline : params[param.current].*d.real;
  const std::string title = "Bounds of " + words;
  const std::string message = "The polish keeps " + words + " (" + unit +
                              ") within these bounds. Leave a bound empty for none.";
  BoundsEntry entry{BoundText(bounds.lower), BoundText(bounds.upper)};
  ParamBounds typed = bounds;
  // Asked again after a message, with what was typed, so that a slip loses no typing.
  while (true) {
    if (PromptPairPopup(title.c_str(), message.c_str(), "Lower", "Upper", &entry.lower,
                        &entry.upper) != 1)
      return;
    const std::string why = ReadBoundsEntry(entry, words, slope, value, &typed);
    if (why.empty()) break;
    MessagePopup("Bounds", (why + " The bounds were not changed.").c_str());
  }
  if (typed == bounds) return;
  bounds = typed;
  // Bounds equal to the defaults follow the parameters again (a slope's sign, a gate power).
  const ParamBounds defaults =
      baseline ? ParamChoice{}.baselineBounds : DefaultBounds(params[param.current], param.field);
  FitterChoice& fitter = loadedRecording.fitter;
  if (baseline)
    fitter.baselineUserBounds = typed != defaults;
  else
    fitter.userBounds[param.current][j] = typed != defaults;
  fitter.choice = choice;
  AfterChange({Changed::kFitSettings, "Bounds of " + words});
}
