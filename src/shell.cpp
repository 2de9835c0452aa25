// Start-up, the main panel and the main menu: the panel handles and the routines that tie the
// panels to the workspace.
#include "pavik.h"

int panelHandle;
int infoPanelHandle;
int dclampPanelHandle;
int optionsPanelHandle;

// Start-up arrives with the run-time.
void RegisterPavikCallbacks() {}
int PavikMain(int, char*[]) {
  return -1;
}
void InitPanel() {}
void SetPanelParams(int) {}
int panelCB(int, int, void*, int, int) {
  return 0;
}
