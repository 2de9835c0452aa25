// The main panel after start-up, and the start-up function's two ends: -1 without the resource
// file beside the program, 0 after the main window was closed.
#include <QProcess>

#include "app/cli.h"
#include "program_fixture.h"

using StartupState = StartedProgram;

TEST_F(StartupState, ParameterControlsShowCurrentOne) {
  const CurrentParams& first = params[0];
  const std::pair<int, double> fields[] = {
      {PANEL_VHOLD, first.Vhold}, {PANEL_EREV, first.Erev}, {PANEL_GMAX, first.Gmax},
      {PANEL_VM, first.Vm},       {PANEL_KM, first.Km},     {PANEL_VTM, first.Vtm},
      {PANEL_KTM, first.Ktm},     {PANEL_VH, first.Vh},     {PANEL_KH, first.Kh},
      {PANEL_VTH, first.Vth},     {PANEL_KTH, first.Kth},   {PANEL_TMLO, first.Tmlo},
      {PANEL_TMHI, first.Tmhi},   {PANEL_THLO, first.Thlo}, {PANEL_THHI, first.Thhi}};
  for (const auto& [id, expected] : fields) EXPECT_EQ(DoubleValue(panelHandle, id), expected) << id;
  EXPECT_EQ(IntValue(panelHandle, PANEL_P), first.p);
  EXPECT_EQ(IntValue(panelHandle, PANEL_Q), first.q);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "1");
}

// The six trace voltages show what the model, the report and a saved file use from the start.
TEST_F(StartupState, TraceVoltageFieldsShowTheWorkspace) {
  const int fields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6};
  const double start[kMaxTraces] = {-30, -10, 10, 30, 30, 30};
  for (int k = 0; k < kMaxTraces; ++k) {
    EXPECT_EQ(DoubleValue(panelHandle, fields[k]), start[k]) << "trace " << k + 1;
    EXPECT_EQ(status.traceV[k], start[k]) << "trace " << k + 1;
  }
}

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
