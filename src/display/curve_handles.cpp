// Fitting with the mouse: the handles on the steady-state and time-constant graphs of the
// selected current, and what dragging one does. During a drag the field and the curves follow
// the mouse (and, with automatic update on, the fits, no more often than an arrow step redraws
// them); the release commits the value through the field, exactly as an entered value, and makes
// the whole drag one undo step.
#include "display/curve_handles.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "display/change.h"
#include "display/display.h"
#include "display/panel_handles.h"
#include "fit/undo.h"
#include "model/curve_geometry.h"
#include "model/model.h"
#include "model/param_table.h"
#include "param_controls.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;
// Fits redrawn during a drag at most this often: about the rate of held-down arrow steps.
constexpr auto kFitRedrawInterval = std::chrono::milliseconds(40);

struct Drag {
  bool active = false;
  ParamField field{};
  int current = 0;        // 0-based index of the current dragged
  double original = 0.0;  // the field's value when the drag began
  Clock::time_point lastFitRedraw{};
};
Drag drag;

int HandleNumber(ParamField f) {
  return static_cast<int>(f) + 1;  // handle numbers start at 1
}

std::string ValueText(const ParamDescriptor& d, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return std::string(d.name) + " = " + text + " " + std::string(d.unit);
}

std::string TipOf(const ParamDescriptor& d, double value) {
  const char* how = "drag sideways";
  if (d.kind == FieldKind::TimeConstant) how = "drag up or down";
  return ValueText(d, value) + "\n" + how;
}

void RedrawDuringDrag() {
  const Clock::time_point now = Clock::now();
  if (status.autoUpdate && now - drag.lastFitRedraw >= kFitRedrawInterval) {
    drag.lastFitRedraw = now;
    EvaluateAndShow();  // redraws the curves as well
    return;
  }
  ShowMH();
  ShowTau();
}

void EndDrag(ParamField f, double value) {
  const ParamDescriptor& d = Descriptor(f);
  CurrentParams& current = params[drag.current];
  // The commit stores the value from the field as for a typed entry, from the state before the
  // drag, so that everything after a commit happens once and the step starts where the drag did.
  current.*d.real = drag.original;
  drag.active = false;
  {
    const StepNamed named("Drag " + std::string(d.name) + " of current " +
                          std::to_string(drag.current + 1));
    CommitCtrlVal(panelHandle, ControlOf(d), value);
  }
  if (!status.autoUpdate) {  // the commit redraws nothing then: the curves stay as dragged
    ShowMH();
    ShowTau();
  }
}

void OnHandleDragged(int, int, int handle, int phase, double x, double y) {
  if (handle < 1 || handle > kParamFieldCount) return;
  const ParamField f = static_cast<ParamField>(handle - 1);
  const ParamDescriptor& d = Descriptor(f);
  if (!d.real) return;
  if (!drag.active) {
    const int selected = SelectedIndex();
    if (selected < 0) return;
    drag = Drag{true, f, selected, params[selected].*d.real, {}};
  }
  CurrentParams& current = params[drag.current];
  const double value =
      curve_geometry::Tidy(curve_geometry::DraggedValue(f, current, x, y), LeastStep(d.kind));
  if (phase == HANDLE_RELEASED) {
    EndDrag(f, value);
    return;
  }
  current.*d.real = value;
  SetCtrlVal(panelHandle, ControlOf(d), value);
  RedrawDuringDrag();
}

}  // namespace

void InitCurveHandles() {
  SetGraphHandleCallback(panelHandle, PANEL_MHGRAPH, OnHandleDragged);
  SetGraphHandleCallback(panelHandle, PANEL_TAUGRAPH, OnHandleDragged);
  for (const ParamDescriptor& d : kParamTable) {
    if (d.real) {
      SetAdaptiveStep(panelHandle, ControlOf(d), LeastStep(d.kind),
                      d.kind == FieldKind::TimeConstant);
    }
  }
}

void PlaceCurveHandles(int graph) {
  const CurrentParams* selected = SelectedCurrent();
  if (selected == nullptr) return;
  const CurrentParams& c = *selected;
  for (const ParamDescriptor& d : kParamTable) {
    const bool here = graph == PANEL_MHGRAPH ? curve_geometry::OnSteadyStateGraph(d.field)
                                             : curve_geometry::OnTimeConstantGraph(d.field);
    if (!here) continue;
    const auto point = curve_geometry::HandlePoint(d.field, c, status.vMin, status.vMax);
    if (!point) continue;
    const int color = curve_geometry::IsActivation(d.field) ? VAL_BLUE : VAL_GREEN;
    SetGraphHandle(panelHandle, graph, HandleNumber(d.field), point->x, point->y, color,
                   TipOf(d, c.*d.real).c_str());
  }
}
