// Each chosen sweep's whole command, from the protocol's epochs or a recorded voltage, and the
// leak and P/N subtraction along it, for the import.
#include "io/abf/import_command.h"

#include "io/abf/import.h"
#include "io/abf/subtraction.h"
#include "model/command.h"
#include "model/typed_command.h"

namespace {

// The whole command of a sweep (0-based) as the epoch table rebuilds it, in mV: the holding
// level from the sweep's first sample, each epoch that lasts, and the holding level after them.
std::vector<CommandLevel> ProtocolLevels(const AmplifierFile& file, int sweep, double factor) {
  const Protocol& protocol = *file.protocol;
  std::vector<CommandLevel> levels{{SampleTimeMs(file, 0), protocol.holdingLevel * factor}};
  int64_t end = 0;
  for (const EpochSpan& span : SweepEpochSpans(protocol, file.sweepSamples, sweep)) {
    if (span.end <= span.start) continue;
    const bool ramp = protocol.epochs[span.epoch].kind == EpochKind::kRamp;
    const double level = span.level * factor;
    if (!ramp && level == levels.back().level && !levels.back().ramp) continue;
    if (span.start == 0) levels.clear();
    levels.push_back({SampleTimeMs(file, span.start), level, ramp});
    end = span.end;
  }
  // A ramp ends where the next level starts, so a last ramp needs the holding level after it.
  if (end < file.sweepSamples &&
      (levels.back().ramp || levels.back().level != protocol.holdingLevel * factor))
    levels.push_back({SampleTimeMs(file, end), protocol.holdingLevel * factor});
  return levels;
}

// A channel in a voltage unit to take the command from when the protocol cannot give it: the
// chosen voltage channel, else the first in a voltage unit; 0 when there is none (1-based).
int RecordedVoltageChannel(const AmplifierFile& file, const ImportChoices& choices) {
  if (choices.voltageSource == VoltageSource::kChannel) return choices.voltageChannel;
  for (size_t c = 0; c < file.channels.size(); ++c) {
    if (VoltageToMillivolts(file.channels[c].unit) != 0) return static_cast<int>(c) + 1;
  }
  return 0;
}

// A typed command's levels in a sweep (1-based), each from the first sample that holds it, as
// the protocol's epochs start; empty when the text is not a command (the import says why).
std::vector<CommandLevel> TypedLevels(const AmplifierFile& file, const std::string& text,
                                      int sweep) {
  std::vector<TypedCommandRow> rows;
  if (!ParseTypedCommand(text, TypedSweepShape(file), &rows).empty()) return {};
  std::vector<CommandLevel> levels;
  for (const TypedCommandRow& row : rows) {
    const double level = TypedRowLevel(row, sweep);
    if (!levels.empty() && levels.back().level == level) continue;
    levels.push_back({SampleTimeMs(file, TypedRowSample(row, file.sampleIntervalMs)), level});
  }
  return levels;
}

// Where a sweep's whole command comes from: typed by hand, the protocol, a recorded voltage, or
// nowhere.
enum class CommandSource { kTyped, kProtocol, kRecorded, kNone };

CommandSource CommandSourceOf(const AmplifierFile& file, const ImportChoices& choices) {
  if (!choices.typedCommand.empty()) return CommandSource::kTyped;
  if (VoltageCommandFactor(file) != 0) return CommandSource::kProtocol;
  return RecordedVoltageChannel(file, choices) != 0 ? CommandSource::kRecorded
                                                    : CommandSource::kNone;
}

std::vector<double> SweepTimes(const AmplifierFile& file) {
  std::vector<double> times;
  for (int64_t i = 0; i < file.sweepSamples; ++i) times.push_back(SampleTimeMs(file, i));
  return times;
}

}  // namespace

SweepShape TypedSweepShape(const AmplifierFile& file) {
  return {static_cast<double>(file.sweepSamples) * file.sampleIntervalMs, file.sampleIntervalMs};
}

double SampleTimeMs(const AmplifierFile& file, int64_t sample) {
  const double ms = file.startTimeMs + static_cast<double>(sample) * file.sampleIntervalMs;
  return 1000.0 * (ms / 1000.0);
}

std::vector<CommandLevel> SweepLevels(const AmplifierFile& file, const ImportChoices& choices,
                                      int sweep) {
  switch (CommandSourceOf(file, choices)) {
    case CommandSource::kTyped:
      return TypedLevels(file, choices.typedCommand, sweep);
    case CommandSource::kProtocol:
      return ProtocolLevels(file, sweep - 1, VoltageCommandFactor(file));
    case CommandSource::kRecorded: {
      const int channel = RecordedVoltageChannel(file, choices);
      const double factor = VoltageToMillivolts(file.channels[channel - 1].unit);
      std::vector<double> volts;
      for (double v : SweepSamples(file, sweep - 1, channel - 1)) volts.push_back(v * factor);
      return LevelsFromVoltages(SweepTimes(file), volts);
    }
    case CommandSource::kNone:
      break;
  }
  return {};
}

// From the protocol or else from a recorded voltage; the notice says which, or that the model
// takes the single step.
void TakeOverCommands(const AmplifierFile& file, const ImportChoices& choices, Recording* made) {
  made->commandLevels.clear();
  for (int sweep : choices.sweeps) made->commandLevels.push_back(SweepLevels(file, choices, sweep));
  const std::string why =
      file.protocolNote.empty() ? std::string("the file holds no protocol") : file.protocolNote;
  const std::string first =
      "sweep " + std::to_string(choices.sweeps[0]) + ": " + DescribeLevels(made->commandLevels[0]);
  switch (CommandSourceOf(file, choices)) {
    case CommandSource::kTyped:
      made->notices.push_back("The model follows the command typed by hand, \"" +
                              choices.typedCommand + "\"; " + first + ".");
      break;
    case CommandSource::kProtocol:
      made->notices.push_back(
          "The model follows each sweep's whole command as the protocol rebuilds it; " + first +
          ".");
      break;
    case CommandSource::kRecorded:
      made->notices.push_back("The command cannot be rebuilt (" + why +
                              "); the model follows the levels of the recorded " +
                              ChannelWords(file, RecordedVoltageChannel(file, choices)) + ", " +
                              first + ".");
      break;
    case CommandSource::kNone:
      made->notices.push_back("The command cannot be rebuilt (" + why +
                              ") and no voltage is recorded: the model takes the single step.");
      break;
  }
}

std::string SubtractedCurrents(const AmplifierFile& file, const ImportChoices& choices,
                               double currentFactor, std::vector<std::vector<double>>* currents,
                               std::vector<std::string>* notices) {
  if (choices.pnSweep != 0 && (choices.pnSweep < 1 || choices.pnSweep > file.sweeps))
    return "The P/N control sweep " + std::to_string(choices.pnSweep) +
           " does not exist: the file has " + std::to_string(file.sweeps) + " sweeps.";
  if (CommandSourceOf(file, choices) == CommandSource::kNone)
    return "The leak and the P/N control need the command, which cannot be rebuilt and is not "
           "recorded.";
  const std::vector<double> times = SweepTimes(file);
  const auto whole = [&](int sweep) {
    SweepTrace trace{SweepLevels(file, choices, sweep), {}};
    for (double i : SweepSamples(file, sweep - 1, choices.currentChannel - 1))
      trace.current.push_back(i * currentFactor);
    return trace;
  };
  std::vector<SweepTrace> sweeps;
  for (int sweep : choices.sweeps) sweeps.push_back(whole(sweep));
  std::vector<std::string> told;
  if (choices.pnSweep != 0) {
    const SweepTrace control = whole(choices.pnSweep);
    std::string scales;
    for (SweepTrace& sweep : sweeps) {
      double scale = 0;
      if (std::string why = SubtractControl(times, control, &sweep, &scale); !why.empty())
        return "The P/N control sweep " + std::to_string(choices.pnSweep) +
               " cannot be used: " + why + ".";
      scales += (scales.empty() ? "" : ", ") + Number(scale);
    }
    told.push_back("Sweep " + std::to_string(choices.pnSweep) +
                   " (its holding current removed) was scaled by each sweep's step over its own "
                   "and subtracted: " +
                   scales + ".");
  }
  if (choices.leak != LeakSubtraction::kNone) {
    LeakLine line;
    if (std::string why = FitLeak(times, sweeps, choices, &line); !why.empty())
      return "The leak cannot be taken out: " + why + ".";
    for (SweepTrace& sweep : sweeps) SubtractLeak(line, times, &sweep);
    told.push_back(choices.leak == LeakSubtraction::kHolding
                       ? "The mean current before the step, " + Number(line.offset) +
                             " nA, was taken out of every trace."
                       : "The leak, " + Number(line.conductance * 1000) + " nS reversing at " +
                             Number(line.reversal) +
                             " mV, was taken out of every trace along its command.");
  }
  currents->clear();
  for (SweepTrace& sweep : sweeps) currents->push_back(std::move(sweep.current));
  notices->insert(notices->end(), told.begin(), told.end());
  return "";
}
