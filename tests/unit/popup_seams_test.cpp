// The popups and the clipboard without an application: queued dialog answers, the message
// record, the clipboard text, and every panel operation refused before the run-time starts.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/platform_test.h"

// Answers are consumed in order; an empty queue without an application answers "cancelled".
TEST(FileSelectPopup, QueuedAnswersInOrderThenCancelled) {
  ClearFileSelectAnswers();
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, "/tmp/a.txt");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, "/tmp/b.fit");
  std::string path = "untouched";
  EXPECT_EQ(
      FileSelectPopup("", "*.*", "*.txt", "Open Data File", VAL_LOAD_BUTTON, 0, 0, 1, 0, &path),
      VAL_EXISTING_FILE_SELECTED);
  EXPECT_EQ(path, "/tmp/a.txt");
  EXPECT_EQ(FileSelectPopup("", "*.fit", "*.fit", "Save", VAL_SAVE_BUTTON, 0, 0, 1, 1, &path),
            VAL_NEW_FILE_SELECTED);
  EXPECT_EQ(path, "/tmp/b.fit");
  path = "kept";
  EXPECT_EQ(FileSelectPopup("", "*.fit", "*.fit", "Open", VAL_SELECT_BUTTON, 0, 0, 1, 1, &path),
            VAL_NO_FILE_SELECTED);
  EXPECT_EQ(path, "kept");
}

// A queued cancel leaves the path alone.
TEST(FileSelectPopup, QueuedCancelWritesNoPath) {
  ClearFileSelectAnswers();
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "/ignored");
  std::string path = "kept";
  EXPECT_EQ(FileSelectPopup("", "*.*", "", "t", VAL_LOAD_BUTTON, 0, 0, 1, 0, &path), 0);
  EXPECT_EQ(path, "kept");
  EXPECT_EQ(PendingFileSelectAnswers(), 0);
}

// Without a window a message goes to standard error (the command line's sink), and is recorded.
TEST(MessagePopup, WithoutWindowGoesToStandardErrorAndIsRecorded) {
  ClearRecordedMessages();
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessagePopup("Error", "file open error"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "file open error\n");
  ASSERT_EQ(RecordedMessages().size(), 1u);
  EXPECT_EQ(RecordedMessages()[0].title, "Error");
  EXPECT_EQ(RecordedMessages()[0].message, "file open error");
  ClearRecordedMessages();
  EXPECT_TRUE(RecordedMessages().empty());
}

// Headless: the text is kept for inspection, and the missing clipboard is reported.
TEST(ClipboardPutText, KeptWithoutApplication) {
  EXPECT_LT(ClipboardPutText("report"), 0);
  EXPECT_EQ(LastClipboardText(), "report");
}

// The core runs headless: every operation on a panel is refused and nothing is created.
TEST(RunTime, OperationsBeforeStartAreRefused) {
  double x = 0, y = 0;
  int value = 0;
  std::string text;
  EXPECT_LT(LoadPanel(0, "pavikuir.uir", 4), 0);
  EXPECT_LT(DisplayPanel(1), 0);
  EXPECT_LT(SetCtrlVal(1, 13, 2.5), 0);
  EXPECT_LT(GetCtrlVal(1, 13, &value), 0);
  EXPECT_LT(GetCtrlVal(1, 45, &text), 0);
  EXPECT_LT(SetCtrlAttribute(1, 13, ATTR_DIMMED, 1), 0);
  EXPECT_LT(PlotXY(1, 36, &x, &y, 1, VAL_DOUBLE, VAL_DOUBLE, 0, 10, 0, 1, 0), 0);
  EXPECT_LT(DeleteGraphPlot(1, 36, -1, 1), 0);
  EXPECT_LT(GetGraphCursor(1, 36, 1, &x, &y), 0);
  EXPECT_LT(SetMenuBarAttribute(1, 10, ATTR_DIMMED, 0), 0);
  EXPECT_LT(QuitUserInterface(1), 0);
  EXPECT_LT(RunUserInterface(), 0);
  EXPECT_LT(SavePanelImage(1, "/tmp/never.png", 100, 100), 0);
}
