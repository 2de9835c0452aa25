// The guard on unsaved parameters: Save, Discard and Cancel on Quit, on closing the window and on
// Open Parameter File, nothing asked without changes, the default extension of a saved file.
#include "program_fixture.h"

namespace {

enum { kSave = 0, kDiscard = 1, kCancel = 2 };

using Guard = StartedProgram;

void QuitFromMenu() {
  MenuItemAction(GetPanelMenuBar(panelHandle), MENU_QUIT)->trigger();
}

}  // namespace

// Without changes Quit and closing the window end the loop and ask nothing; with changes each
// answer does what it says.
TEST_F(Guard, QuitAnswers) {
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));
  EXPECT_TRUE(LoopEndsAfter([] { PanelWidget(panelHandle)->close(); }));
  EXPECT_TRUE(RecordedQuestions().empty());

  TypeAndEnter(panelHandle, PANEL_VM, "-44");
  EXPECT_EQ(PanelWidget(panelHandle)->windowTitle().front(), '*');
  QueueQuestionAnswer(kCancel);
  EXPECT_FALSE(LoopEndsAfter(QuitFromMenu));
  EXPECT_EQ(RecordedQuestions().size(), 1u);

  QueueQuestionAnswer(kCancel);  // closing the window asks the same
  EXPECT_FALSE(LoopEndsAfter([] { PanelWidget(panelHandle)->close(); }));
  EXPECT_EQ(PendingQuestionAnswers(), 0);

  QueueQuestionAnswer(kSave);
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");  // the save dialog cancelled: stay
  EXPECT_FALSE(LoopEndsAfter(QuitFromMenu));

  const std::string saved = ScratchPath("quit");  // no extension typed
  QueueQuestionAnswer(kSave);
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, saved);
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));
  EXPECT_NE(ReadBytes(saved + ".fit").find("-44"), std::string::npos);
  EXPECT_EQ(PanelWidget(panelHandle)->windowTitle().front(), 'P');

  TypeAndEnter(panelHandle, PANEL_VM, "-45");
  QueueQuestionAnswer(kDiscard);
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));
}

// Open Parameter File with changes: Cancel keeps them and shows no dialog, Discard reads the
// file, Save writes them first and then reads.
TEST_F(Guard, OpenParameterFileAnswers) {
  TypeAndEnter(panelHandle, PANEL_VM, "-70");
  const std::string file = ScratchPath("other.fit");
  ASSERT_EQ(SaveParamFile(file), 1);

  TypeAndEnter(panelHandle, PANEL_VM, "-20");
  QueueQuestionAnswer(kCancel);
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, file);
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_EQ(params[0].Vm, -20.0);
  EXPECT_EQ(PendingFileSelectAnswers(), 1);
  ClearFileSelectAnswers();

  QueueQuestionAnswer(kDiscard);
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, file);
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_EQ(params[0].Vm, -70.0);

  TypeAndEnter(panelHandle, PANEL_VM, "-21");
  const std::string kept = ScratchPath("kept.fit");
  QueueQuestionAnswer(kSave);
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, kept);
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, file);
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_NE(ReadBytes(kept).find("-21"), std::string::npos);
  EXPECT_EQ(params[0].Vm, -70.0);

  ClearRecordedMessages();
  const size_t asked = RecordedQuestions().size();
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, file);  // unchanged now: nothing asked
  TriggerMenu(MENU_OPENPARAM);
  EXPECT_EQ(RecordedQuestions().size(), asked);
}
