// Start-up, the main panel and the main menu's routing: the panel handles, the callback table
// the resource file's names refer to, the start-up sequence, filling the parameter controls
// from one current, and the main panel's close event.
#include <cstdio>

#include "display.h"
#include "model.h"
#include "panels.h"
#include "pavik.h"

#include "curve_handles.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "polish_window.h"

int panelHandle;
int infoPanelHandle;
int dclampPanelHandle;
int optionsPanelHandle;

namespace {
const char* const kResourceFile = "pavikuir.uir";
constexpr int kTitleSize = 100;          // the title buffer
constexpr int kParamFileTextSize = 260;  // the parameter-file text buffer
const char* const kNoParamFile = "(no parameter file)";
}  // namespace

void RegisterPavikCallbacks() {
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
  RegisterCtrlCallback("infoCB", infoCB);
  RegisterCtrlCallback("polishCB", polishCB);
  RegisterCtrlCallback("freeCB", freeCB);
  RegisterPanelCallback("panelCB", panelCB);
  RegisterMenuCallback("menuCB", menuCB);
}

int PavikMain(int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  RunUserInterface();
  StopPolishForQuit();
  return 0;
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
  char title[kTitleSize];
  std::snprintf(title, sizeof title, "Pavik (Ver %s %s)", kVersion, kVersionDate);
  SetPanelAttribute(panelHandle, ATTR_TITLE, title);
  SetCtrlAttribute(panelHandle, PANEL_GRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  SetCtrlAttribute(panelHandle, PANEL_MHGRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  SetCtrlAttribute(panelHandle, PANEL_TAUGRAPH, ATTR_PLOT_BGCOLOR, VAL_LT_GRAY);
  InitParams();
  SetPanelParams(status.selCurrent - 1);
  ShowCurrentNames();
  ShowTraceVoltages();
  ShowAxisRanges();
  SetDclampParams(0);
  SetOptionsPanel();
  SetInfoPanel();
  InitCurveHandles();
  ShowPolishCommands();
}

void SetPanelParams(int index) {
  const CurrentParams& current = params[index];
  ResetTextBox(panelHandle, PANEL_NAME, current.name);
  SetCtrlVal(panelHandle, PANEL_VHOLD, current.Vhold);
  SetCtrlVal(panelHandle, PANEL_P, current.p);
  SetCtrlVal(panelHandle, PANEL_Q, current.q);
  SetCtrlVal(panelHandle, PANEL_EREV, current.Erev);
  SetCtrlVal(panelHandle, PANEL_GMAX, current.Gmax);
  SetCtrlVal(panelHandle, PANEL_VM, current.Vm);
  SetCtrlVal(panelHandle, PANEL_KM, current.Km);
  SetCtrlVal(panelHandle, PANEL_VTM, current.Vtm);
  SetCtrlVal(panelHandle, PANEL_KTM, current.Ktm);
  SetCtrlVal(panelHandle, PANEL_VH, current.Vh);
  SetCtrlVal(panelHandle, PANEL_KH, current.Kh);
  SetCtrlVal(panelHandle, PANEL_VTH, current.Vth);
  SetCtrlVal(panelHandle, PANEL_KTH, current.Kth);
  SetCtrlVal(panelHandle, PANEL_TMLO, current.Tmlo);
  SetCtrlVal(panelHandle, PANEL_TMHI, current.Tmhi);
  SetCtrlVal(panelHandle, PANEL_THLO, current.Thlo);
  SetCtrlVal(panelHandle, PANEL_THHI, current.Thhi);
  char text[kParamFileTextSize];
  std::snprintf(text, sizeof text, "%s", status.paramFileLoaded ? status.paramFile : kNoParamFile);
  SetCtrlVal(panelHandle, PANEL_PARAMFILE, text);
  ShowFreeToggles();
}

// The name boxes, trace voltages and range fields start empty in the resource; a user expects
// to see what the workspace holds, and an entry of the shown value must store it.
void ShowCurrentNames() {
  for (int i = 0; i < kMaxCurrents; ++i) ResetTextBox(panelHandle, currLab[i], params[i].name);
}

void ShowTraceVoltages() {
  const int fields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6};
  for (int k = 0; k < kMaxTraces; ++k) SetCtrlVal(panelHandle, fields[k], status.traceV[k]);
}

void ShowAxisRanges() {
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  SetCtrlVal(panelHandle, PANEL_YMIN, status.yMin);
  SetCtrlVal(panelHandle, PANEL_YMAX, status.yMax);
  SetCtrlVal(panelHandle, PANEL_VMIN, status.vMin);
  SetCtrlVal(panelHandle, PANEL_VMAX, status.vMax);
}

int panelCB(int, int event, void*, int, int) {
  if (event == EVENT_CLOSE) QuitUserInterface(1);
  return 0;
}
