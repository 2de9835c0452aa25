// What the import dialog shows of an amplifier file: its summary line, the channels with their
// kinds, each sweep's step voltage, the command's availability, the sweep's span and the step.
#include <string>

#include "io/abf/import.h"
#include "platform/number_text.h"

namespace {

constexpr double kSecondsFrom = 1000;  // ms: longer sweeps are told in seconds

// What the file is, in plain words: "ABF 2.0.0.0 file: 37 sweeps of 25.8 ms, sampled at 20 kHz,
// 1 channel", or "...: one gap-free recording of 10 s, no protocol, sampled at ...".
std::string Summary(const AmplifierFile& file) {
  const double ms = SweepEndMs(file) - file.startTimeMs;
  const std::string length =
      ms < kSecondsFrom ? SignificantText(ms) + " ms" : SignificantText(ms / 1000) + " s";
  const auto count = [](size_t n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  std::string summary = file.format + " file: ";
  if (file.gapFree)
    summary += "one gap-free recording of " + length + ", no protocol";
  else
    summary += count(static_cast<size_t>(file.sweeps), "sweep") + " of " + length;
  return summary + ", sampled at " + SignificantText(1.0 / file.sampleIntervalMs) + " kHz, " +
         count(file.channels.size(), "channel");
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
  // A gap-free recording has no protocol, whatever its header holds beside the mode.
  input.commandNote = file.gapFree ? "gap-free: no protocol" : file.protocolNote;
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
