// Plot handles, axis ranges, and cursor 1 of the data graph moved by the program and by the
// mouse.
#include <QApplication>

#include "program_fixture.h"

namespace {
const double kX[] = {3, 1, 2, 0};  // in any order: a curve against voltage may fall back
const double kY[] = {9, 1, 4, 0};

int PlotOn(int graph) {
  return PlotXY(panelHandle, graph, kX, kY, 4, VAL_DOUBLE, VAL_DOUBLE, VAL_CONNECTED_POINTS,
                VAL_EMPTY_CIRCLE, VAL_DOT, 1, VAL_RED);
}
}  // namespace

using Graphs = StartedProgram;

TEST_F(Graphs, HandlesLiveUntilDeletedAndAreNeverReused) {
  const int a = PlotOn(PANEL_GRAPH), b = PlotOn(PANEL_GRAPH), c = PlotOn(PANEL_MHGRAPH);
  ASSERT_GT(a, 0);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(DeleteGraphPlot(panelHandle, PANEL_GRAPH, a, VAL_IMMEDIATE_DRAW), 0);
  EXPECT_EQ(Plots(PANEL_GRAPH), std::vector<int>{b});
  EXPECT_LT(DeleteGraphPlot(panelHandle, PANEL_GRAPH, a, VAL_IMMEDIATE_DRAW), 0);  // gone
  EXPECT_LT(DeleteGraphPlot(panelHandle, PANEL_GRAPH, c, VAL_IMMEDIATE_DRAW), 0);  // other graph
  const int d = PlotOn(PANEL_GRAPH);
  EXPECT_TRUE(d != a && d != b && d != c);
  EXPECT_EQ(DeleteGraphPlot(panelHandle, PANEL_GRAPH, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW), 0);
  EXPECT_TRUE(Plots(PANEL_GRAPH).empty());
  EXPECT_EQ(Plots(PANEL_MHGRAPH), std::vector<int>{c});  // untouched
  PlotInfo info;
  EXPECT_FALSE(GetPlotInfo(panelHandle, PANEL_GRAPH, b, &info));
}

// The program's cursor moves fire nothing; dragging moves the cursor with the mouse and commits
// once, on release; a click is a drag of no length.
TEST_F(Graphs, CursorSetByProgramSilentlyAndDraggedByMouseWithOneCommit) {
  ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, 2.5, 0), 0);
  double x = 0, y = 1;
  ASSERT_EQ(GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y), 0);
  EXPECT_EQ(x, 2.5);
  EXPECT_EQ(y, 0);
  EXPECT_LT(SetGraphCursor(panelHandle, PANEL_MHGRAPH, 1, 0, 0), 0);  // no cursor there

  SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, 0, 100, VAL_MANUAL, -1, 1);
  QApplication::processEvents();
  EXPECT_TRUE(DeliveredEvents().empty());
  for (const auto& [from, to] : {std::pair{20.0, 70.0}, {35.0, 35.0}}) {
    ClearDeliveredEvents();
    ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, from, to));
    ASSERT_EQ(DeliveredEvents().size(), 1u);
    EXPECT_EQ(Commits(PANEL_GRAPH), 1);
    GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y);
    EXPECT_NEAR(x, to, 1.0);  // within a pixel or two of the release point
  }
}
