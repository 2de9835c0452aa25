// An amplifier file made into a recording: the chosen sweeps, the current channel in nA, the
// trace voltages in mV from a recorded channel, the rebuilt command or typed values, the span
// kept and the averaging of neighbouring samples, with the defaults the dialog starts from.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>

#include "io/abf/import.h"
#include "io/abf/import_command.h"
#include "io/abf/repeats.h"
#include "model/command.h"
#include "model/model.h"
#include "model/typed_command.h"
#include "platform/number_text.h"

namespace {

constexpr double kSpanTolerance = 1e-9;  // of one sample interval: a span edge on a sample keeps it

struct UnitFactor {
  const char* unit;
  double factor;
};

constexpr UnitFactor kCurrentUnits[] = {{"pA", 1e-3}, {"nA", 1.0}, {"µA", 1e3},
                                        {"uA", 1e3},  {"mA", 1e6}, {"A", 1e9}};
constexpr UnitFactor kVoltageUnits[] = {{"µV", 1e-3}, {"uV", 1e-3}, {"mV", 1.0}, {"V", 1e3}};

template <size_t N>
double FactorOf(const UnitFactor (&table)[N], std::string_view unit) {
  for (const UnitFactor& entry : table) {
    if (unit == entry.unit) return entry.factor;
  }
  return 0;
}

// Where the kept samples of a span start and end (end exclusive).
void SpanSamples(const AmplifierFile& file, const TimeSpan& span, int64_t* first, int64_t* end) {
  const double dt = file.sampleIntervalMs;
  const auto index = [&](double ms) {
    const double at = std::ceil((ms - file.startTimeMs) / dt - kSpanTolerance);
    return static_cast<int64_t>(std::clamp(at, 0.0, static_cast<double>(file.sweepSamples)));
  };
  *first = index(span.fromMs);
  *end = index(span.toMs);
}

// The samples of a span are never gathered whole (a gap-free recording may hold tens of millions):
// each is computed where it is summed. value(j) is sample j of the span, in the program's unit.
using SpanValue = std::function<double(int64_t)>;

double MeanOver(int64_t count, const SpanValue& value) {
  long double sum = 0;
  for (int64_t j = 0; j < count; ++j) sum += value(j);
  return static_cast<double>(sum / static_cast<long double>(count));
}

// Averages groups of size neighbours (the last group may be shorter).
std::vector<double> AveragedOver(int64_t count, int64_t size, const SpanValue& value) {
  std::vector<double> out;
  out.reserve(static_cast<size_t>((count + size - 1) / size));
  for (int64_t start = 0; start < count; start += size) {
    const int64_t end = std::min(count, start + size);
    long double sum = 0;
    for (int64_t j = start; j < end; ++j) sum += value(j);
    out.push_back(static_cast<double>(sum / static_cast<long double>(end - start)));
  }
  return out;
}

std::string FirstNonFinite(int64_t count, const SpanValue& value, const char* what, int sweep) {
  for (int64_t j = 0; j < count; ++j) {
    if (!std::isfinite(value(j))) {
      return std::string("The ") + what + " of sweep " + std::to_string(sweep) + " is not a " +
             "number at sample " + std::to_string(j + 1) + " of the span.";
    }
  }
  return "";
}

// A time written in seconds that the text reader turns back into exactly ms (it multiplies by
// 1000): the nearest seconds value, or a neighbour of it when rounding needs one.
double SecondsThatReadBack(double ms) {
  const double seconds = ms / 1000.0;
  double candidate = seconds;
  for (int step = 0; step < 4; ++step) {
    if (1000.0 * candidate == ms) return candidate;
    candidate = std::nextafter(candidate, 1000.0 * candidate < ms ? INFINITY : -INFINITY);
  }
  return seconds;
}

void AppendShortest(std::string* text, double value) {
  *text += ShortestText(value);
}

// A typed command's step in a sweep (1-based): its first level after the holding level.
std::optional<double> TypedStep(const AmplifierFile& file, const ImportChoices& choices,
                                int sweep) {
  std::vector<TypedCommandRow> rows;
  if (choices.typedCommand.empty() ||
      !ParseTypedCommand(choices.typedCommand, TypedSweepShape(file), &rows).empty())
    return std::nullopt;
  return TypedRowLevel(rows[rows.size() > 1 ? 1 : 0], sweep);
}

}  // namespace

double VoltageCommandFactor(const AmplifierFile& file) {
  return file.protocol ? VoltageToMillivolts(file.protocol->commandUnit) : 0;
}

std::string Number(double value) {
  return SignificantText(value);
}

std::string ChannelWords(const AmplifierFile& file, int channel) {  // 1-based
  const AmplifierChannel& c = file.channels[channel - 1];
  return "channel " + std::to_string(channel) + " (" + c.name +
         (c.unit.empty() ? std::string(", no unit") : ", " + c.unit) + ")";
}

double CurrentToNanoamps(std::string_view unit) {
  return FactorOf(kCurrentUnits, unit);
}

double VoltageToMillivolts(std::string_view unit) {
  return FactorOf(kVoltageUnits, unit);
}

double SweepEndMs(const AmplifierFile& file) {
  return file.startTimeMs + static_cast<double>(file.sweepSamples) * file.sampleIntervalMs;
}

TimeSpan DefaultSpan(const AmplifierFile& file, int firstSweep) {
  TimeSpan span{file.startTimeMs, SweepEndMs(file)};
  if (!file.protocol || firstSweep < 1 || firstSweep > file.sweeps) return span;
  const std::optional<int> step = StepEpoch(*file.protocol, file.sweeps);
  if (!step) return span;
  const EpochSpan epoch = SweepEpochSpans(*file.protocol, file.sweepSamples, firstSweep - 1)[*step];
  span.fromMs = file.startTimeMs + static_cast<double>(epoch.start) * file.sampleIntervalMs;
  span.toMs = file.startTimeMs + static_cast<double>(epoch.end) * file.sampleIntervalMs;
  return span;
}

std::vector<std::optional<double>> SweepStepVoltages(const AmplifierFile& file) {
  std::vector<std::optional<double>> steps(file.sweeps);
  const double factor = VoltageCommandFactor(file);
  if (factor == 0) return steps;
  const std::optional<int> step = StepEpoch(*file.protocol, file.sweeps);
  if (!step) return steps;
  for (int s = 0; s < file.sweeps; ++s) {
    steps[s] = EpochLevel(file.protocol->epochs[*step], s) * factor;
  }
  return steps;
}

ImportChoices DefaultImportChoices(const AmplifierFile& file) {
  ImportChoices choices;
  const int shown = std::min(file.sweeps, kMaxTraces);
  for (int k = 0; k < shown; ++k) {
    const int index = shown == 1 ? 0
                                 : static_cast<int>(std::lround(static_cast<double>(k) *
                                                                (file.sweeps - 1) / (shown - 1)));
    choices.sweeps.push_back(index + 1);
  }
  const int channels = static_cast<int>(file.channels.size());
  for (int c = channels; c >= 1; --c) {
    if (CurrentToNanoamps(file.channels[c - 1].unit) != 0) choices.currentChannel = c;
  }
  choices.voltageSource =
      VoltageCommandFactor(file) != 0 ? VoltageSource::kCommand : VoltageSource::kTyped;
  for (int c = channels; c >= 1; --c) {
    if (VoltageToMillivolts(file.channels[c - 1].unit) != 0) {
      choices.voltageSource = VoltageSource::kChannel;
      choices.voltageChannel = c;
    }
  }
  return choices;
}

std::string ImportRecording(const AmplifierFile& file, const ImportChoices& choices,
                            std::string_view name, Recording* recording) {
  const int chosen = static_cast<int>(choices.sweeps.size());
  if (chosen < 1) return "Choose at least one sweep (none is chosen).";
  // Averaged, many repeats may become few traces: their count is checked once they are grouped.
  if (chosen > kMaxRecordingTraces && !choices.averageRepeats) {
    return "Choose at most " + std::to_string(kMaxRecordingTraces) + " sweeps (" +
           std::to_string(chosen) + " are chosen), or average repeats of one command.";
  }
  for (int k = 0; k < chosen; ++k) {
    const int sweep = choices.sweeps[k];
    if (sweep < 1 || sweep > file.sweeps) {
      return "Sweep " + std::to_string(sweep) + " does not exist: the file has " +
             std::to_string(file.sweeps) + (file.sweeps == 1 ? " sweep." : " sweeps.");
    }
    if (std::count(choices.sweeps.begin(), choices.sweeps.end(), sweep) > 1) {
      return "Sweep " + std::to_string(sweep) + " is chosen twice.";
    }
  }
  const int channels = static_cast<int>(file.channels.size());
  if (choices.currentChannel < 1 || choices.currentChannel > channels) {
    return "There is no channel " + std::to_string(choices.currentChannel) + ": the file has " +
           std::to_string(channels) + ".";
  }
  const double currentFactor = CurrentToNanoamps(file.channels[choices.currentChannel - 1].unit);
  if (currentFactor == 0) {
    return "The current channel must be in a current unit (pA, nA, µA, A); " +
           ChannelWords(file, choices.currentChannel) + " is not.";
  }

  std::vector<TypedCommandRow> typedRows;
  if (!choices.typedCommand.empty()) {
    if (std::string why =
            ParseTypedCommand(choices.typedCommand, TypedSweepShape(file), &typedRows);
        !why.empty())
      return "The typed command cannot be followed: " + why + ".";
  }
  // Without typed step voltages, a typed command gives each sweep's step.
  const bool stepsFromTypedCommand = choices.voltageSource == VoltageSource::kTyped &&
                                     !typedRows.empty() && choices.typedVoltages.empty();

  double voltageFactor = 1;
  switch (choices.voltageSource) {
    case VoltageSource::kChannel:
      if (choices.voltageChannel < 1 || choices.voltageChannel > channels) {
        return "There is no voltage channel " + std::to_string(choices.voltageChannel) +
               ": the file has " + std::to_string(channels) + " channels.";
      }
      voltageFactor = VoltageToMillivolts(file.channels[choices.voltageChannel - 1].unit);
      if (voltageFactor == 0) {
        return "The voltage channel must be in a voltage unit (mV, V, µV); " +
               ChannelWords(file, choices.voltageChannel) + " is not.";
      }
      break;
    case VoltageSource::kCommand:
      if (!file.protocol) {
        return "The command voltage cannot be rebuilt: " +
               (file.protocolNote.empty() ? std::string("the file holds no protocol")
                                          : file.protocolNote) +
               ". Choose a recorded voltage channel or type the step voltages.";
      }
      voltageFactor = VoltageCommandFactor(file);
      if (voltageFactor == 0) {
        return "The protocol's command (" + file.protocol->commandName + ", " +
               (file.protocol->commandUnit.empty() ? std::string("no unit")
                                                   : file.protocol->commandUnit) +
               ") is not a voltage. Choose a recorded voltage channel or type the step voltages.";
      }
      break;
    case VoltageSource::kTyped:
      if (stepsFromTypedCommand) break;
      if (static_cast<int>(choices.typedVoltages.size()) != chosen) {
        return "The step voltages are missing: type one for each of the " + std::to_string(chosen) +
               " chosen sweeps (" + std::to_string(choices.typedVoltages.size()) + " given).";
      }
      for (double v : choices.typedVoltages) {
        if (!std::isfinite(v)) return "A typed step voltage is not a number.";
      }
      break;
  }

  std::vector<std::vector<int>> groups;  // per trace: the chosen sweeps (indices) it averages
  if (choices.averageRepeats) {
    std::vector<std::vector<CommandLevel>> commands;
    for (int sweep : choices.sweeps) {
      commands.push_back(SweepLevels(file, choices, sweep));
      if (commands.back().empty())
        return "Repeats are found by their command, which cannot be rebuilt and is not recorded; "
               "import without averaging repeats.";
    }
    groups = RepeatGroups(commands, file.sampleIntervalMs);
  } else {
    for (int k = 0; k < chosen; ++k) groups.push_back({k});
  }
  const int traces = static_cast<int>(groups.size());
  if (traces > kMaxRecordingTraces) {
    return "The chosen sweeps hold " + std::to_string(traces) + " different commands; a " +
           "recording holds at most " + std::to_string(kMaxRecordingTraces) + " traces.";
  }
  // The first sweep of each trace stands for its command, span and step voltage.
  ImportChoices firsts = choices;
  firsts.sweeps.clear();
  firsts.typedVoltages.clear();
  for (const std::vector<int>& group : groups) {
    firsts.sweeps.push_back(choices.sweeps[group.front()]);
    if (choices.voltageSource == VoltageSource::kTyped && !stepsFromTypedCommand)
      firsts.typedVoltages.push_back(choices.typedVoltages[group.front()]);
  }

  const bool steps = choices.command == CommandMode::kSteps;
  // Following the whole command, the whole sweep is kept: the window then picks any part of it.
  TimeSpan span =
      steps ? TimeSpan{file.startTimeMs, SweepEndMs(file)} : DefaultSpan(file, choices.sweeps[0]);
  if (choices.fromMs) span.fromMs = *choices.fromMs;
  if (choices.toMs) span.toMs = *choices.toMs;
  const double sweepEnd = SweepEndMs(file);
  if (!(span.fromMs < span.toMs)) {
    return "The span must end after it starts (from " + Number(span.fromMs) + " to " +
           Number(span.toMs) + " ms).";
  }
  int64_t first = 0, end = 0;
  SpanSamples(file, span, &first, &end);
  if (end <= first) {
    return "The span from " + Number(span.fromMs) + " to " + Number(span.toMs) +
           " ms holds no sample: a sweep runs from " + Number(file.startTimeMs) + " to " +
           Number(sweepEnd) + " ms.";
  }
  const int64_t count = end - first;
  int64_t group = 1;
  if (count > kMaxPoints) {
    if (!choices.average) {
      return "The span holds " + std::to_string(count) + " samples; a trace holds at most " +
             std::to_string(kMaxPoints) + ". Shorten the span or average neighbouring samples.";
    }
    group = (count + kMaxPoints - 1) / kMaxPoints;
  }

  Recording made;
  made.times = AveragedOver(count, group, [&](int64_t j) {
    return file.startTimeMs + static_cast<double>(first + j) * file.sampleIntervalMs;
  });
  // Each time as the text reader gives it back from the seconds a converted file holds.
  for (double& t : made.times) t = 1000.0 * (t / 1000.0);
  made.traces = traces;
  made.pairsStored = traces;
  made.ResizePairs(traces);
  std::vector<std::vector<double>> subtracted;  // whole sweeps, when anything is taken out
  if (choices.leak != LeakSubtraction::kNone || choices.pnSweep != 0) {
    if (std::string why =
            SubtractedCurrents(file, choices, currentFactor, &subtracted, &made.notices);
        !why.empty())
      return why;
  }
  // At least six: the trace-voltage fields beyond the last trace repeat its voltage.
  std::vector<double> stepVoltages(static_cast<size_t>(std::max(traces, kMaxTraces)));
  const std::optional<int> stepEpoch =
      file.protocol ? StepEpoch(*file.protocol, file.sweeps) : std::nullopt;
  // Subtraction comes before averaging: each sweep's own P/N control scale and leak are taken out
  // of the sweep itself, and a mean of subtracted sweeps is the subtracted mean.
  const auto currentOf = [&](int member) {
    const int sweep = choices.sweeps[member];
    return subtracted.empty()
               ? SpanValue([&, sweep](int64_t j) {
                   return SampleAt(file, sweep - 1, choices.currentChannel - 1, first + j) *
                          currentFactor;
                 })
               : SpanValue([&, member](int64_t j) { return subtracted[member][first + j]; });
  };
  const auto voltageOf = [&](int member) {
    const int sweep = choices.sweeps[member];
    return SpanValue([&, sweep](int64_t j) {
      return SampleAt(file, sweep - 1, choices.voltageChannel - 1, first + j) * voltageFactor;
    });
  };
  for (int k = 0; k < traces; ++k) {
    const std::vector<int>& trace = groups[k];
    const int sweep = choices.sweeps[trace.front()];
    std::vector<SpanValue> memberCurrents, memberVoltages;
    for (int member : trace) {
      memberCurrents.push_back(currentOf(member));
      if (choices.voltageSource == VoltageSource::kChannel)
        memberVoltages.push_back(voltageOf(member));
    }
    const auto meanOf = [](const std::vector<SpanValue>& parts) {
      if (parts.size() == 1) return parts.front();
      return SpanValue([&parts](int64_t j) {
        long double sum = 0;
        for (const SpanValue& part : parts) sum += part(j);
        return static_cast<double>(sum / static_cast<long double>(parts.size()));
      });
    };
    for (size_t m = 0; m < trace.size(); ++m) {
      const int memberSweep = choices.sweeps[trace[m]];
      std::string problem = FirstNonFinite(count, memberCurrents[m], "current", memberSweep);
      if (problem.empty() && !memberVoltages.empty())
        problem = FirstNonFinite(count, memberVoltages[m], "voltage", memberSweep);
      if (!problem.empty()) return problem;
    }
    const SpanValue current = meanOf(memberCurrents);
    SpanValue voltage;
    std::vector<double> command;
    std::vector<CommandLevel> typedLevels;
    if (choices.voltageSource == VoltageSource::kChannel) {
      voltage = meanOf(memberVoltages);
      // Over a whole sweep the mean mixes every level; the protocol's step says what it is.
      const std::optional<double> protocolStep =
          steps ? SweepStepVoltages(file)[sweep - 1] : std::nullopt;
      stepVoltages[k] = protocolStep ? *protocolStep : MeanOver(count, voltage);
    } else if (choices.voltageSource == VoltageSource::kCommand && !typedRows.empty()) {
      // The command typed by hand stands in for the protocol's, in the column too.
      typedLevels = SweepLevels(file, choices, sweep);
      voltage = [&](int64_t j) {
        return CommandVoltageAt(typedLevels, SampleTimeMs(file, first + j));
      };
    } else if (choices.voltageSource == VoltageSource::kCommand) {
      command = CommandWaveform(*file.protocol, file.sweepSamples, sweep - 1);
      voltage = [&](int64_t j) { return command[first + j] * voltageFactor; };
      stepVoltages[k] =
          stepEpoch ? EpochLevel(file.protocol->epochs[*stepEpoch], sweep - 1) * voltageFactor
                    : MeanOver(count, voltage);
    } else {
      stepVoltages[k] =
          stepsFromTypedCommand ? *TypedStep(file, choices, sweep) : firsts.typedVoltages[k];
      voltage = [&](int64_t) { return stepVoltages[k]; };
    }
    // A typed command says what the step is, unless step voltages are typed as well.
    if (!typedRows.empty() && firsts.typedVoltages.empty())
      stepVoltages[k] = *TypedStep(file, choices, sweep);
    made.currents[k] = AveragedOver(count, group, current);
    made.voltages[k] = AveragedOver(count, group, voltage);
  }
  for (int k = traces; k < kMaxTraces; ++k) stepVoltages[k] = stepVoltages[traces - 1];
  made.stepVoltages = std::move(stepVoltages);
  const double holdingFactor = VoltageCommandFactor(file);
  if (!typedRows.empty())
    made.holdingLevel = typedRows.front().level;
  else if (holdingFactor != 0)
    made.holdingLevel = file.protocol->holdingLevel * holdingFactor;
  made.name = std::string(name);
  made.commandMode = choices.command;
  if (steps) TakeOverCommands(file, firsts, &made);
  // The command column then holds the rebuilt command at each kept time, not a mean over a
  // group of samples that may straddle a level's start.
  if (steps && (choices.voltageSource == VoltageSource::kCommand || stepsFromTypedCommand)) {
    for (int k = 0; k < traces; ++k) {
      if (made.commandLevels[k].empty()) continue;
      for (size_t i = 0; i < made.times.size(); ++i)
        made.voltages[k][i] = CommandVoltageAt(made.commandLevels[k], made.times[i]);
    }
  }
  if (!steps && !choices.fromMs && !choices.toMs && stepEpoch) {
    for (int k = 1; k < traces; ++k) {
      const TimeSpan own = DefaultSpan(file, firsts.sweeps[k]);
      if (own.fromMs != span.fromMs || own.toMs != span.toMs) {
        made.notices.push_back(
            "The step does not start and end at the same times in every "
            "chosen sweep; the span kept is that of sweep " +
            std::to_string(choices.sweeps[0]) + ".");
        break;
      }
    }
  }
  if (choices.averageRepeats) made.notices.push_back(DescribeRepeats(groups, choices.sweeps));
  if (traces > kMaxTraces) {
    made.notices.push_back(std::to_string(traces) +
                           " traces are shown and fitted; the trace-voltage fields and the "
                           "parameter file keep the step voltages of the first " +
                           std::to_string(kMaxTraces) + ".");
  }
  if (group > 1) {
    made.notices.push_back("The span holds " + std::to_string(count) + " samples per trace; " +
                           "each point is the mean of " + std::to_string(group) +
                           " neighbouring samples.");
  }
  *recording = std::move(made);
  return "";
}

std::string DescribeImport(const AmplifierFile& file, const ImportChoices& choices,
                           std::string_view fileName) {
  std::string text = "Converted from " + std::string(fileName) + " (" + file.format + ", " +
                     (file.gapFree ? "gap-free" : std::to_string(file.sweeps) + " sweeps") +
                     " of " + Number(SweepEndMs(file) - file.startTimeMs) +
                     " ms, sample interval " + Number(file.sampleIntervalMs) + " ms)\n";
  text += "Sweeps:";
  for (size_t k = 0; k < choices.sweeps.size(); ++k) {
    text += (k ? ", " : " ") + std::to_string(choices.sweeps[k]);
  }
  text += "\n";
  if (choices.averageRepeats)
    text += "Repeats: sweeps with the same command averaged into one trace\n";
  const auto channel = [&](int c) {
    if (c < 1 || c > static_cast<int>(file.channels.size())) return std::string("none");
    return file.channels[c - 1].name + " (" + file.channels[c - 1].unit + ")";
  };
  text += "Current: " + channel(choices.currentChannel) + ", written in nA\n";
  const bool typedCommandIsVoltage =
      !choices.typedCommand.empty() &&
      (choices.voltageSource == VoltageSource::kCommand ||
       (choices.voltageSource == VoltageSource::kTyped && choices.typedVoltages.empty()));
  switch (typedCommandIsVoltage ? VoltageSource::kTyped : choices.voltageSource) {
    case VoltageSource::kChannel:
      text += "Voltage: recorded " + channel(choices.voltageChannel) + ", written in mV\n";
      break;
    case VoltageSource::kCommand:
      text += "Voltage: the command rebuilt from the protocol" +
              (file.protocol ? " (" + file.protocol->commandName + ")" : std::string()) + "\n";
      break;
    case VoltageSource::kTyped:
      text += typedCommandIsVoltage ? "Voltage: the command typed by hand\n"
                                    : "Voltage: step voltages typed by hand\n";
      break;
  }
  if (!choices.typedCommand.empty())
    text += "Command typed by hand: " + choices.typedCommand + "\n";
  const TimeSpan span = choices.command == CommandMode::kSteps
                            ? TimeSpan{file.startTimeMs, SweepEndMs(file)}
                            : DefaultSpan(file, choices.sweeps.empty() ? 1 : choices.sweeps[0]);
  text += "Span: " + Number(choices.fromMs.value_or(span.fromMs)) + " to " +
          Number(choices.toMs.value_or(span.toMs)) + " ms from the sweep start" +
          (choices.average ? ", averaged down to at most " + std::to_string(kMaxPoints) +
                                 " points per trace when longer"
                           : std::string()) +
          "\n";
  if (choices.pnSweep != 0)
    text += "P/N: sweep " + std::to_string(choices.pnSweep) +
            " scaled by each sweep's step and subtracted\n";
  if (choices.leak == LeakSubtraction::kHolding)
    text += "Leak: the mean holding current taken out\n";
  if (choices.leak == LeakSubtraction::kRange)
    text += "Leak: g (V - E) fitted over the holding and " + Number(choices.leakFromMs) + " to " +
            Number(choices.leakToMs) + " ms, taken out\n";
  return text;
}

std::string FormatRecordingAsText(const Recording& recording, std::string_view description) {
  std::vector<std::string> header;
  while (!description.empty()) {
    const size_t end = description.find('\n');
    std::string line(description.substr(0, end));
    std::replace(line.begin(), line.end(), '\r', ' ');
    header.push_back(line);
    description.remove_prefix(end == std::string_view::npos ? description.size() : end + 1);
  }
  std::vector<std::string> facts;
  facts.push_back("Traces: " + std::to_string(recording.traces) +
                  ", samples per trace: " + std::to_string(recording.times.size()));
  std::string steps = "Step voltages (mV):";
  for (int k = 0; k < recording.traces; ++k) {
    steps += " ";
    if (recording.stepVoltages) {
      AppendShortest(&steps, (*recording.stepVoltages)[k]);
    } else {
      steps += "-";
    }
  }
  facts.push_back(steps);
  std::string holding = "Holding level (mV): ";
  if (recording.holdingLevel) {
    AppendShortest(&holding, *recording.holdingLevel);
  } else {
    holding += "none";
  }
  facts.push_back(holding);
  facts.push_back("Columns: time (s), then voltage (mV) and current (nA) of each trace");
  // The description gives way to the facts: its surplus lines are joined onto its last line.
  const size_t room = kConvertedHeaderLines - facts.size();
  while (header.size() > room) {
    header[header.size() - 2] += "; " + header.back();
    header.pop_back();
  }
  header.insert(header.end(), facts.begin(), facts.end());
  header.resize(kConvertedHeaderLines);

  std::string text;
  for (const std::string& line : header) text += line + "\n";
  text += "Time (s)";
  for (int k = 1; k <= recording.traces; ++k) {
    text += "\tV" + std::to_string(k) + " (mV)\tI" + std::to_string(k) + " (nA)";
  }
  text += "\n";
  for (size_t i = 0; i < recording.times.size(); ++i) {
    AppendShortest(&text, SecondsThatReadBack(recording.times[i]));
    for (int k = 0; k < recording.traces; ++k) {
      text += '\t';
      AppendShortest(&text, recording.voltages[k][i]);
      text += '\t';
      AppendShortest(&text, recording.currents[k][i]);
    }
    text += '\n';
  }
  return text;
}
