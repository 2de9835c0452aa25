// Copy and paste of one current, and the text report of the currents for the clipboard.
#include "io.h"

// Arrives with the parameter file work.
void CopyCurrent() {}
void PasteCurrent() {}
std::string CurrentReport(int) {
  return {};
}
int CopyCurrToClipboard(int) {
  return 0;
}
