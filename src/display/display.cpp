// The data graph: measured traces, the zero line, the summed fits (with their residual strip and
// goodness line), the cursor markers, the axis ranges, and the bookkeeping of plot handles for the
// three graphs of the main panel.
#include "display/display.h"

#include "display/panel_handles.h"

#include <algorithm>
#include <cmath>

#include "display/change.h"
#include "display/command_strip.h"
#include "display/goodness_display.h"
#include "display/region_editing.h"
#include "display/residual_strip.h"
#include "model/model.h"
#include "pavikuir.h"
#include "platform/platform.h"

int32_t plotHandles[kPlotHandleSlots];
int32_t pointHandles[kPlotHandleSlots];
const int32_t traceColors[kTraceColorCount] = {VAL_RED,    VAL_GREEN,   VAL_BLUE,  VAL_BLACK,
                                               VAL_YELLOW, VAL_MAGENTA, VAL_BLACK, VAL_BLACK,
                                               VAL_BLACK,  VAL_BLACK,   VAL_BLACK, VAL_BLACK};

namespace {

constexpr int kDataCursor = 1;         // the one cursor of the data graph
constexpr int kEveryPoint = 1;         // point frequency: every point drawn
constexpr double kMinAxisSpan = 0.01;  // an inverted range becomes this wide
constexpr double zeroLine[kMaxPoints] = {};
// The fits are drawn wider than the pale measured traces, so that each fit stands out from its
// trace in either colour mode, a black fit over black traces included.
constexpr int kFitLineWidth = 2;

int PlotOnDataGraph(const double* y, int points, int plotStyle, int lineStyle, int color) {
  return KeptHandle(PlotXY(panelHandle, PANEL_GRAPH, timevals, y, points, VAL_DOUBLE, VAL_DOUBLE,
                           plotStyle, VAL_SIMPLE_DOT, lineStyle, kEveryPoint, color));
}

}  // namespace

int FitSlot(int trace) {
  const int slot = LoadedTraces() + trace;
  return slot < kZeroLineSlot ? slot : slot + 1;
}

int32_t TraceColor(int trace) {
  const int traces = LoadedTraces();
  if (traces <= kMaxTraces) return traceColors[std::clamp(trace, 0, kTraceColorCount - 1)];
  // Hues from red (0) to violet (270 degrees), at a value dark enough to show on white.
  constexpr double kLastHue = 270.0, kValue = 0.8;
  const double hue = kLastHue * std::clamp(trace, 0, traces - 1) / (traces - 1);
  const double sector = hue / 60.0;
  const double x = kValue * (1.0 - std::abs(std::fmod(sector, 2.0) - 1.0));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(sector)) {
    case 0:
      r = kValue, g = x;
      break;
    case 1:
      r = x, g = kValue;
      break;
    case 2:
      g = kValue, b = x;
      break;
    case 3:
      g = x, b = kValue;
      break;
    default:
      r = x, b = kValue;
      break;
  }
  const auto byte = [](double c) { return static_cast<int32_t>(std::lround(255.0 * c)); };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

int32_t KeptHandle(int plotResult) {
  return plotResult > 0 ? plotResult : 0;
}

void ClearGraph(int graph, int handle) {
  DeleteGraphPlot(panelHandle, graph, handle, VAL_IMMEDIATE_DRAW);
  if (handle == VAL_ALL_PLOTS) ZeroHandles(graph);
}

void ZeroHandles(int graph) {
  if (graph == PANEL_GRAPH) {
    for (int k = 0; k < kPlotHandleSlots; ++k) pointHandles[k] = 0;
    for (int k = 0; k < kClearedPlotSlots; ++k) plotHandles[k] = 0;
    // Beyond the zero line only the fits of a recording of more than twelve traces are kept.
    for (int k = kZeroLineSlot + 1; k < kPlotHandleSlots; ++k) plotHandles[k] = 0;
  } else if (graph == PANEL_MHGRAPH) {
    for (int k = 0; k < kMHClearedSlots; ++k) MHhandles[k] = 0;
  }
}

void SetDataAxis() {
  if (status.dataTMin > status.xMin) status.xMin = status.dataTMin;
  if (status.xMax > status.dataTMax) status.xMax = status.dataTMax;
  if (status.xMin > status.xMax) status.xMax = status.xMin + kMinAxisSpan;
  if (status.yMin > status.yMax) status.yMax = status.yMin + kMinAxisSpan;
  SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, status.xMin, status.xMax, VAL_MANUAL,
               status.yMin, status.yMax);
  SetDataXIndexes();
  // The window decides which samples count; the strip shares the time axis.
  if (ResidualsShown()) ShowResiduals();
  ShowGoodness();
  ShowRegions();
  ShowCommandStrip();  // shares the time axis too
}

int ShowData() {
  ClearResiduals();  // new traces: no fit is drawn over them yet
  ClearGraph(PANEL_GRAPH, VAL_ALL_PLOTS);
  SetDataAxis();
  const int points = LoadedPoints();
  for (int k = 0; k < LoadedTraces(); ++k) {
    plotHandles[k] = PlotOnDataGraph(ydata[k], points, VAL_CONNECTED_POINTS, VAL_SOLID, VAL_BLACK);
    SetPlotAttribute(panelHandle, PANEL_GRAPH, plotHandles[k], ATTR_FADED, 1);
  }
  plotHandles[kZeroLineSlot] = PlotOnDataGraph(zeroLine, points, VAL_THIN_LINE, VAL_DOT, VAL_BLACK);
  SetGraphCursor(panelHandle, PANEL_GRAPH, kDataCursor, timevals[points / 2], 0.0);
  return 1;
}

int ShowFits() {
  ShowMH();
  ShowTau();
  const int points = LoadedPoints();
  for (int k = 0; k < LoadedTraces(); ++k) {
    int32_t& slot = plotHandles[FitSlot(k)];
    if (slot != 0) ClearGraph(PANEL_GRAPH, slot);
    slot = PlotOnDataGraph(SummedFit(k).data(), points, VAL_CONNECTED_POINTS, VAL_SOLID,
                           TraceColor(k));
    SetPlotAttribute(panelHandle, PANEL_GRAPH, slot, ATTR_LINE_WIDTH, kFitLineWidth);
  }
  ShowResiduals();
  ShowGoodness();
  return 1;
}

void EvaluateAndShow() {
  DoFit();
  ShowFits();
}

void ChangeDataColors() {
  if (status.dataLoaded == 0) return;
  for (int k = 0; k < LoadedTraces(); ++k) {
    const int color = status.colorTraces != 0 ? TraceColor(k) : VAL_BLACK;
    SetPlotAttribute(panelHandle, PANEL_GRAPH, plotHandles[k], ATTR_TRACE_COLOR, color);
  }
  ColorResiduals();
}

void DoDataCursor() {
  double x = 0.0;
  double y = 0.0;
  if (GetGraphCursor(panelHandle, PANEL_GRAPH, kDataCursor, &x, &y) < 0) return;
  const int points = LoadedPoints();
  int s = 0;
  while (s < points && x > timevals[s]) ++s;
  // Right of every sample the search ends one past the last: the last sample is marked.
  s = std::min(s, std::max(points - 1, 0));
  status.cursorIndex = s;
  for (int k = 0; k < LoadedTraces(); ++k) {
    if (pointHandles[k] != 0) ClearGraph(PANEL_GRAPH, pointHandles[k]);
    pointHandles[k] = KeptHandle(PlotXY(panelHandle, PANEL_GRAPH, &timevals[s], &ydata[k][s], 1,
                                        VAL_DOUBLE, VAL_DOUBLE, VAL_SCATTER, VAL_EMPTY_CIRCLE,
                                        VAL_SOLID, kEveryPoint, VAL_BLUE));
  }
  PlotMHPoints();
}

void PlaceDataCursor(double timeMs) {
  if (status.dataLoaded == 0) return;
  SetGraphCursor(panelHandle, PANEL_GRAPH, kDataCursor, timeMs, 0.0);
  DoDataCursor();
}

bool DataCursorMarks() {
  return status.dataLoaded != 0 && pointHandles[0] != 0;
}

int graph1CB(int, int, int event, void*, int, int) {
  if (event == EVENT_COMMIT) DoDataCursor();
  return 0;
}

int datascaleCB(int panel, int control, int event, void*, int, int) {
  double value = 0.0;
  GetCtrlVal(panel, control, &value);
  if (event != EVENT_COMMIT) return 0;
  switch (control) {
    case PANEL_XMIN:
      status.xMin = value;
      break;
    case PANEL_XMAX:
      status.xMax = value;
      break;
    case PANEL_YMIN:
      status.yMin = value;
      break;
    case PANEL_YMAX:
      status.yMax = value;
      break;
    case PANEL_VMIN:
      status.vMin = value;
      break;
    case PANEL_VMAX:
      status.vMax = value;
      break;
    default:
      return 0;
  }
  if (control == PANEL_VMIN || control == PANEL_VMAX) {
    ShowMH();
    ShowTau();
  } else {
    SetDataAxis();
  }
  AfterChange({Changed::kRanges});
  return 1;
}
