// The steady-state and time-constant curves of the selected current on the two curve graphs.
#include "model.h"

int32_t MHhandles[kMHHandleSlots];
int32_t Tauhandles[2];

// Drawing arrives with the curve graphs.
void ShowMH() {}
void PlotMHPoints() {}
void ShowTau() {}
