// The dialog that asks how an amplifier file (ABF, ATF) becomes a recording: which sweeps, the
// current channel, the voltage source, the span and the averaging. Plain types only:
// the caller describes the file, the dialog answers with the choices or nothing (cancelled).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/import_choices.h"

struct ImportDialogChannel {
  std::string name;  // "IN 0"
  std::string unit;  // "pA"
  bool isCurrent;    // in a current unit
  bool isVoltage;    // in a voltage unit
};

// One sweep as the preview draws it, at the preview's times: a thinned copy, never the whole file.
struct ImportPreviewSweep {
  // nA, per channel (0-based); empty for a channel not in a current unit.
  std::vector<std::vector<double>> currents;
  // mV, per voltage choice: [0] the command with the protocol's output (or, without a protocol,
  // the first recorded voltage); [c] the command when recorded channel c is the voltage, kept
  // only where it differs from [0]. Empty when the command cannot be known.
  std::vector<std::vector<double>> commands;
};

// What the dialog shows of the file.
struct ImportDialogInput {
  std::string fileName;  // the window title names it
  std::string summary;   // one line: format, sweeps, sample rate
  std::vector<ImportDialogChannel> channels;
  std::vector<std::optional<double>> sweepSteps;  // per sweep: the step voltage (mV), if known
  bool hasCommand = false;  // the command voltage can be rebuilt from the protocol
  std::string commandName;  // the protocol's output ("Cmd 0")
  std::string commandNote;  // why the command cannot be rebuilt, when it cannot
  double sweepStartMs = 0;  // a sweep's span
  double sweepEndMs = 0;
  double stepFromMs = 0;  // the default span: the step, or the whole sweep
  double stepToMs = 0;
  double sampleIntervalMs = 0;
  ImportChoices defaults;                   // what the dialog starts from
  std::vector<double> previewTimes;         // ms from the sweep start, shared by every sweep
  std::vector<ImportPreviewSweep> preview;  // per sweep (empty without a current channel)
  // Reads a command typed by hand: "" and, when asked, a sweep's (1-based) command at the
  // preview's times, or what is wrong with the text.
  std::function<std::string(const std::string& text, int sweep, std::vector<double>* command)>
      typedCommand;
};

// Shows the dialog modally; the choices when the user presses Import, nothing on Cancel. With
// no person to ask (headless), it is cancelled; in tests a queued answer stands in for one.
std::optional<ImportChoices> ShowImportDialog(const ImportDialogInput& input);
