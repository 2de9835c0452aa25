// Figures of the graphs for a paper or a talk: graph controls drawn into one PDF page, one SVG
// picture or one PNG image, returned as the file's bytes for the program's safe save.
#include <qcustomplot.h>
#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <functional>

#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

namespace {

// The figure's layout in points (PDF, SVG) or pixels at scale 1 (PNG): fixed, so that a figure
// does not depend on the window's size when it was made.
constexpr int kFigureWidth = 800;
constexpr int kTopGraphHeight = 450;    // the first graph, across the whole width
constexpr int kLowerGraphHeight = 320;  // the others, side by side below it
constexpr double kMaxScale = 8.0;       // a PNG beyond 6400 pixels wide helps no one

struct Placed {
  QCustomPlot* plot;
  QRect area;  // where it is drawn in the figure
};

std::vector<Placed> Layout(int panel, const std::vector<int>& graphs, QSize* size) {
  std::vector<Placed> placed;
  for (size_t i = 0; i < graphs.size(); ++i) {
    ControlRecord* control = FindControl(panel, graphs[i]);
    if (!control || control->kind != ControlKind::Graph || !control->graph) return {};
    placed.push_back({control->graph->plot, QRect()});
  }
  if (placed.empty()) return {};
  placed[0].area = QRect(0, 0, kFigureWidth, kTopGraphHeight);
  const int lower = static_cast<int>(placed.size()) - 1;
  for (int i = 0; i < lower; ++i) {
    const int width = kFigureWidth / lower;
    placed[i + 1].area = QRect(i * width, kTopGraphHeight, width, kLowerGraphHeight);
  }
  *size = QSize(kFigureWidth, kTopGraphHeight + (lower > 0 ? kLowerGraphHeight : 0));
  return placed;
}

void Draw(QCPPainter* plotPainter, const std::vector<Placed>& placed) {
  for (const Placed& graph : placed) {
    plotPainter->save();
    plotPainter->translate(graph.area.topLeft());
    graph.plot->toPainter(plotPainter, graph.area.width(), graph.area.height());
    plotPainter->restore();
  }
}

// Paints with a QCPPainter, as QCustomPlot's own exports do, onto device.
bool PaintOn(QPaintDevice* device, const std::vector<Placed>& placed, bool vector,
             double scale = 1.0) {
  QCPPainter painter;
  if (!painter.begin(device)) return false;
  if (vector) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
  }
  painter.scale(scale, scale);
  Draw(&painter, placed);
  return painter.end();
}

}  // namespace

int RenderGraphFigure(int panel, const std::vector<int>& graphs, int format, double scale,
                      std::string* bytes) {
  if (!FindPanel(panel)) return kErrBadPanel;
  if (!bytes || !(scale >= 1.0 && scale <= kMaxScale)) return kErrBadValue;
  QSize size;
  const std::vector<Placed> placed = Layout(panel, graphs, &size);
  if (placed.empty()) return kErrBadControl;
  for (const Placed& graph : placed) graph.plot->replot(QCustomPlot::rpImmediateRefresh);

  QByteArray out;
  QBuffer buffer(&out);
  if (!buffer.open(QIODevice::WriteOnly)) return kErrBadValue;
  bool drawn = false;
  if (format == FIGURE_PDF) {
    QPdfWriter writer(&buffer);
    writer.setCreator("Pavik");
    writer.setResolution(72);  // one point per figure unit
    writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    drawn = PaintOn(&writer, placed, true);
  } else if (format == FIGURE_SVG) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle("Pavik figure");
    drawn = PaintOn(&generator, placed, true);
  } else if (format == FIGURE_PNG) {
    QImage image(size * scale, QImage::Format_ARGB32);
    image.fill(Qt::white);
    drawn = PaintOn(&image, placed, false, scale) && image.save(&buffer, "PNG");
  } else {
    return kErrBadValue;
  }
  if (!drawn) return kErrBadValue;
  bytes->assign(out.constData(), static_cast<size_t>(out.size()));
  return 0;
}
