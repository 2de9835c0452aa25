// Files in and out: the data file reader, the parameter file writer and reader, and the
// clipboard report of the model currents. The readers return what they read; the take-over into
// the workspace and the panels is the menu's file commands' (app/pavik.h).
#pragma once

#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "io/recording.h"
#include "model/model.h"
#include "model/param_table.h"

// ---- data file (datafile.cpp) ----
// A data file read: the recording, or the message that says why none could be read.
struct DataFileRead {
  Recording recording;  // at least one row when error is empty; empty otherwise
  std::string error;    // "" on success
};
// Reads the text or bytes of a data file: headerLines lines of header, the layout line, the
// rows. Safe on any bytes.
DataFileRead ReadDataText(std::string_view bytes, int headerLines);
// Reads the data file at path the same way as it streams in, the path as the recording's name;
// a device is refused, a pipe given on purpose is read.
DataFileRead ReadDataFileAt(const std::string& path, int headerLines);

// ---- amplifier files (amplifier_file.cpp) ----
struct ImportOptions;
struct AmplifierFile;
// An amplifier file is read whole into memory; a larger file is refused before it is parsed.
constexpr size_t kMaxAmplifierFileBytes = size_t{1} << 30;
bool IsAmplifierPath(const std::string& path);  // a regular file whose first bytes mark ABF/ATF
std::string ReadAmplifierPath(const std::string& path, AmplifierFile* file);  // "" or why not
// The file as the program's own text data file; "" or why it cannot be converted. notices
// receive what the user should know of the file (values no amplifier produces).
std::string ConvertAmplifierFile(const std::string& path, const ImportOptions& options,
                                 std::string* text, std::vector<std::string>* notices);

// ---- parameter file (paramfile*.cpp) ----
// The layout: line 1 the dynamic-clamp globals and integers, lines 2 to 11 one line per current,
// line 12 the holding potentials, line 13 the trace voltages, line 14 the fit flags, line 15 the
// names. 4 + 6 + 10 x 24 + 10 + 6 + 10 numbers come before the names.
constexpr int kCurrentLineColumns = 24;  // numbers on the line of one current
// The parameters at the start of a current's line, in the file's order (not the record's):
// Gmax, p, q and Erev first, limits low before high; Vhold is on line 12. The report lists them
// in the same order, after Vhold. The dynamic-clamp settings of the current follow them.
inline constexpr ParamField kCurrentLineFields[] = {
    ParamField::Gmax, ParamField::p,    ParamField::q,    ParamField::Erev,
    ParamField::Vm,   ParamField::Vh,   ParamField::Km,   ParamField::Kh,
    ParamField::Vtm,  ParamField::Vth,  ParamField::Ktm,  ParamField::Kth,
    ParamField::Tmlo, ParamField::Tmhi, ParamField::Thlo, ParamField::Thhi};
static_assert(std::size(kCurrentLineFields) + kCurrentSettings == kCurrentLineColumns);
constexpr int kParamFileNumbers = kGlobalSettings + kIntSettings +
                                  kMaxCurrents * kCurrentLineColumns + kMaxCurrents + kMaxTraces +
                                  kMaxCurrents;  // 276
constexpr int kMaxNameLength = kNameSize - 1;    // longer names are cut when a file is read
// The largest file the writer can make is about 90 kB (every number a 317-character DBL_MAX);
// anything far beyond that is not a parameter file and is refused before it is parsed.
constexpr long kMaxParamFileBytes = 1L << 20;
// A text data file that comes through a pipe is read whole before it is parsed; far beyond any
// recording of kMaxPoints rows.
constexpr size_t kMaxPipedDataFileBytes = size_t{64} << 20;

// What a parameter file holds: the scratch copy that a read fills before anything is taken over.
struct ParamFileContents {
  CurrentParams currents[kMaxCurrents];  // every field from the file; names as far as they reach
  DclampSettings dclamp;                 // line 1 and columns 17 to 24 of the current lines
  int32_t fitCurrent[kMaxCurrents];      // line 14
  double loadedV[kMaxTraces];            // line 13
};

// The layout of the given records, byte for byte as the dynamic-clamp program reads it.
std::string FormatParamFile(const CurrentParams (&currents)[kMaxCurrents],
                            const DclampSettings& settings, const FitStatus& fit);
int SaveParamFile(const std::string& path);  // safe replacement; 1 on success, 0 + message
// Parses a whole parameter file into contents, which the caller fills beforehand (names the
// text does not reach keep those values). Returns "" on success, otherwise where and why it
// failed; contents are then partly written and must be dropped. Safe on any bytes.
std::string ParseParamText(std::string_view text, ParamFileContents* contents);
ParamFileContents WorkspaceParamFileContents();  // the workspace's values, as a read starts
// Reads the parameter file at path and parses it into contents as ParseParamText does; "" or
// why it was not read. A device is refused, a pipe given on purpose is read.
std::string ReadParamFileAt(const std::string& path, ParamFileContents* contents);

// ---- the report (report.cpp) ----
std::string CurrentReport(int index);  // the text report of current index (0-based), -1: all ten
int CopyCurrToClipboard(int index);    // CurrentReport(index) onto the clipboard
