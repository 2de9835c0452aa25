// The import choices given on the command line: each one set replaces the default the file
// suggests, so that a command needs to name only what differs from the dialog's defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "io/abf/abf_file.h"
#include "platform/import_choices.h"

struct ImportOptions {
  std::optional<std::vector<int>> sweeps;  // 1-based; an empty list: every sweep of the file
  std::optional<int> currentChannel;       // 1-based
  std::optional<VoltageSource> voltageSource;
  int voltageChannel = 0;             // 1-based, with kChannel
  std::vector<double> typedVoltages;  // --trace-v: the step voltages typed by hand (mV)
  std::optional<double> fromMs, toMs;
  std::optional<bool> average;          // a session's choice; the command line keeps the default
  std::optional<CommandMode> command;   // --command: what the model follows
  std::optional<LeakSubtraction> leak;  // --leak hold or FROM:TO
  double leakFromMs = 0, leakToMs = 0;
  std::optional<int> pnSweep;               // --pn SWEEP
  std::optional<bool> averageRepeats;       // --average: repeats of one command become one trace
  std::optional<std::string> typedCommand;  // --command-levels: the command typed by hand
  bool Any() const {
    return sweeps || currentChannel || voltageSource || fromMs || toMs || !typedVoltages.empty() ||
           leak || pnSweep || averageRepeats || typedCommand;
  }
};

ImportChoices ApplyImportOptions(const AmplifierFile& file, const ImportOptions& options);
