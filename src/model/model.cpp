// The workspace records with their start-up state, the loaded recording behind the trace
// arrays, and the evaluation of the model currents over it inside the analysis window.
#include "model/model.h"

#include <algorithm>
#include <cstdio>

#include "model/evaluate.h"
#include "model/evaluation.h"
#include "model/recording.h"
#include "platform/platform.h"

CurrentParams params[kMaxCurrents];
CurrentParams copyCurr;
FitStatus status;
DclampSettings dclamp;
int32_t NumTraces;
int32_t NumPoints;
double timevals[kMaxPoints];
double ydata[kTraceRows][kTraceRowLength];
double yfits[kMaxCurrents][kTraceRows][kMaxPoints];
double V;
int32_t colors[kColorSlots];
Recording loadedRecording;

namespace {

Evaluation workspaceEvaluation;
// What the last evaluation was made for: its sums stand for the trace arrays' fits while the
// currents in the fit and the sizes are still these (a current taken out keeps its last curve,
// a current added shows its last one until the next evaluation, as the drawn fits always have).
struct EvaluatedFor {
  bool valid = false;
  InFit inFit{};
  int traces = 0;
  int points = 0;
} evaluatedFor;

constexpr double kStartTraceV[kMaxTraces] = {-30.0, -10.0, 10.0, 30.0, 30.0, 30.0};
constexpr double kStartCurrentSetting[kCurrentSettings] = {100.0, 0.0,    40.0,  -80.0,
                                                           100.0, -100.0, 100.0, 0.0};
constexpr double kStartGlobalSetting[kGlobalSettings] = {0.0, 100.0, 0.0, 0.25};
constexpr int kStartHeaderLines = 13;

CurrentParams DefaultCurrent(int index) {
  CurrentParams p{};
  p.Vm = 1.0;
  p.Vh = 1.0;
  p.Km = -1.0;
  p.Kh = 1.0;
  p.Tmhi = 1.0;
  p.Tmlo = 1.0;
  p.Thhi = 1.0;
  p.Thlo = 1.0;
  p.Vtm = 1.0;
  p.Vth = 1.0;
  p.Ktm = -1.0;
  p.Kth = 1.0;
  p.Vhold = -60.0;
  p.Gmax = 1.0;
  p.Erev = -80.0;
  p.p = 1;
  p.q = 1;
  std::snprintf(p.name, sizeof p.name, "%d", index + 1);
  return p;
}

int ClampedIndex(int32_t index) {
  if (index < 0) return 0;
  return index < kMaxPoints ? index : kMaxPoints;
}

}  // namespace

int SelectedIndex() {
  if (status.selCurrent < 1 || status.selCurrent > kMaxCurrents) return -1;
  return status.selCurrent - 1;
}

CurrentParams* SelectedCurrent() {
  const int index = SelectedIndex();
  return index < 0 ? nullptr : &params[index];
}

int LoadedPoints() {
  return std::clamp(NumPoints, 0, kMaxPoints);
}

int LoadedTraces() {
  return std::clamp(NumTraces, 0, kTraceRows);
}

double TraceStepVoltage(int trace) {
  if (trace >= 0 && trace < kMaxTraces) return status.traceV[trace];
  const auto& commands = loadedRecording.commands;
  return trace >= 0 && trace < static_cast<int>(commands.size()) ? commands[trace].step : 0.0;
}

int InitParams() {
  for (int i = 0; i < kMaxCurrents; ++i) {
    params[i] = DefaultCurrent(i);
    for (int k = 0; k < kCurrentSettings; ++k)
      dclamp.currentSetting[k][i] = kStartCurrentSetting[k];
  }
  for (int k = 0; k < kGlobalSettings; ++k) dclamp.globalSetting[k] = kStartGlobalSetting[k];
  for (int k = 0; k < kIntSettings; ++k) dclamp.intSetting[k] = 0;

  status.selCurrent = 1;
  for (int k = 0; k < kMaxTraces; ++k) status.traceV[k] = kStartTraceV[k];
  status.baseline = 0.0;
  status.xMin = 0.0;
  status.xMax = 280.0;
  status.yMin = -40.0;
  status.yMax = 40.0;
  status.vMin = -100.0;
  status.vMax = 100.0;
  status.dataLoaded = 0;
  status.paramFileLoaded = 0;
  status.autoUpdate = 0;
  status.colorTraces = 0;

  ZeroFitCurrents();
  status.fitCount = 1;
  status.fitCurrent[0] = 1;

  NumPoints = 0;
  std::snprintf(status.paramFile, sizeof status.paramFile, "%s", "temp");
  status.headerLines = kStartHeaderLines;

  for (int i = 0; i < kMaxCurrents; ++i) ZeroYFits(i);
  return 1;
}

void ZeroFitCurrents() {
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = 0;
  status.fitCount = 0;
}

void ZeroYFits(int currentIndex) {
  if (currentIndex < 0 || currentIndex >= kMaxCurrents) return;
  for (int k = 0; k < LoadedTraces(); ++k) Clear1D(yfits[currentIndex][k], kMaxPoints);
  evaluatedFor.valid = false;
}

namespace {

// The parts of the view that the evaluation reads: the times, the trace voltages, the window.
// The measured samples only change when a recording is taken over, which sets them itself.
Recording& ViewedCommands() {
  Recording& r = loadedRecording;
  const int points = std::max(LoadedPoints(), ClampedIndex(status.windowEnd));
  const int traces = LoadedTraces();
  r.times.assign(timevals, timevals + points);
  r.traces = traces;
  r.commands.resize(static_cast<size_t>(traces));
  // The fields' step voltages and the holding level may change; the levels come with the file,
  // and so do the step voltages of the traces beyond the six fields.
  for (int k = 0; k < traces; ++k) {
    if (k < kMaxTraces) r.commands[k].step = status.traceV[k];
    r.commands[k].holding = r.holdingLevel;
  }
  r.window = {ClampedIndex(status.windowStart), ClampedIndex(status.windowEnd)};
  return r;
}

}  // namespace

const Recording& ViewedRecording() {
  Recording& r = ViewedCommands();
  const int points = r.Samples();
  r.pairsStored = std::max(r.pairsStored, r.traces);
  r.ResizePairs(std::min(r.pairsStored, kTraceRows));
  for (int k = 0; k < static_cast<int>(r.currents.size()); ++k) {
    r.currents[k].assign(ydata[k], ydata[k] + points);
    r.voltages[k].assign(ydata[k] + kVoltageOffset, ydata[k] + kVoltageOffset + points);
  }
  return r;
}

int DoFit() {
  const Recording& recording = ViewedCommands();
  const InFit inFit = InFitOf(status);
  Evaluate(recording, std::span<const CurrentParams, kMaxCurrents>(params), inFit, status.baseline,
           &workspaceEvaluation);
  const int points = recording.Samples();
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!inFit[i]) continue;
    for (int k = 0; k < recording.traces; ++k)
      std::copy_n(workspaceEvaluation.currents[i][k].begin(), points, yfits[i][k]);
  }
  evaluatedFor = {true, inFit, recording.traces, LoadedPoints()};
  return 1;
}

int CalcThisCurrent(int currentIndex) {
  if (currentIndex < 0 || currentIndex >= kMaxCurrents) return 0;
  const CurrentParams& P = params[currentIndex];
  const SampleWindow window{ClampedIndex(status.windowStart), ClampedIndex(status.windowEnd)};
  for (int k = 0; k < LoadedTraces(); ++k) {
    V = TraceStepVoltage(k);
    EvaluateTrace(P, V, timevals, LoadedPoints(), window, status.baseline, yfits[currentIndex][k]);
  }
  evaluatedFor.valid = false;
  return 1;
}

const std::vector<double>& SummedFit(int trace) {
  static std::vector<double> fromArrays[kTraceRows];  // one per trace: several are held at once
  const int points = LoadedPoints();
  if (evaluatedFor.valid && evaluatedFor.inFit == InFitOf(status) &&
      evaluatedFor.traces == NumTraces && evaluatedFor.points == points && trace >= 0 &&
      trace < evaluatedFor.traces &&
      workspaceEvaluation.summed[trace].size() == static_cast<size_t>(points))
    return workspaceEvaluation.summed[trace];
  std::vector<double>& sum = fromArrays[std::clamp(trace, 0, kTraceRows - 1)];
  sum.resize(static_cast<size_t>(points));
  SumIncludedCurrents(trace, points, sum.data());
  return sum;
}

void SumIncludedCurrents(int trace, int points, double* sum) {
  std::fill(sum, sum + points, 0.0);
  if (trace < 0 || trace >= kTraceRows) return;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (status.fitCurrent[i] == 0) continue;
    const double* curve = yfits[i][trace];
    for (int n = 0; n < points; ++n) sum[n] += curve[n];
  }
}

double GetPower(double x, int32_t n) {
  return kinetics::GatePower(x, n);
}

void SetDataXIndexes() {
  const int points = LoadedPoints();
  // Each scan looks at a sample and moves past it, stopping once the sample just looked at
  // reaches its bound, and never beyond the last loaded sample.
  int j = 0;
  while (j < points && timevals[j++] < status.xMin) {
  }
  status.windowStart = j;
  while (j < points && timevals[j++] < status.xMax) {
  }
  status.windowEnd = j;
}
