// The command waveform of a sweep rebuilt from the protocol's epoch table: the holding level for
// the first 1/64 of the sweep, then each epoch with its level and duration in that sweep (a user
// list overriding the increments), then the holding level again.
#include <cmath>

#include "io/abf/abf_file.h"

namespace {

// Entry sweep of a user list of count entries: the last entry holds past the end unless the
// list repeats.
size_t ListEntry(size_t count, int sweep, bool repeat) {
  const size_t index = static_cast<size_t>(sweep);
  if (index < count) return index;
  return repeat ? index % count : count - 1;
}

}  // namespace

double EpochLevel(const ProtocolEpoch& epoch, int sweep) {
  if (!epoch.levelList.empty()) {
    return epoch.levelList[ListEntry(epoch.levelList.size(), sweep, epoch.repeatList)];
  }
  return epoch.firstLevel + sweep * epoch.levelIncrement;
}

int64_t EpochDuration(const ProtocolEpoch& epoch, int sweep) {
  if (!epoch.durationList.empty()) {
    return epoch.durationList[ListEntry(epoch.durationList.size(), sweep, epoch.repeatList)];
  }
  return epoch.firstDuration + sweep * epoch.durationIncrement;
}

int64_t FirstEpochSample(int64_t sweepSamples) {
  return sweepSamples / kHoldingFractionOfSweep;
}

std::string CheckProtocolFits(const Protocol& protocol, int64_t sweepSamples, int sweeps) {
  if (!std::isfinite(protocol.holdingLevel)) return "its holding level is not a number";
  for (int sweep = 0; sweep < sweeps; ++sweep) {
    int64_t at = FirstEpochSample(sweepSamples);
    for (size_t e = 0; e < protocol.epochs.size(); ++e) {
      const std::string epochName(1, static_cast<char>('A' + e));
      const int64_t duration = EpochDuration(protocol.epochs[e], sweep);
      if (!std::isfinite(EpochLevel(protocol.epochs[e], sweep))) {
        return "the level of epoch " + epochName + " is not a number";
      }
      if (duration < 0) {
        return "epoch " + epochName + " has a negative duration in sweep " +
               std::to_string(sweep + 1);
      }
      at += duration;
      if (at > sweepSamples) {
        return "its epochs run past the end of sweep " + std::to_string(sweep + 1) + " (" +
               std::to_string(at) + " of " + std::to_string(sweepSamples) + " samples)";
      }
    }
  }
  return "";
}

std::vector<EpochSpan> SweepEpochSpans(const Protocol& protocol, int64_t sweepSamples, int sweep) {
  std::vector<EpochSpan> spans;
  int64_t at = FirstEpochSample(sweepSamples);
  double level = protocol.holdingLevel;
  for (size_t e = 0; e < protocol.epochs.size(); ++e) {
    EpochSpan span;
    span.epoch = static_cast<int>(e);
    span.start = at;
    span.end = at + EpochDuration(protocol.epochs[e], sweep);
    span.startLevel = level;
    span.level = EpochLevel(protocol.epochs[e], sweep);
    spans.push_back(span);
    at = span.end;
    level = span.level;
  }
  return spans;
}

std::vector<double> CommandWaveform(const Protocol& protocol, int64_t sweepSamples, int sweep) {
  std::vector<double> command(sweepSamples, protocol.holdingLevel);
  for (const EpochSpan& span : SweepEpochSpans(protocol, sweepSamples, sweep)) {
    const int64_t length = span.end - span.start;
    const bool ramp = protocol.epochs[span.epoch].kind == EpochKind::kRamp;
    for (int64_t i = 0; i < length; ++i) {
      // A ramp sample holds the line's value at the middle of its interval, as the recorded
      // command of a ramp shows.
      const double fraction = (static_cast<double>(i) + 0.5) / static_cast<double>(length);
      command[span.start + i] =
          ramp ? span.startLevel + (span.level - span.startLevel) * fraction : span.level;
    }
  }
  return command;
}

std::optional<int> StepEpoch(const Protocol& protocol, int sweeps) {
  for (size_t e = 0; e < protocol.epochs.size(); ++e) {
    const ProtocolEpoch& epoch = protocol.epochs[e];
    if (epoch.kind != EpochKind::kStep) continue;
    for (int sweep = 0; sweep < sweeps; ++sweep) {
      if (EpochLevel(epoch, sweep) != protocol.holdingLevel && EpochDuration(epoch, sweep) > 0) {
        return static_cast<int>(e);
      }
    }
  }
  return std::nullopt;
}
