// The data graph on the real panel: what is drawn for a loaded file, the axis clamping, the
// cursor search and its markers, the summed fits and the trace colours.
#include "editing_fixture.h"

namespace {

constexpr int kRows = 200;  // samples 0.1 ms apart: 0 ... 19.9 ms

class DataGraph : public EditingProgram {
 protected:
  void SetUp() override {
    EditingProgram::SetUp();
    LoadAndShow(WriteDataFile("six.txt", 6, kRows));
  }

  static PlotInfo Info(int handle) {
    PlotInfo info{};
    EXPECT_TRUE(GetPlotInfo(panelHandle, PANEL_GRAPH, handle, &info)) << "plot " << handle;
    return info;
  }
  static void AxisRange(double* xMin, double* xMax, double* yMin, double* yMax) {
    ASSERT_TRUE(GetAxisRange(panelHandle, PANEL_GRAPH, xMin, xMax, yMin, yMax));
  }
  // Places cursor 1 at x and lets the program read it, as a release of the mouse does.
  static void CursorAt(double x) {
    ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, x, 0.0), 0);
    DoDataCursor();
  }
};

}  // namespace

// ---- what ShowData draws ----

// Traces in black as connected simple dots, the zero line thin and dotted, no markers yet.
TEST_F(DataGraph, ShowDataDrawsTracesAndTheDottedZeroLine) {
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u);
  for (int k = 0; k < 6; ++k) {
    const PlotInfo trace = Info(plotHandles[k]);
    EXPECT_EQ(trace.plotStyle, VAL_CONNECTED_POINTS);
    EXPECT_EQ(trace.pointStyle, VAL_SIMPLE_DOT);
    EXPECT_EQ(trace.lineStyle, VAL_SOLID);
    EXPECT_EQ(trace.color, VAL_BLACK);
    ASSERT_EQ(trace.y.size(), static_cast<size_t>(kRows));
    EXPECT_NEAR(trace.y[10], (k + 1) * std::exp(-10 / 500.0), 1e-5);
    EXPECT_NEAR(trace.x[10], 1.0, 1e-9) << "0.001 s is 1 ms";
  }
  const PlotInfo zero = Info(plotHandles[kZeroLineSlot]);
  EXPECT_EQ(zero.plotStyle, VAL_THIN_LINE);
  EXPECT_EQ(zero.lineStyle, VAL_DOT);
  EXPECT_EQ(zero.y, std::vector<double>(kRows, 0.0));
  EXPECT_EQ(pointHandles[0], 0);
  double x = 0, y = 1;
  GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y);
  EXPECT_DOUBLE_EQ(x, timevals[kRows / 2]);
  EXPECT_EQ(y, 0.0);
}

// ---- axis ranges ----

// A time below the first sample draws the axis from the data while the field keeps the text.
TEST_F(DataGraph, XMinBelowTheDataIsClampedOnTheAxisOnly) {
  TypeAndEnter(panelHandle, PANEL_XMIN, "-5");
  double xMin, xMax, yMin, yMax;
  AxisRange(&xMin, &xMax, &yMin, &yMax);
  EXPECT_EQ(xMin, 0.0);
  EXPECT_EQ(status.xMin, 0.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_XMIN), -5.0);
  TypeAndEnter(panelHandle, PANEL_XMAX, "500");
  AxisRange(&xMin, &xMax, &yMin, &yMax);
  EXPECT_DOUBLE_EQ(xMax, status.dataTMax);
}

// xMin 5 and xMax 4 give the time axis 5 ... 5.01, and the analysis window follows.
TEST_F(DataGraph, InvertedTimeRangeBecomesOneHundredthWide) {
  TypeAndEnter(panelHandle, PANEL_XMIN, "5");
  TypeAndEnter(panelHandle, PANEL_XMAX, "4");
  double xMin, xMax, yMin, yMax;
  AxisRange(&xMin, &xMax, &yMin, &yMax);
  EXPECT_EQ(xMin, 5.0);
  EXPECT_DOUBLE_EQ(xMax, 5.01);
  EXPECT_EQ(status.windowStart, 51) << "the first sample past 5 ms";
}

TEST_F(DataGraph, InvertedCurrentRangeBecomesOneHundredthWide) {
  TypeAndEnter(panelHandle, PANEL_YMAX, "-3");
  TypeAndEnter(panelHandle, PANEL_YMIN, "2");
  double xMin, xMax, yMin, yMax;
  AxisRange(&xMin, &xMax, &yMin, &yMax);
  EXPECT_EQ(yMin, 2.0);
  EXPECT_DOUBLE_EQ(yMax, 2.01);
}

// ---- the cursor ----

// The first sample at or after the cursor; right of every sample, the last one.
TEST_F(DataGraph, CursorSearchFindsTheSampleAtOrAfter) {
  const struct {
    double x;
    int sample;
  } cases[] = {{timevals[0] - 3.0, 0},
               {timevals[20], 20},
               {(timevals[20] + timevals[21]) / 2, 21},
               {timevals[kRows - 1], kRows - 1},
               {timevals[kRows - 1] + 30.0, kRows - 1}};
  for (const auto& c : cases) {
    CursorAt(c.x);
    EXPECT_EQ(status.cursorIndex, c.sample) << "cursor at " << c.x;
  }
}

// One blue empty circle per trace at the sample found, each replacing the last.
TEST_F(DataGraph, CursorMarksEveryTrace) {
  CursorAt(timevals[30]);
  CursorAt(timevals[kRows - 1] + 30.0);
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u + 6u);
  for (int k = 0; k < 6; ++k) {
    const PlotInfo marker = Info(pointHandles[k]);
    EXPECT_EQ(marker.plotStyle, VAL_SCATTER);
    EXPECT_EQ(marker.pointStyle, VAL_EMPTY_CIRCLE);
    EXPECT_EQ(marker.color, VAL_BLUE);
    EXPECT_EQ(marker.x, std::vector<double>{timevals[kRows - 1]});
    EXPECT_EQ(marker.y, std::vector<double>{ydata[k][kRows - 1]});
  }
}

// The user's own path: a click on the graph commits and marks the traces there.
TEST_F(DataGraph, ClickOnTheGraphMovesTheMarkers) {
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 15.0, 15.0));
  EXPECT_NEAR(status.cursorIndex, 150, 2);
  EXPECT_NE(pointHandles[5], 0);
}

// ---- fits and colours ----

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
    const PlotInfo fit = Info(plotHandles[6 + k]);
    EXPECT_EQ(fit.color, colours[k]);
    EXPECT_EQ(fit.plotStyle, VAL_CONNECTED_POINTS);
    ASSERT_EQ(fit.y.size(), static_cast<size_t>(kRows));
    for (int n : {0, 17, kRows - 1}) EXPECT_DOUBLE_EQ(fit.y[n], k + 0.001 * n - 0.5 * n);
  }
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = i == 0;
}

// The option colours the measured traces; switched off, they are black again.
TEST_F(DataGraph, ChangeDataColorsOnAndOff) {
  const int colours[] = {VAL_RED, VAL_GREEN, VAL_BLUE, VAL_BLACK, VAL_YELLOW, VAL_MAGENTA};
  status.colorTraces = 1;
  ChangeDataColors();
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Info(plotHandles[k]).color, colours[k]);
  status.colorTraces = 0;
  ChangeDataColors();
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Info(plotHandles[k]).color, VAL_BLACK);
}

// ---- handle tables ----

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
