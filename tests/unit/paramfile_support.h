// Helpers shared by the parameter file and report tests: a start-up workspace and a private
// folder for the files a test writes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/pavik.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"

inline void ResetWorkspace() {
  NumTraces = 0;
  NumPoints = 0;
  InitParams();
  copyCurr = CurrentParams{};
  for (double& v : status.loadedV) v = 0.0;
}

inline void SetName(CurrentParams* c, const std::string& name) {
  ASSERT_LT(name.size(), sizeof c->name);
  std::memcpy(c->name, name.c_str(), name.size() + 1);
}

// A folder of its own for each test, removed with everything in it afterwards.
class TestFolder {
 public:
  TestFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("pavik-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
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

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string WorkspaceFileText() {
  return FormatParamFile(params, dclamp, status);
}
