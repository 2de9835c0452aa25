// What the user chooses when an amplifier file becomes a recording: the sweeps, the current
// channel, where the trace voltages come from, the time span and the averaging. Plain data, so
// that the import dialog, the command line and the import itself share it.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Traces a recording made from an amplifier file may hold (each chosen sweep, or each group of
// averaged repeats): a bound on the workspace's trace arrays and on the work of one evaluation.
constexpr int kMaxImportedTraces = 64;

enum class VoltageSource {
  kChannel,  // a recorded voltage channel
  kCommand,  // the command rebuilt from the protocol
  kTyped,    // step voltages typed by hand, one per sweep
};

// How the model reads a trace's command: one step from each current's Vhold at the start of the
// analysis window (the text's evaluation), or the trace's whole command from the sweep's start.
enum class CommandMode {
  kSingle,
  kSteps,
};

// The leak taken out of every trace, as g (V - E) along its command.
enum class LeakSubtraction {
  kNone,
  kHolding,  // the mean current before the first step, taken out as a constant (g = 0)
  kRange,    // g and E fitted over the holding and a stretch where no active current flows
};

struct ImportChoices {
  std::vector<int> sweeps;  // 1-based sweep numbers, in the order of the traces
  int currentChannel = 1;   // 1-based
  VoltageSource voltageSource = VoltageSource::kCommand;
  int voltageChannel = 0;             // 1-based, with kChannel
  std::vector<double> typedVoltages;  // mV, one per chosen sweep, with kTyped
  // The whole command typed by hand ("-80; 10: -60 +10; 60: -80", model/typed_command.h): every
  // sweep's command when set, whatever the protocol or a recorded voltage says.
  std::string typedCommand;
  std::optional<double> fromMs;  // the span kept, from the sweep start; unset: the step,
  std::optional<double> toMs;    // or the whole sweep without a protocol
  bool average = true;          // a span of more samples than a trace holds is averaged down to fit
  bool averageRepeats = false;  // sweeps with the same command become one trace: their mean
  // What the model follows; with kSteps and no span chosen the whole sweep is kept.
  CommandMode command = CommandMode::kSteps;
  LeakSubtraction leak = LeakSubtraction::kNone;
  double leakFromMs = 0;  // with kRange: the stretch (ms from the sweep start) with no active
  double leakToMs = 0;    // current, in every chosen sweep
  int pnSweep = 0;  // 1-based: a sweep in which no channel opens, scaled by the command step and
                    // subtracted from every trace (P/N-style); 0: none
};
