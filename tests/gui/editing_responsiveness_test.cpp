// How long one arrow-key step on a parameter field takes, from the key to the end of the data
// graph's repaint, at full load: ten currents in the fit over six traces of 5000 samples, with
// automatic update on. Reports the figures beside the key-repeat interval; asserts nothing
// about speed, since the machines are shared. PAVIK_EDIT_PRESSES sets the number of steps. The
// residual strip and the goodness line are measured on their own as fractions of the step.
#include <qcustomplot.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "editing_fixture.h"
#include "display/goodness_display.h"
#include "display/residual_strip.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kKeyRepeatMs = 1000.0 / 30.0;  // a typical key repeat of 30 per second
constexpr int kDefaultPresses = 30;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
  double median, worst;
};

Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.back()};
}

int Presses() {
  const char* text = std::getenv("PAVIK_EDIT_PRESSES");
  const int presses = text ? std::atoi(text) : kDefaultPresses;
  return std::clamp(presses, 1, 10000);
}

// Steps PANEL_VM up and down with the arrow keys and prints the step times; returns the median
// whole step.
double MeasureArrowSteps(QCustomPlot* graph, bool* replotted, QSize window) {
  QWidget* field = CtrlWidget(panelHandle, PANEL_VM);
  field->setFocus();
  const int presses = Presses();
  std::vector<double> total, inCallback, modelOnly, replot;
  for (int n = 0; n < presses; ++n) {
    const double before = params[0].Vm;
    *replotted = false;
    const Clock::time_point start = Clock::now();
    QTest::keyClick(field, n % 2 ? Qt::Key_Down : Qt::Key_Up);  // the callback runs in here
    inCallback.push_back(MsSince(start));
    const Clock::time_point drawStart = Clock::now();
    while (!*replotted && MsSince(drawStart) < 10000.0) QCoreApplication::processEvents();
    QCoreApplication::processEvents();  // the paint event that shows the new buffer
    replot.push_back(MsSince(drawStart));
    total.push_back(MsSince(start));
    EXPECT_TRUE(*replotted);
    EXPECT_NE(params[0].Vm, before);
  }
  // the model alone, as DoFit evaluates it before it draws
  for (int n = 0; n < presses; ++n) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kMaxCurrents; ++i) CalcThisCurrent(i);
    modelOnly.push_back(MsSince(start));
  }

  const Figures all = Summarise(total), callback = Summarise(inCallback),
                model = Summarise(modelOnly), draw = Summarise(replot);
  std::printf(
      "edit-to-repaint over %d arrow steps, 10 currents x 6 traces x 5000 samples, window %dx%d, "
      "data graph %dx%d:\n"
      "  whole step  median %.1f ms, worst %.1f ms = %.2f and %.2f key-repeat intervals (%.1f ms)\n"
      "  callback    median %.1f ms (model %.1f ms, the rest sums and hands the plots over)\n"
      "  replot      median %.1f ms\n",
      presses, window.width(), window.height(), graph->width(), graph->height(), all.median,
      all.worst, all.median / kKeyRepeatMs, all.worst / kKeyRepeatMs, kKeyRepeatMs, callback.median,
      model.median, draw.median);
  const std::string size = std::to_string(window.width()) + "x" + std::to_string(window.height());
  testing::Test::RecordProperty("median_ms_" + size, std::to_string(all.median));
  testing::Test::RecordProperty("worst_ms_" + size, std::to_string(all.worst));
  return all.median;
}

// What the residual strip (residuals, their plots and the strip's repaint) and the goodness line
// (the RMS figures) add to each step, as fractions of the whole step.
void MeasureStripAndRms(QCustomPlot* strip, double stepMs) {
  const int presses = Presses();
  std::vector<double> stripTimes, rmsTimes;
  int replots = 0;
  const auto counting = QObject::connect(strip, &QCustomPlot::afterReplot, [&] { ++replots; });
  for (int n = 0; n < presses; ++n) {
    Clock::time_point start = Clock::now();
    ShowResiduals();
    QCoreApplication::processEvents();  // the strip's queued replot, as after an edit
    stripTimes.push_back(MsSince(start));
    start = Clock::now();
    ShowGoodness();
    rmsTimes.push_back(MsSince(start));
  }
  const double stripMs = Summarise(stripTimes).median, rmsMs = Summarise(rmsTimes).median;
  std::printf(
      "  residual strip median %.2f ms = %.3f of the step; goodness line (RMS) median %.2f ms = "
      "%.3f of the step\n",
      stripMs, stripMs / stepMs, rmsMs, rmsMs / stepMs);
  QObject::disconnect(counting);
  EXPECT_GE(replots, presses);  // each measured step includes the strip's repaint
}

using Responsiveness = EditingProgram;

}  // namespace

TEST_F(Responsiveness, ArrowStepAtFullLoadReportsEditToRepaintTime) {
  LoadAndShow(WriteDataFile("full.txt", kMaxTraces, kMaxPoints));
  ASSERT_EQ(NumTraces, kMaxTraces);
  ASSERT_EQ(NumPoints, kMaxPoints);
  for (int i = 1; i < kMaxCurrents; ++i) Click(panelHandle, currCtl[i]);
  ASSERT_EQ(status.fitCount, kMaxCurrents);
  Click(panelHandle, PANEL_AUTOUPDATE);
  ASSERT_EQ(status.autoUpdate, 1);

  auto* graph = qobject_cast<QCustomPlot*>(Widget(panelHandle, PANEL_GRAPH));
  ASSERT_NE(graph, nullptr);
  auto* strip = qobject_cast<QCustomPlot*>(Widget(panelHandle, PANEL_RESIDUALS));
  ASSERT_NE(strip, nullptr);
  bool replotted = false;
  QObject::connect(graph, &QCustomPlot::afterReplot, [&replotted] { replotted = true; });
  QCoreApplication::processEvents();  // the fit drawn by switching automatic update on

  // the panel as it opens, then a full-screen window, whose larger graph takes longer to draw
  for (const QSize size : {PanelWidget(panelHandle)->size(), QSize(1920, 1080)}) {
    PanelWidget(panelHandle)->resize(size);
    QCoreApplication::processEvents();
    const double stepMs = MeasureArrowSteps(graph, &replotted, size);
    MeasureStripAndRms(strip, stepMs);
  }
}
