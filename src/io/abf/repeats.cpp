// Repeats of one command among the chosen sweeps, found by comparing their whole commands.
#include "io/abf/repeats.h"

#include <cmath>

bool SameCommand(const std::vector<CommandLevel>& a, const std::vector<CommandLevel>& b,
                 double sampleIntervalMs) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].ramp != b[i].ramp || !(std::abs(a[i].level - b[i].level) <= kRepeatLevelTolerance) ||
        !(std::abs(a[i].startMs - b[i].startMs) <= sampleIntervalMs))
      return false;
  }
  return true;
}

std::vector<std::vector<int>> RepeatGroups(const std::vector<std::vector<CommandLevel>>& commands,
                                           double sampleIntervalMs) {
  std::vector<std::vector<int>> groups;
  for (int k = 0; k < static_cast<int>(commands.size()); ++k) {
    bool placed = false;
    // Compared with each group's first sweep, so that a slow drift cannot chain unlike sweeps.
    for (std::vector<int>& group : groups) {
      if (SameCommand(commands[group.front()], commands[k], sampleIntervalMs)) {
        group.push_back(k);
        placed = true;
        break;
      }
    }
    if (!placed) groups.push_back({k});
  }
  return groups;
}

std::string DescribeRepeats(const std::vector<std::vector<int>>& groups,
                            const std::vector<int>& sweeps) {
  if (groups.size() == sweeps.size())
    return "No two chosen sweeps have the same command: nothing was averaged.";
  std::string text = "Sweeps with the same command were averaged:";
  for (size_t g = 0; g < groups.size(); ++g) {
    const size_t n = groups[g].size();
    text += (g ? "; trace " : " trace ") + std::to_string(g + 1) + ": ";
    text += n == 1 ? "sweep " + std::to_string(sweeps[groups[g][0]])
                   : "mean of " + std::to_string(n) + " sweeps (";
    for (size_t m = 0; n > 1 && m < n; ++m)
      text += (m ? ", " : "") + std::to_string(sweeps[groups[g][m]]);
    if (n > 1) text += ")";
  }
  return text + ".";
}
