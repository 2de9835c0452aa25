// Fuzz target of the parameter file parser: arbitrary bytes as a parameter file. A file that is
// accepted must hold only finite numbers and write back out and read again to the same records;
// nothing of the workspace may change either way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "io.h"
#include "model.h"

namespace {

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

std::string Format(const ParamFileContents& c) {
  FitStatus fit{};
  for (int i = 0; i < kMaxCurrents; ++i) fit.fitCurrent[i] = c.fitCurrent[i];
  for (int j = 0; j < kMaxTraces; ++j) fit.traceV[j] = c.loadedV[j];
  return FormatParamFile(c.currents, c.dclamp, fit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    InitParams();
    started = true;
  }
  CurrentParams paramsBefore[kMaxCurrents];
  std::memcpy(paramsBefore, params, sizeof params);
  ParamFileContents contents = WorkspaceParamFileContents();
  const std::string error =
      ParseParamText(std::string_view(reinterpret_cast<const char*>(data), size), &contents);
  Check(std::memcmp(paramsBefore, params, sizeof params) == 0, "parsing changed the workspace");
  if (!error.empty()) return 0;

  const std::string written = Format(contents);
  const std::string numbers = written.substr(0, written.rfind('\n'));  // the names may say "inf"
  Check(numbers.find("nan") == std::string::npos && numbers.find("inf") == std::string::npos,
        "a file with a non-finite number was accepted");
  ParamFileContents again = WorkspaceParamFileContents();
  Check(ParseParamText(written, &again).empty(), "a written file does not read back");
  Check(Format(again) == written, "a written file reads back to other values");
  return 0;
}
