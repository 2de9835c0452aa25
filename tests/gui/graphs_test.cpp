// The graphs of the main panel: the data graph's axes from the range fields, the cursor and its
// markers, and the conductance measured at the cursor on the steady-state graph. (The summed fits
// drawn are the residual strip's tests, the curves the curve handles'.)
#include "program_fixture.h"

namespace {

constexpr int kRows = 200;  // samples 0.1 ms apart: 0 ... 19.9 ms

class Graphs : public StartedProgram {
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

// ---- the data graph ----

// A range beyond the data is drawn from the data while the field keeps the text; an inverted
// range, of time or of current, becomes one hundredth wide from its lower field (xMin 5 and
// xMax 4 give 5 ... 5.01), and the analysis window follows.
TEST_F(Graphs, RangesBeyondTheDataOrInvertedAreMadeUsable) {
  TypeAndEnter(panelHandle, PANEL_XMIN, "-5");
  TypeAndEnter(panelHandle, PANEL_XMAX, "500");
  EXPECT_EQ(AxisRange()[0], 0.0);
  EXPECT_DOUBLE_EQ(AxisRange()[1], status.dataTMax);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_XMIN), -5.0);
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
// marks every trace there, each marker replacing the last; a click on the graph does the same.
TEST_F(Graphs, CursorFindsTheSampleAtOrAfterAndMarksEveryTrace) {
  const std::pair<double, int> cases[] = {{timevals[0] - 3.0, 0},
                                          {timevals[20], 20},
                                          {(timevals[20] + timevals[21]) / 2, 21},
                                          {timevals[kRows - 1] + 30.0, kRows - 1}};
  for (const auto& [x, sample] : cases) {
    ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, x, 0.0), 0);
    DoDataCursor();
    EXPECT_EQ(status.cursorIndex, sample) << "cursor at " << x;
  }
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), 7u + 6u);
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(Plot(PANEL_GRAPH, pointHandles[k]).y, std::vector<double>{ydata[k][kRows - 1]});
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 15.0, 15.0));
  EXPECT_NEAR(status.cursorIndex, 150, 2);
}

// ---- the conductance at the cursor ----

// The measured point of each trace is I / (V - Erev) at the cursor, replacing its predecessor;
// Gmax does not enter unless the option divides by 0.001 Gmax; a cursor past the data reads the
// last sample.
TEST_F(Graphs, MeasuredPointIsCurrentOverDrivingForce) {
  NumTraces = 1;
  NumPoints = 10;
  for (int n = 0; n < 10; ++n) timevals[n] = n, ydata[0][n] = -5.0;
  ydata[0][9] = -10.0;
  status.traceV[0] = -30.0;
  params[0].Erev = -80.0;
  params[0].Gmax = 200.0;
  pointHandles[0] = 1;  // cursor markers exist: the option redraws the points
  const struct {
    int cursor;
    bool normalise;
    double y;
  } cases[] = {{4, false, -0.1}, {4999, false, -0.2}, {4, true, -0.5}, {4, false, -0.1}};
  ClearGraph(PANEL_MHGRAPH, -1);
  for (const auto& c : cases) {
    status.cursorIndex = c.cursor;
    if (c.normalise != normaliseMeasuredPoints) {
      DisplayPanel(optionsPanelHandle);
      Click(optionsPanelHandle, OPTIONS_NORMALISE);
      ASSERT_EQ(normaliseMeasuredPoints, c.normalise);
    } else {
      PlotMHPoints();
    }
    const PlotInfo point = Plot(PANEL_MHGRAPH, MHhandles[2]);
    EXPECT_EQ(point.x, std::vector<double>{-30.0});
    EXPECT_DOUBLE_EQ(point.y.at(0), c.y) << "cursor " << c.cursor;
    EXPECT_EQ(Plots(PANEL_MHGRAPH).size(), 1u) << "the point replaces its predecessor";
  }
}
