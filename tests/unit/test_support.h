// Helpers shared by the unit tests: the start-up workspace, a private folder for the files a
// test writes, file bytes and rows of numbers, a data file written the way a test wants it, and
// the recorded amplifier files of tests/data.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/pavik.h"
#include "io/abf/import.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"
#include "platform/platform.h"
#include "platform/platform_test.h"

// ---- the workspace ----

// The workspace as the program starts it, with nothing loaded, no message recorded and no
// dialog answer waiting.
inline void ResetWorkspace() {
  NumTraces = 0;
  NumPoints = 0;
  InitParams();
  copyCurr = CurrentParams{};
  for (double& v : status.loadedV) v = 0.0;
  status.windowStart = 0;
  status.windowEnd = 0;
  ClearRecordedMessages();
  ClearFileSelectAnswers();
}

// A fixture that starts and leaves every test with the start-up workspace; suites take it under
// their own names (using ParamFileRead = WorkspaceTest).
class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
};

inline void SetName(CurrentParams* c, const std::string& name) {
  ASSERT_LT(name.size(), sizeof c->name);
  std::memcpy(c->name, name.c_str(), name.size() + 1);
}

inline std::string WorkspaceFileText() {
  return FormatParamFile(params, dclamp, status);
}

// The one message shown since the record was cleared.
inline RecordedMessage OnlyMessage() {
  EXPECT_EQ(RecordedMessages().size(), 1u);
  return RecordedMessages().empty() ? RecordedMessage{} : RecordedMessages().back();
}

// Every byte of the workspace: the samples, the status, the currents, the dynamic-clamp
// settings and the counts; what a refused or cancelled command must leave alone.
inline std::string WorkspaceBytes() {
  std::string bytes;
  for (const auto& [data, size] : {std::pair<const void*, size_t>{timevals, sizeof timevals},
                                   {ydata, sizeof ydata},
                                   {&status, sizeof status},
                                   {params, sizeof params},
                                   {&dclamp, sizeof dclamp},
                                   {&NumPoints, sizeof NumPoints},
                                   {&NumTraces, sizeof NumTraces}})
    bytes.append(static_cast<const char*>(data), size);
  return bytes;
}

// ---- the model ----

inline double Boltzmann(double v, double half, double slope) {
  return 1.0 / (1.0 + std::exp((v - half) / slope));
}

// The model current of c at step voltage v, t ms into the window, written out from its
// definition independently of the program's loop.
inline double ModelAt(const CurrentParams& c, double v, double t, double baseline) {
  const double minf = Boltzmann(v, c.Vm, c.Km);
  const double hinf = Boltzmann(v, c.Vh, c.Kh);
  const double minf0 = Boltzmann(c.Vhold, c.Vm, c.Km);
  const double hinf0 = Boltzmann(c.Vhold, c.Vh, c.Kh);
  const double taum = c.Tmhi + (c.Tmlo - c.Tmhi) / (1.0 + std::exp(-(v - c.Vtm) / c.Ktm));
  const double tauh = c.Thhi + (c.Thlo - c.Thhi) / (1.0 + std::exp(-(v - c.Vth) / c.Kth));
  const double m = minf + (minf0 - minf) * std::exp(-t / taum);
  const double h = hinf + (hinf0 - hinf) * std::exp(-t / tauh);
  return 0.001 * c.Gmax * std::pow(m, c.p) * std::pow(h, c.q) * (v - c.Erev) + baseline;
}

// ---- files ----

inline std::string WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string TestDataPath(const std::string& name) {
  return std::string(PAVIK_TEST_DATA) + "/" + name;
}

// A folder of its own for each test (and each `which` within it), removed with everything in it
// afterwards.
class TestFolder {
 public:
  explicit TestFolder(const std::string& which = "") {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("pavik-" + std::string(test->test_suite_name()) + "-" + test->name() + which + "-" +
             std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    WriteBytes(File(name), bytes);
    return File(name);
  }
  // The names of everything in the folder, to see that no temporary file was left.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// ---- text ----

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The numbers of a row, separated by commas, tabs or spaces, each read to the nearest double.
inline std::vector<double> Numbers(const std::string& line) {
  std::vector<double> numbers;
  const char* at = line.data();
  const char* end = at + line.size();
  while ((at = std::find_if(at, end, [](char c) { return !std::strchr(",\t \r", c); })) < end) {
    double value = 0;
    const auto result = std::from_chars(at, end, value);
    EXPECT_EQ(result.ec, std::errc()) << line;
    if (result.ec != std::errc()) break;
    numbers.push_back(value);
    at = result.ptr;
  }
  return numbers;
}

// ---- data files ----

// A recording written the way the test wants it, with the values it holds kept beside it (as
// read back from the written text, so that every comparison is exact).
struct WrittenRecording {
  int headerLines = 13;
  int columns = 13;  // the time and (columns - 1) / 2 voltage/current pairs
  int rows = 200;
  std::string separator = "\t";
  std::string lineEnd = "\n";
  std::string layoutLine = "";  // empty: column titles joined by the separator
  double currentScale = 100.0;
  double currentOffset = 0.0;

  std::vector<std::vector<double>> values = {};  // [row][column], filled by Text()

  double Value(int row, int column) const {
    if (column == 0) return row * 5e-05;
    const int pair = (column - 1) / 2;
    if (column % 2 == 1) return -80.0 + 20.0 * pair + 0.1 * (row % 9) + 1e-3 * (row % 13);
    return currentOffset - currentScale * (pair + 1) * std::exp(-row / 40.0) + (row % 7);
  }

  std::string Text() {
    std::string text;
    for (int i = 0; i < headerLines; ++i) text += "header line " + std::to_string(i) + lineEnd;
    if (layoutLine.empty()) {
      for (int c = 0; c < columns; ++c) {
        if (c > 0) text += separator;
        text += c == 0 ? "t_s" : (c % 2 ? "V" : "I") + std::to_string((c + 1) / 2);
      }
    } else {
      text += layoutLine;
    }
    text += lineEnd;
    values.assign(rows, std::vector<double>(columns));
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        char number[32];
        std::snprintf(number, sizeof number, "%.10g", Value(r, c));
        values[r][c] = std::strtod(number, nullptr);
        if (c > 0) text += separator;
        text += number;
      }
      text += lineEnd;
    }
    return text;
  }
};

// ---- amplifier files ----

// A recording of tests/data read once: the sodium activation family (ABF 2, 16-bit samples,
// command only in the protocol) or the slow family (float samples, command recorded).
inline const AmplifierFile& RecordedAbf(const std::string& name) {
  static std::map<std::string, AmplifierFile> read;
  if (!read.count(name)) {
    EXPECT_EQ(ReadAmplifierFile(ReadBytes(TestDataPath(name)), &read[name]), "") << name;
  }
  return read[name];
}
inline const AmplifierFile& SodiumAbf() {
  return RecordedAbf("myokit_abf-v2_INa_activation.abf");
}
inline const AmplifierFile& SlowAbf() {
  return RecordedAbf("pyabf_user-list-durations_HCN-act.abf");
}
