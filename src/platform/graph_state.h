// The plots and the cursor of one graph control, kept beside the QCustomPlot that draws them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

class QCustomPlot;
class QCPAbstractPlottable;
class QCPItemStraightLine;
class QCPItemTracer;

// What one PlotXY call drew, as it was passed.
struct PlotInfo {
  std::vector<double> x, y;  // the points
  int plotStyle;             // VAL_THIN_LINE, VAL_CONNECTED_POINTS or VAL_SCATTER
  int pointStyle;            // VAL_SIMPLE_DOT or VAL_EMPTY_CIRCLE
  int lineStyle;             // VAL_SOLID or VAL_DOT
  int color;                 // 0xRRGGBB, as last set by PlotXY or SetPlotAttribute
  int lineWidth = 1;         // pixels
  bool faded = false;        // drawn pale, behind what is drawn in full
};

// A point the user drags (SetGraphHandle).
struct HandleRecord {
  QCPItemTracer* marker = nullptr;  // owned by the QCustomPlot
  double x = 0, y = 0;              // where it stands, in axis units
  int color = 0;
  std::string tip;
};

struct PlotRecord {
  QCPAbstractPlottable* plottable = nullptr;  // owned by the QCustomPlot
  PlotInfo info;                              // what was plotted, for read-back
};

struct GraphState {
  QCustomPlot* plot = nullptr;                // owned by the panel
  std::map<int, PlotRecord> plots;            // by plot handle
  bool hasCursor = false;                     // the graph carries cursor 1
  QCPItemStraightLine* cursorLine = nullptr;  // cursor 1, a vertical line
  double cursorX = 0, cursorY = 0;            // cursor 1's position in axis units
  bool dragging = false;                      // a mouse button is down on the graph
  int frameColor = 0;                         // last frame colour set
  int backgroundColor = 0xFFFFFF;             // plot-area background
  bool manualRange = false;                   // SetAxisRange fixed an axis: no autoscaling
  std::map<int, HandleRecord> handles;        // by handle number
  GraphHandleCallbackPtr handleCallback = nullptr;
  int hoveredHandle = 0;                  // the handle under the mouse, 0 for none
  int draggedHandle = 0;                  // the handle being dragged, 0 for none
  double dragStartX = 0, dragStartY = 0;  // the dragged handle's position at the press (pixels)
  double pressX = 0, pressY = 0;          // where the mouse was pressed (pixels)
};

struct ControlRecord;
// Builds a graph's axes, labels and cursor from the control's properties, and routes its
// mouse to the cursor (commit to the graph's callback on release).
void SetUpGraph(int panel, ControlRecord& control);
void SetGraphFrameColor(GraphState& graph, int color);
void SetGraphBackground(GraphState& graph, int color);
void ReplotNow(GraphState& graph);
bool HandleDragInProgress(const GraphState& graph);  // the axes stay as they are meanwhile
