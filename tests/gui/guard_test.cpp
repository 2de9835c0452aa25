// The guard on unsaved work: Save, Discard and Cancel on Quit, on closing the window and on
// Open Parameter File, nothing asked without changes, the default extension of a saved file, and
// work only a session keeps (a region) saved in a session.
#include <qcustomplot.h>

#include "program_fixture.h"

namespace {

enum { kSave = 0, kDiscard = 1, kCancel = 2 };

using Guard = StartedProgram;

void QuitFromMenu() {
  MenuItemAction(GetPanelMenuBar(panelHandle), MENU_QUIT)->trigger();
}

// Shift+drag on the data graph from one time to another, as the user leaves a stretch out.
void MarkRegion(double fromMs, double toMs) {
  auto* graph = qobject_cast<QCustomPlot*>(CtrlWidget(panelHandle, PANEL_GRAPH));
  ASSERT_NE(graph, nullptr);
  QCoreApplication::processEvents();
  graph->replot();  // pixel and axis units agree before the mouse is used
  const auto at = [graph](double ms) {
    return QPoint(static_cast<int>(std::lround(graph->xAxis->coordToPixel(ms))),
                  graph->axisRect()->center().y());
  };
  QTest::mousePress(graph, Qt::LeftButton, Qt::ShiftModifier, at(fromMs));
  QTest::mouseMove(graph, at(toMs));
  QTest::mouseRelease(graph, Qt::LeftButton, Qt::ShiftModifier, at(toMs));
}

char TitleMark() {
  return PanelWidget(panelHandle)->windowTitle().front().toLatin1();
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
  // a save is not silent, and its word goes once the parameters move on
  EXPECT_EQ(TextValue(panelHandle, PANEL_MESSAGE), "Parameters saved in " + saved + ".fit");

  TypeAndEnter(panelHandle, PANEL_VM, "-45");
  EXPECT_EQ(TextValue(panelHandle, PANEL_MESSAGE), "");
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

// A region is work only a session keeps: the title marks it, Quit asks about it (Open Parameter
// File, which keeps it, does not), Discard quits, and Save writes a session holding it.
TEST_F(Guard, ARegionIsSavedInASession) {
  LoadAndShow(WriteDataFile("steps.txt", 2, 400));
  const std::string paramFile = ScratchPath("kept.fit");
  ASSERT_EQ(SaveParamFile(paramFile), 1);
  EXPECT_EQ(TitleMark(), 'P');  // a data file opened is not work of its own
  MarkRegion(10, 20);
  ASSERT_EQ(loadedRecording.excluded.size(), 1u);
  EXPECT_EQ(TitleMark(), '*');

  OpenThroughMenu(MENU_OPENPARAM, paramFile);
  EXPECT_TRUE(RecordedQuestions().empty());
  EXPECT_EQ(loadedRecording.excluded.size(), 1u);

  QueueQuestionAnswer(kDiscard);
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));
  ASSERT_EQ(RecordedQuestions().size(), 1u);
  EXPECT_TRUE(Contains(RecordedQuestions()[0].message, "regions left out of the fit"))
      << RecordedQuestions()[0].message;
  EXPECT_FALSE(Contains(RecordedQuestions()[0].message, "parameters"));

  const std::string session = ScratchPath("work");  // no extension typed
  QueueQuestionAnswer(kSave);
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, session);
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));
  EXPECT_TRUE(Contains(ReadBytes(session + ".pavik"), "\"excludedRegions\""));
  EXPECT_EQ(TitleMark(), 'P');
  EXPECT_EQ(TextValue(panelHandle, PANEL_MESSAGE), "Session saved in " + session + ".pavik");
  EXPECT_TRUE(LoopEndsAfter(QuitFromMenu));  // saved: nothing more asked
  EXPECT_EQ(RecordedQuestions().size(), 2u);
}
