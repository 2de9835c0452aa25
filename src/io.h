// Files in and out: the data file reader, the parameter file writer and reader, and copy,
// paste and the clipboard report of the model currents.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "model.h"

// ---- data file ----
struct Recording;
struct ImportOptions;
struct AmplifierFile;
int ReadDataFile();  // dialog, then LoadDataFile; 1 when a file was read
// 1 on success; on failure a message, nothing changed. An amplifier file (ABF, ATF) is imported
// with the given choices, or, without them, as the import dialog asks; any other file is read
// as the text data file.
int LoadDataFile(const std::string& path, const ImportOptions* importOptions = nullptr);
// Commits a whole recording to the workspace, fills the data controls and tells its notices.
void TakeOverRecording(const Recording& recording);

// ---- amplifier files ----
// An amplifier file is read whole into memory; a larger file is refused before it is parsed.
constexpr size_t kMaxAmplifierFileBytes = size_t{1} << 30;
bool IsAmplifierPath(const std::string& path);  // a regular file whose first bytes mark ABF/ATF
std::string ReadAmplifierPath(const std::string& path, AmplifierFile* file);  // "" or why not
int LoadAmplifierFile(const std::string& path, const ImportOptions* importOptions);
// The file as the program's own text data file; "" or why it cannot be converted.
std::string ConvertAmplifierFile(const std::string& path, const ImportOptions& options,
                                 std::string* text);

// ---- parameter file ----
// The layout: line 1 the dynamic-clamp globals and integers, lines 2 to 11 one line per current,
// line 12 the holding potentials, line 13 the trace voltages, line 14 the fit flags, line 15 the
// names. 4 + 6 + 10 x 24 + 10 + 6 + 10 numbers come before the names.
constexpr int kCurrentLineColumns = 24;  // numbers on the line of one current
constexpr int kParamFileNumbers = kGlobalSettings + kIntSettings +
                                  kMaxCurrents * kCurrentLineColumns + kMaxCurrents + kMaxTraces +
                                  kMaxCurrents;  // 276
constexpr int kMaxNameLength = kNameSize - 1;    // longer names are cut when a file is read
// The largest file the writer can make is about 90 kB (every number a 317-character DBL_MAX);
// anything far beyond that is not a parameter file and is refused before it is parsed.
constexpr long kMaxParamFileBytes = 1L << 20;

// What a parameter file holds: the scratch copy that a read fills before anything is taken over.
struct ParamFileContents {
  CurrentParams currents[kMaxCurrents];  // every field from the file; names as far as they reach
  DclampSettings dclamp;                 // line 1 and columns 17 to 24 of the current lines
  int32_t fitCurrent[kMaxCurrents];      // line 14
  double loadedV[kMaxTraces];            // line 13
};

int Save_Current_Values();  // dialog, then SaveParamFile; 1 when a file was written
int Read_Last_Values();     // dialog, then LoadParamFile; 1 when a file was read
// The layout of the given records, byte for byte as the dynamic-clamp program reads it.
std::string FormatParamFile(const CurrentParams (&currents)[kMaxCurrents],
                            const DclampSettings& settings, const FitStatus& fit);
// Writes that layout to an open stream; true when every byte was accepted.
bool WriteParamFile(std::FILE* stream, const CurrentParams (&currents)[kMaxCurrents],
                    const DclampSettings& settings, const FitStatus& fit);
int SaveParamFile(const std::string& path);  // safe replacement; 1 on success, 0 + message
// Parses a whole parameter file into contents, which the caller fills beforehand (names the
// text does not reach keep those values). Returns "" on success, otherwise where and why it
// failed; contents are then partly written and must be dropped. Safe on any bytes.
std::string ParseParamText(std::string_view text, ParamFileContents* contents);
ParamFileContents WorkspaceParamFileContents();  // the workspace's values, as a read starts
int LoadParamFile(const std::string& path);  // parse into scratch, commit, refresh; 1 / 0 + message

// ---- copy, paste, report ----
void CopyCurrent();                    // the selected current, all but Vhold, into copyCurr
void PasteCurrent();                   // copyCurr over the selected current, keeping its Vhold
std::string CurrentReport(int index);  // the text report of current index (0-based), -1: all ten
int CopyCurrToClipboard(int index);    // CurrentReport(index) onto the clipboard
