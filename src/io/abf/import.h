// An amplifier file made into a recording of up to six traces: the default choices, the
// import itself with its unit conversions, and the writer of the program's own text data file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/abf/abf_file.h"
#include "io/recording.h"
#include "platform/import_choices.h"
#include "platform/import_dialog.h"

// Conversion of a unit to the program's: the factor from the file's unit, 0 when the unit is
// not one of its kind. Currents: pA, nA, µA (or uA), mA, A to nA; voltages: µV, mV, V to mV.
double CurrentToNanoamps(std::string_view unit);
double VoltageToMillivolts(std::string_view unit);

// Six sweeps spread evenly over the family (all of a smaller one), the first channel in a
// current unit, and a channel in a voltage unit when there is one, else the command.
ImportChoices DefaultImportChoices(const AmplifierFile& file);

// The span the import keeps by default (ms from the sweep start): the step epoch in the first
// chosen sweep, or the whole sweep.
struct TimeSpan {
  double fromMs;
  double toMs;
};
TimeSpan DefaultSpan(const AmplifierFile& file, int firstSweep);  // 1-based sweep
double SweepEndMs(const AmplifierFile& file);  // time just past the last sample of a sweep

// Each sweep's step voltage in mV (the step epoch's level), or none without a voltage command.
std::vector<std::optional<double>> SweepStepVoltages(const AmplifierFile& file);

// Makes the recording; "" on success, otherwise what is missing or wrong (recording untouched).
// name is what the data-file field shows (the file's name).
std::string ImportRecording(const AmplifierFile& file, const ImportChoices& choices,
                            std::string_view name, Recording* recording);

// What the import dialog shows of a file, and the choices it starts from.
ImportDialogInput ImportDialogInputFor(const AmplifierFile& file, std::string_view fileName);

// A text that says where a recording came from and how (for the converted file's header).
std::string DescribeImport(const AmplifierFile& file, const ImportChoices& choices,
                           std::string_view fileName);

// The program's own text data file: 13 header lines (the description's lines first), the
// layout line, then rows of the time in s and the voltage (mV) and current (nA) of each trace,
// with every number written so that the text reader gives back the same double.
constexpr int kConvertedHeaderLines = 13;
std::string FormatRecordingAsText(const Recording& recording, std::string_view description);
