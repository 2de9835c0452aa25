// Plots and their handles, styles and colours, axis ranges, and cursor 1 of the data graph
// moved by the program and by the mouse.
#include <QApplication>
#include <cmath>

#include "platform/qt/platform_qt_test.h"
#include "startup_fixture.h"

namespace {
const double kX[] = {0, 1, 2, 3};
const double kY[] = {0, 1, 4, 9};

int Plot(int graph, int style = VAL_CONNECTED_POINTS, int color = VAL_RED) {
  return PlotXY(panelHandle, graph, kX, kY, 4, VAL_DOUBLE, VAL_DOUBLE, style, VAL_SIMPLE_DOT,
                VAL_SOLID, 1, color);
}
}  // namespace

using Graphs = StartedProgram;

TEST_F(Graphs, HandlesLiveUntilDeletedAndAreNeverReused) {
  const int a = Plot(PANEL_GRAPH), b = Plot(PANEL_GRAPH), c = Plot(PANEL_MHGRAPH);
  ASSERT_GT(a, 0);
  EXPECT_NE(a, b);
  EXPECT_NE(b, c);
  EXPECT_EQ(DeleteGraphPlot(panelHandle, PANEL_GRAPH, a, VAL_IMMEDIATE_DRAW), 0);
  EXPECT_EQ(GraphPlotHandles(panelHandle, PANEL_GRAPH), std::vector<int>{b});
  EXPECT_LT(DeleteGraphPlot(panelHandle, PANEL_GRAPH, a, VAL_IMMEDIATE_DRAW), 0);  // gone
  EXPECT_LT(DeleteGraphPlot(panelHandle, PANEL_GRAPH, c, VAL_IMMEDIATE_DRAW), 0);  // other graph
  const int d = Plot(PANEL_GRAPH);
  EXPECT_NE(d, a);
  EXPECT_NE(d, b);
  EXPECT_NE(d, c);
  EXPECT_EQ(DeleteGraphPlot(panelHandle, PANEL_GRAPH, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW), 0);
  EXPECT_TRUE(GraphPlotHandles(panelHandle, PANEL_GRAPH).empty());
  EXPECT_EQ(GraphPlotHandles(panelHandle, PANEL_MHGRAPH), std::vector<int>{c});  // untouched
  PlotInfo info;
  EXPECT_FALSE(GetPlotInfo(panelHandle, PANEL_GRAPH, b, &info));
}

TEST_F(Graphs, PlotKeepsPointsStylesAndTakesANewColour) {
  const int handle = PlotXY(panelHandle, PANEL_GRAPH, kX, kY, 4, VAL_DOUBLE, VAL_DOUBLE,
                            VAL_SCATTER, VAL_EMPTY_CIRCLE, VAL_DOT, 1, VAL_BLUE);
  PlotInfo info;
  ASSERT_TRUE(GetPlotInfo(panelHandle, PANEL_GRAPH, handle, &info));
  EXPECT_EQ(info.y, std::vector<double>(kY, kY + 4));
  EXPECT_EQ(info.plotStyle, VAL_SCATTER);
  EXPECT_EQ(info.pointStyle, VAL_EMPTY_CIRCLE);
  EXPECT_EQ(info.lineStyle, VAL_DOT);
  EXPECT_EQ(info.color, VAL_BLUE);
  ASSERT_EQ(SetPlotAttribute(panelHandle, PANEL_GRAPH, handle, ATTR_TRACE_COLOR, VAL_MAGENTA), 0);
  GetPlotInfo(panelHandle, PANEL_GRAPH, handle, &info);
  EXPECT_EQ(info.color, VAL_MAGENTA);
  EXPECT_LT(SetPlotAttribute(panelHandle, PANEL_GRAPH, handle + 1000, ATTR_TRACE_COLOR, 0), 0);
}

// Points in any order (a curve against voltage may fall back) are kept in their order.
TEST_F(Graphs, UnorderedPointsArePlotted) {
  const double x[] = {3, 1, 2};
  const double y[] = {1, 2, 3};
  const int handle = PlotXY(panelHandle, PANEL_MHGRAPH, x, y, 3, VAL_DOUBLE, VAL_DOUBLE,
                            VAL_THIN_LINE, VAL_SIMPLE_DOT, VAL_SOLID, 1, VAL_BLACK);
  PlotInfo info;
  ASSERT_TRUE(GetPlotInfo(panelHandle, PANEL_MHGRAPH, handle, &info));
  EXPECT_EQ(info.x, std::vector<double>(x, x + 3));
}

TEST_F(Graphs, BadPlotArgumentsAreRefused) {
  EXPECT_LT(PlotXY(panelHandle, PANEL_GRAPH, kX, kY, -1, VAL_DOUBLE, VAL_DOUBLE, 0, 10, 0, 1, 0),
            0);
  EXPECT_LT(
      PlotXY(panelHandle, PANEL_GRAPH, nullptr, kY, 4, VAL_DOUBLE, VAL_DOUBLE, 0, 10, 0, 1, 0), 0);
  EXPECT_LT(PlotXY(panelHandle, PANEL_VM, kX, kY, 4, VAL_DOUBLE, VAL_DOUBLE, 0, 10, 0, 1, 0), 0);
  EXPECT_TRUE(GraphPlotHandles(panelHandle, PANEL_GRAPH).empty());
}

TEST_F(Graphs, AxisRangeSetAndBadRangeRefused) {
  ASSERT_EQ(SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, 5, 250, VAL_MANUAL, -3, 1.5), 0);
  double x0, x1, y0, y1;
  ASSERT_TRUE(GetAxisRange(panelHandle, PANEL_GRAPH, &x0, &x1, &y0, &y1));
  EXPECT_EQ(x0, 5);
  EXPECT_EQ(x1, 250);
  EXPECT_EQ(y0, -3);
  EXPECT_EQ(y1, 1.5);
  EXPECT_LT(SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, 10, 10, VAL_MANUAL, 0, 1), 0);
  EXPECT_LT(SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, 0, 1, VAL_MANUAL, 0, NAN), 0);
  GetAxisRange(panelHandle, PANEL_GRAPH, &x0, &x1, &y0, &y1);
  EXPECT_EQ(x0, 5);  // all or nothing
  EXPECT_EQ(y1, 1.5);
}

TEST_F(Graphs, CursorSetByProgramFiresNothing) {
  ClearDeliveredEvents();
  ASSERT_EQ(SetGraphCursor(panelHandle, PANEL_GRAPH, 1, 2.5, 0), 0);
  double x = 0, y = 1;
  ASSERT_EQ(GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y), 0);
  EXPECT_EQ(x, 2.5);
  EXPECT_EQ(y, 0);
  EXPECT_TRUE(DeliveredEvents().empty());
  EXPECT_LT(SetGraphCursor(panelHandle, PANEL_MHGRAPH, 1, 0, 0), 0);  // no cursor there
}

// Dragging moves the cursor with the mouse and commits once, on release.
TEST_F(Graphs, CursorDraggedByMouseCommitsOnRelease) {
  SetAxisRange(panelHandle, PANEL_GRAPH, VAL_MANUAL, 0, 100, VAL_MANUAL, -1, 1);
  QApplication::processEvents();
  ClearDeliveredEvents();
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 20, 70));
  ASSERT_EQ(DeliveredEvents().size(), 1u);
  EXPECT_EQ(DeliveredEvents()[0].control, PANEL_GRAPH);
  EXPECT_EQ(DeliveredEvents()[0].event, EVENT_COMMIT);
  double x = 0, y = 0;
  GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y);
  EXPECT_NEAR(x, 70, 1.0);  // within a pixel or two of the release point
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, 35, 35));  // a click
  GetGraphCursor(panelHandle, PANEL_GRAPH, 1, &x, &y);
  EXPECT_NEAR(x, 35, 1.0);
  EXPECT_EQ(DeliveredEvents().size(), 2u);
}

TEST_F(Graphs, FrameColourShowsOnCurveGraphs) {
  ASSERT_EQ(SetCtrlAttribute(panelHandle, PANEL_MHGRAPH, ATTR_GRAPH_FRAME_COLOR, 0x2CA02C), 0);
  int colour = 0;
  GetCtrlAttribute(panelHandle, PANEL_MHGRAPH, ATTR_GRAPH_FRAME_COLOR, &colour);
  EXPECT_EQ(colour, 0x2CA02C);
  EXPECT_LT(SetCtrlAttribute(panelHandle, PANEL_VM, ATTR_GRAPH_FRAME_COLOR, 0), 0);
}
