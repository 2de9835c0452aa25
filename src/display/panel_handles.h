// The handles of the four panels, given by the run-time when start-up loads them: everything that
// draws on a panel or reads its controls names the panel through these.
#pragma once

extern int panelHandle;         // main panel
extern int infoPanelHandle;     // information panel
extern int dclampPanelHandle;   // dynamic-clamp panel
extern int optionsPanelHandle;  // options panel
