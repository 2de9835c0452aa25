// The polish in the window: from a rough start it reaches the bundled fit's RMS and applies as
// one undo step with its standard errors and summary; a cancel (Esc) or a quit mid-polish leaves
// the workspace byte for byte as it was; the free toggles edit the polish's choice.
#include <QTest>

#include <cstring>

#include "app/history.h"
#include "app/polish_window.h"
#include "fit/fit_settings.h"
#include "fit/undo.h"
#include "fit/workspace_fit.h"
#include "platform/number_text.h"
#include "platform/platform_test.h"
#include "program_fixture.h"

namespace {

class PolishWindow : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(kExamples + "hh-potassium.txt");
    ASSERT_EQ(LoadParamFile(kExamples + "hh-potassium.fit"), 1);
    DoFit();
    bundledRms_ = *WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).rms;
    Roughen(params[0]);
    SetPanelParams(0);
    DoFit();
    ResetWorkspaceHistory();
  }

  // Lets the event loop run until the polish has ended (the safety limit is no timing test).
  static void WaitForPolish() {
    ASSERT_TRUE(QTest::qWaitFor([] { return !PolishRunning(); }, 120000));
  }

  double bundledRms_ = 0.0;
};

TEST_F(PolishWindow, PolishReachesBundledRmsAsOneUndoableStep) {
  const std::string rough = WorkspaceBytes();
  Click(panelHandle, PANEL_POLISH);
  WaitForPolish();

  const std::optional<PolishResult> result = CurrentPolishResult();
  ASSERT_TRUE(result.has_value()) << TextValue(panelHandle, PANEL_POLISHMSG);
  const double rms = *WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).rms;
  // applied rounded to six significant digits, which moves the RMS by far less than a part in
  // a million
  EXPECT_LE(rms, bundledRms_ * (1 + 1e-6));
  EXPECT_NEAR(rms, *result->rmsAfter, 1e-6 * rms);
  EXPECT_EQ(params[0].Gmax, std::stod(SignificantText(params[0].Gmax, 6)));
  EXPECT_DOUBLE_EQ(DoubleValue(panelHandle, PANEL_GMAX), params[0].Gmax);  // fields show it
  // every free parameter of the selected current shows its standard error beside its toggle
  std::string gmaxError;
  GetCtrlAttribute(panelHandle, PANEL_FREE_GMAX, ATTR_LABEL_TEXT, &gmaxError);
  EXPECT_TRUE(gmaxError.rfind("\u00b1", 0) == 0 || gmaxError == "not determined") << gmaxError;

  SavePanelImage(panelHandle, PAVIK_BUILD_DIR "/polish-after.png", 1280, 800);  // for the README

  TriggerMenu(MENU_FITSUMMARY);
  EXPECT_NE(LastClipboardText().find("RMS after"), std::string::npos) << LastClipboardText();

  EXPECT_EQ(undoHistory.UndoCount(), 1);
  EXPECT_EQ(undoHistory.UndoLabel(), "Polish");
  ASSERT_TRUE(UndoWorkspaceStep().has_value());
  EXPECT_EQ(WorkspaceBytes(), rough);
  // the standard errors belonged to the polished parameters
  GetCtrlAttribute(panelHandle, PANEL_FREE_GMAX, ATTR_LABEL_TEXT, &gmaxError);
  ShowFreeToggles();
  GetCtrlAttribute(panelHandle, PANEL_FREE_GMAX, ATTR_LABEL_TEXT, &gmaxError);
  EXPECT_EQ(gmaxError, "");
}

TEST_F(PolishWindow, CancelOrQuitMidPolishLeavesWorkspaceAsItWas) {
  const std::string before = WorkspaceBytes();
  ActivateMainWindow();
  for (const bool quit : {false, true}) {
    SCOPED_TRACE(quit ? "quit" : "Esc");
    Click(panelHandle, PANEL_POLISH);
    ASSERT_TRUE(PolishRunning());
    if (quit) {
      StopPolishForQuit();
    } else {
      QTest::keyClick(CtrlWidget(panelHandle, PANEL_GMAX), Qt::Key_Escape);
      WaitForPolish();
    }
    EXPECT_FALSE(PolishRunning());
    EXPECT_EQ(WorkspaceBytes(), before);
    EXPECT_EQ(undoHistory.UndoCount(), 0);
    QCoreApplication::processEvents();  // progress or an end posted before the quit: nothing
    EXPECT_EQ(WorkspaceBytes(), before);
  }
}

// A tick is an undo step of its own that leaves the parameter file's saved mark alone.
TEST_F(PolishWindow, FreeTogglesEditTheChoiceAndUndo) {
  struct Case {
    int toggle;
    bool freeBefore;
    const char* step;
  };
  const Case cases[] = {{PANEL_FREE_GMAX, true, "Fix Gmax of current 1"},
                        {PANEL_FREE_EREV, false, "Free Erev of current 1"},
                        {PANEL_FREE_VHOLD, false, "Free Vhold of current 1"},
                        {PANEL_FREE_BASELINE, false, "Free baseline"}};
  const auto freeNow = [](const Case& c) {
    if (!loadedRecording.fitter.choice) return c.freeBefore;  // the defaults
    const ParamChoice& choice = *loadedRecording.fitter.choice;
    return c.toggle == PANEL_FREE_BASELINE ? choice.baselineFree
                                           : choice.currents[0].free[c.toggle - PANEL_FREE_VM];
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(IntValue(panelHandle, c.toggle), c.freeBefore ? 1 : 0);
    Click(panelHandle, c.toggle);
    EXPECT_EQ(freeNow(c), !c.freeBefore);
    EXPECT_EQ(UndoMenuText(undoHistory), std::string("Undo ") + c.step);
    EXPECT_FALSE(HasUnsavedParameters());
  }
  for (const bool undo : {true, false}) {
    for (int k = 0; k < 4; ++k) undo ? UndoChange() : RedoChange();
    for (const Case& c : cases) {
      SCOPED_TRACE(c.step);
      EXPECT_EQ(freeNow(c), undo ? c.freeBefore : !c.freeBefore);
      EXPECT_EQ(IntValue(panelHandle, c.toggle), freeNow(c) ? 1 : 0);
    }
  }
  // Bounds from the tick's right-button menu: one step each; a bad entry changes nothing.
  const ParamBounds kmDefault = WindowChoice().currents[0].bounds[2];
  struct BoundsCase {
    const char* lower;
    const char* upper;
    bool refused;
    ParamBounds want;
  };
  const BoundsCase boundsCases[] = {{"-20", "-1", false, {-20, -1}},
                                    {"abc", "-1", true, {-20, -1}},  // not a number
                                    {"-20", "", true, {-20, -1}},    // the slope could reach 0
                                    {"", "-0.5", false, {-kUnbounded, -0.5}}};
  for (const BoundsCase& c : boundsCases) {
    SCOPED_TRACE(std::string(c.lower) + " | " + c.upper);
    ClearRecordedMessages();
    QueuePromptAnswer(c.lower);
    QueuePromptAnswer(c.upper);
    ASSERT_TRUE(ChooseCtrlMenuItem(panelHandle, PANEL_FREE_KM, 0));
    EXPECT_EQ(WindowChoice().currents[0].bounds[2], c.want);
    EXPECT_EQ(RecordedMessages().size(), c.refused ? 1u : 0u);
  }
  EXPECT_EQ(UndoMenuText(undoHistory), "Undo Bounds of Km of current 1");
  UndoChange();
  EXPECT_EQ(WindowChoice().currents[0].bounds[2], (ParamBounds{-20, -1}));
  UndoChange();
  EXPECT_EQ(WindowChoice().currents[0].bounds[2], kmDefault);
  RedoChange();
  RedoChange();
  EXPECT_EQ(WindowChoice().currents[0].bounds[2], (ParamBounds{-kUnbounded, -0.5}));

  // a fixed parameter stays put through a polish
  const double erevFixed = params[0].Erev;
  Click(panelHandle, PANEL_FREE_EREV);  // fixed again
  Click(panelHandle, PANEL_POLISH);
  WaitForPolish();
  EXPECT_EQ(params[0].Erev, erevFixed);

  // The choice and the regions belonged to this recording: the next file opened starts from
  // the defaults, and is told so.
  loadedRecording.excluded = {{0.0, 0.5}};
  ClearRecordedMessages();
  ASSERT_EQ(LoadDataFile(kExamples + "hh-sodium.txt"), 1);
  EXPECT_FALSE(loadedRecording.fitter.choice.has_value());
  EXPECT_TRUE(loadedRecording.excluded.empty());
  ASSERT_FALSE(RecordedMessages().empty());
  EXPECT_NE(RecordedMessages().back().message.find("back to their defaults"), std::string::npos);
  UndoChange();  // the polish: the new recording keeps its own choice
  EXPECT_FALSE(loadedRecording.fitter.choice.has_value());
}

}  // namespace
