// Renders the main panel at the two window sizes it must suit, for a person to look at.
#include <QFileInfo>
#include <QTest>

#include "display/display.h"
#include "io/io.h"
#include "platform/qt/platform_qt_test.h"

#include "startup_fixture.h"

#include <filesystem>

namespace {
// The source tree, from this file's own place in it (tests/gui/).
std::string SourceDir() {
  return std::filesystem::path(PAVIK_TEST_DATA).parent_path().parent_path().string();
}
}  // namespace

using StartupRender = StartedProgram;

TEST_F(StartupRender, MainPanelRendersAtBothSizes) {
  for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1024, 700}}) {
    const std::string path = std::string(PAVIK_BUILD_DIR) + "/main-panel-" + std::to_string(width) +
                             "x" + std::to_string(height) + ".png";
    ASSERT_EQ(SavePanelImage(panelHandle, path.c_str(), width, height), 0);
    EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 10000);
  }
}

// The bundled sodium example with its fitted parameters, fitted and with current 1 selected:
// the picture of the program at work.
TEST_F(StartupRender, MainPanelWithExampleRenders) {
  const std::string examples = SourceDir() + "/examples/";
  ASSERT_EQ(LoadDataFile(examples + "hh-sodium.txt"), 1);
  ClearGraph(PANEL_GRAPH, -1);
  ShowData();
  ASSERT_EQ(LoadParamFile(examples + "hh-sodium.fit"), 1);
  QTest::mouseClick(CtrlWidget(panelHandle, PANEL_CURRBUT1), Qt::LeftButton);
  SetCtrlAttribute(panelHandle, PANEL_DOFIT, ATTR_DIMMED, 0);
  QTest::mouseClick(CtrlWidget(panelHandle, PANEL_DOFIT), Qt::LeftButton);
  double xMin = 0, xMax = 0;
  GetAxisRange(panelHandle, PANEL_GRAPH, &xMin, &xMax, nullptr, nullptr);
  DragGraphCursor(panelHandle, PANEL_GRAPH, xMin + (xMax - xMin) * 0.2, xMin + (xMax - xMin) * 0.2);
  const std::string path = std::string(PAVIK_BUILD_DIR) + "/main-panel-example.png";
  ASSERT_EQ(SavePanelImage(panelHandle, path.c_str(), 1280, 800), 0);
  EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 10000);
}

// The smallest window the layout allows still fits a 1024 x 700 screen.
TEST_F(StartupRender, MainPanelFitsSmallScreen) {
  const QSize minimum = PanelWidget(panelHandle)->minimumSizeHint();
  EXPECT_LE(minimum.width(), 1024);
  EXPECT_LE(minimum.height(), 700);
}
