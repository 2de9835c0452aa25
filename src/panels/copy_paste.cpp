// Copy and paste of one current: the selected current into the copy buffer, and back over the
// selected current, which keeps its holding potential.
#include "model/model.h"
#include "panels/panels.h"

namespace {

// Every field but Vhold: a current moved to another slot keeps that slot's holding potential.
void CopyAllButVhold(const CurrentParams& from, CurrentParams* to) {
  const double keptVhold = to->Vhold;
  *to = from;
  to->Vhold = keptVhold;
}

}  // namespace

void CopyCurrent() {
  if (const CurrentParams* selected = SelectedCurrent()) CopyAllButVhold(*selected, &copyCurr);
}

void PasteCurrent() {
  CurrentParams* selected = SelectedCurrent();
  if (selected == nullptr) return;
  CopyAllButVhold(copyCurr, selected);
  SetPanelParams(SelectedIndex());
  SetFitCurrents();
}
