// The data graph: measured traces, the zero line, the summed fits, the cursor markers, the axis
// ranges, and the bookkeeping of plot handles for the three graphs of the main panel.
#include "display.h"

#include "model.h"
#include "pavikuir.h"

int32_t plotHandles[kPlotHandleSlots];
int32_t pointHandles[kPlotHandleSlots];

void ZeroHandles(int graph) {
  if (graph == PANEL_GRAPH) {
    for (int k = 0; k < kPlotHandleSlots; ++k) pointHandles[k] = 0;
    for (int k = 0; k < kClearedPlotSlots; ++k) plotHandles[k] = 0;
  } else if (graph == PANEL_MHGRAPH) {
    for (int k = 0; k < kMHClearedSlots; ++k) MHhandles[k] = 0;
  }
}

// Drawing of the fits arrives with the data graph.
int ShowFits() {
  return 1;
}

void ClearGraph(int, int) {}
void SetDataAxis() {}
int ShowData() {
  return 1;
}
void ChangeDataColors() {}
void DoDataCursor() {}
int graph1CB(int, int, int, void*, int, int) {
  return 0;
}
int datascaleCB(int, int, int, void*, int, int) {
  return 0;
}
