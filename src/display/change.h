// The one way a change reaches the program: a callback reads its control, stores the value and
// calls AfterChange with what changed. Start-up registers the handler that records the undo
// step, re-evaluates when needed and redraws what changed, so that the controls and graphs,
// which sit below it, never call up into it.
#pragma once

#include <string>
#include <utility>

enum class Changed {
  kParameter,     // a parameter of a current, or its name
  kTraceVoltage,  // the step voltage of a trace
  kBaseline,
  kInFit,       // the currents in the fit
  kAutoUpdate,  // automatic update switched on or off
  kFitCommand,  // the Fit button: evaluate whatever automatic update says
  kSelection,   // another current selected
  kWorkspace,   // much of the workspace replaced at once (a paste, an undo, a file): show it all
  kTraceColors,
  kDclamp,       // the dynamic-clamp settings
  kRanges,       // a range field: the analysis window, the current or voltage range
  kFitSettings,  // the regions left out of the fit, the noise region, the free flags
};

struct Change {
  Change(Changed changed, std::string undoStep = {}, bool byStep = false, bool evaluated = true)
      : what(changed), step(std::move(undoStep)), stepped(byStep), evaluate(evaluated) {}
  Changed what;
  std::string step;  // the undo step it makes ("Vm of current 1"); none when empty
  bool stepped;      // an arrow, wheel or page step: a run of them on one field is one step
  bool evaluate;     // false: stored but not evaluated (a slope of zero would divide by it)
};

using ChangeHandler = void (*)(const Change&);
void SetChangeHandler(ChangeHandler handler);
void AfterChange(Change change);

// While one lives, every change takes its step name: a drag commits through a field's callback,
// which would name the step after the field alone.
class StepNamed {
 public:
  explicit StepNamed(std::string step);
  ~StepNamed();
  StepNamed(const StepNamed&) = delete;
  StepNamed& operator=(const StepNamed&) = delete;
};
