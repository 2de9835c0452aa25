// Start-up: the resource file beside the program (-1 without it), loading its panels and
// failing to, and 0 after the main window was closed.
#include <QProcess>

#include "app/cli.h"
#include "model/param_table.h"
#include "program_fixture.h"

// The resource file is the one beside the program: a stray one in the working folder is never
// taken, and without its own the program says so on standard error and ends with -1.
TEST(RunCommandLine, ResourceIsTheOneBesideTheProgram) {
  TestFolder programDir("-program"), workDir("-work");
  const std::string program = programDir.File("pavik");
  std::filesystem::copy_file(PAVIK_BUILD_DIR "/pavik", program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  WriteBytes(workDir.File("pavikuir.uir"), "not a resource file");
  WriteBytes(workDir.File("data.txt"), "t V I\n0 -20 1\n0.001 -20 2\n");

  QProcess process;  // offscreen, as the tests themselves run
  process.setWorkingDirectory(QString::fromStdString(workDir.Path().string()));
  process.start(QString::fromStdString(program), {});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 255);  // -1 as a process's exit status
  EXPECT_TRUE(process.readAllStandardError().contains("pavikuir.uir"));

  std::filesystem::copy_file(BuiltResourceFile(), programDir.File("pavikuir.uir"));
  process.start(QString::fromStdString(program),
                {"--render", "panel.png", "--header-lines", "0", "data.txt"});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(std::filesystem::exists(workDir.File("panel.png")));
}

// Closing the main window ends the event loop and the window returns 0.
TEST(RunCommandLine, ClosingMainWindowReturnsZero) {
  QTimer::singleShot(200, [] { PanelWidget(panelHandle)->close(); });
  char name[] = "pavik";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunCommandLine(1, argv), 0);
  EXPECT_TRUE(PanelWidget(panelHandle)->isVisible());  // closing asks; the program decides
  for (int panel : {panelHandle, infoPanelHandle, dclampPanelHandle, optionsPanelHandle})
    DiscardPanel(panel);
}

// A missing file or panel is refused; a relative name is found beside the executable when the
// current directory lacks it; a discarded handle is unknown.
TEST(LoadPanel, FailuresAndTheFileBesideTheExecutable) {
  EXPECT_LT(LoadPanel(0, "/nonexistent/pavikuir.uir", PANEL), 0);
  EXPECT_LT(LoadPanel(0, BuiltResourceFile(), 99), 0);
  EXPECT_LT(LoadPanel(0, nullptr, PANEL), 0);
  const int panel = LoadPanel(0, "pavikuir.uir", OPTIONS);
  EXPECT_GT(panel, 0);
  DiscardPanel(panel);
  EXPECT_LT(DisplayPanel(panel), 0);
}
