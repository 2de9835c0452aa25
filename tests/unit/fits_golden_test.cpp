// The table of fits, the report and the parameter file of the bundled examples and of the test
// files, pinned by checksums of their bytes: any change to the kinetics, the evaluation, the sum
// of the currents or a file layout that alters a single bit of a result shows up here. Each
// output is a test of its own, and a failure names it, gives the command that makes it and keeps
// its new bytes for a look.
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli.h"
#include "test_support.h"

namespace {

const std::string kData = std::string(PAVIK_TEST_DATA) + "/";
const std::string kExamples = kData + "../../examples/";
const std::string kEveryKind = kData + "every-kind-of-current.fit";
const std::string kZeroSlopes = kData + "zero-slope-and-time-constant.fit";
const std::string kPotassium = kExamples + "hh-potassium.txt";
const std::string kSodium = kExamples + "hh-sodium.txt";
const std::string kRecorded = kData + "myokit_INa_6sweeps_13hdr.tsv";

// FNV-1a, 64 bits: enough to tell two outputs apart, short enough to keep in the table below.
uint64_t Checksum(const std::string& bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3u;
  return hash;
}

struct Golden {
  const char* name;                    // the output, as the test and its failure name it
  std::vector<std::string> arguments;  // --fits OUT, then these; none: the report
  uint64_t checksum;
};

// Every kind of current: gate powers 0, 4, -2, 70, Erev at a trace voltage, a large Gmax; the
// zero-slope file holds a zero Km and Kth and a zero time constant (NaN where IEEE gives it).
const Golden kOutputs[] = {
    {"PotassiumExample", {kPotassium, kExamples + "hh-potassium.fit"}, 0x216273d71cb89d00u},
    {"SodiumExample", {kSodium, kExamples + "hh-sodium.fit"}, 0x36c23581fc1a86fcu},
    {"WindowAndBaseline",
     {kSodium, kEveryKind, "--baseline", "0.25", "--xmin", "1.5", "--xmax", "7.25"},
     0x33163e4890e2a1d5u},
    {"Recording", {kRecorded, kEveryKind, "--trace-v", "-60,-40,-20,0,20,40"}, 0xb4a7d6ae33dea1d0u},
    {"TraceVoltageAtErev",
     {kPotassium, kEveryKind, "--trace-v", "-20,-80,100,0,50,-65"},
     0x967010f13244b84cu},
    {"OneSampleWindow",
     {kPotassium, kEveryKind, "--xmin", "19.99", "--baseline", "-1"},
     0x3663f65200477befu},
    {"ZeroSlopesAtTheirMidpoint",
     {kSodium, kZeroSlopes, "--trace-v", "-20,-10,0,-30,5,-25"},
     0xd28b0bbb9110f9c0u},
    {"ZeroSlopesOnARecording", {kRecorded, kZeroSlopes}, 0xb71679f4811e5c94u},
    {"ReportOfEveryKindOfCurrent", {}, 0x18729999064d89f4u},
};

// The output's bytes and the command that makes it.
std::string Output(const Golden& golden, const TestFolder& folder, std::string* command) {
  ResetWorkspace();
  if (golden.arguments.empty()) {
    *command = "pavik --report " + kEveryKind;
    EXPECT_EQ(LoadParamFile(kEveryKind), 1);
    return CurrentReport(-1);
  }
  std::vector<std::string> words = {"pavik", "--fits", folder.File("fits.tsv")};
  words.insert(words.end(), golden.arguments.begin(), golden.arguments.end());
  *command = "pavik --fits OUT";
  for (const std::string& argument : golden.arguments) *command += " " + argument;
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  EXPECT_EQ(RunCommandLine(static_cast<int>(words.size()), argv.data()), kExitSuccess);
  return ReadBytes(folder.File("fits.tsv"));
}

void PrintTo(const Golden& golden, std::ostream* out) {
  *out << golden.name;
}

class GoldenOutput : public ::testing::TestWithParam<Golden> {};

}  // namespace

TEST_P(GoldenOutput, IsUnchanged) {
  const Golden& golden = GetParam();
  TestFolder folder;
  std::string command;
  const std::string bytes = Output(golden, folder, &command);
  ResetWorkspace();
  const uint64_t checksum = Checksum(bytes);
  if (checksum == golden.checksum) return;
  const std::string kept = std::filesystem::absolute(std::string(golden.name) + ".out").string();
  WriteBytes(kept, bytes);
  ADD_FAILURE() << "The " << (golden.arguments.empty() ? "report" : "table of fits") << " "
                << golden.name << " changed.\n  made by: " << command << "\n  checksum 0x"
                << std::hex << checksum << ", pinned 0x" << golden.checksum
                << "\n  its new bytes: " << kept;
}

INSTANTIATE_TEST_SUITE_P(, GoldenOutput, ::testing::ValuesIn(kOutputs),
                         [](const auto& output) { return std::string(output.param.name); });

// The file of every kind of current is written back byte for byte as it was read.
TEST(GoldenParamFile, EveryKindOfCurrentIsWrittenBackAsRead) {
  ResetWorkspace();
  ASSERT_EQ(LoadParamFile(kEveryKind), 1);
  EXPECT_EQ(WorkspaceFileText(), ReadBytes(kEveryKind)) << "the parameter file written back";
  ResetWorkspace();
}
