// Parameter editing and current selection on the main panel, and the dynamic-clamp, options and
// information panels.
#pragma once

#include <string>

// ---- editing and selection ----
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

// ---- secondary panels ----
void SetDclampParams(int index);
void GetDclampParams();
int dclampCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
void SetOptionsPanel();
void GetOptions();
int optionsCB(int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int pointsCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
void SetInfoPanel();
std::string InfoText();  // the information text, as SetInfoPanel shows it
int infoCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
