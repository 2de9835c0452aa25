// The workspace as goodness and the polish see it.
#include "fit/workspace_fit.h"

#include <algorithm>

#include "fit/recording_fit.h"
#include "model/evaluation.h"
#include "model/model.h"
#include "model/recording.h"
#include "model/session_recordings.h"

namespace {

std::span<const double> LoadedTimes() {
  return {timevals, static_cast<size_t>(LoadedPoints())};
}

std::span<const double> MeasuredOf(int trace) {
  return {ydata[trace], static_cast<size_t>(LoadedPoints())};
}

}  // namespace

FitGoodness WorkspaceGoodness(std::span<const TimeRegion> excluded,
                              const std::optional<TimeRegion>& noise) {
  std::vector<TraceSamples> traces;
  for (int k = 0; k < LoadedTraces(); ++k) traces.push_back({MeasuredOf(k), SummedFit(k)});
  const SampleMask counted =
      CountedSamples(LoadedTimes(), status.windowStart, status.windowEnd, excluded);
  const SampleMask noiseMask = noise ? NoiseSamples(LoadedTimes(), *noise, excluded) : SampleMask{};
  return MeasureGoodness(traces, counted, noiseMask);
}

PolishInput WorkspacePolishInput(std::span<const TimeRegion> excluded) {
  PolishInput input;
  for (int i = 0; i < kMaxCurrents; ++i) {
    input.currents[i] = params[i];
    input.inFit[i] = status.fitCurrent[i] != 0;
  }
  const std::span<const double> times = LoadedTimes();
  input.times.assign(times.begin(), times.end());
  for (int k = 0; k < LoadedTraces(); ++k) {
    input.traceV.push_back(TraceStepVoltage(k));
    const bool steps = loadedRecording.commandMode == CommandMode::kSteps &&
                       static_cast<size_t>(k) < loadedRecording.commands.size();
    input.commands.push_back(steps ? loadedRecording.commands[k].levels
                                   : std::vector<CommandLevel>{});
    const std::span<const double> measured = MeasuredOf(k);
    input.measured.emplace_back(measured.begin(), measured.end());
  }
  input.windowStart = status.windowStart;
  input.windowEnd = status.windowEnd;
  input.counted = CountedSamples(times, status.windowStart, status.windowEnd, excluded);
  input.baseline = status.baseline;
  input.choice = DefaultChoice(input.currents);
  return input;
}

PolishInput SessionPolishInput() {
  PolishInput input = WorkspacePolishInput(loadedRecording.excluded);
  input.noiseSd = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).noiseSd;
  const int count = RecordingCount();
  if (count < 2) return input;  // one recording: no names, as the summary always had it
  input.name = RecordingTitle(loadedRecording);
  // In the session's order: the summary names them as the tabs do.
  const int shown = ShownRecordingIndex();
  std::vector<PolishSamples> included;
  for (int i = 0; i < count; ++i) {
    const Recording& recording = RecordingAt(i);
    if (!recording.inPolish) continue;
    included.push_back(i == shown ? static_cast<const PolishSamples&>(input)
                                  : RecordingPolishSamples(recording, RecordingTitle(recording)));
  }
  static_cast<PolishSamples&>(input) = PolishSamples{};
  if (included.empty()) return input;
  static_cast<PolishSamples&>(input) = std::move(included.front());
  input.also.assign(std::make_move_iterator(included.begin() + 1),
                    std::make_move_iterator(included.end()));
  return input;
}

std::optional<FitGoodness> SessionGoodness() {
  const int count = RecordingCount();
  if (count < 2) return std::nullopt;
  const int shown = ShownRecordingIndex();
  const InFit inFit = InFitOf(status);
  std::vector<FitGoodness> each;
  for (int i = 0; i < count; ++i) {
    if (i == shown) {
      each.push_back(WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise));
      continue;
    }
    each.push_back(RecordingGoodness(RecordingAt(i),
                                     std::span<const CurrentParams, kMaxCurrents>(params), inFit,
                                     status.baseline));
  }
  return PooledGoodness(each);
}
