// What every fuzz target of an amplifier-file reader checks: a read that succeeds gives a
// consistent record whose protocol fits every sweep, and the default import and the converted
// text file work on it, as do the single step and the leak and P/N subtraction along the rebuilt
// command, a command typed by hand and the averaging of repeats; a read that fails says why.
// The typed command's reader is fuzzed on the bytes themselves as well.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "io/abf/import.h"
#include "model/model.h"
#include "model/typed_command.h"

namespace amplifier_fuzz {

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

inline void CheckRead(std::string_view bytes,
                      std::string (*read)(std::string_view, AmplifierFile*)) {
  AmplifierFile file;
  const std::string problem = read(bytes, &file);
  if (!problem.empty()) return;
  const size_t channels = file.channels.size();
  Check(file.sweeps >= 1 && file.sweeps <= kMaxAmplifierSweeps, "sweep count");
  Check(channels >= 1 && channels <= static_cast<size_t>(kMaxAmplifierChannels), "channels");
  Check(file.sweepSamples >= 1, "sweep length");
  Check(file.sampleIntervalMs > 0 && std::isfinite(file.sampleIntervalMs), "sample interval");
  const size_t slots = file.counts.empty() ? file.samples.size() : file.counts.size();
  Check(slots == static_cast<size_t>(file.sweeps) * channels, "sample vectors");
  Check(file.counts.empty() || file.samples.empty(), "samples held one way");
  for (int sweep = 0; sweep < file.sweeps; ++sweep) {
    for (size_t c = 0; c < channels; ++c) {
      Check(SweepSamples(file, sweep, static_cast<int>(c)).size() ==
                static_cast<size_t>(file.sweepSamples),
            "samples per sweep");
    }
  }
  if (file.protocol) {
    Check(CheckProtocolFits(*file.protocol, file.sweepSamples, file.sweeps).empty(), "protocol");
    const auto command = CommandWaveform(*file.protocol, file.sweepSamples, file.sweeps - 1);
    Check(command.size() == static_cast<size_t>(file.sweepSamples), "command length");
  }

  ImportChoices choices = DefaultImportChoices(file);
  if (choices.voltageSource == VoltageSource::kTyped) {
    choices.typedVoltages.assign(choices.sweeps.size(), -10.0);
  }
  Recording recording;
  if (!ImportRecording(file, choices, "fuzz", &recording).empty()) return;
  Check(recording.traces >= 1 && recording.traces <= kMaxTraces, "traces");
  Check(!recording.times.empty() && recording.times.size() <= kMaxPoints, "points");
  for (int k = 0; k < recording.traces; ++k) {
    Check(recording.currents[k].size() == recording.times.size(), "current length");
    Check(recording.voltages[k].size() == recording.times.size(), "voltage length");
  }
  for (size_t k = 0; k < recording.commandLevels.size(); ++k) {
    const auto& levels = recording.commandLevels[k];
    for (size_t i = 1; i < levels.size(); ++i)
      Check(levels[i].startMs >= levels[i - 1].startMs, "levels in time order");
  }
  const std::string text = FormatRecordingAsText(recording, DescribeImport(file, choices, "f"));
  Check(!text.empty(), "converted text");

  // The other import paths: the single step's span, the leak over the sweep's second half and the
  // first sweep as a P/N control; each either works whole or says why.
  ImportChoices other = choices;
  other.command = CommandMode::kSingle;
  other.leak = LeakSubtraction::kRange;
  other.leakFromMs = SweepEndMs(file) / 2;
  other.leakToMs = SweepEndMs(file);
  other.pnSweep = 1;
  Recording subtracted;
  if (ImportRecording(file, other, "fuzz", &subtracted).empty()) {
    Check(subtracted.traces == recording.traces, "subtracted traces");
    for (int k = 0; k < subtracted.traces; ++k)
      Check(subtracted.currents[k].size() == subtracted.times.size(), "subtracted length");
  }

  // A command typed over the sweep: a step at a quarter of it growing per sweep, back at half.
  ImportChoices typed = choices;
  const double lengthMs = SweepEndMs(file) - file.startTimeMs;
  typed.typedCommand = "-80; " + std::to_string(lengthMs / 4) + ": -60 +10; " +
                       std::to_string(lengthMs / 2) + ": -80";
  typed.typedVoltages.clear();
  Recording followed;
  if (ImportRecording(file, typed, "fuzz", &followed).empty()) {
    for (const auto& levels : followed.commandLevels) {
      Check(!levels.empty() && levels.size() <= 3, "typed levels");
      for (const CommandLevel& level : levels)
        Check(std::isfinite(level.level) && level.startMs < SweepEndMs(file), "typed level");
    }
  }

  // Repeats of one command averaged over many sweeps, the leak taken out of each first: at most
  // one trace per chosen sweep, each as long as the times.
  ImportChoices repeats = other;
  repeats.averageRepeats = true;
  repeats.sweeps.clear();
  for (int s = 1; s <= std::min(file.sweeps, 2 * kMaxRecordingTraces); ++s)
    repeats.sweeps.push_back(s);
  if (repeats.voltageSource == VoltageSource::kTyped)
    repeats.typedVoltages.assign(repeats.sweeps.size(), -10.0);
  Recording averaged;
  if (ImportRecording(file, repeats, "fuzz", &averaged).empty()) {
    Check(averaged.traces >= 1 && averaged.traces <= kMaxRecordingTraces &&
              averaged.traces <= static_cast<int>(repeats.sweeps.size()),
          "averaged traces");
    for (int k = 0; k < averaged.traces; ++k)
      Check(averaged.currents[k].size() == averaged.times.size() &&
                averaged.voltages[k].size() == averaged.times.size(),
            "averaged length");
  }
}

// The bytes as a typed command: either read whole, rows in time order within the sweep, or
// refused with a reason.
inline void CheckTypedCommand(std::string_view bytes) {
  std::vector<TypedCommandRow> rows;
  const SweepShape sweep{100, 0.05};
  if (!ParseTypedCommand(bytes, sweep, &rows).empty()) return;
  Check(!rows.empty() && rows[0].startMs == 0, "typed holding level");
  for (size_t i = 1; i < rows.size(); ++i) {
    Check(rows[i].startMs > rows[i - 1].startMs && rows[i].startMs < sweep.lengthMs,
          "typed rows in time order");
    Check(TypedRowSample(rows[i], sweep.intervalMs) > TypedRowSample(rows[i - 1], sweep.intervalMs),
          "typed rows on their own samples");
  }
  for (const TypedCommandRow& row : rows)
    Check(std::isfinite(TypedRowLevel(row, kMaxAmplifierSweeps)), "typed level finite");
}

}  // namespace amplifier_fuzz
