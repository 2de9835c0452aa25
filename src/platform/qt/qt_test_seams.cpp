// The test seams that need the toolkit, built into GUI test binaries only: the objects behind
// handles and ids, the real mouse path to the data graph's cursor, and the read-back of graphs.
#include <qcustomplot.h>
#include <QApplication>
#include <QMouseEvent>
#include <limits>

#include "platform/qt/graph_state.h"
#include "platform/qt/platform_qt_test.h"
#include "platform/qt/runtime.h"

QWidget* PanelWidget(int panel) {
  const PanelRecord* record = FindPanel(panel);
  return record ? record->window.data() : nullptr;
}

QWidget* CtrlWidget(int panel, int control) {
  const ControlRecord* record = FindControl(panel, control);
  return record ? record->widget.data() : nullptr;
}

QAction* MenuItemAction(int menuBar, int item) {
  const MenuBarRecord* record = FindMenuBar(menuBar);
  if (!record) return nullptr;
  const auto found = record->items.find(item);
  return found == record->items.end() ? nullptr : found->second.data();
}

bool ChooseCtrlMenuItem(int panel, int control, int item) {
  const ControlRecord* record = FindControl(panel, control);
  if (!record || !record->menuChosen || item < 0 ||
      item >= static_cast<int>(record->menuItems.size()))
    return false;
  record->menuChosen(panel, control, item);
  return true;
}

bool GraphPixelOf(int panel, int graph, double x, double y, QPoint* pixel) {
  const ControlRecord* record = FindControl(panel, graph);
  if (!record || !record->graph || !pixel) return false;
  // The middle of the y axis when y lies outside it, so a press always lands in the plot area.
  QCustomPlot* plot = record->graph->plot;
  const QCPRange ys = plot->yAxis->range();
  const double inside = ys.contains(y) ? y : ys.center();
  *pixel = QPointF(plot->xAxis->coordToPixel(x), plot->yAxis->coordToPixel(inside)).toPoint();
  return true;
}

namespace {
GraphState* FindGraph(int panel, int graph) {
  ControlRecord* control = FindControl(panel, graph);
  return control && control->kind == ControlKind::Graph ? control->graph.get() : nullptr;
}

void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
  const QPointF local(at);
  QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}
}  // namespace

bool DragGraphCursor(int panel, int graph, double fromX, double toX) {
  QWidget* plot = CtrlWidget(panel, graph);
  QPoint from, to;
  const double none = std::numeric_limits<double>::quiet_NaN();  // outside: mid-height
  if (!plot || !GraphPixelOf(panel, graph, fromX, none, &from) ||
      !GraphPixelOf(panel, graph, toX, none, &to))
    return false;
  SendMouse(plot, QEvent::MouseButtonPress, from, Qt::LeftButton);
  if (to != from) SendMouse(plot, QEvent::MouseMove, to, Qt::LeftButton);
  SendMouse(plot, QEvent::MouseButtonRelease, to, Qt::NoButton);
  return true;
}

// ---- graphs ----

std::vector<int> GraphPlotHandles(int panel, int graph) {
  std::vector<int> handles;
  if (GraphState* state = FindGraph(panel, graph))
    for (const auto& [handle, record] : state->plots) handles.push_back(handle);
  return handles;
}

bool GetPlotInfo(int panel, int graph, int handle, PlotInfo* info) {
  GraphState* state = FindGraph(panel, graph);
  if (!state || !info) return false;
  const auto found = state->plots.find(handle);
  if (found == state->plots.end()) return false;
  *info = found->second.info;
  return true;
}

bool GetAxisRange(int panel, int graph, double* xMin, double* xMax, double* yMin, double* yMax) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return false;
  const QCPRange xs = state->plot->xAxis->range(), ys = state->plot->yAxis->range();
  if (xMin) *xMin = xs.lower;
  if (xMax) *xMax = xs.upper;
  if (yMin) *yMin = ys.lower;
  if (yMax) *yMax = ys.upper;
  return true;
}
