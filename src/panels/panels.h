// Parameter editing and current selection on the main panel, the controls that show a current,
// copy and paste of a current, and the dynamic-clamp, options and information panels.
#pragma once

#include <string>

#include "model/model.h"
#include "pavikuir.h"
#include "platform/import_choices.h"

// The step-voltage fields of traces 1 to 6 (the resource numbers them out of order).
inline constexpr int kTraceVoltageControls[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3,
                                                          PANEL_V4, PANEL_V5, PANEL_V6};

// ---- editing and selection (editing.cpp) ----
int paramCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int autoupCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int currentCB(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int labelCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int currbutCB(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
void GetFitCurrent(int control);
void SetFitCurrents();
void UpdateFitMessage();

// ---- the controls that show the workspace (current_controls.cpp) ----
void SetPanelParams(int index);  // current index's parameters and name, and the parameter file
void ShowCurrentNames();         // every current's name in its name box
void ShowTraceVoltages();        // the six trace voltages in their fields

// ---- copy and paste (copy_paste.cpp) ----
void CopyCurrent();   // the selected current, all but Vhold, into copyCurr
void PasteCurrent();  // copyCurr over the selected current, keeping its Vhold

// ---- secondary panels (secondary_panels.cpp) ----
void SetDclampParams(int index);
void GetDclampParams();
int dclampCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
void SetOptionsPanel();
void GetOptions();
void SetCommandMode(CommandMode mode);  // stores how the model reads the commands, re-evaluates
void ShowCommandMode();                 // the Options panel's toggle as the recording has it
int optionsCB(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int pointsCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int commandCB(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
void SetInfoPanel();
std::string InfoText();  // the information text, as SetInfoPanel shows it
int infoCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
