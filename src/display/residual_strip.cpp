// The residual strip under the data graph: measured current minus the drawn summed fit for each
// trace, with a zero line, on the data graph's time axis.
#include "display/residual_strip.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "display/display.h"
#include "display/panel_handles.h"
#include "fit/fit_settings.h"
#include "fit/goodness.h"
#include "model/model.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr int kEveryPoint = 1;
constexpr double kHeadroom = 1.1;        // the largest residual stays inside the strip
constexpr double kSmallestScale = 1e-6;  // nA; a perfect fit still gets a usable axis
int32_t traceHandles[kTraceRows] = {};
int32_t zeroLineHandle = 0;
bool shown = false;

int ColorOf(int trace) {
  return status.colorTraces != 0 ? TraceColor(trace) : VAL_BLACK;
}

int PlotOnStrip(const double* y, int points, int lineStyle, int color) {
  return KeptHandle(PlotXY(panelHandle, PANEL_RESIDUALS, timevals, y, points, VAL_DOUBLE,
                           VAL_DOUBLE, VAL_CONNECTED_POINTS, VAL_SIMPLE_DOT, lineStyle, kEveryPoint,
                           color));
}

// The largest residual over the samples that count, so that an excluded transient does not
// flatten the rest; over the shown samples when none counts.
double LargestResidual(const std::vector<double>& residuals, const SampleMask& counted,
                       double largest) {
  for (size_t n = 0; n < residuals.size(); ++n) {
    const bool shownSample = timevals[n] >= status.xMin && timevals[n] <= status.xMax;
    const bool counts = counted.empty() ? shownSample : counted[n] != 0;
    if (counts && std::isfinite(residuals[n])) largest = std::max(largest, std::abs(residuals[n]));
  }
  return largest;
}

}  // namespace

void ClearResiduals() {
  DeleteGraphPlot(panelHandle, PANEL_RESIDUALS, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  std::fill(std::begin(traceHandles), std::end(traceHandles), 0);
  zeroLineHandle = 0;
  shown = false;
}

void ShowResiduals() {
  ClearResiduals();
  if (status.dataLoaded == 0 || LoadedTraces() == 0) return;
  const int points = LoadedPoints();
  const std::span<const double> times(timevals, static_cast<size_t>(points));
  SampleMask counted =
      CountedSamples(times, status.windowStart, status.windowEnd, loadedRecording.excluded);
  if (CountOf(counted) == 0) counted.clear();
  double largest = 0;
  for (int k = 0; k < LoadedTraces(); ++k) {
    const std::vector<double> residuals =
        Residuals(std::span<const double>(ydata[k], static_cast<size_t>(points)), SummedFit(k));
    largest = LargestResidual(residuals, counted, largest);
    traceHandles[k] = PlotOnStrip(residuals.data(), points, VAL_SOLID, ColorOf(k));
  }
  const std::vector<double> zero(points, 0.0);
  zeroLineHandle = PlotOnStrip(zero.data(), points, VAL_DOT, VAL_BLACK);
  const double scale = std::max(largest * kHeadroom, kSmallestScale);
  SetAxisRange(panelHandle, PANEL_RESIDUALS, VAL_MANUAL, status.xMin, status.xMax, VAL_MANUAL,
               -scale, scale);
  shown = true;
}

bool ResidualsShown() {
  return shown;
}

void ColorResiduals() {
  for (int k = 0; k < LoadedTraces(); ++k) {
    if (traceHandles[k] != 0)
      SetPlotAttribute(panelHandle, PANEL_RESIDUALS, traceHandles[k], ATTR_TRACE_COLOR, ColorOf(k));
  }
}
