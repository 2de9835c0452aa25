// The residual strip under the data graph: measured current minus the drawn summed fit for each
// trace, with a zero line, on the data graph's time axis.
#pragma once

void ShowResiduals();   // redraws the strip from the loaded traces and the drawn fits
void ClearResiduals();  // an empty strip, as before any fit is drawn
bool ResidualsShown();  // the strip shows residuals of drawn fits
void ColorResiduals();  // the trace colours, or black when traces are not coloured
