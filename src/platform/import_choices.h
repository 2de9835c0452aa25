// What the user chooses when an amplifier file becomes a recording: the sweeps, the current
// channel, where the trace voltages come from, the time span and the averaging. Plain data, so
// that the import dialog, the command line and the import itself share it.
#pragma once

#include <optional>
#include <vector>

enum class VoltageSource {
  kChannel,  // a recorded voltage channel
  kCommand,  // the command rebuilt from the protocol
  kTyped,    // step voltages typed by hand, one per sweep
};

struct ImportChoices {
  std::vector<int> sweeps;  // 1-based sweep numbers, one to six, in the order of the traces
  int currentChannel = 1;   // 1-based
  VoltageSource voltageSource = VoltageSource::kCommand;
  int voltageChannel = 0;             // 1-based, with kChannel
  std::vector<double> typedVoltages;  // mV, one per chosen sweep, with kTyped
  std::optional<double> fromMs;       // the span kept, from the sweep start; unset: the step,
  std::optional<double> toMs;         // or the whole sweep without a protocol
  bool average = true;  // a span of more samples than a trace holds is averaged down to fit
};
