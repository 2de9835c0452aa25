// The save and open commands behind their dialogs, and the messages that refused files get.
#include <sys/stat.h>

#include "paramfile_support.h"
#include "platform/platform.h"
#include "platform/platform_test.h"
#include "device_nodes.h"

namespace {

class ParamFileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorkspace();
    ClearFileSelectAnswers();
    ClearRecordedMessages();
  }
  void TearDown() override {
    ClearFileSelectAnswers();
    ClearRecordedMessages();
    ResetWorkspace();
  }

  // The one message shown since the test began.
  std::string OnlyMessage() const {
    EXPECT_EQ(RecordedMessages().size(), 1u);
    return RecordedMessages().empty() ? "" : RecordedMessages().back().message;
  }

  TestFolder folder_;
};

}  // namespace

// ---- saving ----

TEST_F(ParamFileDialog, SaveWritesTheChosenFile) {
  const std::string path = folder_.File("chosen.fit");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  EXPECT_EQ(Save_Current_Values(), 1);
  EXPECT_EQ(ReadBytes(path), WorkspaceFileText());
  EXPECT_STREQ(status.paramFile, "temp");  // saving records nothing
  EXPECT_EQ(status.paramFileLoaded, 0);
  EXPECT_TRUE(RecordedMessages().empty());
}

// A cancelled or failed dialog writes nowhere, not even to the file last read.
TEST_F(ParamFileDialog, SaveWithoutAChosenFileWritesNothing) {
  const std::string remembered = folder_.File("remembered.fit");
  std::strcpy(status.paramFile, remembered.c_str());
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  EXPECT_EQ(Save_Current_Values(), 0);
  QueueFileSelectAnswer(-1, "");
  EXPECT_EQ(Save_Current_Values(), 0);
  EXPECT_TRUE(folder_.Entries().empty());
  EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ParamFileDialog, FailedSaveSaysWhereAndWhy) {
  const std::string path = folder_.File("missing/x.fit");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, path);
  EXPECT_EQ(Save_Current_Values(), 0);
  EXPECT_EQ(OnlyMessage(), "The parameter file could not be saved to\n" + path +
                               "\nbecause a file could not be created in its folder (No such "
                               "file or directory).\nA file already there is unchanged.");
}

// ---- reading ----

TEST_F(ParamFileDialog, ReadTakesOnlyAnExistingFile) {
  const std::string path = folder_.File("named.fit");
  SetName(&params[0], "Na");
  ASSERT_EQ(SaveParamFile(path), 1);
  ResetWorkspace();
  for (int answer : {VAL_NO_FILE_SELECTED, VAL_NEW_FILE_SELECTED, -1}) {
    QueueFileSelectAnswer(answer, path);
    EXPECT_EQ(Read_Last_Values(), 0) << answer;
    EXPECT_STREQ(params[0].name, "1");
    EXPECT_EQ(status.paramFileLoaded, 0);
  }
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
  EXPECT_EQ(Read_Last_Values(), 1);
  EXPECT_STREQ(params[0].name, "Na");
  EXPECT_EQ(status.paramFileLoaded, 1);
  EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(ParamFileDialog, MissingFileSaysItCannotBeOpened) {
  const std::string path = folder_.File("gone.fit");
  EXPECT_EQ(LoadParamFile(path), 0);
  EXPECT_EQ(OnlyMessage(), "The parameter file\n" + path +
                               "\nwas not read: it cannot be opened (No such file or "
                               "directory).\nNothing was changed.");
}

TEST_F(ParamFileDialog, MalformedFileSaysWhereItStopped) {
  const std::string path = folder_.File("short.fit");
  WriteBytes(path, "1.0 2.0 3.0\n");
  EXPECT_EQ(LoadParamFile(path), 0);
  EXPECT_EQ(OnlyMessage(), "The parameter file\n" + path +
                               "\nwas not read: the file ends on line 2 after 3 of its 276 "
                               "numbers; dynamic-clamp global setting 4 is missing.\nNothing "
                               "was changed.");
}

TEST_F(ParamFileDialog, LongPathSaysItIsTooLong) {
  const std::string path = "/" + std::string(300, 'p') + ".fit";
  EXPECT_EQ(LoadParamFile(path), 0);
  EXPECT_EQ(OnlyMessage(),
            "The parameter file was not read: its path is longer than 255 "
            "characters, more than Pavik can keep.\n" +
                path);
}

// The dialog takes regular files only: a FIFO would block the window, a device never ends.
TEST_F(ParamFileDialog, ReadRefusesWhatIsNotARegularFile) {
  const std::string fifo = folder_.File("fifo.fit");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), folder_.Path().string(), fifo}) {
    ClearRecordedMessages();
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    EXPECT_EQ(Read_Last_Values(), 0) << path;
    EXPECT_NE(OnlyMessage().find("not a regular file"), std::string::npos) << path;
  }
  EXPECT_EQ(status.paramFileLoaded, 0);
}

// A pipe given on purpose (the command line's "<(cat file)") is read; a device never is.
TEST_F(ParamFileDialog, PipeIsReadButNoDevice) {
  EXPECT_EQ(LoadParamFile("/dev/zero"), 0);
  EXPECT_NE(OnlyMessage().find("it is a device"), std::string::npos);
  SetName(&params[0], "piped");
  const FifoFeeder pipe(folder_.File("pipe.fit"), WorkspaceFileText());
  ASSERT_TRUE(pipe.made());
  ResetWorkspace();
  EXPECT_EQ(LoadParamFile(pipe.path()), 1);
  EXPECT_STREQ(params[0].name, "piped");
}
