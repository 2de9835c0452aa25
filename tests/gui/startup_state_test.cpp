// The main panel after start-up, and the start-up function's two ends: -1 without the
// resource file, 0 after the main window was closed.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "app/cli.h"
#include "model/model.h"
#include "platform/qt/platform_qt_test.h"
#include "startup_fixture.h"

using StartupState = StartedProgram;

TEST_F(StartupState, TitleNamesVersionAndDate) {
  EXPECT_EQ(PanelWidget(panelHandle)->windowTitle().toStdString(), "Pavik (Ver 3.2 2010-June-03)");
}

TEST_F(StartupState, ParameterControlsShowCurrentOne) {
  const CurrentParams& first = params[0];
  const std::pair<int, double> fields[] = {
      {PANEL_VHOLD, first.Vhold}, {PANEL_EREV, first.Erev}, {PANEL_GMAX, first.Gmax},
      {PANEL_VM, first.Vm},       {PANEL_KM, first.Km},     {PANEL_VTM, first.Vtm},
      {PANEL_KTM, first.Ktm},     {PANEL_VH, first.Vh},     {PANEL_KH, first.Kh},
      {PANEL_VTH, first.Vth},     {PANEL_KTH, first.Kth},   {PANEL_TMLO, first.Tmlo},
      {PANEL_TMHI, first.Tmhi},   {PANEL_THLO, first.Thlo}, {PANEL_THHI, first.Thhi}};
  for (const auto& [id, expected] : fields) {
    double shown = 0;
    ASSERT_EQ(GetCtrlVal(panelHandle, id, &shown), 0);
    EXPECT_EQ(shown, expected) << "id " << id;
  }
  int p = -1, q = -1;
  GetCtrlVal(panelHandle, PANEL_P, &p);
  GetCtrlVal(panelHandle, PANEL_Q, &q);
  EXPECT_EQ(p, first.p);
  EXPECT_EQ(q, first.q);
  std::string name;
  ASSERT_EQ(GetCtrlVal(panelHandle, PANEL_NAME, &name), 0);
  EXPECT_EQ(name, "1");
}

// The six trace voltages show what the model, the report and a saved file use from the start.
TEST_F(StartupState, TraceVoltageFieldsShowTheWorkspace) {
  const int fields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6};
  const double start[kMaxTraces] = {-30, -10, 10, 30, 30, 30};
  for (int k = 0; k < kMaxTraces; ++k) {
    double shown = 0;
    ASSERT_EQ(GetCtrlVal(panelHandle, fields[k], &shown), 0);
    EXPECT_EQ(shown, start[k]) << "trace " << k + 1;
    EXPECT_EQ(status.traceV[k], start[k]) << "trace " << k + 1;
  }
}

TEST_F(StartupState, FileTextAndFitMessage) {
  std::string text;
  ASSERT_EQ(GetCtrlVal(panelHandle, PANEL_PARAMFILE, &text), 0);
  EXPECT_EQ(text, "(no parameter file)");
  ASSERT_EQ(GetCtrlVal(panelHandle, PANEL_FITMSG, &text), 0);
  EXPECT_EQ(text, "1");
  int inFit = 0;
  GetCtrlVal(panelHandle, PANEL_FITCURR1, &inFit);
  EXPECT_EQ(inFit, 1);
}

TEST_F(StartupState, GraphsEmptyOnLightGrey) {
  for (int graph : {PANEL_GRAPH, PANEL_MHGRAPH, PANEL_TAUGRAPH}) {
    EXPECT_TRUE(GraphPlotHandles(panelHandle, graph).empty()) << "graph " << graph;
    int colour = 0;
    ASSERT_EQ(GetCtrlAttribute(panelHandle, graph, ATTR_PLOT_BGCOLOR, &colour), 0);
    EXPECT_EQ(colour, VAL_LT_GRAY);
  }
}

TEST_F(StartupState, OnlyTheMainPanelIsShown) {
  EXPECT_TRUE(PanelWidget(panelHandle)->isVisible());
  for (int panel : {infoPanelHandle, dclampPanelHandle, optionsPanelHandle})
    EXPECT_FALSE(PanelWidget(panel)->isVisible());
}

// ---- the window from the command line ----

TEST(RunCommandLine, ResourceMissingReturnsMinusOne) {
  QTemporaryDir empty;
  SetResourceDirectory(empty.path().toStdString());
  char name[] = "pavik";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(RunCommandLine(1, argv), -1);
  SetResourceDirectory("");
}

// The resource file is the one beside the program: a stray one in the working folder is never
// taken, and without its own the program says so on standard error and ends with -1.
TEST(RunCommandLine, ResourceIsTheOneBesideTheProgram) {
  QTemporaryDir programDir, workDir;
  const QString program = programDir.filePath("pavik");
  ASSERT_TRUE(QFile::copy(PAVIK_BUILD_DIR "/pavik", program));
  QFile stray(workDir.filePath("pavikuir.uir"));
  ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
  stray.write("not a resource file");
  stray.close();
  const QString data = workDir.filePath("data.txt");
  QFile dataFile(data);
  ASSERT_TRUE(dataFile.open(QIODevice::WriteOnly));
  dataFile.write("t V I\n0 -20 1\n0.001 -20 2\n");
  dataFile.close();

  QProcess process;
  process.setWorkingDirectory(workDir.path());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(environment);
  process.start(program, {});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), 255);  // -1 as a process's exit status
  EXPECT_TRUE(process.readAllStandardError().contains("pavikuir.uir"));

  ASSERT_TRUE(QFile::copy(PAVIK_BUILD_DIR "/pavikuir.uir", programDir.filePath("pavikuir.uir")));
  process.start(program, {"--render", "panel.png", "--header-lines", "0", data});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_TRUE(QFile::exists(workDir.filePath("panel.png")));
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
