// The steady-state and time-constant graphs: the voltage grid, the curves of the selected
// current, and the measured conductances at the data-graph cursor.
#include "program_fixture.h"

using CurveGraphs = StartedProgram;

// -100, -98, ..., 98 on both graphs: the start-up current's minf rises, hinf mirrors it, both
// time constants are the constant 1; the selected current's time constants follow its sigmoid;
// a new voltage range redraws both graphs on the new grid.
TEST_F(CurveGraphs, CurvesOfTheSelectedCurrentOnTheHundredPointGrid) {
  ShowMH();
  ShowTau();
  const PlotInfo minf = Plot(PANEL_MHGRAPH, MHhandles[0]);
  const PlotInfo hinf = Plot(PANEL_MHGRAPH, MHhandles[1]);
  ASSERT_EQ(minf.x.size(), 100u);
  for (int j = 0; j < 100; ++j) {
    EXPECT_EQ(minf.x[j], -100.0 + 2 * j);
    EXPECT_DOUBLE_EQ(minf.y[j], Boltzmann(minf.x[j], 1.0, -1.0));
    EXPECT_DOUBLE_EQ(hinf.y[j], Boltzmann(minf.x[j], 1.0, 1.0));
  }
  EXPECT_EQ(minf.color, VAL_BLUE);
  EXPECT_EQ(hinf.color, VAL_GREEN);
  EXPECT_EQ(minf.plotStyle, VAL_CONNECTED_POINTS);
  EXPECT_EQ(minf.pointStyle, VAL_SIMPLE_DOT);
  EXPECT_EQ(Plot(PANEL_TAUGRAPH, Tauhandles[0]).y, std::vector<double>(100, 1.0));
  EXPECT_EQ(Plot(PANEL_TAUGRAPH, Tauhandles[1]).color, VAL_GREEN);

  CurrentParams& c = params[2];
  c.Tmhi = 0.2, c.Tmlo = 3.0, c.Vtm = -20, c.Ktm = -8;
  c.Thhi = 1.0, c.Thlo = 12.0, c.Vth = -50, c.Kth = 6;
  Click(panelHandle, PANEL_CURRBUT3);
  const PlotInfo taum = Plot(PANEL_TAUGRAPH, Tauhandles[0]);
  const PlotInfo tauh = Plot(PANEL_TAUGRAPH, Tauhandles[1]);
  for (int j : {0, 37, 99}) {
    const double v = taum.x[j];
    EXPECT_DOUBLE_EQ(taum.y[j], 0.2 + (3.0 - 0.2) / (1.0 + std::exp((v + 20) / 8)));
    EXPECT_DOUBLE_EQ(tauh.y[j], 1.0 + (12.0 - 1.0) / (1.0 + std::exp(-(v + 50) / 6)));
  }
  EXPECT_EQ(Plots(PANEL_TAUGRAPH).size(), 2u) << "the old curves are gone";

  TypeAndEnter(panelHandle, PANEL_VMIN, "-60");
  TypeAndEnter(panelHandle, PANEL_VMAX, "40");
  EXPECT_EQ(status.vMin, -60.0);
  EXPECT_EQ(status.vMax, 40.0);
  EXPECT_EQ(Plot(PANEL_MHGRAPH, MHhandles[0]).x[1], -59.0);
  EXPECT_EQ(Plot(PANEL_TAUGRAPH, Tauhandles[1]).x.back(), 39.0);
}

// The measured point is I / (V - Erev), a red empty circle replacing its predecessor; Gmax does
// not enter unless the option divides by 0.001 Gmax; a cursor past the data reads the last
// sample.
TEST_F(CurveGraphs, MeasuredPointIsCurrentOverDrivingForce) {
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
    EXPECT_EQ(point.plotStyle, VAL_SCATTER);
    EXPECT_EQ(point.pointStyle, VAL_EMPTY_CIRCLE);
    EXPECT_EQ(point.color, VAL_RED);
    EXPECT_EQ(Plots(PANEL_MHGRAPH).size(), 1u) << "the point replaces its predecessor";
  }
}

// Six traces fill slots 2 to 7; redrawing the curves keeps the points when markers exist.
TEST_F(CurveGraphs, SixTracesGiveSixPointsThatSurviveARedraw) {
  LoadAndShow(WriteDataFile("six.txt", 6, 50));
  ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, timevals[10], 0.0), 0);
  DoDataCursor();
  for (int k = 0; k < 6; ++k) EXPECT_NE(MHhandles[2 + k], 0);
  for (int slot = 8; slot < kMHClearedSlots; ++slot) EXPECT_EQ(MHhandles[slot], 0);
  ShowMH();
  EXPECT_EQ(Plots(PANEL_MHGRAPH).size(), 2u + 6u);
  const double g = ydata[3][10] / (status.traceV[3] - params[0].Erev);
  EXPECT_EQ(Plot(PANEL_MHGRAPH, MHhandles[5]).y, std::vector<double>{g});
}
