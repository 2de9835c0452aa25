// A trace's whole command as the model follows it: levels read from a sampled voltage, and the
// command cut into pieces of one voltage each (a ramp into short steps) for the evaluation.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/recording.h"

// A jump of more than this between samples of a recorded or written voltage starts a new level:
// well above the noise of an amplifier's voltage output (a few tenths of a mV) and below the
// smallest step of a protocol family (5 mV in the usual ones).
constexpr double kCommandToleranceMv = 2.0;

// One stretch of a command at one voltage, from startMs until the next piece starts.
struct CommandPiece {
  double startMs;
  double v;  // mV
};

// The levels of a sampled voltage: a sample further than the tolerance from the mean of the
// level so far starts a new level, at that sample's time; each level holds its samples' mean.
std::vector<CommandLevel> LevelsFromVoltages(std::span<const double> times,
                                             std::span<const double> voltages,
                                             double toleranceMv = kCommandToleranceMv);

// The command as pieces of one voltage: a step is one piece, a ramp is cut into pieces of at most
// maxPieceMs, each at the ramp's voltage at its middle. into keeps its storage between calls.
void CommandPieces(std::span<const CommandLevel> levels, double maxPieceMs,
                   std::vector<CommandPiece>* into);

// The voltage the command holds at time t (a ramp at its exact value).
double CommandVoltageAt(std::span<const CommandLevel> levels, double t);

// For a family whose commands differ in one level only (a prepulse family, a family of steps
// before a common tail): when time t lies in a later level, common to every trace, each trace's
// level that differs; nothing otherwise (t in or before that level, commands that do not line up).
std::optional<std::vector<double>> ConditioningLevels(const std::vector<TraceCommand>& commands,
                                                      double t);

// "-35 mV from 0 ms, -145 mV from 200 ms, ..." for the notices.
std::string DescribeLevels(std::span<const CommandLevel> levels);
