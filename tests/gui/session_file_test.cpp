// Sessions through the program: one saved and opened again restores every item it holds and
// the panels show them, the bounds it sets among them; a missing data file is reported and the
// rest restored; a corrupt session changes nothing; an amplifier file is imported again as it
// was, without asking, and choices the session cannot give make the dialog ask.
#include "app/session_file.h"
#include "fit/fit_settings.h"
#include "fit/polish.h"
#include "fit/undo.h"
#include "fit/workspace_fit.h"
#include "io/abf/import.h"
#include "model/session_recordings.h"
#include "platform/qt/import_dialog_qt_test.h"
#include "program_fixture.h"

namespace {

const std::string kSodium = kTestData + "myokit_abf-v2_INa_activation.abf";

class SessionFile : public StartedProgram {
 protected:
  static void ImportSodium(const ImportChoices& choices) {
    QueueImportDialogAnswer(choices);
    OpenThroughMenu(MENU_OPENDATA, kSodium);
  }
};

ImportChoices Chosen() {
  ImportChoices choices = DefaultImportChoices(SodiumAbf());
  choices.sweeps = {2, 4, 6};
  choices.fromMs = 1.0;
  choices.toMs = 6.0;
  return choices;
}

}  // namespace

// Every item of the session comes back after the workspace was changed in each of them.
TEST_F(SessionFile, SavedAndOpenedRestoresEveryItem) {
  const std::string data = WriteDataFile("cell.txt", 3, 400);
  LoadAndShow(data);
  TypeAndEnter(panelHandle, PANEL_VM, "-52");
  const std::string param = ScratchPath("cell.fit");
  ASSERT_EQ(SaveParamFile(param), 1);
  status.paramFileLoaded = 1;
  std::snprintf(status.paramFile, sizeof status.paramFile, "%s", param.c_str());
  for (auto [control, text] : {std::pair{PANEL_XMIN, "0.005"},
                               {PANEL_XMAX, "0.03"},
                               {PANEL_YMIN, "-1"},
                               {PANEL_YMAX, "4"},
                               {PANEL_VMIN, "-90"},
                               {PANEL_VMAX, "30"},
                               {PANEL_BASELINE, "0.125"}})
    TypeAndEnter(panelHandle, control, text);
  for (int control : {PANEL_CURRBUT3, PANEL_AUTOUPDATE, PANEL_TRACECOLORS})
    Click(panelHandle, control);
  loadedRecording.excluded = {{0.01, 0.012}};
  loadedRecording.noise = TimeRegion{0.02, 0.025};
  ParamChoice choice = EffectivePolishChoice();
  choice.currents[0].free[0] = false;
  choice.currents[0].bounds[0] = {-70.0, -30.0};
  choice.baselineFree = true;
  loadedRecording.fitter.choice = choice;
  PlaceDataCursor(timevals[250]);
  const Session saved = CurrentSession();
  ASSERT_TRUE(saved.cursor);
  const std::string path = ScratchPath("cell.pavik");
  ASSERT_EQ(SaveSessionFile(path), 1);

  // Everything else: another data file, other values, no regions.
  LoadAndShow(WriteDataFile("other.txt", 1, 100));
  TypeAndEnter(panelHandle, PANEL_VM, "-10");
  for (int control : {PANEL_CURRBUT1, PANEL_AUTOUPDATE, PANEL_TRACECOLORS})
    Click(panelHandle, control);
  status.baseline = 0;
  status.vMin = -50;
  EXPECT_FALSE(HasFitterState(loadedRecording));  // they belonged to the recording replaced

  ClearRecordedMessages();
  ASSERT_EQ(OpenSessionFile(path), 1);
  EXPECT_TRUE(RecordedMessages().empty());
  EXPECT_EQ(CurrentSession(), saved);  // the polish's choice among them
  EXPECT_EQ(NumTraces, 3);
  EXPECT_EQ(status.cursorIndex, 250);
  EXPECT_NE(pointHandles[0], 0);  // the traces marked at the cursor
  EXPECT_EQ(params[0].Vm, -52.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_XMIN), 0.005);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VMIN), -90.0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_BASELINE), 0.125);
  EXPECT_EQ(IntValue(panelHandle, PANEL_AUTOUPDATE), 1);
  EXPECT_EQ(IntValue(panelHandle, PANEL_TRACECOLORS), 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1");
  // The session file names its files relative to itself, as they lie beside it.
  EXPECT_NE(ReadBytes(path).find("\"cell.txt\""), std::string::npos);
}

// A data file that is gone is named in a message; the parameters and settings still come back.
TEST_F(SessionFile, MissingDataFileReportedRestRestored) {
  TypeAndEnter(panelHandle, PANEL_VM, "-66");
  const std::string param = ScratchPath("kept.fit");
  ASSERT_EQ(SaveParamFile(param), 1);
  TypeAndEnter(panelHandle, PANEL_VM, "-1");
  const std::string path = ScratchPath("gone.pavik");
  WriteBytes(path, R"({"version": 1, "dataFile": "gone.txt", "paramFile": "kept.fit",
                      "baseline": 0.25, "vMin": -77, "vMax": 33, "selCurrent": 2})");
  ASSERT_EQ(OpenSessionFile(path), 1);
  EXPECT_NE(OnlyMessage().message.find("gone.txt"), std::string::npos);
  EXPECT_EQ(params[0].Vm, -66.0);
  EXPECT_EQ(status.baseline, 0.25);
  EXPECT_EQ(status.selCurrent, 2);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VMIN), -77.0);
  EXPECT_EQ(status.dataLoaded, 0);
}

// Text that is not a session, or a session with a wrong value, is refused whole.
TEST_F(SessionFile, CorruptSessionChangesNothing) {
  TypeAndEnter(panelHandle, PANEL_BASELINE, "0.5");
  const Session before = CurrentSession();
  const WorkspaceSnapshot workspace = CaptureWorkspace();
  for (const char* text : {"{ \"version\": 1, \"baseline\": ", "[1, 2]",
                           R"({"version": 1, "baseline": 2, "selCurrent": 11})"}) {
    SCOPED_TRACE(text);
    const std::string path = ScratchPath("bad.pavik");
    WriteBytes(path, text);
    ClearRecordedMessages();
    EXPECT_EQ(OpenSessionFile(path), 0);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(CurrentSession(), before);
    EXPECT_TRUE(SameSnapshot(CaptureWorkspace(), workspace));
  }
}

// A bound the session sets holds in the window's polish; the bounds it leaves at their defaults
// keep following the parameters.
TEST_F(SessionFile, BoundsTheSessionSetsHold) {
  const std::string session = ScratchPath("bounded.pavik");
  WriteBytes(session, R"({"version": 1, "dataFile": ")" + kExamples +
                          R"(hh-potassium.txt", "paramFile": ")" + kExamples +
                          R"(hh-potassium.fit", "fitter": {"1.Gmax": {"free": true, "lower": 0,
                             "upper": 30}}})");
  ASSERT_EQ(OpenSessionFile(session), 1);
  const ParamChoice choice = EffectivePolishChoice();
  const ParamBounds gmax = choice.currents[0].bounds[static_cast<int>(ParamField::Gmax)];
  EXPECT_EQ(gmax.lower, 0.0);
  EXPECT_EQ(gmax.upper, 30.0);
  const ParamBounds vm = choice.currents[0].bounds[static_cast<int>(ParamField::Vm)];
  const ParamBounds defaults = DefaultChoice(WorkspacePolishInput({}).currents)
                                   .currents[0]
                                   .bounds[static_cast<int>(ParamField::Vm)];
  EXPECT_EQ(vm.lower, defaults.lower);
  EXPECT_EQ(vm.upper, defaults.upper);
}

TEST_F(SessionFile, ReopenedSessionImportsTheSameSweepsWithoutAsking) {
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

// The recording's holding level sets Vhold as it is taken over; the session's parameter file then
// sets its own, and no notice says otherwise. Without a parameter file the notice stands.
TEST_F(SessionFile, VholdNoticeOnlyWhenItHolds) {
  params[0].Vhold = -80;
  const std::string param = ScratchPath("own-vhold.fit");
  ASSERT_EQ(SaveParamFile(param), 1);
  ImportSodium(Chosen());
  ASSERT_EQ(params[0].Vhold, -120.0);
  ASSERT_EQ(LoadParamFile(param), 1);
  const std::string session = ScratchPath("vhold.pavik");
  ASSERT_EQ(SaveSessionFile(session), 1);

  ClearRecordedMessages();
  ASSERT_EQ(OpenSessionFile(session), 1);
  EXPECT_EQ(params[0].Vhold, -80.0);
  for (const RecordedMessage& told : RecordedMessages())
    EXPECT_FALSE(Contains(told.message, "Vhold")) << told.message;

  params[0].Vhold = -80;
  ImportSodium(Chosen());
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_TRUE(Contains(RecordedMessages().back().message, "Vhold"));
}

TEST_F(SessionFile, UnreadableChoicesAskAgain) {
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

// Three recordings, each with its own window, regions, name and polish tick, come back from the
// session in their order with the one shown; paths are kept relative to the session. Adding and
// removing are undo steps, and a missing file leaves the others open with a message naming it.
TEST_F(SessionFile, ThreeRecordingsRoundTrip) {
  const std::string first = WriteDataFile("first.txt", 3, 400);
  const std::string second = WriteDataFile("second.txt", 2, 300);
  LoadAndShow(first);
  loadedRecording.excluded = {{0.01, 0.012}};
  OpenThroughMenu(MENU_ADDRECORDING, second);
  ASSERT_EQ(RecordingCount(), 2);
  for (auto [control, text] : {std::pair{PANEL_XMIN, "0.005"}, {PANEL_XMAX, "0.02"}})
    TypeAndEnter(panelHandle, control, text);
  loadedRecording.noise = TimeRegion{0.001, 0.004};
  QueuePromptAnswer("tail family");
  TriggerMenu(MENU_RENAMERECORDING);
  OpenThroughMenu(MENU_ADDRECORDING, first);  // the same file again: allowed, named apart
  ASSERT_EQ(RecordingCount(), 3);
  EXPECT_EQ(RecordingTitle(loadedRecording), "first.txt (2)");
  TriggerMenu(MENU_RECORDINGINPOLISH);
  EXPECT_EQ(SessionPolishInput().also.size(), 1u) << "the third is left out";
  TriggerMenu(MENU_UNDO);  // the tick
  TriggerMenu(MENU_UNDO);  // the third recording
  EXPECT_EQ(RecordingCount(), 2);
  EXPECT_EQ(RecordingTitle(loadedRecording), "tail family");
  TriggerMenu(MENU_REDO);
  TriggerMenu(MENU_REDO);
  ASSERT_EQ(RecordingCount(), 3);
  EXPECT_FALSE(loadedRecording.inPolish);
  TriggerMenu(MENU_PREVRECORDING);
  EXPECT_EQ(ShownRecordingIndex(), 1);
  const Session saved = CurrentSession();
  const std::string path = ScratchPath("three.pavik");
  ASSERT_EQ(SaveSessionFile(path), 1);
  EXPECT_EQ(ReadBytes(path).find(ScratchPath("")), std::string::npos) << "relative paths";

  LoadAndShow(WriteDataFile("other.txt", 1, 100));  // as after a restart: one other recording
  ASSERT_EQ(RecordingCount(), 1);
  ClearRecordedMessages();
  ASSERT_EQ(OpenSessionFile(path), 1);
  EXPECT_TRUE(RecordedMessages().empty()) << RecordedMessages()[0].message;
  EXPECT_EQ(CurrentSession(), saved);
  ASSERT_EQ(RecordingCount(), 3);
  EXPECT_EQ(RecordingTitle(loadedRecording), "tail family");
  EXPECT_EQ(status.xMin, 0.005);
  EXPECT_EQ(RecordingAt(0).excluded, (std::vector<TimeRegion>{{0.01, 0.012}}));
  EXPECT_EQ(RecordingAt(0).traces, 3);
  ActivateMainWindow();
  QWidget* field = Widget(panelHandle, PANEL_VM);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_PageDown, Qt::ControlModifier);  // from a field, too
  EXPECT_EQ(RecordingTitle(loadedRecording), "first.txt (2)");
  EXPECT_EQ(NumTraces, 3);

  std::filesystem::remove(second);
  ClearRecordedMessages();
  ASSERT_EQ(OpenSessionFile(path), 1);
  EXPECT_EQ(RecordingCount(), 2);
  EXPECT_NE(OnlyMessage().message.find("second.txt"), std::string::npos);
}
