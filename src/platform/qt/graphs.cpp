// Graph controls on QCustomPlot: plots with their handles, the trace colour, axis ranges, the
// frame and background colours, and cursor 1, a vertical line the user drags or places with a
// click (a commit to the graph's callback when the mouse is released).
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "platform/qt/controls_style.h"
#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

namespace {
constexpr int kFramePenWidth = 2;       // the frame that shows the selected current's colour
constexpr double kSimpleDotSize = 3;    // pixels
constexpr double kEmptyCircleSize = 8;  // pixels
const QColor kCursorColor(30, 30, 150);
constexpr int kFadedAlpha = 80;  // of 255: a faded plot reads as a pale line behind the others

int nextPlotHandle = 1;  // never reused: a deleted plot's handle stays dead

GraphState* FindGraph(int panel, int graph) {
  ControlRecord* control = FindControl(panel, graph);
  if (!control || control->kind != ControlKind::Graph || !control->graph) return nullptr;
  return control->graph.get();
}

void QueueReplot(GraphState& graph) {
  graph.plot->replot(QCustomPlot::rpQueuedReplot);
}

QPen PenFor(const PlotInfo& info) {
  QColor color = ToQColor(info.color);
  if (info.faded) color.setAlpha(kFadedAlpha);
  QPen pen(color);
  pen.setWidthF(info.lineWidth);
  pen.setStyle(info.lineStyle == VAL_DOT ? Qt::DotLine : Qt::SolidLine);
  return pen;
}

QCPScatterStyle ScatterFor(int plotStyle, int pointStyle, int color) {
  // A simple dot is one pixel: on a connected plot it is part of the line itself, and a disc on
  // each of thousands of noisy samples would smear the trace.
  if (plotStyle == VAL_THIN_LINE ||
      (plotStyle == VAL_CONNECTED_POINTS && pointStyle == VAL_SIMPLE_DOT))
    return QCPScatterStyle(QCPScatterStyle::ssNone);
  const std::pair<int, QCPScatterStyle::ScatterShape> shapes[] = {
      {VAL_EMPTY_CIRCLE, QCPScatterStyle::ssCircle},
      {VAL_EMPTY_SQUARE, QCPScatterStyle::ssSquare},
      {VAL_EMPTY_TRIANGLE, QCPScatterStyle::ssTriangle},
      {VAL_EMPTY_DIAMOND, QCPScatterStyle::ssDiamond},
      {VAL_CROSS, QCPScatterStyle::ssCross}};
  for (const auto& [style, shape] : shapes) {
    if (pointStyle == style) return QCPScatterStyle(shape, ToQColor(color), kEmptyCircleSize);
  }
  return QCPScatterStyle(QCPScatterStyle::ssDisc, ToQColor(color), ToQColor(color), kSimpleDotSize);
}

void Style(QCPAbstractPlottable* plottable, const PlotInfo& info) {
  const QPen pen = PenFor(info);
  const QCPScatterStyle scatter = ScatterFor(info.plotStyle, info.pointStyle, info.color);
  const bool lines = info.plotStyle != VAL_SCATTER;
  plottable->setPen(pen);
  if (auto* graph = qobject_cast<QCPGraph*>(plottable)) {
    graph->setLineStyle(lines ? QCPGraph::lsLine : QCPGraph::lsNone);
    graph->setScatterStyle(scatter);
  } else if (auto* curve = qobject_cast<QCPCurve*>(plottable)) {
    curve->setLineStyle(lines ? QCPCurve::lsLine : QCPCurve::lsNone);
    curve->setScatterStyle(scatter);
  }
}

void PlaceCursorLine(GraphState& graph) {
  if (!graph.cursorLine) return;
  graph.cursorLine->point1->setCoords(graph.cursorX, 0);
  graph.cursorLine->point2->setCoords(graph.cursorX, 1);
  graph.cursorLine->setVisible(true);
}

// The mouse position in axis units, kept inside the visible ranges.
void MoveCursorTo(GraphState& graph, const QPointF& pixel) {
  const QCPRange xs = graph.plot->xAxis->range(), ys = graph.plot->yAxis->range();
  graph.cursorX = std::clamp(graph.plot->xAxis->pixelToCoord(pixel.x()), xs.lower, xs.upper);
  graph.cursorY = std::clamp(graph.plot->yAxis->pixelToCoord(pixel.y()), ys.lower, ys.upper);
  PlaceCursorLine(graph);
  graph.plot->replot(QCustomPlot::rpQueuedReplot);
}

// The mouse goes to the shaded regions first (when the graph has them), then to the cursor.
void ConnectMouse(int panel, int id, const std::shared_ptr<GraphState>& state) {
  // The handlers share the state, so a discarded panel's last events find it still alive.
  QCustomPlot* plot = state->plot;
  QObject::connect(plot, &QCustomPlot::mousePress, [graph = state](QMouseEvent* event) {
    if (RegionMousePress(graph, event)) return;
    if (!graph->hasCursor || event->button() != Qt::LeftButton) return;
    if (!graph->plot->axisRect()->rect().contains(event->position().toPoint())) return;
    graph->dragging = true;
    MoveCursorTo(*graph, event->position());
  });
  QObject::connect(plot, &QCustomPlot::mouseMove, [graph = state](QMouseEvent* event) {
    if (RegionMouseMove(*graph, event)) return;
    if (graph->dragging) MoveCursorTo(*graph, event->position());
  });
  QObject::connect(plot, &QCustomPlot::mouseRelease,
                   [graph = state, panel, id](QMouseEvent* event) {
                     if (RegionMouseRelease(*graph, event)) return;
                     if (!graph->dragging || event->button() != Qt::LeftButton) return;
                     graph->dragging = false;
                     MoveCursorTo(*graph, event->position());
                     DeliverControlEvent(panel, id, EVENT_COMMIT);
                   });
}

// A strip under another graph shares its time axis: its plot area takes the same left and right
// edges, whatever width either graph's tick labels need.
void AlignWith(QCustomPlot* strip, const QString& otherName) {
  QWidget* window = strip->window();
  auto* other = window ? window->findChild<QCustomPlot*>(otherName) : nullptr;
  if (!other) return;
  strip->axisRect()->setAutoMargins(QCP::msTop | QCP::msBottom);
  strip->xAxis->setTickLabels(false);       // the graph above carries the time labels
  strip->yAxis->ticker()->setTickCount(3);  // a low strip has room for a few labels only
  QObject::connect(other, &QCustomPlot::afterLayout, strip, [strip, other] {
    const QMargins wanted = other->axisRect()->margins();
    QMargins margins = strip->axisRect()->margins();
    if (margins.left() == wanted.left() && margins.right() == wanted.right()) return;
    margins.setLeft(wanted.left());
    margins.setRight(wanted.right());
    strip->axisRect()->setMargins(margins);
    strip->replot(QCustomPlot::rpQueuedReplot);
  });
}
}  // namespace

// ---- set-up, colours ----

void SetUpGraph(int panel, ControlRecord& control) {
  auto state = std::make_shared<GraphState>();
  state->plot = qobject_cast<QCustomPlot*>(control.widget.data());
  control.graph = state;
  QCustomPlot* plot = state->plot;
  plot->setLocale(QLocale::c());  // tick labels with a point, as the fields show numbers
  plot->setInteractions(QCP::Interactions());
  plot->setNoAntialiasingOnDrag(true);
  plot->xAxis->setLabel(control.widget->property("xLabel").toString());
  plot->yAxis->setLabel(control.widget->property("yLabel").toString());
  // The top and right axes only close the frame.
  for (QCPAxis* axis : {plot->xAxis2, plot->yAxis2}) {
    axis->setVisible(true);
    axis->setTicks(false);
    axis->setTickLabels(false);
  }
  const bool framed = control.widget->property("frameColor").isValid();
  SetGraphFrameColor(*state, framed ? ColorFromProperty(control.widget, "frameColor") : VAL_BLACK);
  SetGraphBackground(*state, 0xFFFFFF);
  state->hasCursor = control.widget->property("graphCursor").toBool();
  if (state->hasCursor) {
    state->cursorLine = new QCPItemStraightLine(plot);
    state->cursorLine->setPen(QPen(kCursorColor, 1, Qt::DashLine));
    state->cursorLine->setSelectable(false);
    state->cursorLine->setVisible(false);
    plot->setCursor(Qt::CrossCursor);
  }
  ConnectMouse(panel, control.id, state);
  const QString alignWith = control.widget->property("alignWith").toString();
  if (!alignWith.isEmpty()) AlignWith(plot, alignWith);
}

void SetGraphFrameColor(GraphState& graph, int color) {
  graph.frameColor = color;
  const bool plain = color == VAL_BLACK;
  QPen pen(ToQColor(color), plain ? 1 : kFramePenWidth);
  for (QCPAxis* axis : graph.plot->axisRect()->axes()) axis->setBasePen(pen);
  QueueReplot(graph);
}

void SetGraphBackground(GraphState& graph, int color) {
  graph.backgroundColor = color;
  graph.plot->axisRect()->setBackground(QBrush(ToQColor(color)));
  QueueReplot(graph);
}

void ReplotNow(GraphState& graph) {
  graph.plot->replot(QCustomPlot::rpImmediateRefresh);
}

// ---- plots ----

int PlotXY(int panel, int graph, const double* x, const double* y, int count, int xType, int yType,
           int plotStyle, int pointStyle, int lineStyle, int, int color) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (count < 0 || (count > 0 && (!x || !y)) || xType != VAL_DOUBLE || yType != VAL_DOUBLE)
    return kErrBadValue;

  PlotRecord record;
  record.info = {std::vector<double>(x, x + count),
                 std::vector<double>(y, y + count),
                 plotStyle,
                 pointStyle,
                 lineStyle,
                 color,
                 1,
                 false};
  const QVector<double> keys(x, x + count), values(y, y + count);
  // Rising x (a trace against time) draws fastest as a graph; anything else keeps its order.
  if (std::is_sorted(keys.begin(), keys.end())) {
    QCPGraph* plot = state->plot->addGraph();
    plot->setData(keys, values, true);
    plot->setAdaptiveSampling(true);
    record.plottable = plot;
  } else {
    auto* curve = new QCPCurve(state->plot->xAxis, state->plot->yAxis);
    curve->setData(keys, values);
    record.plottable = curve;
  }
  Style(record.plottable, record.info);
  const int handle = nextPlotHandle++;
  state->plots[handle] = std::move(record);
  // Axes follow the plots until the program fixes a range (the curve graphs never do).
  if (!state->manualRange && !HandleDragInProgress(*state)) state->plot->rescaleAxes();
  QueueReplot(*state);
  return handle;
}

int DeleteGraphPlot(int panel, int graph, int plotHandle, int) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (plotHandle == VAL_ALL_PLOTS) {
    for (auto& [handle, record] : state->plots) state->plot->removePlottable(record.plottable);
    state->plots.clear();
  } else {
    const auto found = state->plots.find(plotHandle);
    if (found == state->plots.end()) return kErrBadPlot;
    state->plot->removePlottable(found->second.plottable);
    state->plots.erase(found);
  }
  QueueReplot(*state);
  return 0;
}

int SetPlotAttribute(int panel, int graph, int plotHandle, int attribute, int value) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  const auto found = state->plots.find(plotHandle);
  if (found == state->plots.end()) return kErrBadPlot;
  PlotInfo& info = found->second.info;
  if (attribute == ATTR_TRACE_COLOR)
    info.color = value;
  else if (attribute == ATTR_LINE_WIDTH && value >= 1)
    info.lineWidth = value;
  else if (attribute == ATTR_FADED)
    info.faded = value != 0;
  else
    return kErrBadAttribute;
  Style(found->second.plottable, found->second.info);
  QueueReplot(*state);
  return 0;
}

int SetAxisRange(int panel, int graph, int xMode, double xMin, double xMax, int yMode, double yMin,
                 double yMax) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  auto usable = [](double low, double high) {
    return std::isfinite(low) && std::isfinite(high) && low < high;
  };
  // All or nothing: a range the axis cannot show leaves both axes as they were.
  if ((xMode == VAL_MANUAL && !usable(xMin, xMax)) || (yMode == VAL_MANUAL && !usable(yMin, yMax)))
    return kErrBadValue;
  QCustomPlot* plot = state->plot;
  state->manualRange = xMode == VAL_MANUAL || yMode == VAL_MANUAL;
  if (xMode == VAL_MANUAL)
    plot->xAxis->setRange(xMin, xMax);
  else
    plot->xAxis->rescale();
  if (yMode == VAL_MANUAL)
    plot->yAxis->setRange(yMin, yMax);
  else
    plot->yAxis->rescale();
  QueueReplot(*state);
  return 0;
}

// ---- cursor 1 ----

int SetGraphCursor(int panel, int graph, int cursor, double x, double y) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (!state->hasCursor || cursor != 1) return kErrBadAttribute;
  if (!std::isfinite(x) || !std::isfinite(y)) return kErrBadValue;
  state->cursorX = x;
  state->cursorY = y;
  PlaceCursorLine(*state);
  QueueReplot(*state);
  return 0;
}

int GetGraphCursor(int panel, int graph, int cursor, double* x, double* y) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
  if (!state->hasCursor || cursor != 1) return kErrBadAttribute;
  if (x) *x = state->cursorX;
  if (y) *y = state->cursorY;
  return 0;
}
