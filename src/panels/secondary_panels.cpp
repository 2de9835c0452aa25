// The three small panels: the dynamic-clamp settings kept for the dynamic-clamp program, the
// options panel with the header-line count, and the information text.
#include <string>

#include "display/change.h"
#include "display/command_strip.h"
#include "display/display.h"
#include "display/panel_handles.h"
#include "model/model.h"
#include "model/recording.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

// The header-line count the options panel shows at start; the data reader starts from the same
// number, though the information text names 18.
constexpr int kShownHeaderLines = 13;

// The value controls of the dynamic-clamp panel, in the order they are written and read.
constexpr int kGlobalControls[kGlobalSettings] = {DCLAMP_GLOBAL1, DCLAMP_GLOBAL2, DCLAMP_GLOBAL3,
                                                  DCLAMP_GLOBAL4};
constexpr int kIntControls[kIntSettings] = {DCLAMP_INT1, DCLAMP_INT2, DCLAMP_INT3,
                                            DCLAMP_INT4, DCLAMP_INT5, DCLAMP_INT6};
constexpr int kSettingControls[kCurrentSettings] = {
    DCLAMP_SETTING1, DCLAMP_SETTING2, DCLAMP_SETTING3, DCLAMP_SETTING4,
    DCLAMP_SETTING5, DCLAMP_SETTING6, DCLAMP_SETTING7, DCLAMP_SETTING8};

constexpr const char* kInfoPieces[] = {
    "Equations:\n",
    "  y = Gmax * (m^p * h^q)) * (V-Erev)\n",
    "  m = minf + (minf0-minf)*exp(-t/taum)\n",
    "  h = hinf + (hinf0-hinf)*exp(-t/tauh)\n",
    "  minf = 1/(1+exp((V-Vm)/K))\n",
    "  hinf = 1/(1+exp((V-Vh)/Kh))\n",
    "  hinf0= 1/(1+exp((Vhold-Vh)/Kh))\n",
    "  minf0= 1/(1+exp((Vhold-Vm)/Km))\n",
    "  taum = Tmhi + (Tmlo-Tmhi)/(1+exp(-(V-Vtm)/Ktm))\n",
    "  tauh = Thhi + (Thlo-Thhi)/(1+exp(-(V-Vth)/Kth))\n",
    "\n",
    "Data File:\n",
    "  Header lines to skip: Set in Options (default=18)\n",
    "  Data: Max: Thirteen columns of numbers [Time v1 i1 v2 i2 v3 i3 ...] \n",
    "  Max number of current traces: 6 \n",
    "  Must include Voltage and Current in order  \n",
    "  (Data delimiter can be space, tab, comma, etc.)\n",
    "\n",
    "Parameter File:\n",
    "  Should be the same format as for the Morvel version\n",
    "  shown in the Pavik title bar.\n",
};

bool IsCurrentIndex(int index) {
  return index >= 0 && index < kMaxCurrents;
}

}  // namespace

// ---- dynamic-clamp panel ----

void SetDclampParams(int index) {
  if (!IsCurrentIndex(index)) return;
  for (int k = 0; k < kGlobalSettings; ++k)
    SetCtrlVal(dclampPanelHandle, kGlobalControls[k], dclamp.globalSetting[k]);
  for (int k = 0; k < kIntSettings; ++k)
    SetCtrlVal(dclampPanelHandle, kIntControls[k], dclamp.intSetting[k]);
  for (int k = 0; k < kCurrentSettings; ++k)
    SetCtrlVal(dclampPanelHandle, kSettingControls[k], dclamp.currentSetting[k][index]);
}

void GetDclampParams() {
  int shown = 0;
  GetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, &shown);
  const int index = shown - 1;
  // the control admits 1 to 10; any other number names no current, so nothing is stored
  if (!IsCurrentIndex(index)) return;
  for (int k = 0; k < kGlobalSettings; ++k)
    GetCtrlVal(dclampPanelHandle, kGlobalControls[k], &dclamp.globalSetting[k]);
  for (int k = 0; k < kIntSettings; ++k)
    GetCtrlVal(dclampPanelHandle, kIntControls[k], &dclamp.intSetting[k]);
  for (int k = 0; k < kCurrentSettings; ++k)
    GetCtrlVal(dclampPanelHandle, kSettingControls[k], &dclamp.currentSetting[k][index]);
}

int dclampCB(int panel, int control, int event, void*, int eventData1, int) {
  if (event != EVENT_COMMIT) return 0;
  if (control == DCLAMP_CLOSE) {
    HidePanel(panel);
    return 1;
  }
  if (control == DCLAMP_CURRENT) {
    int shown = 0;
    GetCtrlVal(panel, control, &shown);
    SetDclampParams(shown - 1);
    return 1;
  }
  GetDclampParams();
  AfterChange({Changed::kDclamp, "dynamic-clamp settings", eventData1 == COMMIT_BY_STEP});
  return 0;
}

// ---- options panel ----

void SetOptionsPanel() {
  SetCtrlVal(optionsPanelHandle, OPTIONS_HEADERLINES, kShownHeaderLines);
}

void GetOptions() {
  GetCtrlVal(optionsPanelHandle, OPTIONS_HEADERLINES, &status.headerLines);
}

int optionsCB(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  GetOptions();
  HidePanel(optionsPanelHandle);
  return 0;
}

void ShowCommandMode() {
  SetCtrlVal(optionsPanelHandle, OPTIONS_FOLLOWCOMMAND,
             loadedRecording.commandMode == CommandMode::kSteps ? 1 : 0);
}

void SetCommandMode(CommandMode mode) {
  loadedRecording.commandMode = mode;
  ShowCommandMode();
  ShowCommandStrip();
  SetPanelParams(status.selCurrent - 1);        // Vhold shows the holding level, dimmed, or its own
  AfterChange(Change(Changed::kTraceVoltage));  // re-evaluated as a changed step voltage is
}

int commandCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  int on = 0;
  GetCtrlVal(panel, control, &on);
  SetCommandMode(on != 0 ? CommandMode::kSteps : CommandMode::kSingle);
  return 0;
}

int pointsCB(int panel, int control, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  int on = 0;
  GetCtrlVal(panel, control, &on);
  normaliseMeasuredPoints = on != 0;
  if (pointHandles[0] != 0) PlotMHPoints();
  return 0;
}

// ---- information panel ----

std::string InfoText() {
  std::string text;
  for (const char* piece : kInfoPieces) text += piece;
  return text;
}

void SetInfoPanel() {
  ResetTextBox(infoPanelHandle, INFO_TEXT, InfoText().c_str());
}

int infoCB(int, int, int event, void*, int, int) {
  if (event != EVENT_COMMIT) return 0;
  HidePanel(infoPanelHandle);
  return 0;
}
