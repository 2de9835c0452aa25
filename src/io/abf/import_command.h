// What the import's files share: a sample's time on the program's axis, the words for a channel
// and a number, the protocol's command in mV, and each chosen sweep's whole command with the leak
// and the P/N control taken out of its current.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/abf/abf_file.h"
#include "model/recording.h"
#include "model/typed_command.h"
#include "platform/import_choices.h"

std::string ChannelWords(const AmplifierFile& file, int channel);  // "channel 2 (AO #0, mV)"
std::string Number(double value);                                  // six significant digits
double VoltageCommandFactor(const AmplifierFile& file);  // command units to mV; 0: not a voltage

// A sample's time on the program's axis, as the import writes it and the text reader reads it.
double SampleTimeMs(const AmplifierFile& file, int64_t sample);
// The sweep a typed command must fit in: its length and sample interval.
SweepShape TypedSweepShape(const AmplifierFile& file);
// A sweep's (1-based) whole command in mV; empty when it cannot be known.
std::vector<CommandLevel> SweepLevels(const AmplifierFile& file, const ImportChoices& choices,
                                      int sweep);
// Each chosen sweep's whole command into the recording, with a notice of where it came from.
void TakeOverCommands(const AmplifierFile& file, const ImportChoices& choices, Recording* made);
// The chosen sweeps' currents over the whole sweep in nA, the leak and the control sweep taken
// out as chosen; notices say what was taken out. "" or what is missing (nothing is changed).
std::string SubtractedCurrents(const AmplifierFile& file, const ImportChoices& choices,
                               double currentFactor, std::vector<std::vector<double>>* currents,
                               std::vector<std::string>* notices);
