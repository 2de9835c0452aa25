// Shaded regions on a graph: their drawing, the mouse gestures that mark, move, resize and
// remove them, and the right-button menu that chooses the noise region.
#include <qcustomplot.h>

#include <QMenu>
#include <algorithm>
#include <cmath>

#include "platform/qt/graph_state.h"
#include "platform/qt/region_editor.h"
#include "platform/qt/runtime.h"

namespace {
constexpr double kEdgeGrabPixels = 5;   // how near an edge the mouse resizes instead
constexpr double kMinRegionPixels = 3;  // a Shift+click narrower than this marks nothing
const QColor kExcludedFill(70, 70, 70, 80);
const QColor kExcludedEdge(70, 70, 70, 160);
const QColor kNoiseFill(40, 100, 220, 60);
const QColor kNoiseEdge(40, 100, 220, 170);

using Drag = RegionEditing::Drag;

GraphState* FindGraph(int panel, int graph) {
  ControlRecord* control = FindControl(panel, graph);
  if (!control || control->kind != ControlKind::Graph || !control->graph) return nullptr;
  return control->graph.get();
}

int Missing() {
  return RunTimeStarted() ? kErrBadControl : kErrNotStarted;
}

GraphRegion Ordered(GraphRegion region) {
  if (region.from > region.to) std::swap(region.from, region.to);
  return region;
}

void Redraw(GraphState& graph) {
  RegionEditing& editing = graph.regionEditing;
  QCustomPlot* plot = graph.plot;
  for (QCPItemRect* item : editing.items) plot->removeItem(item);
  editing.items.clear();
  for (const GraphRegion& shown : editing.regions) {
    const GraphRegion region = Ordered(shown);
    auto* item = new QCPItemRect(plot);
    item->setLayer(QLatin1String("grid"));  // beneath the traces
    item->setSelectable(false);
    for (QCPItemPosition* corner : {item->topLeft, item->bottomRight}) {
      corner->setTypeX(QCPItemPosition::ptPlotCoords);
      corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
    }
    item->topLeft->setCoords(region.from, 0);
    item->bottomRight->setCoords(region.to, 1);
    const bool noise = region.kind == REGION_NOISE;
    item->setBrush(QBrush(noise ? kNoiseFill : kExcludedFill));
    item->setPen(QPen(noise ? kNoiseEdge : kExcludedEdge, 1));
    editing.items.push_back(item);
  }
  plot->replot(QCustomPlot::rpQueuedReplot);
}

void TellProgram(GraphState& graph) {
  const RegionEditing& editing = graph.regionEditing;
  if (editing.changed) editing.changed(editing.panel, editing.graph);
}

double XOf(const GraphState& graph, const QPointF& pixel) {
  const QCPRange xs = graph.plot->xAxis->range();
  return std::clamp(graph.plot->xAxis->pixelToCoord(pixel.x()), xs.lower, xs.upper);
}

double PixelOf(const GraphState& graph, double x) {
  return graph.plot->xAxis->coordToPixel(x);
}

// What lies under the mouse: the region and which part of it (an edge, or inside).
struct Hit {
  int index = -1;
  Drag part = Drag::None;
};

Hit HitAt(const GraphState& graph, const QPointF& pixel) {
  const std::vector<GraphRegion>& regions = graph.regionEditing.regions;
  // The last drawn lies on top, so it is found first.
  for (int n = static_cast<int>(regions.size()) - 1; n >= 0; --n) {
    const GraphRegion region = Ordered(regions[n]);
    const double left = PixelOf(graph, region.from), right = PixelOf(graph, region.to);
    if (std::abs(pixel.x() - left) <= kEdgeGrabPixels) return {n, Drag::ResizeFrom};
    if (std::abs(pixel.x() - right) <= kEdgeGrabPixels) return {n, Drag::ResizeTo};
  }
  for (int n = static_cast<int>(regions.size()) - 1; n >= 0; --n) {
    const GraphRegion region = Ordered(regions[n]);
    const double x = graph.plot->xAxis->pixelToCoord(pixel.x());
    if (x >= region.from && x <= region.to) return {n, Drag::Move};
  }
  return {};
}

bool InPlotArea(const GraphState& graph, const QPointF& pixel) {
  return graph.plot->axisRect()->rect().contains(pixel.toPoint());
}

void RemoveRegion(GraphState& graph, int index) {
  auto& regions = graph.regionEditing.regions;
  if (index < 0 || index >= static_cast<int>(regions.size())) return;
  regions.erase(regions.begin() + index);
  Redraw(graph);
  TellProgram(graph);
}

// Makes region `index` the only noise region, or an excluded one.
void SetKind(GraphState& graph, int index, int kind) {
  auto& regions = graph.regionEditing.regions;
  if (index < 0 || index >= static_cast<int>(regions.size())) return;
  GraphRegion chosen = regions[index];
  chosen.kind = kind;
  regions.erase(regions.begin() + index);
  if (kind == REGION_NOISE)
    std::erase_if(regions, [](const GraphRegion& r) { return r.kind == REGION_NOISE; });
  regions.push_back(chosen);
  Redraw(graph);
  TellProgram(graph);
}

void SetNoise(GraphState& graph, double from, double to) {
  auto& regions = graph.regionEditing.regions;
  std::erase_if(regions, [](const GraphRegion& r) { return r.kind == REGION_NOISE; });
  if (from < to) regions.push_back({REGION_NOISE, from, to});
  Redraw(graph);
  TellProgram(graph);
}

// The edges typed in the editor, for the region at index when it is still the one the editor
// was opened for (the program may have replaced the regions meanwhile).
void EditRegion(const std::shared_ptr<GraphState>& state, int index) {
  const GraphRegion opened = state->regionEditing.regions[index];
  OpenRegionEditor(
      state->plot, opened.kind == REGION_NOISE, opened.from, opened.to,
      [state, index, opened](double from, double to) {
        auto& regions = state->regionEditing.regions;
        if (index >= static_cast<int>(regions.size())) return;
        GraphRegion& region = regions[index];
        if (region.kind != opened.kind || region.from != opened.from || region.to != opened.to)
          return;
        region.from = from;
        region.to = to;
        Redraw(*state);
        TellProgram(*state);
      });
}

// The right-button menu: shown without blocking, so that nothing waits on it.
void ShowRegionMenu(const std::shared_ptr<GraphState>& state, const QPointF& pixel,
                    const QPoint& global) {
  GraphState& graph = *state;
  auto* menu = new QMenu(graph.plot);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const Hit hit = HitAt(graph, pixel);
  const RegionEditing& editing = graph.regionEditing;
  if (hit.index >= 0) {
    const int index = hit.index;
    const bool noise = editing.regions[index].kind == REGION_NOISE;
    menu->addAction(noise ? QObject::tr("Remove the noise region")
                          : QObject::tr("Remove this region (take it back into the fit)"),
                    [state, index] { RemoveRegion(*state, index); });
    if (noise)
      menu->addAction(QObject::tr("Leave this stretch out of the fit instead"),
                      [state, index] { SetKind(*state, index, REGION_EXCLUDED); });
    else
      menu->addAction(QObject::tr("Use this stretch as the noise region instead"),
                      [state, index] { SetKind(*state, index, REGION_NOISE); });
    menu->addAction(QObject::tr("Edit region…"), [state, index] { EditRegion(state, index); });
  } else {
    QAction* hint = menu->addAction(QObject::tr("Shift+drag: leave a stretch out of the fit"));
    hint->setEnabled(false);
    if (editing.suggestFrom < editing.suggestTo) {
      const double from = editing.suggestFrom, to = editing.suggestTo;
      menu->addAction(QString::fromStdString(editing.suggestLabel),
                      [state, from, to] { SetNoise(*state, from, to); });
    }
    const bool hasNoise = std::any_of(editing.regions.begin(), editing.regions.end(),
                                      [](const GraphRegion& r) { return r.kind == REGION_NOISE; });
    if (hasNoise)
      menu->addAction(QObject::tr("No noise region"), [state] { SetNoise(*state, 0, 0); });
  }
  menu->popup(global);
}

void SetHoverShape(GraphState& graph, const QPointF& pixel) {
  const Hit hit = HitAt(graph, pixel);
  const bool edge = hit.part == Drag::ResizeFrom || hit.part == Drag::ResizeTo;
  if (edge)
    graph.plot->setCursor(Qt::SizeHorCursor);
  else if (graph.hasCursor)
    graph.plot->setCursor(Qt::CrossCursor);
  else
    graph.plot->unsetCursor();
}

}  // namespace

// ---- mouse ----

bool RegionMousePress(const std::shared_ptr<GraphState>& state, QMouseEvent* event) {
  GraphState& graph = *state;
  RegionEditing& editing = graph.regionEditing;
  if (!editing.enabled || !InPlotArea(graph, event->position())) return false;
  if (event->button() == Qt::RightButton) {
    ShowRegionMenu(state, event->position(), event->globalPosition().toPoint());
    return true;
  }
  if (event->button() != Qt::LeftButton) return false;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const Hit hit = HitAt(graph, event->position());
  const double x = XOf(graph, event->position());
  if (hit.part == Drag::ResizeFrom || hit.part == Drag::ResizeTo || (shift && hit.index >= 0)) {
    editing.drag = hit.part;
    editing.dragIndex = hit.index;
  } else if (shift) {
    editing.regions.push_back({REGION_EXCLUDED, x, x});
    editing.drag = Drag::Create;
    editing.dragIndex = static_cast<int>(editing.regions.size()) - 1;
  } else {
    return false;
  }
  editing.dragAnchor = x;
  editing.dragStart = Ordered(editing.regions[editing.dragIndex]);
  editing.regions[editing.dragIndex] = editing.dragStart;
  return true;
}

bool RegionMouseMove(GraphState& graph, QMouseEvent* event) {
  RegionEditing& editing = graph.regionEditing;
  if (!editing.enabled) return false;
  if (editing.drag == Drag::None) {
    if (!graph.dragging) SetHoverShape(graph, event->position());
    return false;
  }
  const double x = XOf(graph, event->position());
  GraphRegion& region = editing.regions[editing.dragIndex];
  const GraphRegion start = editing.dragStart;
  switch (editing.drag) {
    case Drag::Create:
      region.from = std::min(editing.dragAnchor, x);
      region.to = std::max(editing.dragAnchor, x);
      break;
    case Drag::Move:
      region.from = start.from + (x - editing.dragAnchor);
      region.to = start.to + (x - editing.dragAnchor);
      break;
    case Drag::ResizeFrom:
      region.from = std::min(x, start.to);
      region.to = std::max(x, start.to);
      break;
    case Drag::ResizeTo:
      region.from = std::min(start.from, x);
      region.to = std::max(start.from, x);
      break;
    case Drag::None:
      break;
  }
  Redraw(graph);
  return true;
}

bool RegionMouseRelease(GraphState& graph, QMouseEvent* event) {
  RegionEditing& editing = graph.regionEditing;
  if (!editing.enabled || editing.drag == Drag::None) return false;
  if (event->button() != Qt::LeftButton) return true;
  RegionMouseMove(graph, event);
  const Drag finished = editing.drag;
  editing.drag = Drag::None;
  GraphRegion& region = editing.regions[editing.dragIndex];
  const double width = PixelOf(graph, region.to) - PixelOf(graph, region.from);
  if (finished == Drag::Create && width < kMinRegionPixels) {
    editing.regions.erase(editing.regions.begin() + editing.dragIndex);  // a click, not a drag
    Redraw(graph);
    return true;
  }
  TellProgram(graph);
  return true;
}

// ---- the program's side ----

int EnableGraphRegions(int panel, int graph, RegionCallbackPtr changed) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return Missing();
  RegionEditing& editing = state->regionEditing;
  editing.enabled = true;
  editing.changed = changed;
  editing.panel = panel;
  editing.graph = graph;
  state->plot->setMouseTracking(true);  // the resize shape over an edge
  return 0;
}

int SetGraphRegions(int panel, int graph, const std::vector<GraphRegion>& regions) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return Missing();
  for (const GraphRegion& region : regions) {
    const bool known = region.kind == REGION_EXCLUDED || region.kind == REGION_NOISE;
    if (!known || !std::isfinite(region.from) || !std::isfinite(region.to)) return kErrBadValue;
  }
  RegionEditing& editing = state->regionEditing;
  editing.regions.clear();
  for (const GraphRegion& region : regions) editing.regions.push_back(Ordered(region));
  editing.drag = Drag::None;  // a gesture under way ends with the program's regions
  Redraw(*state);
  return 0;
}

int GetGraphRegions(int panel, int graph, std::vector<GraphRegion>* regions) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return Missing();
  if (regions) *regions = state->regionEditing.regions;
  return 0;
}

int SetGraphNoiseSuggestion(int panel, int graph, double from, double to, const char* label) {
  GraphState* state = FindGraph(panel, graph);
  if (!state) return Missing();
  RegionEditing& editing = state->regionEditing;
  const bool usable = std::isfinite(from) && std::isfinite(to) && from < to && label;
  editing.suggestFrom = usable ? from : 0;
  editing.suggestTo = usable ? to : 0;
  editing.suggestLabel = usable ? label : "";
  return 0;
}
