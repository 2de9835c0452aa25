// The data graph on the real panel: what is drawn for a loaded file, the axis clamping, the
// cursor search and its markers, the summed fits in the trace colours, the handle tables.
#include "program_fixture.h"

namespace {

constexpr int kRows = 200;  // samples 0.1 ms apart: 0 ... 19.9 ms

class DataGraph : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(WriteDataFile("six.txt", 6, kRows));
  }
  static std::vector<double> AxisRange() {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    EXPECT_TRUE(GetAxisRange(panelHandle, PANEL_GRAPH, &xMin, &xMax, &yMin, &yMax));
    return {xMin, xMax, yMin, yMax};
  }
};

}  // namespace

// Traces in black as connected simple dots, the zero line thin and dotted, no markers yet, the
// cursor in the middle of the data.
TEST_F(DataGraph, ShowDataDrawsTracesAndTheDottedZeroLine) {
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u);
  for (int k = 0; k < 6; ++k) {
    const PlotInfo trace = Plot(PANEL_GRAPH, plotHandles[k]);
    EXPECT_EQ(trace.plotStyle, VAL_CONNECTED_POINTS);
    EXPECT_EQ(trace.pointStyle, VAL_SIMPLE_DOT);
    EXPECT_EQ(trace.lineStyle, VAL_SOLID);
    EXPECT_EQ(trace.color, VAL_BLACK);
    ASSERT_EQ(trace.y.size(), static_cast<size_t>(kRows));
    EXPECT_NEAR(trace.y[10], (k + 1) * std::exp(-10 / 500.0), 1e-5);
    EXPECT_NEAR(trace.x[10], 1.0, 1e-9) << "0.001 s is 1 ms";
  }
  const PlotInfo zero = Plot(PANEL_GRAPH, plotHandles[kZeroLineSlot]);
  EXPECT_EQ(zero.plotStyle, VAL_THIN_LINE);
  EXPECT_EQ(zero.lineStyle, VAL_DOT);
  EXPECT_EQ(zero.y, std::vector<double>(kRows, 0.0));
  EXPECT_EQ(pointHandles[0], 0);
  double x = 0, y = 1;
  GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y);
  EXPECT_DOUBLE_EQ(x, timevals[kRows / 2]);
  EXPECT_EQ(y, 0.0);
}

// A time range beyond the data draws the axis from the data while the field keeps the text.
TEST_F(DataGraph, TimeRangeBeyondTheDataIsClampedOnTheAxisOnly) {
  TypeAndEnter(panelHandle, PANEL_XMIN, "-5");
  TypeAndEnter(panelHandle, PANEL_XMAX, "500");
  EXPECT_EQ(AxisRange()[0], 0.0);
  EXPECT_DOUBLE_EQ(AxisRange()[1], status.dataTMax);
  EXPECT_EQ(status.xMin, 0.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_XMIN), -5.0);
}

// An inverted range, of time or of current, becomes one hundredth wide from its lower field:
// xMin 5 and xMax 4 give the time axis 5 ... 5.01, and the analysis window follows.
TEST_F(DataGraph, InvertedTimeRangeBecomesOneHundredthWide) {
  const struct {
    int first, second;
    const char *firstValue, *secondValue;
    int axis;  // 0 time, 2 current
  } cases[] = {{PANEL_XMIN, PANEL_XMAX, "5", "4", 0}, {PANEL_YMAX, PANEL_YMIN, "-3", "2", 2}};
  for (const auto& c : cases) {
    TypeAndEnter(panelHandle, c.first, c.firstValue);
    TypeAndEnter(panelHandle, c.second, c.secondValue);
    const double low = c.axis == 0 ? 5.0 : 2.0;
    EXPECT_EQ(AxisRange()[c.axis], low);
    EXPECT_DOUBLE_EQ(AxisRange()[c.axis + 1], low + 0.01);
  }
  EXPECT_EQ(status.windowStart, 51) << "the first sample past 5 ms";
}

// The cursor finds the first sample at or after it (right of every sample, the last one) and
// marks every trace there with a blue empty circle, each replacing the last; a click on the
// graph does the same.
TEST_F(DataGraph, CursorFindsTheSampleAtOrAfterAndMarksEveryTrace) {
  const struct {
    double x;
    int sample;
  } cases[] = {{timevals[0] - 3.0, 0},
               {timevals[20], 20},
               {(timevals[20] + timevals[21]) / 2, 21},
               {timevals[kRows - 1], kRows - 1},
               {timevals[kRows - 1] + 30.0, kRows - 1}};
  for (const auto& c : cases) {
    ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, c.x, 0.0), 0);
    DoDataCursor();
    EXPECT_EQ(status.cursorIndex, c.sample) << "cursor at " << c.x;
  }
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u + 6u);
  for (int k = 0; k < 6; ++k) {
    const PlotInfo marker = Plot(PANEL_GRAPH, pointHandles[k]);
    EXPECT_EQ(marker.plotStyle, VAL_SCATTER);
    EXPECT_EQ(marker.pointStyle, VAL_EMPTY_CIRCLE);
    EXPECT_EQ(marker.color, VAL_BLUE);
    EXPECT_EQ(marker.x, std::vector<double>{timevals[kRows - 1]});
    EXPECT_EQ(marker.y, std::vector<double>{ydata[k][kRows - 1]});
  }
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 15.0, 15.0));
  EXPECT_NEAR(status.cursorIndex, 150, 2);
  EXPECT_EQ(Plot(PANEL_GRAPH, pointHandles[5]).x,
            std::vector<double>{timevals[status.cursorIndex]});
}

// Two currents in the fit: each trace's fit is their sample-by-sample sum, in its colour.
TEST_F(DataGraph, FitsAreSumsOfTheIncludedCurrentsInTraceColours) {
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = i == 0 || i == 2;
  for (int k = 0; k < 6; ++k) {
    for (int n = 0; n < kMaxPoints; ++n) {
      yfits[0][k][n] = k + 0.001 * n;
      yfits[1][k][n] = 1000.0;  // not in the fit
      yfits[2][k][n] = -0.5 * n;
    }
  }
  ShowFits();
  ShowFits();  // a redraw replaces the fits
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u + 6u);
  const int colours[] = {VAL_RED, VAL_GREEN, VAL_BLUE, VAL_BLACK, VAL_YELLOW, VAL_MAGENTA};
  for (int k = 0; k < 6; ++k) {
    const PlotInfo fit = Plot(PANEL_GRAPH, plotHandles[6 + k]);
    EXPECT_EQ(fit.color, colours[k]);
    EXPECT_EQ(fit.plotStyle, VAL_CONNECTED_POINTS);
    ASSERT_EQ(fit.y.size(), static_cast<size_t>(kRows));
    for (int n : {0, 17, kRows - 1}) EXPECT_DOUBLE_EQ(fit.y[n], k + 0.001 * n - 0.5 * n);
  }
}

TEST_F(DataGraph, ClearingForgetsSlotsButTheZeroLine) {
  const int zero = plotHandles[kZeroLineSlot];
  ClearGraph(PANEL_GRAPH, VAL_ALL_PLOTS);
  EXPECT_TRUE(Plots(PANEL_GRAPH).empty());
  for (int k = 0; k < kClearedPlotSlots; ++k) EXPECT_EQ(plotHandles[k], 0);
  EXPECT_EQ(plotHandles[kZeroLineSlot], zero);
  MHhandles[3] = 7;
  Tauhandles[1] = 9;
  ZeroHandles(PANEL_TAUGRAPH);
  EXPECT_EQ(MHhandles[3], 7);
  EXPECT_EQ(Tauhandles[1], 9);
  ZeroHandles(PANEL_MHGRAPH);
  EXPECT_EQ(MHhandles[3], 0);
}
