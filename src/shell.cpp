// Start-up, the main panel and the main menu: the panel handles and the routines that tie the
// panels to the workspace.
#include "pavik.h"

int panelHandle;
int infoPanelHandle;
int dclampPanelHandle;
int optionsPanelHandle;
