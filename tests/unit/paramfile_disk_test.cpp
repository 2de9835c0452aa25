// Parameter files on disk and behind their dialogs: the round trip, the safe replacement, and
// files that are refused with a message and without changing anything.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "device_nodes.h"
#include "test_support.h"

namespace {

class ParamFileDisk : public WorkspaceTest {
 protected:
  TestFolder folder_;
};

// Gives every field the file holds a value of its own, derived from seed.
void FillWorkspace(double seed) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    for (const ParamDescriptor& d : kParamTable) {
      if (d.real) params[i].*d.real = seed + i * 100 + static_cast<int>(d.field) * 0.125;
    }
    params[i].p = static_cast<int32_t>(seed) + i;
    params[i].q = -static_cast<int32_t>(seed) - i;
    SetName(&params[i], "cur" + std::to_string(static_cast<int>(seed)) + "_" + std::to_string(i));
    for (int k = 0; k < kCurrentSettings; ++k) dclamp.currentSetting[k][i] = seed * k - i;
    status.fitCurrent[i] = (i + static_cast<int>(seed)) % 2;
  }
  for (int k = 0; k < kGlobalSettings; ++k) dclamp.globalSetting[k] = seed / (k + 1);
  for (int k = 0; k < kIntSettings; ++k) dclamp.intSetting[k] = static_cast<int32_t>(seed) * k;
  for (int j = 0; j < kMaxTraces; ++j) status.traceV[j] = seed - 10 * j;
}

}  // namespace

// ---- the round trip ----

// Saving writes the layout and changes nothing; reading takes every field back to its place
// (an empty name as its number, the trace voltages as loaded ones beside those in use) and
// selects current 1, so that the file read writes out again as it was.
TEST_F(ParamFileDisk, FileReadsBackEveryField) {
  const std::string path = folder_.File("round.fit");
  FillWorkspace(7);
  SetName(&params[2], "");
  const std::string before = WorkspaceBytes();
  ASSERT_EQ(SaveParamFile(path), 1);
  const std::string saved = ReadBytes(path);
  EXPECT_EQ(saved, WorkspaceFileText());
  EXPECT_EQ(WorkspaceBytes(), before);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"round.fit"});

  FillWorkspace(2);
  status.selCurrent = 6;
  const FitStatus inUse = status;
  ASSERT_EQ(LoadParamFile(path), 1);
  EXPECT_STREQ(params[2].name, "3");
  FitStatus asLoaded = status;
  std::copy(std::begin(status.loadedV), std::end(status.loadedV), asLoaded.traceV);
  EXPECT_EQ(FormatParamFile(params, dclamp, asLoaded), saved);
  EXPECT_EQ(std::memcmp(status.traceV, inUse.traceV, sizeof inUse.traceV), 0);
  EXPECT_EQ(status.selCurrent, 1);
  EXPECT_STREQ(status.paramFile, path.c_str());
  EXPECT_EQ(status.paramFileLoaded, 1);
}

// A file that enables no current still leaves current 1 in the fit.
TEST_F(ParamFileDisk, FileWithNoCurrentEnabledBringsCurrentOneBack) {
  const std::string path = folder_.File("none.fit");
  ZeroFitCurrents();
  ASSERT_EQ(SaveParamFile(path), 1);
  ResetWorkspace();
  status.fitCurrent[4] = 1;
  ASSERT_EQ(LoadParamFile(path), 1);
  EXPECT_EQ(status.fitCurrent[0], 1);
  EXPECT_EQ(status.fitCurrent[4], 0);
  EXPECT_EQ(status.fitCount, 1);
}

// ---- saving ----

// An existing file is replaced with its permissions kept, even under a name of 250 characters
// (close to the system's limit of 255, where a temporary name could not grow), and no temporary
// file is left.
TEST_F(ParamFileDisk, SaveReplacesAnExistingFileAndKeepsItsPermissions) {
  const std::string name = std::string(246, 'n') + ".fit";
  const std::string path = folder_.Write(name, "old contents that are longer than nothing");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(SaveParamFile(path), 1);
  EXPECT_EQ(ReadBytes(path), WorkspaceFileText());
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{name});
}

// A write that fails half-way (here: a file-size limit) leaves the old file as it was.
TEST_F(ParamFileDisk, FailedWriteKeepsTheOldFile) {
  const std::string old(200, 'o');
  const std::string path = folder_.Write("precious.fit", old);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 1000;  // the layout is about 2.5 kB
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int result = SaveParamFile(path);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadBytes(path), old);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"precious.fit"});
}

// What a save must not or cannot replace is refused with a message and stays exactly as it was:
// a missing folder, a folder, a read-only file (refused by its mode, also for root), a FIFO and
// a device. No temporary file is left.
TEST_F(ParamFileDisk, SaveRefusesWhatItMustNotReplace) {
  const std::string missing = folder_.File("no-such-folder/x.fit");
  std::filesystem::create_directory(folder_.File("folder.fit"));
  folder_.Write("folder.fit/inside", "kept");
  const std::string readOnly = folder_.Write("read-only.fit", "kept");
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  const std::string fifo = folder_.File("fifo.fit");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const std::string device = folder_.File("device.fit");
  ASSERT_TRUE(MakeDeviceNode(device));
  const std::vector<std::string> before = folder_.Entries();
  for (const std::string& path : {folder_.File("folder.fit"), readOnly, fifo, device, missing}) {
    ClearRecordedMessages();
    EXPECT_EQ(SaveParamFile(path), 0) << path;
    EXPECT_NE(OnlyMessage().message.find("could not be saved"), std::string::npos) << path;
  }
  EXPECT_EQ(OnlyMessage().message, "The parameter file could not be saved to\n" + missing +
                                       "\nbecause a file could not be created in its folder (No "
                                       "such file or directory).\nA file already there is "
                                       "unchanged.");
  EXPECT_EQ(folder_.Entries(), before);
  EXPECT_EQ(ReadBytes(folder_.File("folder.fit/inside")), "kept");
  struct stat info {};
  ASSERT_EQ(stat(readOnly.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444u);
  EXPECT_EQ(ReadBytes(readOnly), "kept");
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_TRUE(IsDevice(device));
}

// A link stays a link: the file it leads to (through a chain of relative links) gets the new
// contents, and the temporary file was made beside that file, not beside the link.
TEST_F(ParamFileDisk, SaveWritesThroughSymbolicLinks) {
  std::filesystem::create_directory(folder_.Path() / "real");
  const std::string target = folder_.Write("real/target.fit", "old");
  ASSERT_EQ(symlink("real/target.fit", folder_.File("middle.fit").c_str()), 0);
  ASSERT_EQ(symlink("middle.fit", folder_.File("link.fit").c_str()), 0);
  ASSERT_EQ(SaveParamFile(folder_.File("link.fit")), 1);
  EXPECT_EQ(ReadBytes(target), WorkspaceFileText());
  EXPECT_TRUE(std::filesystem::is_symlink(folder_.File("link.fit")));
  EXPECT_TRUE(std::filesystem::is_symlink(folder_.File("middle.fit")));
  EXPECT_EQ(folder_.Entries(), (std::vector<std::string>{"link.fit", "middle.fit", "real"}));
  EXPECT_EQ(std::filesystem::directory_iterator(folder_.Path() / "real")->path().filename(),
            "target.fit");
}

// ---- the dialogs ----

// A cancelled or failed save dialog writes nowhere, not even to the file last read, and the file
// it saves is recorded nowhere; the read dialog takes only an existing file.
TEST_F(ParamFileDisk, DialogsTakeOnlyWhatTheyShould) {
  const std::string remembered = folder_.File("remembered.fit");
  std::strcpy(status.paramFile, remembered.c_str());
  for (int answer : {VAL_NO_FILE_SELECTED, -1}) {
    QueueFileSelectAnswer(answer, "");
    EXPECT_EQ(Save_Current_Values(), 0) << answer;
  }
  EXPECT_TRUE(folder_.Entries().empty());
  const std::string chosen = folder_.File("chosen.fit");
  SetName(&params[0], "Na");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, chosen);
  EXPECT_EQ(Save_Current_Values(), 1);
  EXPECT_EQ(ReadBytes(chosen), WorkspaceFileText());
  EXPECT_STREQ(status.paramFile, remembered.c_str());
  EXPECT_EQ(status.paramFileLoaded, 0);

  ResetWorkspace();
  for (int answer : {VAL_NO_FILE_SELECTED, VAL_NEW_FILE_SELECTED, -1}) {
    QueueFileSelectAnswer(answer, chosen);
    EXPECT_EQ(Read_Last_Values(), 0) << answer;
  }
  EXPECT_STREQ(params[0].name, "1");
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, chosen);
  EXPECT_EQ(Read_Last_Values(), 1);
  EXPECT_STREQ(params[0].name, "Na");
  EXPECT_EQ(status.paramFileLoaded, 1);
  EXPECT_TRUE(RecordedMessages().empty());
}

// ---- reading ----

// Every file that is refused says why and leaves everything a read may change as it was. The
// dialog takes regular files only (a FIFO would block the window, a device never ends); a path
// the workspace could not keep whole is refused even though the file is readable.
TEST_F(ParamFileDisk, RefusedFilesChangeNothing) {
  ASSERT_EQ(SaveParamFile(folder_.File("good.fit")), 1);
  const std::string text = ReadBytes(folder_.File("good.fit"));
  std::string longFolder = folder_.Path().string();
  while (longFolder.size() < static_cast<size_t>(kParamFileSize))
    longFolder += "/" + std::string(50, 'd');
  std::filesystem::create_directories(longFolder);
  const std::string longPath = longFolder + "/long.fit";
  ASSERT_EQ(SaveParamFile(longPath), 1);
  const std::string fifo = folder_.File("fifo.fit");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string notRead = "\nwas not read: ";
  const struct {
    std::string path;
    bool dialog;
    std::string message;  // a part of it
  } cases[] = {
      {folder_.Write("truncated.fit", text.substr(0, text.size() / 2)), false, "the file ends"},
      {folder_.Write("lettered.fit", "1.0 2.0 x" + text), false, "\"x0.000000\" is not a number"},
      {folder_.Write("huge.fit", text + std::string(kMaxParamFileBytes, ' ')), false, "larger"},
      {folder_.Write("short.fit", "1.0 2.0 3.0\n"), false,
       folder_.File("short.fit") + notRead +
           "the file ends on line 2 after 3 of its 276 numbers; dynamic-clamp global setting 4 is "
           "missing.\nNothing was changed."},
      {folder_.File("gone.fit"), false,
       folder_.File("gone.fit") + notRead +
           "it cannot be opened (No such file or directory).\nNothing was changed."},
      {folder_.Path().string(), false, "(Is a directory)"},
      {"/dev/zero", false, "it is a device"},
      {longPath, false,
       "The parameter file was not read: its path is longer than 255 characters, more than Pavik "
       "can keep.\n" +
           longPath},
      {fifo, true, "not a regular file"},  // the dialog's check, as for data files
  };
  FillWorkspace(3);
  status.selCurrent = 4;
  status.paramFileLoaded = 1;
  std::strcpy(status.paramFile, "earlier.fit");
  for (int j = 0; j < kMaxTraces; ++j) status.loadedV[j] = 5.5 * j;
  const std::string before = WorkspaceBytes();
  for (const auto& c : cases) {
    ClearRecordedMessages();
    if (c.dialog) QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, c.path);
    EXPECT_EQ(c.dialog ? Read_Last_Values() : LoadParamFile(c.path), 0) << c.path;
    EXPECT_NE(OnlyMessage().message.find(c.message), std::string::npos)
        << c.path << ": " << OnlyMessage().message;
    EXPECT_EQ(WorkspaceBytes(), before) << c.path;
  }
}

// A pipe given on purpose (the command line's "<(cat file)") is read.
TEST_F(ParamFileDisk, PipeIsRead) {
  SetName(&params[0], "piped");
  const FifoFeeder pipe(folder_.File("pipe.fit"), WorkspaceFileText());
  ASSERT_TRUE(pipe.made());
  ResetWorkspace();
  EXPECT_EQ(LoadParamFile(pipe.path()), 1);
  EXPECT_STREQ(params[0].name, "piped");
}
