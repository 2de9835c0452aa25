// Fitting with the mouse and the keys: dragging the handles of the curve graphs through real
// mouse events, and arrow steps that fit the value.
#include <QApplication>
#include <QMouseEvent>
#include <cstring>

#include "fit/undo.h"
#include "model/curve_geometry.h"
#include "model/param_table.h"
#include "param_controls.h"
#include "program_fixture.h"

namespace {

class CurveHandles : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    Prepare();
  }

  static void Prepare() {
    // A potassium-like current: minf rises, hinf falls, taum falls and tauh rises with V.
    CurrentParams& c = params[0];
    c.Vm = -20, c.Km = -9, c.Vh = -60, c.Kh = 7;
    c.Tmhi = 8, c.Tmlo = 1.5, c.Vtm = -30, c.Ktm = -10;
    c.Thhi = 40, c.Thlo = 300, c.Vth = -50, c.Kth = 8;
    c.Gmax = 100, c.Erev = -90, c.p = 1, c.q = 0;
    SetPanelParams(0);
    ShowMH();
    ShowTau();
    ResetWorkspaceHistory();
    ClearDeliveredEvents();
  }

  static void Mouse(QWidget* plot, QEvent::Type type, const QPoint& at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), plot->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(plot, &event);
  }

  // The pixel of (x, y) on graph, also beyond the axes' ranges (the mouse may leave them).
  static QPoint PixelOf(int graph, double x, double y) {
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    EXPECT_TRUE(GetAxisRange(panelHandle, graph, &x0, &x1, &y0, &y1));
    QPoint low, high;
    EXPECT_TRUE(GraphPixelOf(panelHandle, graph, x0, y0, &low));
    EXPECT_TRUE(GraphPixelOf(panelHandle, graph, x1, y1, &high));
    return QPoint(qRound(low.x() + (x - x0) / (x1 - x0) * (high.x() - low.x())),
                  qRound(low.y() + (y - y0) / (y1 - y0) * (high.y() - low.y())));
  }

  // Drags the handle of field from where it stands to (x, y) in axis units, in three moves.
  static void DragHandle(ParamField f, double x, double y) {
    const int graph = curve_geometry::OnSteadyStateGraph(f) ? PANEL_MHGRAPH : PANEL_TAUGRAPH;
    const auto from = curve_geometry::HandlePoint(f, params[0], status.vMin, status.vMax);
    ASSERT_TRUE(from.has_value());
    const QPoint start = PixelOf(graph, from->x, from->y), end = PixelOf(graph, x, y);
    QWidget* plot = Widget(panelHandle, graph);
    Mouse(plot, QEvent::MouseMove, start, Qt::NoButton);  // hover first, as a hand does
    Mouse(plot, QEvent::MouseButtonPress, start, Qt::LeftButton);
    for (int step = 1; step <= 3; ++step)
      Mouse(plot, QEvent::MouseMove, start + (end - start) * step / 3, Qt::LeftButton);
    Mouse(plot, QEvent::MouseButtonRelease, end, Qt::NoButton);
  }
};

}  // namespace

// Each handle changes exactly its own parameter, by what the curve implies for where it was
// dropped (to within a pixel), commits once through its field, and is one undo step.
TEST_F(CurveHandles, EachHandleDragsItsOwnParameterAndCommitsOnce) {
  const double ln3 = std::log(3.0);
  struct Case {
    ParamField field;
    double x, y;    // where the handle is dropped
    double expect;  // the value the curve implies there
    double pixel;   // what one pixel means there, the tolerance
  };
  const double v = 2.0;    // mV per pixel, generously: the graphs are small offscreen
  const double ss = 0.02;  // steady-state fraction per pixel
  const Case cases[] = {
      {ParamField::Vm, -35, 0.5, -35, v},
      {ParamField::Km, -20 + 15 * ln3, 0.75, -15, v / ln3},  // crossing 0.75, sign kept
      {ParamField::Vh, -40, 0.5, -40, v},
      {ParamField::Kh, -60 + 4 * ln3, 0.25, 4, v / ln3},
      {ParamField::Vtm, -10, 4.75, -10, v},
      {ParamField::Ktm, -30 + 20 * ln3, 3.0, -20, v / ln3},
      {ParamField::Vth, -70, 170, -70, v},
      {ParamField::Kth, -50 + 12 * ln3, 100, 12, v / ln3},
      {ParamField::Tmhi, 0, 20, 20, 300 * ss},  // limits move up and down only
      {ParamField::Tmlo, 0, 30, 30, 300 * ss},
      {ParamField::Thhi, 0, 60, 60, 300 * ss},
      {ParamField::Thlo, 0, 250, 250, 300 * ss},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(Descriptor(t.field).name));
    Prepare();  // the same current and history for every handle
    const CurrentParams before = params[0];
    const ParamDescriptor& d = Descriptor(t.field);
    // Limits keep their side: drop them straight above or below where they stand.
    double x = t.x;
    if (d.kind == FieldKind::TimeConstant)
      x = curve_geometry::HandlePoint(t.field, before, status.vMin, status.vMax)->x;
    DragHandle(t.field, x, t.y);

    EXPECT_NEAR(params[0].*d.real, t.expect, t.pixel);
    EXPECT_EQ(DoubleValue(panelHandle, ControlOf(d)), params[0].*d.real) << "the field follows";
    CurrentParams expected = before;
    expected.*d.real = params[0].*d.real;
    EXPECT_EQ(std::memcmp(&expected, &params[0], sizeof expected), 0) << "only its parameter";
    EXPECT_EQ(Commits(ControlOf(d)), 1);
    EXPECT_EQ(undoHistory.UndoCount(), 1);
    EXPECT_EQ(undoHistory.UndoLabel(), "Drag " + std::string(d.name) + " of current 1");
  }
}

// A slope handle pulled across its midpoint keeps the slope's sign at its least magnitude, and
// a limit pulled below zero stops at the least time constant.
TEST_F(CurveHandles, DragsStayWithinThePhysicalBounds) {
  DragHandle(ParamField::Km, -60, 0.75);
  EXPECT_EQ(params[0].Km, -kLeastSlope);
  const auto tmlo = curve_geometry::HandlePoint(ParamField::Tmlo, params[0], -100, 100);
  DragHandle(ParamField::Tmlo, tmlo->x, -50);  // far below the axis
  EXPECT_EQ(params[0].Tmlo, kLeastTimeConstant);
}

// With automatic update on, the fits follow a drag.
TEST_F(CurveHandles, FitsFollowADragWithAutomaticUpdateOn) {
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
  Click(panelHandle, PANEL_AUTOUPDATE);
  const auto fitOfTrace1 = [] { return Plot(PANEL_GRAPH, plotHandles[NumTraces]).y; };
  const std::vector<double> before = fitOfTrace1();
  DragHandle(ParamField::Vm, -35, 0.5);
  EXPECT_NE(fitOfTrace1(), before);
}

// Arrow steps fit the value, stop a time constant at its least positive step, and step a typed
// value from what was typed.
TEST_F(CurveHandles, ArrowStepsFitTheValue) {
  struct Case {
    int control;
    const char* typed;
    Qt::Key key;
    double expect;
  };
  const Case cases[] = {
      {PANEL_TMHI, "0.8", Qt::Key_Down, 0.79},   {PANEL_TMHI, "0.83", Qt::Key_Up, 0.84},
      {PANEL_TMHI, "0.05", Qt::Key_Down, 0.049}, {PANEL_TMHI, "0.001", Qt::Key_Down, 0.001},
      {PANEL_THLO, "250", Qt::Key_Up, 260},      {PANEL_THLO, "100", Qt::Key_Down, 99},
      {PANEL_VM, "-65", Qt::Key_Up, -64},        {PANEL_VM, "5", Qt::Key_Down, 4.9},
      {PANEL_VM, "0.1", Qt::Key_Down, 0},        {PANEL_VM, "0", Qt::Key_Down, -0.1},
      {PANEL_GMAX, "1200", Qt::Key_Up, 1300},    {PANEL_KM, "-9", Qt::Key_Up, -8.9},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(std::string(t.typed) + " at control " + std::to_string(t.control));
    Type(panelHandle, t.control, t.typed);
    QTest::keyClick(Widget(panelHandle, t.control), t.key);
    EXPECT_EQ(DoubleValue(panelHandle, t.control), t.expect);
    EXPECT_EQ(params[0].*DescriptorOfControl(t.control)->real, t.expect) << "committed";
  }
}
