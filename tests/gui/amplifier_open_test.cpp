// Opening an amplifier file (ABF) through the menu: the import dialog's answer becomes the
// imported samples with the protocol's step voltages, a refused or cancelled import leaves the
// workspace as it was to the byte, and the command line's converted file reads back as the same
// samples.
#include <cstring>
#include <numeric>

#include "io/abf/import.h"
#include "platform/qt/import_dialog_qt_test.h"
#include "program_fixture.h"

namespace {

const std::string kSodium = kTestData + "myokit_abf-v2_INa_activation.abf";
const std::vector<int> kSweeps = {9, 13, 17, 21, 25, 29};

class OpenAmplifierFile : public StartedProgram {
 protected:
  static void Open(const std::string& path) { OpenThroughMenu(MENU_OPENDATA, path); }
  static ImportChoices Chosen(const std::vector<int>& sweeps = kSweeps) {
    ImportChoices choices = DefaultImportChoices(SodiumAbf());
    choices.sweeps = sweeps;
    return choices;
  }
  // The recording those choices import (in nA and mV, as the import's own tests check).
  static Recording Imported(const ImportChoices& choices) {
    Recording recording;
    EXPECT_EQ(ImportRecording(SodiumAbf(), choices, "x", &recording), "");
    return recording;
  }
  // The workspace holds the recording's samples, bit for bit.
  static void ExpectWorkspaceHolds(const Recording& expected) {
    ASSERT_EQ(NumTraces, 6);
    ASSERT_EQ(NumPoints, static_cast<int>(expected.times.size()));
    for (int n = 0; n < NumPoints; ++n) {
      ASSERT_NEAR(timevals[n], expected.times[n], 1e-12 * std::abs(expected.times[n])) << n;
      for (int k = 0; k < 6; ++k) {
        ASSERT_EQ(ydata[k][n], expected.currents[k][n]) << k << "," << n;
        ASSERT_EQ(ydata[k][n + kVoltageOffset], expected.voltages[k][n]) << k << "," << n;
      }
    }
  }
};

}  // namespace

TEST_F(OpenAmplifierFile, DialogAnswerGivesSixTracesInNanoampsAtTheStepVoltages) {
  status.fitCurrent[0] = 1;
  QueueImportDialogAnswer(Chosen());
  Open(kSodium);
  ExpectWorkspaceHolds(Imported(Chosen()));
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(status.traceV[k], -100.0 + 5.0 * (kSweeps[k] - 1)) << "trace " << k + 1;
  EXPECT_EQ(TextValue(panelHandle, PANEL_DATAFILE), kSodium);
  // The recording holds at -120 mV: the current in the fit now starts from there, and says so.
  EXPECT_EQ(params[0].Vhold, -120.0);
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_NE(RecordedMessages().back().message.find("Vhold"), std::string::npos);
}

// Every sweep of the family is a trace: each fit drawn in its own colour, the trace beyond the
// six fields evaluated at its own step.
TEST_F(OpenAmplifierFile, EverySweepIsDrawnAndFitted) {
  status.fitCurrent[0] = 1;
  std::vector<int> all(37);
  std::iota(all.begin(), all.end(), 1);
  QueueImportDialogAnswer(Chosen(all));
  Open(kSodium);
  ASSERT_EQ(NumTraces, 37);
  EXPECT_EQ(TraceStepVoltage(36), 80.0);
  EvaluateAndShow();
  EXPECT_EQ(Plot(PANEL_GRAPH, plotHandles[FitSlot(36)]).y, SummedFit(36));
  EXPECT_NE(SummedFit(36), SummedFit(35));
  EXPECT_NE(Plot(PANEL_GRAPH, plotHandles[kZeroLineSlot]).y, SummedFit(12));  // not overdrawn
  EXPECT_NE(TraceColor(0), TraceColor(36));
}

TEST_F(OpenAmplifierFile, RefusedOrCancelledImportChangesNoByte) {
  Open(WriteDataFile("six.txt", 6, 400));
  ASSERT_EQ(NumTraces, 6);
  const std::string before = WorkspaceBytes();
  const std::string truncated =
      WriteBytes(ScratchPath("truncated.abf"), ReadBytes(kSodium).substr(0, 2000));

  ClearRecordedMessages();
  Open(truncated);  // refused by the reader, before any dialog
  EXPECT_EQ(WorkspaceBytes(), before);
  EXPECT_EQ(OnlyMessage().title, "Error");

  ImportChoices impossible = Chosen();
  impossible.currentChannel = 9;  // the file records fewer channels
  for (const std::optional<ImportChoices>& answer :
       {std::optional<ImportChoices>{impossible}, std::optional<ImportChoices>{}}) {
    ClearRecordedMessages();
    QueueImportDialogAnswer(answer);
    Open(kSodium);
    EXPECT_EQ(WorkspaceBytes(), before);
    EXPECT_EQ(RecordedMessages().size(), answer ? 1u : 0u) << "a cancel says nothing";
  }
}

TEST_F(OpenAmplifierFile, ConvertedFileReadsBackAsTheSameSamples) {
  const std::string converted = ScratchPath("converted.txt");
  const ProgramRun run = Pavik({"--convert", QString::fromStdString(kSodium),
                                QString::fromStdString(converted), "--sweeps", "1,8,15,22,29,36"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  status.headerLines = kConvertedHeaderLines;
  ASSERT_EQ(LoadDataFile(converted), 1);
  ExpectWorkspaceHolds(Imported(Chosen({1, 8, 15, 22, 29, 36})));
}

// An amplifier file follows each sweep's whole command: the strip shows it and Vhold is the
// holding level, dimmed. The Options toggle goes back to the single step, which the model, the
// strip and the Vhold field all follow.
TEST_F(OpenAmplifierFile, OptionsToggleSwitchesHowTheModelReadsTheCommand) {
  status.fitCurrent[0] = 1;
  QueueImportDialogAnswer(Chosen());
  Open(kSodium);
  QWidget* strip = CtrlWidget(panelHandle, PANEL_COMMANDSTRIP);
  int dimmed = 0;
  ASSERT_EQ(loadedRecording.commandMode, CommandMode::kSteps);
  EXPECT_FALSE(strip->isHidden());
  GetCtrlAttribute(panelHandle, PANEL_VHOLD, ATTR_DIMMED, &dimmed);
  EXPECT_EQ(dimmed, 1);
  DoFit();
  const std::vector<double> steps = SummedFit(2);

  DisplayPanel(optionsPanelHandle);
  Click(optionsPanelHandle, OPTIONS_FOLLOWCOMMAND);
  EXPECT_EQ(loadedRecording.commandMode, CommandMode::kSingle);
  EXPECT_TRUE(strip->isHidden());
  GetCtrlAttribute(panelHandle, PANEL_VHOLD, ATTR_DIMMED, &dimmed);
  EXPECT_EQ(dimmed, 0);
  DoFit();
  EXPECT_NE(SummedFit(2), steps);
}
