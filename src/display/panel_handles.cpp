// The panel handles, set by start-up.
#include "display/panel_handles.h"

int panelHandle;
int infoPanelHandle;
int dclampPanelHandle;
int optionsPanelHandle;
