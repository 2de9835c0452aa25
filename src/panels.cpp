// Parameter editing and current selection on the main panel, and the dynamic-clamp, options and
// information panels.
#include "panels.h"

#include <string>

#include "model.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"

void SetFitCurrents() {
  status.fitCount = 0;
  for (int i = 0; i < kMaxCurrents; ++i) {
    SetCtrlVal(panelHandle, currCtl[i], status.fitCurrent[i]);
    if (status.fitCurrent[i]) ++status.fitCount;
  }
  if (status.fitCount == 0) {
    status.fitCount = 1;
    status.fitCurrent[0] = 1;
    SetCtrlVal(panelHandle, PANEL_FITCURR1, 1);
  }
}

void UpdateFitMessage() {
  std::string text;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (status.fitCurrent[i]) text += std::to_string(i + 1) + "+";
  }
  if (!text.empty()) text.pop_back();  // the last plus sign
  SetCtrlVal(panelHandle, PANEL_FITMSG, text.c_str());
}

// Editing, selection and the secondary panels arrive with the editing work.
int paramCB(int, int, int, void*, int, int) {
  return 0;
}
int autoupCB(int, int, int, void*, int, int) {
  return 0;
}
int currentCB(int, int, int, void*, int, int) {
  return 0;
}
int labelCB(int, int, int, void*, int, int) {
  return 0;
}
int currbutCB(int, int, int, void*, int, int) {
  return 0;
}
void GetFitCurrent(int) {}
void SetDclampParams(int) {}
void GetDclampParams() {}
int dclampCB(int, int, int, void*, int, int) {
  return 0;
}
void SetOptionsPanel() {}
void GetOptions() {}
int optionsCB(int, int, int, void*, int, int) {
  return 0;
}
void SetInfoPanel() {}
int infoCB(int, int, int, void*, int, int) {
  return 0;
}
