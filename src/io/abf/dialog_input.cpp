// What the import dialog shows of an amplifier file: its summary line, the channels with their
// kinds, each sweep's step voltage, the command's availability, the sweep's span and the step.
#include <cstdio>

#include "io/abf/import.h"

namespace {

constexpr double kSecondsFrom = 1000;  // ms: longer sweeps are told in seconds

std::string Summary(const AmplifierFile& file) {
  const double ms = SweepEndMs(file) - file.startTimeMs;
  char text[160];
  std::snprintf(text, sizeof text, "%s, %s%d sweep%s of %g %s, %g kHz, %zu channel%s",
                file.format.c_str(), file.gapFree ? "gap-free, " : "", file.sweeps,
                file.sweeps == 1 ? "" : "s", ms < kSecondsFrom ? ms : ms / 1000,
                ms < kSecondsFrom ? "ms" : "s", 1.0 / file.sampleIntervalMs, file.channels.size(),
                file.channels.size() == 1 ? "" : "s");
  return text;
}

}  // namespace

ImportDialogInput ImportDialogInputFor(const AmplifierFile& file, std::string_view fileName) {
  ImportDialogInput input;
  input.fileName = std::string(fileName);
  input.summary = Summary(file);
  for (const AmplifierChannel& channel : file.channels) {
    input.channels.push_back({channel.name, channel.unit, CurrentToNanoamps(channel.unit) != 0,
                              VoltageToMillivolts(channel.unit) != 0});
  }
  input.sweepSteps = SweepStepVoltages(file);
  input.hasCommand = file.protocol && VoltageToMillivolts(file.protocol->commandUnit) != 0;
  if (file.protocol) input.commandName = file.protocol->commandName;
  input.commandNote = file.protocolNote;
  if (file.protocol && !input.hasCommand) {
    input.commandNote =
        "the protocol's output is in " + file.protocol->commandUnit + ", not a voltage";
  }
  input.sweepStartMs = file.startTimeMs;
  input.sweepEndMs = SweepEndMs(file);
  input.defaults = DefaultImportChoices(file);
  const TimeSpan step =
      DefaultSpan(file, input.defaults.sweeps.empty() ? 1 : input.defaults.sweeps[0]);
  input.stepFromMs = step.fromMs;
  input.stepToMs = step.toMs;
  input.sampleIntervalMs = file.sampleIntervalMs;
  return input;
}
