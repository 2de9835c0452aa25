// Start-up, the main panel and the main menu: the panel handles and the routines that tie the
// panels to the workspace.
#pragma once

inline constexpr const char* kVersion = "3.2";  // shown in the title and by --version
inline constexpr const char* kVersionDate = "2010-June-03";

extern int panelHandle;         // main panel
extern int infoPanelHandle;     // information panel
extern int dclampPanelHandle;   // dynamic-clamp panel
extern int optionsPanelHandle;  // options panel

void RegisterPavikCallbacks();           // the callback table the resource file's names refer to
int PavikMain(int argc, char* argv[]);   // start-up and event loop; main's result
int StartPavik(int argc, char* argv[]);  // the run-time, the panels and their start values; 0 ok
void InitPanel();
void SetPanelParams(int index);
void ShowCurrentNames();  // every current's name in its name box
void ShowAxisRanges();    // the graph ranges of the workspace in their fields
int panelCB(int panel, int event, void* callbackData, int eventData1, int eventData2);
void menuCB(int menuBar, int menuItem, void* callbackData, int panel);
