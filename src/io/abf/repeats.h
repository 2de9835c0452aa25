// Repeats of one command among the chosen sweeps: which sweeps the import averages into one
// trace, and the notice that says how many went into each.
#pragma once

#include <string>
#include <vector>

#include "model/recording.h"

// Two commands are one when they hold the same levels (ramps where ramps are) starting at the
// same times: levels within this of each other (half the tolerance that splits a recorded
// voltage into levels), starts within one sample interval.
constexpr double kRepeatLevelTolerance = 1.0;  // mV

bool SameCommand(const std::vector<CommandLevel>& a, const std::vector<CommandLevel>& b,
                 double sampleIntervalMs);
// The chosen sweeps grouped by command, each group in the order of the sweeps, the groups in the
// order of their first sweep; members are indices into commands (one per chosen sweep).
std::vector<std::vector<int>> RepeatGroups(const std::vector<std::vector<CommandLevel>>& commands,
                                           double sampleIntervalMs);
// "Sweeps with the same command were averaged: trace 1: mean of 20 sweeps (1, 3, ...); ..."
std::string DescribeRepeats(const std::vector<std::vector<int>>& groups,
                            const std::vector<int>& sweeps);
