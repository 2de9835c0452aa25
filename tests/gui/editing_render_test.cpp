// Renders the main panel in the middle of fitting a current to the bundled potassium family, for
// a person to look at (editing-in-progress.png in the build directory).
#include <QFileInfo>

#include "editing_fixture.h"

using EditingRender = EditingProgram;

TEST_F(EditingRender, FittingInProgressRenders) {
  const std::string examples =
      (std::filesystem::path(PAVIK_TEST_DATA).parent_path().parent_path() / "examples/").string();
  LoadAndShow(examples + "hh-potassium.txt");
  ASSERT_EQ(LoadParamFile(examples + "hh-potassium.fit"), 1);
  Click(panelHandle, PANEL_TRACECOLORS);
  Click(panelHandle, PANEL_AUTOUPDATE);
  Click(panelHandle, PANEL_CURRBUT1);
  DragGraphCursor(panelHandle, PANEL_GRAPH, 4.0, 6.0);
  // the user is part-way to the fit: the activation midpoint still 8 mV off, being stepped back
  TypeAndEnter(panelHandle, PANEL_VM, QString::number(params[0].Vm + 8.0, 'f', 1));
  QTest::keyClick(Widget(panelHandle, PANEL_VM), Qt::Key_Down);

  const std::string path = std::string(PAVIK_BUILD_DIR) + "/editing-in-progress.png";
  ASSERT_EQ(SavePanelImage(panelHandle, path.c_str(), 1280, 800), 0);
  EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 10000);
}
