// Fuzz target of the data file reader: arbitrary bytes as a data file, with the header-line
// count taken from the first byte. A read must leave the workspace alone; a recording it
// accepts, once taken over, must be consistent with the loaded samples.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/pavik.h"
#include "io/io.h"
#include "model/evaluation.h"
#include "model/model.h"
#include "model/recording.h"
#include "platform/platform_test.h"

namespace {

constexpr int kMaxFuzzHeaderLines = 20;

struct Snapshot {
  int32_t traces, points;
  FitStatus fit;
  double times[kMaxPoints];
  double data[kTraceRows][kTraceRowLength];
};
Snapshot before;

void Take(Snapshot* s) {
  s->traces = NumTraces;
  s->points = NumPoints;
  std::memcpy(&s->fit, &status, sizeof status);
  std::memcpy(s->times, timevals, sizeof timevals);
  std::memcpy(s->data, ydata, sizeof ydata);
}

bool Unchanged(const Snapshot& s) {
  return s.traces == NumTraces && s.points == NumPoints &&
         std::memcmp(&s.fit, &status, sizeof status) == 0 &&
         std::memcmp(s.times, timevals, sizeof timevals) == 0 &&
         std::memcmp(s.data, ydata, sizeof ydata) == 0;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// Loaded samples must give exactly the ranges and trace voltages the reader stored.
void CheckLoaded() {
  Check(NumTraces >= 1 && NumTraces <= kMaxTraces, "trace count");
  Check(NumPoints >= 1 && NumPoints <= kMaxPoints, "sample count");
  Check(status.windowStart >= 0 && status.windowStart <= NumPoints, "window start");
  Check(status.windowEnd >= status.windowStart && status.windowEnd <= NumPoints, "window end");
  double tMin = timevals[0], tMax = timevals[0];
  for (int n = 1; n < NumPoints; ++n) {
    tMin = std::fmin(tMin, timevals[n]);
    tMax = std::fmax(tMax, timevals[n]);
  }
  Check(tMin == status.dataTMin && tMax == status.dataTMax, "time range");
  double yLow = 10000, yHigh = -10000;
  for (int k = 0; k < NumTraces; ++k) {
    for (int n = 0; n < NumPoints; ++n) {
      yLow = std::fmin(yLow, ydata[k][n]);
      yHigh = std::fmax(yHigh, ydata[k][n]);
    }
  }
  Check(status.dataYMin == 1.1 * yLow && status.dataYMax == 1.1 * yHigh, "current range");
  for (int k = 0; k < NumTraces; ++k) {
    double sum = 0;
    for (int n = 0; n < NumPoints; ++n) sum += ydata[k][kVoltageOffset + n];
    Check(status.traceV[k] == sum / NumPoints, "trace voltage");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = false;
  if (!started) {
    InitParams();
    SetUnattended(true);  // a refused file's message is recorded, not printed for every input
    started = true;
  }
  if (size == 0) return 0;
  const int headerLines = data[0] % kMaxFuzzHeaderLines;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  Take(&before);
  const DataFileRead read = ReadDataText(bytes, headerLines);
  Check(Unchanged(before), "a read changed the workspace");
  if (read.error.empty()) {
    Check(!read.recording.times.empty(), "a recording without rows");
    Check(CommitRecording(read.recording), "an accepted recording was not taken over");
    CheckLoaded();
    loadedRecording.commandMode = CommandMode::kSteps;
    status.fitCurrent[0] = 1;
    DoFit();
    loadedRecording.commandMode = CommandMode::kSingle;
    status.fitCurrent[0] = 0;
  } else {
    Check(read.recording.times.empty(), "a refused file with rows");
  }
  return 0;
}
