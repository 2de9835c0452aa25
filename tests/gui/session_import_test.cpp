// A session keeps how its amplifier data file was imported: opened again, it imports the same
// sweeps over the same span without asking, and choices it cannot read make the dialog ask.
#include "app/session_file.h"
#include "io/abf/import.h"
#include "platform/qt/import_dialog_qt_test.h"
#include "program_fixture.h"

namespace {

const std::string kSodium = kTestData + "myokit_abf-v2_INa_activation.abf";

class SessionImport : public StartedProgram {
 protected:
  void ImportSodium(const ImportChoices& choices) {
    QueueImportDialogAnswer(choices);
    OpenThroughMenu(MENU_OPENDATA, kSodium);
  }
  static ImportChoices Chosen() {
    ImportChoices choices = DefaultImportChoices(SodiumAbf());
    choices.sweeps = {2, 4, 6};
    choices.fromMs = 1.0;
    choices.toMs = 6.0;
    return choices;
  }
};

}  // namespace

TEST_F(SessionImport, ReopenedSessionImportsTheSameSweepsWithoutAsking) {
  ImportSodium(Chosen());
  ASSERT_EQ(NumTraces, 3);
  const std::vector<double> times(timevals, timevals + NumPoints);
  const std::vector<double> volts(status.traceV, status.traceV + 3);
  const std::string session = ScratchPath("sodium.pavik");
  ASSERT_EQ(SaveSessionFile(session), 1);

  LoadAndShow(WriteDataFile("other.txt", 6, 200));
  ASSERT_EQ(NumTraces, 6);
  ASSERT_EQ(OpenSessionFile(session), 1);  // no dialog answer queued: asking would cancel
  EXPECT_EQ(NumTraces, 3);
  EXPECT_EQ(std::vector<double>(timevals, timevals + NumPoints), times);
  EXPECT_EQ(std::vector<double>(status.traceV, status.traceV + 3), volts);

  // A text data file has no import choices to keep.
  LoadAndShow(WriteDataFile("plain.txt", 2, 100));
  ASSERT_EQ(SaveSessionFile(session), 1);
  const std::string json = ReadBytes(session);
  EXPECT_NE(json.find("\"dataImport\": null"), std::string::npos) << json;
}

TEST_F(SessionImport, UnreadableChoicesAskAgain) {
  const std::string session = ScratchPath("bad.pavik");
  WriteBytes(session,
             R"({"version": 1, "dataFile": ")" + kSodium + R"(", "dataImport": {"sweeps": [0]}})");
  ImportChoices asked = Chosen();
  asked.sweeps = {1};
  QueueImportDialogAnswer(asked);
  ASSERT_EQ(OpenSessionFile(session), 1);
  EXPECT_EQ(NumTraces, 1);
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_NE(RecordedMessages().front().message.find("import choices"), std::string::npos);
}
