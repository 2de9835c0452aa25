// The levels of a sampled voltage, and the command cut into pieces for the evaluation.
#include "model/command.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/number_text.h"

std::vector<CommandLevel> LevelsFromVoltages(std::span<const double> times,
                                             std::span<const double> voltages, double toleranceMv) {
  std::vector<CommandLevel> levels;
  const size_t count = std::min(times.size(), voltages.size());
  double sum = 0;
  size_t held = 0;
  for (size_t n = 0; n < count; ++n) {
    const double v = voltages[n];
    // The level's mean, not its first sample, is the reference, so noise cannot walk it away.
    if (held > 0 && std::fabs(v - sum / static_cast<double>(held)) <= toleranceMv) {
      sum += v;
      ++held;
      levels.back().level = sum / static_cast<double>(held);
      continue;
    }
    levels.push_back({times[n], v, false});
    sum = v;
    held = 1;
  }
  return levels;
}

void CommandPieces(std::span<const CommandLevel> levels, double maxPieceMs,
                   std::vector<CommandPiece>* into) {
  into->clear();
  for (size_t i = 0; i < levels.size(); ++i) {
    const CommandLevel& level = levels[i];
    const bool last = i + 1 == levels.size();
    if (!level.ramp || last || i == 0 || !(maxPieceMs > 0)) {
      into->push_back({level.startMs, level.level});
      continue;
    }
    const double from = levels[i - 1].level;
    const double length = levels[i + 1].startMs - level.startMs;
    if (!(length > 0)) continue;
    const double pieces = std::ceil(length / maxPieceMs);
    for (double k = 0; k < pieces; ++k) {
      const double start = level.startMs + length * k / pieces;
      const double middle = (k + 0.5) / pieces;
      into->push_back({start, from + (level.level - from) * middle});
    }
  }
}

double CommandVoltageAt(std::span<const CommandLevel> levels, double t) {
  if (levels.empty()) return 0;
  size_t i = 0;
  while (i + 1 < levels.size() && levels[i + 1].startMs <= t) ++i;
  const CommandLevel& level = levels[i];
  if (!level.ramp || i == 0 || i + 1 == levels.size()) return level.level;
  const double from = levels[i - 1].level;
  const double fraction = (t - level.startMs) / (levels[i + 1].startMs - level.startMs);
  return from + (level.level - from) * fraction;
}

std::string DescribeLevels(std::span<const CommandLevel> levels) {
  std::string text;
  for (const CommandLevel& level : levels) {
    if (!text.empty()) text += ", ";
    text += (level.ramp ? "a ramp to " : "") + SignificantText(level.level) + " mV from " +
            SignificantText(level.startMs) + " ms";
  }
  return text;
}

std::optional<std::vector<double>> ConditioningLevels(const std::vector<TraceCommand>& commands,
                                                      double t) {
  if (commands.size() < 2) return std::nullopt;
  const std::vector<CommandLevel>& first = commands[0].levels;
  std::optional<size_t> differing;
  for (size_t i = 0; i < first.size(); ++i) {
    bool differs = false;
    for (const TraceCommand& command : commands) {
      if (command.levels.size() != first.size() || command.levels[i].startMs != first[i].startMs)
        return std::nullopt;  // levels that start at other times do not line up
      differs = differs || command.levels[i].level != first[i].level;
    }
    if (!differs) continue;
    if (differing) return std::nullopt;  // more than one level differs
    differing = i;
  }
  size_t at = 0;
  while (at + 1 < first.size() && first[at + 1].startMs <= t) ++at;
  if (!differing || first.empty() || first[0].startMs > t || at <= *differing) return std::nullopt;
  std::vector<double> levels;
  for (const TraceCommand& command : commands) levels.push_back(command.levels[*differing].level);
  return levels;
}
