// The main panel's controls filled from the workspace: the parameters and name of one current,
// the ten name boxes and the six trace voltages.
#include <cstdio>

#include "display/panel_handles.h"
#include "model/model.h"
#include "model/param_table.h"
#include "model/recording.h"
#include "panels/panels.h"
#include "param_controls.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {
constexpr int kParamFileTextSize = 260;  // the parameter-file text buffer
const char* const kNoParamFile = "(no parameter file)";
}  // namespace

void SetPanelParams(int index) {
  if (index < 0 || index >= kMaxCurrents) return;
  const CurrentParams& current = params[index];
  ResetTextBox(panelHandle, PANEL_NAME, current.name);
  for (const ParamDescriptor& d : kParamTable) {
    if (d.power) {
      SetCtrlVal(panelHandle, ControlOf(d), current.*d.power);
    } else {
      SetCtrlVal(panelHandle, ControlOf(d), current.*d.real);
    }
  }
  // Following the whole command, the gates start at rest at the command's first level: that level
  // stands in for Vhold, shown dimmed so that it is not taken for the current's own.
  const bool steps = status.dataLoaded != 0 && loadedRecording.commandMode == CommandMode::kSteps &&
                     !loadedRecording.commands.empty() &&
                     !loadedRecording.commands[0].levels.empty();
  if (steps) SetCtrlVal(panelHandle, PANEL_VHOLD, loadedRecording.commands[0].levels[0].level);
  SetCtrlAttribute(panelHandle, PANEL_VHOLD, ATTR_DIMMED, steps ? 1 : 0);
  char text[kParamFileTextSize];
  std::snprintf(text, sizeof text, "%s", status.paramFileLoaded ? status.paramFile : kNoParamFile);
  SetCtrlVal(panelHandle, PANEL_PARAMFILE, text);
}

// The name boxes and trace voltages start empty in the resource; a user expects to see what the
// workspace holds, and an entry of the shown value must store it.
void ShowCurrentNames() {
  for (int i = 0; i < kMaxCurrents; ++i) ResetTextBox(panelHandle, currLab[i], params[i].name);
}

void ShowTraceVoltages() {
  for (int k = 0; k < kMaxTraces; ++k) {
    SetCtrlVal(panelHandle, kTraceVoltageControls[k], status.traceV[k]);
  }
}
