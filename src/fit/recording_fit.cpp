// A recording's own value as the polish and the goodness line see it.
#include "fit/recording_fit.h"

#include <cmath>

#include "model/evaluation.h"

namespace {

std::span<const double> Samples(const std::vector<double>& values, int count) {
  return {values.data(), static_cast<size_t>(std::min<int>(count, values.size()))};
}

}  // namespace

PolishSamples RecordingPolishSamples(const Recording& recording, const std::string& name) {
  PolishSamples samples;
  samples.times = recording.times;
  const bool steps = recording.commandMode == CommandMode::kSteps;
  for (int k = 0; k < recording.traces; ++k) {
    const bool known = static_cast<size_t>(k) < recording.commands.size();
    samples.traceV.push_back(known ? recording.commands[k].step : 0.0);
    samples.commands.push_back(steps && known ? recording.commands[k].levels
                                              : std::vector<CommandLevel>{});
    samples.measured.push_back(recording.currents[k]);
    samples.measured.back().resize(recording.times.size());
  }
  samples.windowStart = recording.window.start;
  samples.windowEnd = recording.window.end;
  samples.counted = CountedSamples(recording.times, recording.window.start, recording.window.end,
                                   recording.excluded);
  if (recording.noise) {
    std::vector<TraceSamples> traces;
    for (const auto& measured : samples.measured) traces.push_back({measured, measured});
    samples.noiseSd =
        MeasureGoodness(traces, samples.counted,
                        NoiseSamples(recording.times, *recording.noise, recording.excluded))
            .noiseSd;
  }
  samples.name = name;
  return samples;
}

FitGoodness RecordingGoodness(const Recording& recording,
                              std::span<const CurrentParams, kMaxCurrents> currents,
                              const InFit& inFit, double baseline) {
  const Evaluation evaluation = Evaluate(recording, currents, inFit, baseline);
  const int n = recording.Samples();
  std::vector<TraceSamples> traces;
  for (int k = 0; k < recording.traces && static_cast<size_t>(k) < evaluation.summed.size(); ++k)
    traces.push_back({Samples(recording.currents[k], n), Samples(evaluation.summed[k], n)});
  const SampleMask counted = CountedSamples(recording.times, recording.window.start,
                                            recording.window.end, recording.excluded);
  const SampleMask noise = recording.noise
                               ? NoiseSamples(recording.times, *recording.noise, recording.excluded)
                               : SampleMask{};
  return MeasureGoodness(traces, counted, noise);
}

FitGoodness PooledGoodness(std::span<const FitGoodness> recordings) {
  FitGoodness pooled;
  double squares = 0;
  double scaledSquares = 0;
  bool everyNoise = !recordings.empty();
  for (const FitGoodness& one : recordings) {
    if (!one.rms || one.counted == 0) continue;
    pooled.counted += one.counted;
    squares += *one.rms * *one.rms * one.counted;
    if (one.noiseRatio)
      scaledSquares += *one.noiseRatio * *one.noiseRatio * one.counted;
    else
      everyNoise = false;
  }
  if (pooled.counted == 0) return pooled;
  pooled.rms = std::sqrt(squares / pooled.counted);
  if (everyNoise) pooled.noiseRatio = std::sqrt(scaledSquares / pooled.counted);
  return pooled;
}
