// Handles on a graph: small points the user drags with the mouse. They grow under the mouse,
// show their tip while hovered and dragged, and report each move and the release to the graph's
// handle callback. Drawn as items, so they are no plots: deleting every plot keeps them.
#include <qcustomplot.h>

#include <QToolTip>
#include <cmath>
#include <limits>

#include "platform/controls_style.h"
#include "platform/graph_state.h"
#include "platform/runtime.h"

namespace {
constexpr double kQuietSize = 7;  // pixels across
constexpr double kHoverSize = 12;
constexpr double kGrabRadius = 9;  // pixels from the centre that still take the handle

GraphState* FindGraphState(int panel, int graph) {
  ControlRecord* control = FindControl(panel, graph);
  if (!control || control->kind != ControlKind::Graph || !control->graph) return nullptr;
  return control->graph.get();
}

void StyleMarker(const HandleRecord& handle, bool hot) {
  const QColor color = ToQColor(handle.color);
  handle.marker->setPen(QPen(color, hot ? 2 : 1.5));
  // Quiet: a white disc ringed in the curve's colour; under the mouse: larger and filled.
  handle.marker->setBrush(hot ? QBrush(color) : QBrush(Qt::white));
  handle.marker->setSize(hot ? kHoverSize : kQuietSize);
}

QPointF PixelOf(const GraphState& graph, double x, double y) {
  return {graph.plot->xAxis->coordToPixel(x), graph.plot->yAxis->coordToPixel(y)};
}

// The visible handle nearest to pixel within the grab radius, 0 for none; of handles that stand
// on one another, the one with the lowest number.
int HandleAt(const GraphState& graph, const QPointF& pixel) {
  int nearest = 0;
  double best = kGrabRadius + 1e-9;
  for (const auto& [id, handle] : graph.handles) {
    if (!handle.marker->visible()) continue;
    const double distance = QLineF(PixelOf(graph, handle.x, handle.y), pixel).length();
    if (distance < best) {
      best = distance;
      nearest = id;
    }
  }
  return nearest;
}

void SetHovered(GraphState& graph, int id) {
  if (graph.hoveredHandle == id) return;
  for (auto& [key, handle] : graph.handles) StyleMarker(handle, key == id);
  graph.hoveredHandle = id;
  graph.plot->setCursor(id != 0 ? Qt::OpenHandCursor : Qt::ArrowCursor);
  graph.plot->replot(QCustomPlot::rpQueuedReplot);
}

void ShowTip(GraphState& graph, int id, const QPointF& pixel) {
  const auto found = graph.handles.find(id);
  if (found == graph.handles.end() || found->second.tip.empty()) return;
  QToolTip::showText(graph.plot->mapToGlobal(pixel.toPoint() + QPoint(14, -24)),
                     QString::fromStdString(found->second.tip), graph.plot);
}

// Where the mouse at pixel has taken the dragged handle, in axis units.
QPointF DraggedTo(const GraphState& graph, const QPointF& pixel) {
  const double px = graph.dragStartX + (pixel.x() - graph.pressX);
  const double py = graph.dragStartY + (pixel.y() - graph.pressY);
  return {graph.plot->xAxis->pixelToCoord(px), graph.plot->yAxis->pixelToCoord(py)};
}

void Report(int panel, int graphId, GraphState& graph, int phase, const QPointF& pixel) {
  const QPointF to = DraggedTo(graph, pixel);
  const int id = graph.draggedHandle;
  if (phase == HANDLE_RELEASED) graph.draggedHandle = 0;
  if (graph.handleCallback) graph.handleCallback(panel, graphId, id, phase, to.x(), to.y());
}

void ConnectHandleMouse(int panel, int graphId, const std::shared_ptr<GraphState>& state) {
  QCustomPlot* plot = state->plot;
  plot->setMouseTracking(true);
  QObject::connect(plot, &QCustomPlot::mousePress, [graph = state](QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || graph->dragging) return;
    const int id = HandleAt(*graph, event->position());
    if (id == 0) return;
    // An entry still being typed is finished first, as a click on any control does.
    FinishPendingEntries(0, 0);
    const auto found = graph->handles.find(id);
    if (found == graph->handles.end()) return;
    const QPointF start = PixelOf(*graph, found->second.x, found->second.y);
    graph->draggedHandle = id;
    graph->dragStartX = start.x();
    graph->dragStartY = start.y();
    graph->pressX = event->position().x();
    graph->pressY = event->position().y();
    graph->plot->setCursor(Qt::ClosedHandCursor);
  });
  QObject::connect(plot, &QCustomPlot::mouseMove,
                   [graph = state, panel, graphId](QMouseEvent* event) {
                     if (graph->draggedHandle == 0) {
                       if (graph->dragging) return;
                       const int id = HandleAt(*graph, event->position());
                       SetHovered(*graph, id);
                       if (id != 0) ShowTip(*graph, id, event->position());
                       return;
                     }
                     const int id = graph->draggedHandle;
                     Report(panel, graphId, *graph, HANDLE_MOVED, event->position());
                     ShowTip(*graph, id, event->position());
                   });
  QObject::connect(plot, &QCustomPlot::mouseRelease,
                   [graph = state, panel, graphId](QMouseEvent* event) {
                     if (graph->draggedHandle == 0 || event->button() != Qt::LeftButton) return;
                     Report(panel, graphId, *graph, HANDLE_RELEASED, event->position());
                     QToolTip::hideText();
                     // The axes kept their ranges during the drag; now they follow the plots.
                     if (!graph->manualRange) graph->plot->rescaleAxes();
                     graph->hoveredHandle = -1;  // restyled at the next move
                     SetHovered(*graph, HandleAt(*graph, event->position()));
                   });
}
}  // namespace

bool HandleDragInProgress(const GraphState& graph) {
  return graph.draggedHandle != 0;
}

int SetGraphHandleCallback(int panel, int graph, GraphHandleCallbackPtr callback) {
  ControlRecord* control = FindControl(panel, graph);
  if (!control || control->kind != ControlKind::Graph || !control->graph)
    return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  const bool connected = control->graph->handleCallback != nullptr;
  control->graph->handleCallback = callback;
  if (!connected && callback) ConnectHandleMouse(panel, graph, control->graph);
  return 0;
}

int SetGraphHandle(int panel, int graph, int handle, double x, double y, int color,
                   const char* tip) {
  GraphState* state = FindGraphState(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (handle <= 0) return kErrBadValue;
  HandleRecord& record = state->handles[handle];
  if (!record.marker) {
    record.marker = new QCPItemTracer(state->plot);
    record.marker->setStyle(QCPItemTracer::tsCircle);
    record.marker->setLayer(QStringLiteral("overlay"));
    record.marker->setSelectable(false);
  }
  const bool shown = std::isfinite(x) && std::isfinite(y);
  record.x = shown ? x : std::numeric_limits<double>::quiet_NaN();
  record.y = shown ? y : std::numeric_limits<double>::quiet_NaN();
  record.color = color;
  record.tip = tip ? tip : "";
  record.marker->position->setCoords(shown ? x : 0, shown ? y : 0);
  record.marker->setVisible(shown);
  StyleMarker(record, handle == state->hoveredHandle || handle == state->draggedHandle);
  state->plot->replot(QCustomPlot::rpQueuedReplot);
  return 0;
}
