// The least-squares polish in the window: the free toggles beside the parameter fields, the
// Polish and Cancel commands, the polish run off the user-interface thread on a copy of the
// workspace with its progress drawn, the result applied as one undoable step, and the standard
// errors and fit summary of the last polish.
#pragma once

#include <optional>

#include "fit/polish.h"

int polishCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int freeCB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);

// Starts a polish of the currents in the fit; false (with a message shown) when one cannot start.
bool StartPolish();
void CancelPolish();  // the polish stops soon and leaves every parameter as it was
bool PolishRunning();
// Cancels a running polish and waits for its thread: quitting must not leave it behind.
void StopPolishForQuit();

// The commands' dimming as things stand: Polish needs data and no polish running.
void ShowPolishCommands();
// The free flags and bounds the polish uses now: the loaded recording's choice over the defaults.
ParamChoice WindowChoice();
// The free toggles of the selected current and the baseline, with the standard errors of the
// last polish while the workspace is still as that polish left it.
void ShowFreeToggles();

// The last applied polish, while the workspace is still as it left it; none otherwise.
std::optional<PolishResult> CurrentPolishResult();
void CopyFitSummary();  // the summary of CurrentPolishResult to the clipboard
