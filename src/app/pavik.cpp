// Start-up, the main panel and the main menu's routing: the panel handles, the callback table
// the resource file's names refer to, the start-up sequence, filling the parameter controls
// from one current, and the main panel's close event.
#include <cstdio>

#include "app/after_change.h"
#include "app/bounds_editor.h"
#include "app/history.h"
#include "app/pavik.h"

#include "app/polish_window.h"
#include "app/recordings.h"
#include "app/unsaved_guard.h"
#include "display/curve_handles.h"
#include "display/display.h"
#include "display/region_editing.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {
const char* const kResourceFile = "pavikuir.uir";
}  // namespace

void RegisterPavikCallbacks() {
  SetChangeHandler(HandleChange);
  RegisterCtrlCallback("paramCB", paramCB);
  RegisterCtrlCallback("autoupCB", autoupCB);
  RegisterCtrlCallback("currentCB", currentCB);
  RegisterCtrlCallback("labelCB", labelCB);
  RegisterCtrlCallback("currbutCB", currbutCB);
  RegisterCtrlCallback("graph1CB", graph1CB);
  RegisterCtrlCallback("datascaleCB", datascaleCB);
  RegisterCtrlCallback("dclampCB", dclampCB);
  RegisterCtrlCallback("optionsCB", optionsCB);
  RegisterCtrlCallback("pointsCB", pointsCB);
  RegisterCtrlCallback("commandCB", commandCB);
  RegisterCtrlCallback("infoCB", infoCB);
  RegisterCtrlCallback("polishCB", polishCB);
  RegisterCtrlCallback("freeCB", freeCB);
  RegisterCtrlCallback("recordingTabsCB", recordingTabsCB);
  RegisterPanelCallback("panelCB", panelCB);
  RegisterMenuCallback("menuCB", menuCB);
}

int StartPavik(int argc, char* argv[]) {
  if (InitRunTime(argc, argv) != 0) return -1;
  RegisterPavikCallbacks();
  SetSleepPolicy(VAL_SLEEP_MORE);
  panelHandle = LoadPanel(0, kResourceFile, PANEL);
  if (panelHandle < 0) {
    std::fprintf(stderr,
                 "pavik: the main panel could not be loaded from %s, which belongs beside the "
                 "program.\n",
                 kResourceFile);
    return -1;
  }
  infoPanelHandle = LoadPanel(0, kResourceFile, INFO);
  dclampPanelHandle = LoadPanel(0, kResourceFile, DCLAMP);
  optionsPanelHandle = LoadPanel(0, kResourceFile, OPTIONS);
  InitPanel();
  return 0;
}

void InitPanel() {
  SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  SetCtrlAttribute(panelHandle, PANEL_MHGRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  SetCtrlAttribute(panelHandle, PANEL_TAUGRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  SetCtrlAttribute(panelHandle, PANEL_RESIDUALS, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  InitParams();
  SetFitCurrents();
  UpdateFitMessage();
  SetPanelParams(SelectedIndex());
  ShowFreeToggles();
  ShowCurrentNames();
  ShowTraceVoltages();
  ShowAxisRanges();
  SetDclampParams(0);
  SetOptionsPanel();
  SetInfoPanel();
  InitCurveHandles();
  StartWorkspaceHistory();  // also sets the title
  InitRegionEditing();
  InitBoundsEditing();
  InitRecordings();
  ShowPolishCommands();
}

// The range fields start empty in the resource; a user expects to see what the workspace holds.
void ShowAxisRanges() {
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  SetCtrlVal(panelHandle, PANEL_YMIN, status.yMin);
  SetCtrlVal(panelHandle, PANEL_YMAX, status.yMax);
  SetCtrlVal(panelHandle, PANEL_VMIN, status.vMin);
  SetCtrlVal(panelHandle, PANEL_VMAX, status.vMax);
}

int panelCB(int, int event, void*, int, int) {
  if (event == EVENT_CLOSE && MayDiscardChanges("Quit")) QuitUserInterface(1);
  return 0;
}
