// Opening an amplifier file (ABF) through the menu: the import dialog's answer becomes six traces
// in nA with the protocol's step voltages, a refused or cancelled import leaves the workspace as
// it was to the byte, and the command line's converted file reads back as the same samples.
#include <QProcess>
#include <cstring>

#include "editing_fixture.h"
#include "io/abf/import.h"
#include "platform/qt/import_dialog_qt_test.h"

namespace {

const std::string kSodium = std::string(PAVIK_TEST_DATA) + "/myokit_abf-v2_INa_activation.abf";
const std::vector<int> kSweeps = {9, 13, 17, 21, 25, 29};

// Every byte of the workspace a data file fills, and the parameters a holding level may set.
std::string WorkspaceBytes() {
  std::string bytes;
  auto add = [&](const void* data, size_t size) {
    bytes.append(static_cast<const char*>(data), size);
  };
  add(timevals, sizeof timevals);
  add(ydata, sizeof ydata);
  add(&status, sizeof status);
  add(params, sizeof params);
  add(&NumPoints, sizeof NumPoints);
  add(&NumTraces, sizeof NumTraces);
  return bytes;
}

// The sweeps' currents in pA as the converted table beside the file holds them (4 digits),
// row n at n x 0.05 ms from the sweep start.
std::vector<std::vector<double>> TableCurrents() {
  std::ifstream in(std::string(PAVIK_TEST_DATA) + "/myokit_INa_6sweeps_13hdr.tsv");
  std::string line;
  for (int i = 0; i < 14; ++i) std::getline(in, line);
  std::vector<std::vector<double>> currents(kSweeps.size());
  while (std::getline(in, line)) {
    std::istringstream row(line);
    double t = 0;
    row >> t;
    for (auto& trace : currents) {
      double v = 0;
      double i = 0;
      row >> v >> i;
      trace.push_back(i);
    }
  }
  return currents;
}

class OpenAmplifierFile : public EditingProgram {
 protected:
  void Open(const std::string& path) {
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    TriggerMenu(MENU_OPENDATA);
  }
  static ImportChoices Chosen() {
    AmplifierFile file;
    EXPECT_EQ(ReadAmplifierPath(kSodium, &file), "");
    ImportChoices choices = DefaultImportChoices(file);
    choices.sweeps = kSweeps;
    return choices;
  }
};

}  // namespace

TEST_F(OpenAmplifierFile, DialogAnswerGivesSixTracesInNanoampsAtTheStepVoltages) {
  status.fitCurrent[0] = 1;
  QueueImportDialogAnswer(Chosen());
  Open(kSodium);
  ASSERT_EQ(NumTraces, 6);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(status.traceV[k], -100.0 + 5.0 * (kSweeps[k] - 1)) << "trace " << k + 1;
  }
  const auto table = TableCurrents();
  for (int k = 0; k < 6; ++k) {
    for (int n = 0; n < NumPoints; n += 97) {
      const size_t row = static_cast<size_t>(std::lround(timevals[n] / 0.05));
      ASSERT_LT(row, table[k].size());
      const double pA = table[k][row];
      EXPECT_NEAR(ydata[k][n], pA / 1000, 5e-4 * std::abs(pA) / 1000 + 1e-4) << k << "," << n;
    }
  }
  EXPECT_EQ(TextValue(panelHandle, PANEL_DATAFILE), kSodium);
  // The recording holds at -120 mV: the current in the fit now starts from there, and says so.
  EXPECT_EQ(params[0].Vhold, -120.0);
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_NE(RecordedMessages().back().message.find("Vhold"), std::string::npos);
}

TEST_F(OpenAmplifierFile, RefusedOrCancelledImportChangesNoByte) {
  Open(WriteDataFile("six.txt", 6, 400));
  ASSERT_EQ(NumTraces, 6);
  const std::string before = WorkspaceBytes();
  std::ifstream in(kSodium, std::ios::binary);
  std::string head(2000, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  const std::string truncated = ScratchPath("truncated.abf");
  std::ofstream(truncated, std::ios::binary) << head;

  ClearRecordedMessages();
  Open(truncated);  // refused by the reader, before any dialog
  EXPECT_EQ(WorkspaceBytes(), before);
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].title, "Error");

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
  QProcess pavik;
  pavik.start(PAVIK_BUILD_DIR "/pavik",
              {"--convert", QString::fromStdString(kSodium), QString::fromStdString(converted),
               "--sweeps", "1,8,15,22,29,36"});
  ASSERT_TRUE(pavik.waitForFinished(30000));
  ASSERT_EQ(pavik.exitCode(), 0) << pavik.readAllStandardError().toStdString();

  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierPath(kSodium, &file), "");
  ImportChoices choices = DefaultImportChoices(file);
  choices.sweeps = {1, 8, 15, 22, 29, 36};
  Recording expected;
  ASSERT_EQ(ImportRecording(file, choices, "x", &expected), "");

  status.headerLines = kConvertedHeaderLines;
  ASSERT_EQ(LoadDataFile(converted), 1);
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
