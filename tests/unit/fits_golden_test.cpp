// The table of fits, the report and the parameter file of the bundled examples and of the test
// files, pinned by checksums of their bytes: any change to the kinetics, the evaluation, the sum
// of the currents or a file layout that alters a single bit of a result shows up here.
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli.h"
#include "test_support.h"

namespace {

const std::string kData = std::string(PAVIK_TEST_DATA) + "/";
const std::string kExamples = kData + "../../examples/";

// FNV-1a, 64 bits: enough to tell two outputs apart, short enough to keep in the table below.
uint64_t Checksum(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3u;
  return hash;
}

struct FitsCase {
  const char* what;
  std::vector<std::string> arguments;  // after --fits OUT
  uint64_t checksum;
};

const std::string kEveryKind = kData + "every-kind-of-current.fit";
const std::string kZeroSlopes = kData + "zero-slope-and-time-constant.fit";
const std::string kPotassium = kExamples + "hh-potassium.txt";
const std::string kSodium = kExamples + "hh-sodium.txt";
const std::string kRecorded = kData + "myokit_INa_6sweeps_13hdr.tsv";

// Every kind of current: gate powers 0, 4, -2, 70, Erev at a trace voltage, a large Gmax; the
// zero-slope file holds a zero Km and Kth and a zero time constant (NaN where IEEE gives it).
const FitsCase kFitsCases[] = {
    {"potassium example", {kPotassium, kExamples + "hh-potassium.fit"}, 0x216273d71cb89d00u},
    {"sodium example", {kSodium, kExamples + "hh-sodium.fit"}, 0x36c23581fc1a86fcu},
    {"window and baseline",
     {kSodium, kEveryKind, "--baseline", "0.25", "--xmin", "1.5", "--xmax", "7.25"},
     0x33163e4890e2a1d5u},
    {"recording", {kRecorded, kEveryKind, "--trace-v", "-60,-40,-20,0,20,40"}, 0xb4a7d6ae33dea1d0u},
    {"trace voltage at Erev",
     {kPotassium, kEveryKind, "--trace-v", "-20,-80,100,0,50,-65"},
     0x967010f13244b84cu},
    {"one-sample window",
     {kPotassium, kEveryKind, "--xmin", "19.99", "--baseline", "-1"},
     0x3663f65200477befu},
    {"zero slopes at their midpoint",
     {kSodium, kZeroSlopes, "--trace-v", "-20,-10,0,-30,5,-25"},
     0xd28b0bbb9110f9c0u},
    {"zero slopes on a recording", {kRecorded, kZeroSlopes}, 0xb71679f4811e5c94u},
};

int RunFits(const std::string& out, const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {"pavik", "--fits", out};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return RunCommandLine(static_cast<int>(words.size()), argv.data());
}

}  // namespace

TEST(FitsTable, BytesOfEveryCaseAreUnchanged) {
  TestFolder folder;
  for (const FitsCase& c : kFitsCases) {
    const std::string out = folder.File("fits.tsv");
    ASSERT_EQ(RunFits(out, c.arguments), kExitSuccess) << c.what;
    EXPECT_EQ(Checksum(ReadBytes(out)), c.checksum)
        << c.what << ": 0x" << std::hex << Checksum(ReadBytes(out));
  }
  ResetWorkspace();
}

// The report of every kind of current, and the file written back byte for byte as it was read.
TEST(ReportAndLayout, EveryKindOfCurrentIsUnchanged) {
  ResetWorkspace();
  ASSERT_EQ(LoadParamFile(kEveryKind), 1);
  EXPECT_EQ(Checksum(CurrentReport(-1)), 0x18729999064d89f4u)
      << std::hex << Checksum(CurrentReport(-1));
  EXPECT_EQ(WorkspaceFileText(), ReadBytes(kEveryKind));
  ResetWorkspace();
}
