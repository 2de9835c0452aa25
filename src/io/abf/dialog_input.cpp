// What the import dialog shows of an amplifier file: its summary line, the channels with their
// kinds, each sweep's step voltage, the command's availability, the sweep's span and the step,
// and a thinned preview of each sweep's current and command.
#include <algorithm>
#include <string>

#include "io/abf/import.h"
#include "io/abf/import_command.h"
#include "model/command.h"
#include "model/typed_command.h"
#include "platform/number_text.h"

namespace {

constexpr double kSecondsFrom = 1000;  // ms: longer sweeps are told in seconds
// The preview thins each sweep to at most this many points, and a file of many sweeps further,
// so that the preview of a large file stays small.
constexpr int64_t kPreviewPoints = 1000;
constexpr int64_t kPreviewValues = 1'000'000;  // over all sweeps
constexpr int64_t kLeastPreviewPoints = 20;

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

// A sweep's command at the preview's times, as these choices give it; empty when not known.
std::vector<double> PreviewCommand(const AmplifierFile& file, const ImportChoices& choices,
                                   int sweep, const std::vector<double>& times) {
  const std::vector<CommandLevel> levels = SweepLevels(file, choices, sweep);
  std::vector<double> command;
  if (levels.empty()) return command;
  for (double t : times) command.push_back(CommandVoltageAt(levels, t));
  return command;
}

// Every stride-th sample of each sweep: its current in each current channel, and its command for
// each voltage choice that gives a command of its own, so that the preview follows the choices.
void FillPreview(const AmplifierFile& file, ImportDialogInput* input) {
  if (file.sweepSamples < 1) return;
  const int64_t series = static_cast<int64_t>(file.channels.size()) + 1;  // and the command
  const int64_t points = std::clamp(kPreviewValues / (std::max(file.sweeps, 1) * series),
                                    kLeastPreviewPoints, kPreviewPoints);
  const int64_t stride = std::max<int64_t>(1, (file.sweepSamples + points - 1) / points);
  for (int64_t i = 0; i < file.sweepSamples; i += stride)
    input->previewTimes.push_back(SampleTimeMs(file, i));
  const std::vector<double>& times = input->previewTimes;
  ImportChoices protocol = input->defaults;
  protocol.voltageSource = VoltageSource::kCommand;
  for (int sweep = 1; sweep <= file.sweeps; ++sweep) {
    ImportPreviewSweep shown;
    for (size_t c = 0; c < file.channels.size(); ++c) {
      std::vector<double>& current = shown.currents.emplace_back();
      const double factor = CurrentToNanoamps(file.channels[c].unit);
      if (factor == 0) continue;
      for (size_t n = 0; n < times.size(); ++n) {
        const int64_t i = static_cast<int64_t>(n) * stride;
        current.push_back(SampleAt(file, sweep - 1, static_cast<int>(c), i) * factor);
      }
    }
    shown.commands.push_back(PreviewCommand(file, protocol, sweep, times));
    for (size_t c = 0; c < file.channels.size(); ++c) {
      std::vector<double> recorded;
      if (VoltageToMillivolts(file.channels[c].unit) != 0) {
        ImportChoices channel = protocol;
        channel.voltageSource = VoltageSource::kChannel;
        channel.voltageChannel = static_cast<int>(c) + 1;
        recorded = PreviewCommand(file, channel, sweep, times);
        if (recorded == shown.commands[0]) recorded.clear();
      }
      shown.commands.push_back(std::move(recorded));
    }
    input->preview.push_back(std::move(shown));
  }
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
  FillPreview(file, &input);
  // The sweep's shape alone, not its samples: the dialog may outlive the file it was made from.
  AmplifierFile shape;
  shape.sweepSamples = file.sweepSamples;
  shape.sampleIntervalMs = file.sampleIntervalMs;
  shape.startTimeMs = file.startTimeMs;
  input.typedCommand = [shape, times = input.previewTimes](const std::string& text, int sweep,
                                                           std::vector<double>* command) {
    std::vector<TypedCommandRow> rows;
    if (std::string why = ParseTypedCommand(text, TypedSweepShape(shape), &rows); !why.empty())
      return why;
    if (command == nullptr) return std::string();
    ImportChoices typed;
    typed.typedCommand = text;
    const std::vector<CommandLevel> levels = SweepLevels(shape, typed, sweep);
    command->clear();
    for (double t : times) command->push_back(CommandVoltageAt(levels, t));
    return std::string();
  };
  return input;
}
