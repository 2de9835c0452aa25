// Writes the example recordings: header, tab layout line, rows of time, voltage and current.
#include "example_files.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

double ReadBack(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return std::strtod(text, nullptr);
}

constexpr const char* kTimeFormat = "%.6f";     // seconds, to the microsecond
constexpr const char* kVoltageFormat = "%.3f";  // mV
constexpr const char* kCurrentFormat = "%.5f";  // nA, to 10 fA

// fclose reports a failed flush of buffered rows, so the closing result counts too.
bool Finish(File file, bool wroteAll) {
  const bool closed = std::fclose(file.release()) == 0;
  return wroteAll && closed;
}

}  // namespace

double RoundedTime(double seconds) {
  return ReadBack(kTimeFormat, seconds);
}

double RoundedCurrent(double nanoamperes) {
  return ReadBack(kCurrentFormat, nanoamperes);
}

bool WriteExampleRecording(const std::string& path, const ExampleRecording& recording) {
  if (static_cast<int>(recording.header.size()) != kExampleHeaderLines) return false;
  File file(std::fopen(path.c_str(), "w"));
  if (!file) return false;
  std::FILE* f = file.get();
  bool ok = true;
  for (const std::string& line : recording.header) ok &= std::fprintf(f, "%s\n", line.c_str()) > 0;

  // The layout line: its tabs give the reader the column count.
  ok &= std::fputs("t", f) >= 0;
  for (size_t k = 0; k < recording.traces.size(); ++k)
    ok &= std::fprintf(f, "\tV%zu\tI%zu", k + 1, k + 1) > 0;
  ok &= std::fputs("\n", f) >= 0;

  for (size_t n = 0; n < recording.timeSeconds.size(); ++n) {
    ok &= std::fprintf(f, kTimeFormat, recording.timeSeconds[n]) > 0;
    for (const ExampleTrace& trace : recording.traces) {
      ok &= std::fputc('\t', f) != EOF;
      ok &= std::fprintf(f, kVoltageFormat, trace.stepVoltage) > 0;
      ok &= std::fputc('\t', f) != EOF;
      ok &= std::fprintf(f, kCurrentFormat, trace.current[n]) > 0;
    }
    ok &= std::fputc('\n', f) != EOF;
  }
  return Finish(std::move(file), ok);
}
