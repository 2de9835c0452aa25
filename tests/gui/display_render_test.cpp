// Renders the main panel with the bundled six-trace sodium family and its fit drawn, the
// picture of the data graph at work (PAVIK_DATA_FILE names another recording to look at).
#include <QFileInfo>

#include <cstdlib>

#include "editing_fixture.h"

namespace {
std::string ExamplesDir() {
  return (std::filesystem::path(PAVIK_TEST_DATA).parent_path().parent_path() / "examples").string();
}
}  // namespace

using DataGraphRender = EditingProgram;

TEST_F(DataGraphRender, SixTracesWithTheirFit) {
  const char* other = std::getenv("PAVIK_DATA_FILE");
  LoadAndShow(other ? other : ExamplesDir() + "/hh-sodium.txt");
  if (!other) {
    ASSERT_EQ(LoadParamFile(ExamplesDir() + "/hh-sodium.fit"), 1);
    Click(panelHandle, PANEL_CURRBUT1);
    DoFit();
  }
  ASSERT_EQ(NumTraces, 6);
  ASSERT_TRUE(DragGraphCursor(panelHandle, PANEL_GRAPH, status.xMin + 1.0, status.xMin + 1.0));
  const std::string path = std::string(PAVIK_BUILD_DIR) + "/data-and-fit.png";
  ASSERT_EQ(SavePanelImage(panelHandle, path.c_str(), 1280, 800), 0);
  EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 10000);
}
