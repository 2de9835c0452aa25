// The residual strip, the goodness line and the regions left out of the fit, driven as the user
// drives them: an edit with automatic update on, and regions marked with the mouse and chosen
// from the right-button menu.
#include <qcustomplot.h>

#include <QDialog>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>

#include "display/goodness_display.h"
#include "display/region_editing.h"
#include "fit/fit_settings.h"
#include "program_fixture.h"

namespace {

class ResidualsAndRegions : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(WriteDataFile("steps.txt", 3, 400));
    ASSERT_EQ(NumTraces, 3);
    Click(panelHandle, PANEL_AUTOUPDATE);  // draws the fit
    ASSERT_EQ(status.autoUpdate, 1);
    graph_ = qobject_cast<QCustomPlot*>(Widget(panelHandle, PANEL_GRAPH));
    ASSERT_NE(graph_, nullptr);
    QCoreApplication::processEvents();
    graph_->replot();  // pixel and axis units agree before the mouse is used
  }
  // The residual drawn for trace k at sample n.
  static double StripValue(int k, int n) {
    return Plot(PANEL_RESIDUALS, Plots(PANEL_RESIDUALS).at(k)).y.at(n);
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

  // The right button at a time, and the menu's action `index` chosen; its text is kept.
  void Choose(double timeMs, int index) {
    QTest::mouseClick(graph_, Qt::RightButton, Qt::NoModifier, At(timeMs));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_GT(menu->actions().size(), index);
    chosen_ = menu->actions()[index]->text().toStdString();
    menu->actions()[index]->trigger();
    menu->close();
  }

  // The region editor's edges typed and OK pressed; the editor's complaint, "" when it took them.
  static std::string TypeEdges(QDialog* editor, const QString& from, const QString& to) {
    for (const auto& [name, text] : {std::pair{"from", from}, std::pair{"to", to}}) {
      auto* field = editor->findChild<QDoubleSpinBox*>(name);
      field->setFocus();
      QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(field, text);
    }
    editor->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    return editor->findChild<QLabel*>("problem")->text().toStdString();
  }

  std::string chosen_;  // the text of the menu action last chosen

  QCustomPlot* graph_ = nullptr;
};

TEST_F(ResidualsAndRegions, StripFollowsAnEditWithAutomaticUpdateOn) {
  // Three traces and the zero line, each trace measured minus the current in the fit: current 2,
  // switched in and out again, keeps a curve that must not count.
  Click(panelHandle, PANEL_FITCURR2);
  Click(panelHandle, PANEL_FITCURR2);
  ASSERT_EQ(Plots(PANEL_RESIDUALS).size(), 4u);
  const int n = 200;
  ASSERT_NE(yfits[1][1][n], 0.0);
  for (int k = 0; k < 3; ++k)
    EXPECT_DOUBLE_EQ(StripValue(k, n), ydata[k][n] - yfits[0][k][n]) << "trace " << k + 1;
  const double before = StripValue(1, n);
  const std::string lineBefore = TextValue(panelHandle, PANEL_GOODNESS);
  EXPECT_EQ(lineBefore.rfind("RMS ", 0), 0u) << lineBefore;
  // however narrow the line, its tooltip holds every figure
  EXPECT_TRUE(Widget(panelHandle, PANEL_GOODNESS)->toolTip().startsWith(lineBefore.c_str()));

  TypeAndEnter(panelHandle, PANEL_GMAX, "40");
  EXPECT_NE(StripValue(1, n), before);
  EXPECT_DOUBLE_EQ(StripValue(1, n), ydata[1][n] - yfits[0][1][n]);
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);
}

TEST_F(ResidualsAndRegions, ShiftDragMarksARegionThatMovesResizesAndGoes) {
  const std::vector<double> fitBefore(yfits[0][0], yfits[0][0] + NumPoints);
  const std::string lineBefore = TextValue(panelHandle, PANEL_GOODNESS);

  Drag(10, 20, Qt::ShiftModifier);
  ASSERT_EQ(loadedRecording.excluded.size(), 1u);
  const double pixelMs = graph_->xAxis->range().size() / graph_->axisRect()->width();
  EXPECT_NEAR(loadedRecording.excluded[0].from, 10, 2 * pixelMs);
  EXPECT_NEAR(loadedRecording.excluded[0].to, 20, 2 * pixelMs);
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);
  // leaving samples out selects samples; the model is untouched
  EXPECT_EQ(std::vector<double>(yfits[0][0], yfits[0][0] + NumPoints), fitBefore);

  Drag(15, 25, Qt::ShiftModifier);  // inside: moves by 10 ms
  ASSERT_EQ(loadedRecording.excluded.size(), 1u);
  EXPECT_NEAR(loadedRecording.excluded[0].from, 20, 3 * pixelMs);
  EXPECT_NEAR(loadedRecording.excluded[0].to, 30, 3 * pixelMs);

  Drag(loadedRecording.excluded[0].to, 35, Qt::NoModifier);  // the right edge, no key needed
  ASSERT_EQ(loadedRecording.excluded.size(), 1u);
  EXPECT_NEAR(loadedRecording.excluded[0].to, 35, 3 * pixelMs);
  EXPECT_NEAR(loadedRecording.excluded[0].from, 20, 3 * pixelMs);

  Drag(5, 5, Qt::ShiftModifier);  // a Shift+click marks nothing
  EXPECT_EQ(loadedRecording.excluded.size(), 1u);

  Choose(27, 0);  // the right button on the region: remove it
  EXPECT_TRUE(loadedRecording.excluded.empty());
  EXPECT_EQ(TextValue(panelHandle, PANEL_GOODNESS), lineBefore);

  // elsewhere, with the window starting later: the stretch before it becomes the noise region
  TypeAndEnter(panelHandle, PANEL_XMIN, "2");
  graph_->replot();
  Choose(27, 1);
  ASSERT_TRUE(loadedRecording.noise.has_value());
  EXPECT_LE(loadedRecording.noise->to, 2.0);
  EXPECT_NE(TextValue(panelHandle, PANEL_GOODNESS).find("RMS/noise "), std::string::npos);
  Choose(27, 2);  // and "No noise region" takes it away
  EXPECT_FALSE(loadedRecording.noise.has_value());
}

// A region's edges can be typed: the editor refuses an end before the start and stores what is
// typed; the noise region offered before a short window warns of its few samples.
TEST_F(ResidualsAndRegions, EdgesTypedAndAShortNoiseRegionWarned) {
  Drag(10, 20, Qt::ShiftModifier);
  Choose(15, 2);
  EXPECT_EQ(chosen_, "Edit region…");
  auto* editor = graph_->findChild<QDialog*>("regionEditor");
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(TypeEdges(editor, "30", "25").empty());
  ASSERT_EQ(loadedRecording.excluded.size(), 1u);
  EXPECT_NEAR(loadedRecording.excluded[0].from, 10, 0.5);
  EXPECT_EQ(TypeEdges(editor, "12.3456789", "18.5"), "");
  EXPECT_EQ(loadedRecording.excluded[0].from, 12.3456789);
  EXPECT_EQ(loadedRecording.excluded[0].to, 18.5);

  TypeAndEnter(panelHandle, PANEL_XMIN, "2");  // 21 samples up to the window
  graph_->replot();
  Choose(30, 1);
  EXPECT_TRUE(Contains(chosen_, "only 21 samples")) << chosen_;
}

// A region over the whole window leaves no RMS to show: the line says so, never NaN.
TEST_F(ResidualsAndRegions, AWholeWindowLeftOutLeavesNoRmsToShow) {
  loadedRecording.excluded = {{timevals[0] - 1, timevals[NumPoints - 1] + 1}};
  ShowRegions();
  ShowGoodness();
  const std::string line = TextValue(panelHandle, PANEL_GOODNESS);
  EXPECT_EQ(line.rfind("RMS not available", 0), 0u) << line;
  EXPECT_EQ(line.find("nan"), std::string::npos) << line;
}

}  // namespace
