// The residual strip, the goodness line and the regions left out of the fit, driven as the user
// drives them: an edit with automatic update on, and regions marked with the mouse.
#include <qcustomplot.h>

#include <QMenu>

#include "editing_fixture.h"
#include "fit/fit_settings.h"
#include "fit/workspace_fit.h"
#include "display/goodness_display.h"
#include "display/region_editing.h"

namespace {

class ResidualsAndRegions : public EditingProgram {
 protected:
  void SetUp() override {
    ResetFitSettings();
    EditingProgram::SetUp();
    LoadAndShow(WriteDataFile("steps.txt", 3, 400));
    ASSERT_EQ(NumTraces, 3);
    Click(panelHandle, PANEL_AUTOUPDATE);  // draws the fit
    ASSERT_EQ(status.autoUpdate, 1);
    graph_ = qobject_cast<QCustomPlot*>(Widget(panelHandle, PANEL_GRAPH));
    ASSERT_NE(graph_, nullptr);
    QCoreApplication::processEvents();
    graph_->replot();  // pixel and axis units agree before the mouse is used
  }
  void TearDown() override {
    EditingProgram::TearDown();
    ResetFitSettings();
  }

  // The residual drawn for trace k at sample n.
  static double StripValue(int k, int n) {
    const std::vector<int> plots = Plots(PANEL_RESIDUALS);
    PlotInfo info;
    if (plots.size() <= static_cast<size_t>(k) ||
        !GetPlotInfo(panelHandle, PANEL_RESIDUALS, plots[k], &info))
      return NAN;
    return info.y[n];
  }

  QPoint At(double timeMs) const {
    const double x = graph_->xAxis->coordToPixel(timeMs);
    return {static_cast<int>(std::lround(x)), graph_->axisRect()->center().y()};
  }

  void Drag(double fromMs, double toMs, Qt::KeyboardModifiers keys) {
    QTest::mousePress(graph_, Qt::LeftButton, keys, At(fromMs));
    QTest::mouseMove(graph_, At((fromMs + toMs) / 2));
    QTest::mouseMove(graph_, At(toMs));
    QTest::mouseRelease(graph_, Qt::LeftButton, keys, At(toMs));
  }

  QCustomPlot* graph_ = nullptr;
};

TEST_F(ResidualsAndRegions, StripFollowsAnEditWithAutomaticUpdateOn) {
  // three traces and the zero line, each trace measured minus its drawn sum
  ASSERT_EQ(Plots(PANEL_RESIDUALS).size(), 4u);
  const int n = 200;
  for (int k = 0; k < 3; ++k)
    EXPECT_DOUBLE_EQ(StripValue(k, n), ydata[k][n] - WorkspaceSummedFit(k)[n]) << "trace " << k + 1;
  const double before = StripValue(1, n);
  const std::string lineBefore = TextValue(panelHandle, PANEL_GOODNESS);
  EXPECT_EQ(lineBefore.rfind("RMS ", 0), 0u) << lineBefore;

  TypeAndEnter(panelHandle, PANEL_GMAX, "40");
  EXPECT_NE(StripValue(1, n), before);
  EXPECT_DOUBLE_EQ(StripValue(1, n), ydata[1][n] - WorkspaceSummedFit(1)[n]);
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);
}

TEST_F(ResidualsAndRegions, ShiftDragMarksARegionThatMovesResizesAndGoes) {
  const std::vector<double> fitBefore(yfits[0][0], yfits[0][0] + NumPoints);
  const std::string lineBefore = TextValue(panelHandle, PANEL_GOODNESS);

  Drag(10, 20, Qt::ShiftModifier);
  ASSERT_EQ(fitSettings.excluded.size(), 1u);
  const double pixelMs = graph_->xAxis->range().size() / graph_->axisRect()->width();
  EXPECT_NEAR(fitSettings.excluded[0].from, 10, 2 * pixelMs);
  EXPECT_NEAR(fitSettings.excluded[0].to, 20, 2 * pixelMs);
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);
  // leaving samples out selects samples; the model is untouched
  EXPECT_EQ(std::vector<double>(yfits[0][0], yfits[0][0] + NumPoints), fitBefore);

  Drag(15, 25, Qt::ShiftModifier);  // inside: moves by 10 ms
  ASSERT_EQ(fitSettings.excluded.size(), 1u);
  EXPECT_NEAR(fitSettings.excluded[0].from, 20, 3 * pixelMs);
  EXPECT_NEAR(fitSettings.excluded[0].to, 30, 3 * pixelMs);

  Drag(fitSettings.excluded[0].to, 35, Qt::NoModifier);  // the right edge, no key needed
  ASSERT_EQ(fitSettings.excluded.size(), 1u);
  EXPECT_NEAR(fitSettings.excluded[0].to, 35, 3 * pixelMs);
  EXPECT_NEAR(fitSettings.excluded[0].from, 20, 3 * pixelMs);

  Drag(5, 5, Qt::ShiftModifier);  // a Shift+click marks nothing
  EXPECT_EQ(fitSettings.excluded.size(), 1u);

  // right button on the region: remove it
  QTest::mouseClick(graph_, Qt::RightButton, Qt::NoModifier, At(27));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  ASSERT_FALSE(menu->actions().isEmpty());
  menu->actions().first()->trigger();
  menu->close();
  EXPECT_TRUE(fitSettings.excluded.empty());
  EXPECT_EQ(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);
}

TEST_F(ResidualsAndRegions, RegionsChangeTheRmsShownAndAWholeWindowLeavesNoneToShow) {
  struct Case {
    std::vector<TimeRegion> excluded;
    bool available;
  };
  const double start = timevals[0], end = timevals[NumPoints - 1];
  const Case cases[] = {
      {{}, true},
      {{{start, start + 3}}, true},                                // the start of the window
      {{{start + 5, start + 10}, {start + 8, start + 12}}, true},  // overlapping
      {{{end + 1, end + 50}}, true},                               // beyond the data
      {{{start - 1, end + 1}}, false},                             // the whole window
  };
  std::vector<std::string> lines;
  for (const Case& c : cases) {
    fitSettings.excluded = c.excluded;
    ShowRegions();
    ShowGoodness();
    const FitGoodness goodness = WorkspaceGoodness(fitSettings.excluded, fitSettings.noise);
    const std::string line = TextValue(panelHandle, PANEL_GOODNESS);
    EXPECT_EQ(line, GoodnessLine(goodness, false));
    EXPECT_EQ(goodness.rms.has_value(), c.available);
    EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    EXPECT_EQ(line.rfind("RMS not available", 0) == 0, !c.available) << line;
    lines.push_back(line);
  }
  EXPECT_NE(lines[1], lines[0]);  // samples at the window start left out change the RMS

  fitSettings.excluded.clear();
  fitSettings.noise = TimeRegion{start, start + 5};
  ShowGoodness();
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS).find("RMS/noise "), std::string::npos);
}

}  // namespace

namespace {

// The sodium recording: exclude the capacitive transient after the step, take the stretch before
// the window as the noise region, and the RMS falls as the fit is brought on by hand. Leaves
// images of the panel in the build folder.
class SodiumRecording : public EditingProgram {
 protected:
  void SetUp() override {
    ResetFitSettings();
    EditingProgram::SetUp();
  }
  void TearDown() override {
    EditingProgram::TearDown();
    ResetFitSettings();
  }
};

std::optional<double> ShownRms() {
  return WorkspaceGoodness(fitSettings.excluded, fitSettings.noise).rms;
}

TEST_F(SodiumRecording, LeavingOutTheTransientAndEditingBringsTheRmsDown) {
  LoadAndShow(std::string(PAVIK_TEST_DATA) + "/myokit_INa_6sweeps_13hdr.tsv");
  ASSERT_EQ(NumTraces, 6);
  TypeAndEnter(panelHandle, PANEL_XMIN, "0.4");  // the step
  TypeAndEnter(panelHandle, PANEL_XMAX, "8");
  const struct {
    int control;
    const char* value;
  } start[] = {{PANEL_V1, "-60"},   {PANEL_V2, "-40"},  {PANEL_V3, "-20"},     {PANEL_V4, "0"},
               {PANEL_V5, "20"},    {PANEL_V6, "40"},   {PANEL_YMIN, "-2500"}, {PANEL_YMAX, "2500"},
               {PANEL_P, "3"},      {PANEL_Q, "1"},     {PANEL_VHOLD, "-120"}, {PANEL_EREV, "47"},
               {PANEL_VM, "-30"},   {PANEL_KM, "-6"},   {PANEL_VH, "-70"},     {PANEL_KH, "6"},
               {PANEL_VTM, "-40"},  {PANEL_KTM, "-10"}, {PANEL_TMLO, "1"},     {PANEL_TMHI, "0.3"},
               {PANEL_VTH, "-50"},  {PANEL_KTH, "-10"}, {PANEL_THLO, "8"},     {PANEL_THHI, "1.5"},
               {PANEL_GMAX, "5000"}};
  for (const auto& field : start) TypeAndEnter(panelHandle, field.control, field.value);
  Click(panelHandle, PANEL_AUTOUPDATE);
  ASSERT_EQ(status.autoUpdate, 1);
  auto* graph = qobject_cast<QCustomPlot*>(Widget(panelHandle, PANEL_GRAPH));
  QCoreApplication::processEvents();
  graph->replot();
  const auto at = [graph](double ms) {
    return QPoint(static_cast<int>(std::lround(graph->xAxis->coordToPixel(ms))),
                  graph->axisRect()->center().y());
  };
  const std::optional<double> withTransient = ShownRms();

  QTest::mousePress(graph, Qt::LeftButton, Qt::ShiftModifier, at(0.4));
  QTest::mouseMove(graph, at(0.55));
  QTest::mouseMove(graph, at(0.7));
  QTest::mouseRelease(graph, Qt::LeftButton, Qt::ShiftModifier, at(0.7));
  ASSERT_EQ(fitSettings.excluded.size(), 1u);
  const std::vector<double> fitBefore(yfits[0][2], yfits[0][2] + NumPoints);
  QTest::mouseClick(graph, Qt::RightButton, Qt::NoModifier, at(4));
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  ASSERT_GE(menu->actions().size(), 2);
  menu->actions()[1]->trigger();  // the part before the window
  menu->close();
  ASSERT_TRUE(fitSettings.noise.has_value());
  EXPECT_LT(*ShownRms(), *withTransient);
  SavePanelImage(panelHandle, PAVIK_BUILD_DIR "/sodium-transient-excluded.png", 1280, 800);

  std::vector<double> rms = {*ShownRms()};
  for (const char* gmax : {"20000", "40000", "60000", "70000"}) {
    TypeAndEnter(panelHandle, PANEL_GMAX, gmax);
    rms.push_back(*ShownRms());
    std::printf("Gmax %s: %s\n", gmax, TextValue(panelHandle, PANEL_GOODNESS).c_str());
  }
  EXPECT_LT(rms.back(), rms.front());
  EXPECT_EQ(std::vector<double>(yfits[0][2], yfits[0][2] + NumPoints) == fitBefore, false);
  SavePanelImage(panelHandle, PAVIK_BUILD_DIR "/sodium-fitted.png", 1280, 800);
}

}  // namespace
