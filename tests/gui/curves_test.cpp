// The steady-state and time-constant graphs: the voltage grid, the curves of the selected
// current, and the measured conductances at the data-graph cursor.
#include "editing_fixture.h"

namespace {

class CurveGraphs : public EditingProgram {
 protected:
  static PlotInfo Info(int graph, int handle) {
    PlotInfo info{};
    EXPECT_TRUE(GetPlotInfo(panelHandle, graph, handle, &info)) << "plot " << handle;
    return info;
  }
  // One trace at -30 mV whose current is -5 at every sample.
  static void LoadOneTrace() {
    NumTraces = 1;
    NumPoints = 10;
    for (int n = 0; n < 10; ++n) {
      timevals[n] = n;
      ydata[0][n] = -5.0;
    }
    status.traceV[0] = -30.0;
  }
};

double Boltzmann(double v, double half, double slope) {
  return 1.0 / (1.0 + std::exp((v - half) / slope));
}

}  // namespace

// -100, -98, ..., 98 on both graphs; the start-up current's minf rises, hinf mirrors it, and
// both time constants are the constant 1.
TEST_F(CurveGraphs, StartUpCurvesOnTheHundredPointGrid) {
  ShowMH();
  ShowTau();
  const PlotInfo minf = Info(PANEL_MHGRAPH, MHhandles[0]);
  const PlotInfo hinf = Info(PANEL_MHGRAPH, MHhandles[1]);
  ASSERT_EQ(minf.x.size(), 100u);
  for (int j = 0; j < 100; ++j) {
    EXPECT_EQ(minf.x[j], -100.0 + 2 * j);
    EXPECT_DOUBLE_EQ(minf.y[j], Boltzmann(minf.x[j], 1.0, -1.0));
    EXPECT_DOUBLE_EQ(hinf.y[j], Boltzmann(minf.x[j], 1.0, 1.0));
  }
  EXPECT_LT(minf.y[50], 0.5) << "at 0 mV, below the midpoint at 1 mV";
  EXPECT_GT(minf.y[51], 0.5);
  EXPECT_EQ(minf.color, VAL_BLUE);
  EXPECT_EQ(hinf.color, VAL_GREEN);
  EXPECT_EQ(minf.plotStyle, VAL_CONNECTED_POINTS);
  EXPECT_EQ(minf.pointStyle, VAL_SIMPLE_DOT);
  const PlotInfo taum = Info(PANEL_TAUGRAPH, Tauhandles[0]);
  const PlotInfo tauh = Info(PANEL_TAUGRAPH, Tauhandles[1]);
  EXPECT_EQ(taum.x.back(), 98.0);
  EXPECT_EQ(taum.y, std::vector<double>(100, 1.0));
  EXPECT_EQ(tauh.y, std::vector<double>(100, 1.0));
  EXPECT_EQ(taum.color, VAL_BLUE);
  EXPECT_EQ(tauh.color, VAL_GREEN);
}

// The time-constant sigmoid of the selected current, written out independently.
TEST_F(CurveGraphs, TimeConstantsFollowTheSelectedCurrent) {
  CurrentParams& c = params[2];
  c.Tmhi = 0.2, c.Tmlo = 3.0, c.Vtm = -20, c.Ktm = -8;
  c.Thhi = 1.0, c.Thlo = 12.0, c.Vth = -50, c.Kth = 6;
  Click(panelHandle, PANEL_CURRBUT3);
  ASSERT_EQ(status.selCurrent, 3);
  const PlotInfo taum = Info(PANEL_TAUGRAPH, Tauhandles[0]);
  const PlotInfo tauh = Info(PANEL_TAUGRAPH, Tauhandles[1]);
  for (int j : {0, 37, 99}) {
    const double v = taum.x[j];
    EXPECT_DOUBLE_EQ(taum.y[j], 0.2 + (3.0 - 0.2) / (1.0 + std::exp((v + 20) / 8)));
    EXPECT_DOUBLE_EQ(tauh.y[j], 1.0 + (12.0 - 1.0) / (1.0 + std::exp(-(v + 50) / 6)));
  }
  EXPECT_EQ(Plots(PANEL_TAUGRAPH).size(), 2u) << "the old curves are gone";
}

// -5 at -30 mV with Erev -80 is the point (-30, -0.1), a red empty circle; Gmax does not enter.
TEST_F(CurveGraphs, MeasuredPointIsCurrentOverDrivingForce) {
  LoadOneTrace();
  params[0].Erev = -80.0;
  params[0].Gmax = 120.0;
  status.cursorIndex = 4;
  PlotMHPoints();
  const PlotInfo point = Info(PANEL_MHGRAPH, MHhandles[2]);
  EXPECT_EQ(point.x, std::vector<double>{-30.0});
  EXPECT_EQ(point.y, std::vector<double>{-0.1});
  EXPECT_EQ(point.plotStyle, VAL_SCATTER);
  EXPECT_EQ(point.pointStyle, VAL_EMPTY_CIRCLE);
  EXPECT_EQ(point.color, VAL_RED);
  PlotMHPoints();
  EXPECT_EQ(Plots(PANEL_MHGRAPH).size(), 1u) << "the point replaces its predecessor";
}

// A cursor sample beyond the loaded ones is read at the last loaded sample.
TEST_F(CurveGraphs, CursorIndexPastTheDataIsTheLastSample) {
  LoadOneTrace();
  ydata[0][9] = -10.0;
  params[0].Erev = -80.0;
  status.cursorIndex = 4999;
  PlotMHPoints();
  EXPECT_EQ(Info(PANEL_MHGRAPH, MHhandles[2]).y, std::vector<double>{-0.2});
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
  EXPECT_EQ(Info(PANEL_MHGRAPH, MHhandles[5]).y, std::vector<double>{g});
}

// A new voltage range redraws both graphs on the new grid.
TEST_F(CurveGraphs, VoltageRangeControlsRedrawBothGraphs) {
  TypeAndEnter(panelHandle, PANEL_VMIN, "-60");
  TypeAndEnter(panelHandle, PANEL_VMAX, "40");
  EXPECT_EQ(status.vMin, -60.0);
  EXPECT_EQ(status.vMax, 40.0);
  EXPECT_EQ(Info(PANEL_MHGRAPH, MHhandles[0]).x[1], -59.0);
  EXPECT_EQ(Info(PANEL_TAUGRAPH, Tauhandles[1]).x.back(), 39.0);
}
