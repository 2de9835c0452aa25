// Renders the main panel at the two window sizes it must suit, for a person to look at.
#include <QFileInfo>

#include "startup_fixture.h"

using StartupRender = StartedProgram;

TEST_F(StartupRender, MainPanelRendersAtBothSizes) {
  for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1024, 700}}) {
    const std::string path = std::string(PAVIK_BUILD_DIR) + "/main-panel-" + std::to_string(width) +
                             "x" + std::to_string(height) + ".png";
    ASSERT_EQ(SavePanelImage(panelHandle, path.c_str(), width, height), 0);
    EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 10000);
  }
}
