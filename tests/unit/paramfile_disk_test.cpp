// Saving and reading parameter files on disk: the round trip, the safe replacement, and files
// that are refused without changing anything.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "paramfile_support.h"
#include "platform/platform_test.h"
#include "device_nodes.h"

namespace {

class ParamFileDisk : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
  TestFolder folder_;
};

double* RealFields(CurrentParams& c, int k) {
  double* fields[] = {&c.Vm,  &c.Vh,  &c.Km,  &c.Kh,  &c.Tmhi,  &c.Tmlo, &c.Thhi, &c.Thlo,
                      &c.Vtm, &c.Vth, &c.Ktm, &c.Kth, &c.Vhold, &c.Gmax, &c.Erev};
  return fields[k];
}
constexpr int kRealFields = 15;

// Gives every field the file holds a value of its own, derived from seed.
void FillWorkspace(double seed) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    for (int k = 0; k < kRealFields; ++k) *RealFields(params[i], k) = seed + i * 100 + k * 0.125;
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

// Everything a read may change, as text, to see that a refused read changed none of it.
std::string WorkspaceSnapshot() {
  std::string text = WorkspaceFileText();
  for (int j = 0; j < kMaxTraces; ++j) text += " " + std::to_string(status.loadedV[j]);
  text += " sel " + std::to_string(status.selCurrent) + " loaded " +
          std::to_string(status.paramFileLoaded) + " file " + status.paramFile;
  return text;
}

// A workspace with a file read before, so that a refused read has something to keep.
void PrepareReadWorkspace() {
  FillWorkspace(3);
  status.selCurrent = 4;
  status.paramFileLoaded = 1;
  std::strcpy(status.paramFile, "earlier.fit");
  for (int j = 0; j < kMaxTraces; ++j) status.loadedV[j] = 5.5 * j;
}

}  // namespace

// ---- round trip ----

TEST_F(ParamFileDisk, FileReadsBackEveryField) {
  const std::string path = folder_.File("round.fit");
  FillWorkspace(7);
  SetName(&params[2], "");  // comes back as its number
  CurrentParams saved[kMaxCurrents];
  std::copy(std::begin(params), std::end(params), std::begin(saved));
  const DclampSettings savedDclamp = dclamp;
  int32_t savedFlags[kMaxCurrents];
  std::memcpy(savedFlags, status.fitCurrent, sizeof savedFlags);
  double savedTraceV[kMaxTraces];
  std::memcpy(savedTraceV, status.traceV, sizeof savedTraceV);
  ASSERT_EQ(SaveParamFile(path), 1);

  FillWorkspace(2);
  status.selCurrent = 6;
  const double otherTraceV = status.traceV[0];
  ASSERT_EQ(LoadParamFile(path), 1);

  for (int i = 0; i < kMaxCurrents; ++i) {
    for (int k = 0; k < kRealFields; ++k) {
      EXPECT_NEAR(*RealFields(params[i], k), *RealFields(saved[i], k), 5e-7)
          << "current " << i << " field " << k;
    }
    EXPECT_EQ(params[i].p, saved[i].p);
    EXPECT_EQ(params[i].q, saved[i].q);
    EXPECT_STREQ(params[i].name, i == 2 ? "3" : saved[i].name);
    for (int k = 0; k < kCurrentSettings; ++k) {
      EXPECT_NEAR(dclamp.currentSetting[k][i], savedDclamp.currentSetting[k][i], 5e-7);
    }
    EXPECT_EQ(status.fitCurrent[i], savedFlags[i]);
  }
  for (int k = 0; k < kGlobalSettings; ++k) {
    EXPECT_NEAR(dclamp.globalSetting[k], savedDclamp.globalSetting[k], 5e-7);
  }
  for (int k = 0; k < kIntSettings; ++k) EXPECT_EQ(dclamp.intSetting[k], savedDclamp.intSetting[k]);
  for (int j = 0; j < kMaxTraces; ++j) EXPECT_NEAR(status.loadedV[j], savedTraceV[j], 5e-7);
  EXPECT_EQ(status.traceV[0], otherTraceV);  // the trace voltages in use stay
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

TEST_F(ParamFileDisk, SaveWritesTheLayoutAndChangesNoState) {
  const std::string path = folder_.File("saved.fit");
  FillWorkspace(5);
  const std::string before = WorkspaceSnapshot();
  ASSERT_EQ(SaveParamFile(path), 1);
  EXPECT_EQ(ReadBytes(path), WorkspaceFileText());
  EXPECT_EQ(WorkspaceSnapshot(), before);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"saved.fit"});
}

TEST_F(ParamFileDisk, SaveReplacesAnExistingFileAndKeepsItsPermissions) {
  const std::string path = folder_.File("old.fit");
  WriteBytes(path, "old contents that are longer than nothing");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(SaveParamFile(path), 1);
  EXPECT_EQ(ReadBytes(path), WorkspaceFileText());
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"old.fit"});
}

TEST_F(ParamFileDisk, SaveIntoMissingFolderFailsAndCreatesNothing) {
  EXPECT_EQ(SaveParamFile(folder_.File("no-such-folder/x.fit")), 0);
  EXPECT_TRUE(folder_.Entries().empty());
}

// The new file cannot take the place of a folder: the folder stays, no temporary is left.
TEST_F(ParamFileDisk, SaveOverAFolderFailsAndLeavesNoTemporaryFile) {
  const std::string path = folder_.File("taken.fit");
  std::filesystem::create_directory(path);
  WriteBytes(path + "/inside", "kept");
  EXPECT_EQ(SaveParamFile(path), 0);
  EXPECT_EQ(ReadBytes(path + "/inside"), "kept");
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"taken.fit"});
}

// A write that fails half-way (here: a file-size limit) leaves the old file as it was.
TEST_F(ParamFileDisk, FailedWriteKeepsTheOldFile) {
  const std::string path = folder_.File("precious.fit");
  const std::string old(200, 'o');
  WriteBytes(path, old);
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

// What a save must not replace is refused with a message, and stays exactly as it was: a
// read-only file (refused by its mode, also for root), a FIFO and a device.
TEST_F(ParamFileDisk, SaveRefusesWhatItMustNotReplace) {
  const std::string readOnly = folder_.File("read-only.fit");
  WriteBytes(readOnly, "kept");
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  const std::string fifo = folder_.File("fifo.fit");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const std::string device = folder_.File("device.fit");
  ASSERT_TRUE(MakeDeviceNode(device));
  const std::vector<std::string> before = folder_.Entries();
  for (const std::string& path : {readOnly, fifo, device}) {
    ClearRecordedMessages();
    EXPECT_EQ(SaveParamFile(path), 0) << path;
    ASSERT_EQ(RecordedMessages().size(), 1u) << path;
    EXPECT_NE(RecordedMessages()[0].message.find("could not be saved"), std::string::npos);
  }
  struct stat info {};
  ASSERT_EQ(stat(readOnly.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444u);
  EXPECT_EQ(ReadBytes(readOnly), "kept");
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_TRUE(IsDevice(device));
  EXPECT_EQ(folder_.Entries(), before);
}

// A link stays a link: the file it leads to (through a chain of relative links) gets the new
// contents, and the temporary file was made beside that file, not beside the link.
TEST_F(ParamFileDisk, SaveWritesThroughSymbolicLinks) {
  std::filesystem::create_directory(folder_.Path() / "real");
  const std::string target = folder_.File("real/target.fit");
  WriteBytes(target, "old");
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

// A name of 250 characters, close to the system's limit of 255, can still be saved.
TEST_F(ParamFileDisk, SaveTakesANameNearTheSystemsLimit) {
  const std::string name = std::string(246, 'n') + ".fit";
  ASSERT_EQ(SaveParamFile(folder_.File(name)), 1);
  EXPECT_EQ(ReadBytes(folder_.File(name)), WorkspaceFileText());
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{name});
}

// ---- refused reads ----

TEST_F(ParamFileDisk, RefusedFilesChangeNothing) {
  const std::string good = folder_.File("good.fit");
  ASSERT_EQ(SaveParamFile(good), 1);
  const std::string text = ReadBytes(good);
  const std::string truncated = folder_.File("truncated.fit");
  WriteBytes(truncated, text.substr(0, text.size() / 2));
  const std::string lettered = folder_.File("lettered.fit");
  WriteBytes(lettered, "1.0 2.0 x" + text);
  const std::string huge = folder_.File("huge.fit");
  WriteBytes(huge, text + std::string(static_cast<size_t>(kMaxParamFileBytes), ' '));

  PrepareReadWorkspace();
  const std::string before = WorkspaceSnapshot();
  for (const std::string& path :
       {truncated, lettered, huge, folder_.File("missing.fit"), folder_.Path().string()}) {
    EXPECT_EQ(LoadParamFile(path), 0) << path;
    EXPECT_EQ(WorkspaceSnapshot(), before) << path;
  }
}

// A path that the workspace could not keep whole is refused, even though the file is readable.
TEST_F(ParamFileDisk, PathLongerThan255CharactersIsRefused) {
  std::string folder = folder_.Path().string();
  while (folder.size() < static_cast<size_t>(kParamFileSize)) folder += "/" + std::string(50, 'd');
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/long.fit";
  ASSERT_EQ(SaveParamFile(path), 1);
  PrepareReadWorkspace();
  const std::string before = WorkspaceSnapshot();
  EXPECT_EQ(LoadParamFile(path), 0);
  EXPECT_EQ(WorkspaceSnapshot(), before);
}
