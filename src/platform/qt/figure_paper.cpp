// Figures for a paper: the plots of the window's graphs redrawn into a QCustomPlot of their own,
// white, with print-sized text, a legend, and every line and band clipped to its plot rectangle
// by hand (the SVG writer ignores clipping), on a page whose size is given in millimetres.
#include <qcustomplot.h>
#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "platform/qt/controls_style.h"
#include "platform/qt/graph_state.h"
#include "platform/qt/runtime.h"

QByteArray SvgTextAsPaths(const QByteArray& svg);  // figure_svg_text.cpp

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kMetresPerInch = 0.0254;
constexpr double kTickLabelPt = 7.0;  // the smallest text journals accept
constexpr double kAxisTitlePt = 8.0;
constexpr double kLegendPt = 7.0;
constexpr double kAxisPenPt = 0.5;
constexpr double kTracePenPt = 0.5;
constexpr double kFitPenPt = 1.0;
constexpr double kCurvePenPt = 0.8;
constexpr double kTickOutPt = 3.0;
constexpr double kPaddingPt = 2.0;
constexpr double kScatterPt = 4.0;
constexpr double kSpacingPt = 6.0;   // between the rows and columns of graphs
constexpr double kMinPlotPt = 20.0;  // a plot rectangle's smallest side
constexpr int kEdgePt = 6;           // room at the figure's edges for the outermost labels
constexpr int kPaleAlpha = 110;      // of 255: a measured trace in its colour lies under the fits
constexpr int kWantedTicks = 5;
constexpr int kStripTicks = 2;       // a low strip has room for a few labels only
constexpr double kStripShare = 0.6;  // the residual strip's height beside the data graph's
constexpr double kLowerShare = 0.8;  // the curve graphs' height beside the data graph's
const QColor kTraceGrey(150, 150, 150);
const QColor kExcludedBand(222, 222, 222);
const QColor kNoiseBand(220, 231, 247);
const QColor kCursorColor(30, 30, 150);
const char* const kFontFamily = "DejaVu Sans";  // Debian's default sans; embedded in PDF

QFont FontOf(double points) {
  QFont font(kFontFamily);
  font.setPointSizeF(points);
  return font;
}

// Pure yellow and green vanish on white paper: darker shades of the same hue.
QColor PrintColor(int rgb) {
  if (rgb == 0xFFFF00) return QColor(200, 160, 0);
  if (rgb == 0x00FF00) return QColor(0, 160, 0);
  return ToQColor(rgb);
}

GraphState* StateOf(int panel, int id) {
  ControlRecord* control = FindControl(panel, id);
  if (!control || control->kind != ControlKind::Graph || !control->graph) return nullptr;
  return control->graph.get();
}

// Tick labels with a true minus sign, as print sets them, and no "-0".
class PaperTicker : public QCPAxisTickerFixed {
 protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override {
    if (std::abs(tick) < 1e-9 * tickStep()) tick = 0.0;
    return QString::number(tick, 'g', 6).replace('-', QChar(0x2212));
  }
};

// A step of 1, 2, 2.5 or 5 times a power of ten that gives about kWantedTicks ticks.
double NiceStep(double span, int ticks) {
  const double raw = span / ticks;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 2.5, 5.0}) {
    if (m * power >= raw * 0.999) return m * power;
  }
  return 10.0 * power;
}

// The axis in print style. expand: the range grows to a tick at both ends, so that the ticks run
// across the whole axis; otherwise (the analysis window) it stays as chosen.
void StyleAxis(QCPAxis* axis, const QString& label, QCPRange range, bool expand,
               int ticks = kWantedTicks) {
  if (!(range.size() > 0) || !std::isfinite(range.size()))
    range = QCPRange(range.lower - 1.0, range.lower + 1.0);
  const double step = NiceStep(range.size(), ticks);
  if (expand) {
    range.lower = std::floor(range.lower / step + 1e-9) * step;
    range.upper = std::ceil(range.upper / step - 1e-9) * step;
  }
  auto ticker = QSharedPointer<PaperTicker>::create();
  ticker->setTickStep(step);
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
  axis->setTicker(ticker);
  axis->setRange(range);
  axis->setSubTicks(false);
  axis->grid()->setVisible(false);
  const QPen pen(Qt::black, kAxisPenPt);
  axis->setBasePen(pen);
  axis->setTickPen(pen);
  axis->setTickLength(0, static_cast<int>(kTickOutPt));
  axis->setTickLabelFont(FontOf(kTickLabelPt));
  axis->setTickLabelColor(Qt::black);
  axis->setTickLabelPadding(static_cast<int>(kPaddingPt));
  axis->setLabelFont(FontOf(kAxisTitlePt));
  axis->setLabelColor(Qt::black);
  axis->setLabelPadding(static_cast<int>(kPaddingPt));
  axis->setLabel(label);
}

// ---- lines clipped to the plot rectangle ----

using Piece = QVector<QPointF>;

// The parts of a polyline inside the ranges (Liang-Barsky on each segment); a gap where it
// leaves them or holds a number that is not finite.
std::vector<Piece> ClipPolyline(const std::vector<double>& x, const std::vector<double>& y,
                                const QCPRange& xr, const QCPRange& yr) {
  std::vector<Piece> pieces;
  Piece current;
  const auto flush = [&] {
    if (current.size() >= 2) pieces.push_back(current);
    current.clear();
  };
  const size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i + 1 < n; ++i) {
    const double x0 = x[i], y0 = y[i], dx = x[i + 1] - x0, dy = y[i + 1] - y0;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(dx) || !std::isfinite(dy)) {
      flush();
      continue;
    }
    double t0 = 0.0, t1 = 1.0;
    bool visible = true;
    const double edges[4][2] = {
        {-dx, x0 - xr.lower}, {dx, xr.upper - x0}, {-dy, y0 - yr.lower}, {dy, yr.upper - y0}};
    for (const auto& [p, q] : edges) {
      if (p == 0.0) {
        if (q < 0.0) visible = false;
      } else if (const double r = q / p; p < 0.0) {
        if (r > t1) visible = false;
        t0 = std::max(t0, r);
      } else {
        if (r < t0) visible = false;
        t1 = std::min(t1, r);
      }
    }
    if (!visible || t0 > t1) {
      flush();
      continue;
    }
    if (current.isEmpty() || t0 > 0.0) {
      flush();
      current.push_back(QPointF(x0 + t0 * dx, y0 + t0 * dy));
    }
    current.push_back(QPointF(x0 + t1 * dx, y0 + t1 * dy));
    if (t1 < 1.0) flush();
  }
  flush();
  return pieces;
}

QCPAxis* XOf(QCPAxisRect* rect) {
  return rect->axis(QCPAxis::atBottom);
}
QCPAxis* YOf(QCPAxisRect* rect) {
  return rect->axis(QCPAxis::atLeft);
}

void AddLine(QCPAxisRect* rect, const std::vector<double>& x, const std::vector<double>& y,
             const QPen& pen) {
  for (const Piece& piece : ClipPolyline(x, y, XOf(rect)->range(), YOf(rect)->range())) {
    auto* curve = new QCPCurve(XOf(rect), YOf(rect));
    QVector<double> t, xs, ys;
    for (const QPointF& point : piece) {
      t.push_back(t.size());
      xs.push_back(point.x());
      ys.push_back(point.y());
    }
    curve->setData(t, xs, ys, true);
    curve->setPen(pen);
    curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
  }
}

void AddPoints(QCPAxisRect* rect, const std::vector<double>& x, const std::vector<double>& y,
               const QColor& color, QCPScatterStyle::ScatterShape shape) {
  QVector<double> xs, ys;
  for (size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
    if (XOf(rect)->range().contains(x[i]) && YOf(rect)->range().contains(y[i])) {
      xs.push_back(x[i]);
      ys.push_back(y[i]);
    }
  }
  auto* graph = new QCPGraph(XOf(rect), YOf(rect));
  graph->setData(xs, ys);
  graph->setLineStyle(QCPGraph::lsNone);
  graph->setPen(QPen(color, kAxisPenPt));
  graph->setScatterStyle(QCPScatterStyle(
      shape, color, shape == QCPScatterStyle::ssDisc ? color : QColor(Qt::white), kScatterPt));
}

void AddBands(QCPAxisRect* rect, const std::vector<GraphRegion>& regions) {
  const QCPRange xr = XOf(rect)->range(), yr = YOf(rect)->range();
  for (const GraphRegion& region : regions) {
    const double from = std::max(region.from, xr.lower), to = std::min(region.to, xr.upper);
    if (!(from < to)) continue;
    auto* band = new QCPItemRect(rect->parentPlot());
    band->setLayer("bands");
    band->setClipAxisRect(rect);
    for (QCPItemPosition* corner : {band->topLeft, band->bottomRight})
      corner->setAxes(XOf(rect), YOf(rect));
    band->topLeft->setCoords(from, yr.upper);
    band->bottomRight->setCoords(to, yr.lower);
    band->setPen(Qt::NoPen);
    band->setBrush(region.kind == REGION_NOISE ? kNoiseBand : kExcludedBand);
  }
}

QPen PenOf(const PlotInfo& info, double thinPt) {
  if (info.faded) {
    QColor color = info.color == 0 ? kTraceGrey : PrintColor(info.color);
    if (info.color != 0) color.setAlpha(kPaleAlpha);
    return QPen(color, kTracePenPt);
  }
  if (info.lineStyle == VAL_DOT) {
    QPen pen(kTraceGrey, kAxisPenPt);
    pen.setDashPattern({2.0, 3.0});
    return pen;
  }
  return QPen(PrintColor(info.color), info.lineWidth > 1 ? kFitPenPt : thinPt);
}

// One graph of the window redrawn into rect: its ranges and titles, its bands, the measured
// traces under the other plots, the cursor and handles when asked.
void FillAxisRect(QCPAxisRect* rect, const GraphState& state, const PaperFigure& figure,
                  double thinPt, const std::vector<GraphRegion>& bands, bool timeAxis,
                  const QString& yTitle = QString(), int yTicks = kWantedTicks) {
  for (QCPAxis* axis : {rect->axis(QCPAxis::atTop), rect->axis(QCPAxis::atRight)})
    axis->setVisible(false);
  // QCustomPlot's defaults (50 units, margins of 15) are pixels on a screen, here points.
  rect->setMinimumSize(static_cast<int>(kMinPlotPt), static_cast<int>(kMinPlotPt));
  rect->setMinimumMargins(QMargins(kEdgePt, kEdgePt, kEdgePt, kEdgePt));
  StyleAxis(XOf(rect), state.plot->xAxis->label(), state.plot->xAxis->range(), !timeAxis);
  StyleAxis(YOf(rect), yTitle.isEmpty() ? state.plot->yAxis->label() : yTitle,
            state.plot->yAxis->range(), true, yTicks);
  AddBands(rect, bands);
  for (bool faded : {true, false}) {
    for (const auto& [handle, record] : state.plots) {
      const PlotInfo& info = record.info;
      if (info.faded != faded) continue;
      if (info.plotStyle == VAL_SCATTER) {
        // On the graph with the cursor the scattered points mark where it crosses the traces.
        if (state.hasCursor && !figure.cursor) continue;
        AddPoints(rect, info.x, info.y, PrintColor(info.color), QCPScatterStyle::ssCircle);
      } else {
        AddLine(rect, info.x, info.y, PenOf(info, thinPt));
      }
    }
  }
  if (figure.cursor && state.hasCursor && state.cursorLine && state.cursorLine->visible()) {
    const QCPRange yr = YOf(rect)->range();
    QPen pen(kCursorColor, kAxisPenPt, Qt::DashLine);
    AddLine(rect, {state.cursorX, state.cursorX}, {yr.lower, yr.upper}, pen);
  }
  if (figure.handles) {
    for (const auto& [number, handle] : state.handles)
      AddPoints(rect, {handle.x}, {handle.y}, PrintColor(handle.color), QCPScatterStyle::ssDisc);
  }
}

// A legend entry's line, drawn within its icon: QCustomPlot's own runs past it and relies on
// clipping, which the SVG writer ignores.
class LegendSample : public QCPGraph {
 public:
  using QCPGraph::QCPGraph;

 protected:
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override {
    painter->setPen(pen());
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
  }
};

// The legend of the step voltages in the column right of the top graph, its entries at the top.
void AddLegend(QCustomPlot& fig, QCPAxisRect* rect, const PaperFigure& figure) {
  auto* column = new QCPLayoutGrid;
  fig.plotLayout()->addElement(0, 1, column);  // first, so that what it holds belongs to fig
  fig.plotLayout()->setColumnStretchFactor(1, 0.001);  // as narrow as its entries allow
  auto* legend = new QCPLegend;
  column->addElement(0, 0, legend);
  column->addElement(1, 0, new QCPLayoutElement(&fig));
  column->setRowStretchFactor(0, 0.001);
  legend->setLayer("legend");
  legend->setBorderPen(Qt::NoPen);
  legend->setBrush(Qt::NoBrush);
  legend->setFont(FontOf(kLegendPt));
  legend->setIconSize(12, 6);
  legend->setRowSpacing(0);
  legend->setMargins(QMargins(static_cast<int>(kSpacingPt), 0, 0, 0));
  for (const FigureLegendEntry& entry : figure.legend) {
    auto* sample = new LegendSample(XOf(rect), YOf(rect));  // no data: only its pen and name
    sample->setPen(QPen(PrintColor(entry.color), kFitPenPt));
    sample->setName(QString::fromStdString(entry.label).replace('-', QChar(0x2212)));
    legend->addItem(new QCPPlottableLegendItem(legend, sample));
  }
}

// The whole figure laid out in fig, the graphs in the first column, one row each (the curve
// graphs side by side in the last); false when a graph named is not a graph of the panel.
bool BuildFigure(QCustomPlot& fig, int panel, const PaperFigure& figure) {
  fig.setAutoAddPlottableToLegend(false);
  fig.setBackground(Qt::white);
  fig.addLayer("bands", fig.layer("grid"), QCustomPlot::limBelow);
  fig.plotLayout()->clear();
  fig.plotLayout()->setRowSpacing(static_cast<int>(kSpacingPt));
  auto* left = new QCPMarginGroup(&fig);

  const GraphState* top = figure.topGraph ? StateOf(panel, figure.topGraph) : nullptr;
  const GraphState* strip = figure.stripGraph ? StateOf(panel, figure.stripGraph) : nullptr;
  if ((figure.topGraph && !top) || (figure.stripGraph && !strip)) return false;
  std::vector<const GraphState*> lower;
  for (int id : figure.lowerGraphs) {
    lower.push_back(StateOf(panel, id));
    if (!lower.back()) return false;
  }
  if (!top && !strip && lower.empty()) return false;

  QCPLayoutGrid* layout = fig.plotLayout();
  int row = 0;
  const std::vector<GraphRegion> topBands =
      top ? top->regionEditing.regions : std::vector<GraphRegion>();
  if (top) {
    auto* rect = new QCPAxisRect(&fig);
    layout->addElement(row, 0, rect);
    layout->setRowStretchFactor(row++, 1.0);
    FillAxisRect(rect, *top, figure, kTracePenPt, topBands, true);
    rect->setMarginGroup(QCP::msLeft | QCP::msRight, left);
    if (strip) {  // the strip below carries the time axis's labels
      XOf(rect)->setTickLabels(false);
      XOf(rect)->setLabel(QString());
    }
    if (!figure.legend.empty()) AddLegend(fig, rect, figure);
  }
  if (strip) {
    auto* rect = new QCPAxisRect(&fig);
    layout->addElement(row, 0, rect);
    layout->setRowStretchFactor(row++, top ? kStripShare : 1.0);
    FillAxisRect(rect, *strip, figure, kTracePenPt,
                 strip->regionEditing.regions.empty() ? topBands : strip->regionEditing.regions,
                 true, QString::fromStdString(figure.stripTitle), kStripTicks);
    if (top) XOf(rect)->setLabel(top->plot->xAxis->label());
    rect->setMarginGroup(QCP::msLeft | QCP::msRight, left);
  }
  if (!lower.empty()) {
    auto* grid = new QCPLayoutGrid;
    layout->addElement(row, 0, grid);
    layout->setRowStretchFactor(row++, top ? kLowerShare : 1.0);
    grid->setColumnSpacing(static_cast<int>(kSpacingPt) * 2);
    for (size_t i = 0; i < lower.size(); ++i) {
      auto* rect = new QCPAxisRect(&fig);
      grid->addElement(0, static_cast<int>(i), rect);
      FillAxisRect(rect, *lower[i], figure, kCurvePenPt, {}, false);
      if (i == 0) rect->setMarginGroup(QCP::msLeft, left);
    }
  }
  return true;
}

bool PaintFigure(QCustomPlot& fig, QPaintDevice* device, QSize points, QSizeF scale, bool vector) {
  QCPPainter painter;
  if (!painter.begin(device)) return false;
  painter.setMode(QCPPainter::pmVectorized, vector);
  painter.setMode(QCPPainter::pmNoCaching);
  painter.setMode(QCPPainter::pmNonCosmetic);
  painter.scale(scale.width(), scale.height());
  fig.toPainter(&painter, points.width(), points.height());
  return painter.end();
}

}  // namespace

int RenderPaperFigure(int panel, const PaperFigure& figure, int format, std::string* bytes) {
  if (!FindPanel(panel)) return kErrBadPanel;
  const auto inRange = [](double mm) { return mm >= kMinFigureMm && mm <= kMaxFigureMm; };
  if (!bytes || !inRange(figure.widthMm) || !inRange(figure.heightMm) ||
      figure.dpi < kMinFigureDpi || figure.dpi > kMaxFigureDpi)
    return kErrBadValue;
  QCustomPlot fig;
  fig.setLocale(QLocale::c());
  if (!BuildFigure(fig, panel, figure)) return kErrBadControl;
  // QCustomPlot lays out in whole units: whole points, scaled to the exact page.
  const QSizeF exact(figure.widthMm * kPointsPerMm, figure.heightMm * kPointsPerMm);
  const QSize points(static_cast<int>(std::lround(exact.width())),
                     static_cast<int>(std::lround(exact.height())));
  const QSizeF toExact(exact.width() / points.width(), exact.height() / points.height());

  QByteArray out;
  QBuffer buffer(&out);
  if (!buffer.open(QIODevice::WriteOnly)) return kErrBadValue;
  bool drawn = false;
  if (format == FIGURE_PDF) {
    QPdfWriter writer(&buffer);
    writer.setCreator("Pavik");
    writer.setResolution(72);  // one point per unit: fonts keep their point sizes
    writer.setPageSize(QPageSize(QSizeF(figure.widthMm, figure.heightMm), QPageSize::Millimeter,
                                 QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    drawn = PaintFigure(fig, &writer, points, QSizeF(1.0, 1.0), true);  // pages: whole points
  } else if (format == FIGURE_SVG) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(72);
    generator.setSize(points);
    generator.setViewBox(QRectF(QPointF(0, 0), exact));
    generator.setTitle("Pavik figure");
    drawn = PaintFigure(fig, &generator, points, toExact, true);
  } else if (format == FIGURE_PNG) {
    QImage image(static_cast<int>(std::lround(figure.widthMm / 25.4 * figure.dpi)),
                 static_cast<int>(std::lround(figure.heightMm / 25.4 * figure.dpi)),
                 QImage::Format_ARGB32);
    // Drawn at 72 dots per inch, so that a font's points are the figure's units, then scaled.
    image.setDotsPerMeterX(static_cast<int>(std::lround(72.0 / kMetresPerInch)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(72.0 / kMetresPerInch)));
    image.fill(Qt::white);
    drawn = PaintFigure(
        fig, &image, points,
        QSizeF(image.width() / double(points.width()), image.height() / double(points.height())),
        false);
    image.setDotsPerMeterX(static_cast<int>(std::lround(figure.dpi / kMetresPerInch)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(figure.dpi / kMetresPerInch)));
    drawn = drawn && image.save(&buffer, "PNG");
  } else {
    return kErrBadValue;
  }
  if (!drawn) return kErrBadValue;
  buffer.close();
  if (format == FIGURE_SVG) {
    out = SvgTextAsPaths(out);
    // The writer gives the size of whole points; the page is the size asked for.
    const QString size = QString(R"(<svg width="%1mm" height="%2mm")")
                             .arg(figure.widthMm, 0, 'g', 10)
                             .arg(figure.heightMm, 0, 'g', 10);
    out = QString::fromUtf8(out)
              .replace(QRegularExpression(R"(<svg width="[^"]*" height="[^"]*")"), size)
              .toUtf8();
  }
  bytes->assign(out.constData(), static_cast<size_t>(out.size()));
  return 0;
}
