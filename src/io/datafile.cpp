// The data file reader: header, layout line, rows of a time and up to six voltage/current pairs.
// A file is read whole into scratch arrays and taken over only when at least one row was read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io.h"
#include "io/datafile_layout.h"
#include "io/file_kind.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "polish_window.h"

namespace {

constexpr double kTimeScale = 1000.0;       // file times in s become ms on the graph
constexpr double kRangeMargin = 1.1;        // the current axis spans 1.1 x the extreme currents
constexpr double kStartingExtreme = 10000;  // the running current extremes start at -+ this
constexpr int kExcerptChars = 40;           // characters of a bad row quoted in a message
constexpr int kFormatSize = 32;

struct LoadedFile {
  RowLayout layout;
  int points;
  double times[kMaxPoints];                 // already x 1000
  double currents[kMaxTraces][kMaxPoints];  // 0 in a pair without its current column
  double voltages[kMaxTraces][kMaxPoints];
  double traceV[kMaxTraces];
  double tMin, tMax, yMin, yMax;  // yMin, yMax: the running extremes, before the margin
};

// Static: six traces of 5000 voltages and currents are too large for the stack.
LoadedFile scratch;

std::string LineWord(int line) {
  return "line " + std::to_string(line);
}

// What stands at the reading position, for a message: the rest of that line, with anything
// that is not printable shown as '?'. Empty at the end of the file.
bool ExcerptAt(int handle, std::string* excerpt) {
  char buffer[kExcerptChars + 1];
  const int length = ReadLine(handle, buffer, kExcerptChars);
  if (length < 0) return false;
  excerpt->clear();
  for (int i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(buffer[i]);
    excerpt->push_back(c >= ' ' && c < 0x7F ? static_cast<char>(c) : '?');
  }
  return true;
}

// Skips the header and reads the layout line; "" or what is wrong. Each line is read within
// kLayoutLineLimit characters, so that a file without line ends cannot hold the reader.
std::string ReadLayout(int handle, RowLayout* layout) {
  const int headerLines = std::max(status.headerLines, 0);
  const std::string tooLong =
      " is longer than " + std::to_string(kLayoutLineLimit) + " characters.";
  for (int i = 0; i < headerLines; ++i) {
    const int length = ReadLineWithin(handle, nullptr, kLayoutLineLimit);
    if (length == kLineTooLong) return "Header " + LineWord(i + 1) + tooLong;
    if (length < 0) {
      return "The data file has only " + std::to_string(i) + " lines: it ends within the " +
             std::to_string(headerLines) + " header lines, before the layout line.";
    }
  }
  const int layoutLine = headerLines + 1;
  std::vector<char> line(kLayoutLineLimit + 1);
  const int length = ReadLineWithin(handle, line.data(), kLayoutLineLimit);
  if (length == kLineTooLong) return "The layout line (" + LineWord(layoutLine) + ")" + tooLong;
  if (length < 0) {
    return "The data file has only " + std::to_string(headerLines) +
           " lines: the layout line that should follow the " + std::to_string(headerLines) +
           " header lines is missing.";
  }
  const int delimiters = CountLayoutDelimiters(line.data(), length);
  if (!RowLayoutFor(delimiters, layout)) {
    return "The layout line (" + LineWord(layoutLine) + ") shows " +
           std::to_string(std::max(delimiters + 1, 0)) +
           " columns; a data file needs at least three: the time, then a voltage and a current "
           "for each trace.";
  }
  return "";
}

// Reads one row: the first thirteen numbers into row, any further ones read and dropped.
bool ScanRow(int handle, int numbersPerRow, double* row) {
  char format[kFormatSize];
  std::snprintf(format, sizeof format, "%%s>%%%df[x]", std::min(numbersPerRow, kRowNumbersKept));
  if (ScanFile(handle, format, row) <= 0) return false;
  double dropped[kRowNumbersKept];
  for (int left = numbersPerRow - kRowNumbersKept; left > 0; left -= kRowNumbersKept) {
    std::snprintf(format, sizeof format, "%%s>%%%df[x]", std::min(left, kRowNumbersKept));
    if (ScanFile(handle, format, dropped) <= 0) return false;
  }
  return true;
}

// Reads the rows into file; "" or, when not one row could be read, where and why.
std::string ReadRows(int handle, LoadedFile* file) {
  const RowLayout& layout = file->layout;
  double row[kRowNumbersKept] = {};  // a pair without its current column reads 0 there
  file->points = 0;
  int stopLine = 0;
  bool timeTooLarge = false;
  while (file->points < kMaxPoints) {
    stopLine = GetFileLineNumber(handle);
    if (!ScanRow(handle, layout.numbersPerRow, row)) {
      stopLine = GetFileLineNumber(handle);
      break;
    }
    const double time = kTimeScale * row[0];
    if (!std::isfinite(time)) {
      timeTooLarge = true;
      break;
    }
    const int n = file->points++;
    file->times[n] = time;
    for (int k = 0; k < layout.pairsStored; ++k) {
      file->voltages[k][n] = row[2 * k + 1];
      file->currents[k][n] = row[2 * k + 2];
    }
  }
  if (file->points > 0) return "";

  const std::string rowWords =
      "No data row could be read (a row is " + std::to_string(layout.numbersPerRow) + " numbers)";
  if (timeTooLarge) return rowWords + ": the time on " + LineWord(stopLine) + " is too large.";
  std::string excerpt;
  if (!ExcerptAt(handle, &excerpt))
    return rowWords + ": the file ends on " + LineWord(stopLine) + ".";
  return rowWords + ": " + LineWord(stopLine) + " holds \"" + excerpt +
         "\" where a number should stand.";
}

// The trace voltages (means over every row), the time range and the running current extremes.
void DeriveRanges(LoadedFile* file) {
  const int n = file->points;
  const RowLayout& layout = file->layout;
  for (int k = 0; k < kMaxTraces; ++k) {
    if (k >= layout.pairsStored) {
      file->traceV[k] = file->traceV[layout.pairsStored - 1];
      continue;
    }
    long double sum = 0;  // wide: 5000 large voltages must not overflow the sum
    for (int i = 0; i < n; ++i) sum += file->voltages[k][i];
    file->traceV[k] = static_cast<double>(sum / n);
  }
  int index = 0;
  MaxMin1D(file->times, n, &file->tMax, &index, &file->tMin, &index);
  file->yMax = -kStartingExtreme;
  file->yMin = kStartingExtreme;
  for (int k = 0; k < layout.traces; ++k) {
    double traceMax = 0;
    double traceMin = 0;
    MaxMin1D(file->currents[k], n, &traceMax, &index, &traceMin, &index);
    file->yMax = std::max(file->yMax, traceMax);
    file->yMin = std::min(file->yMin, traceMin);
  }
}

void TakeOver(const LoadedFile& file, const std::string& path) {
  for (int row = 0; row < kTraceRows; ++row) Clear1D(ydata[row], kMaxPoints);
  Clear1D(timevals, kMaxPoints);
  const int n = file.points;
  std::copy(file.times, file.times + n, timevals);
  for (int k = 0; k < file.layout.pairsStored; ++k) {
    std::copy(file.currents[k], file.currents[k] + n, ydata[k]);
    std::copy(file.voltages[k], file.voltages[k] + n, ydata[k] + kVoltageOffset);
  }
  NumPoints = n;
  NumTraces = file.layout.traces;
  std::copy(file.traceV, file.traceV + kMaxTraces, status.traceV);
  status.dataTMin = file.tMin;
  status.dataTMax = file.tMax;
  status.xMin = file.tMin;
  status.xMax = file.tMax;
  status.windowStart = 0;
  status.windowEnd = n;
  status.dataYMin = kRangeMargin * file.yMin;
  status.dataYMax = kRangeMargin * file.yMax;
  status.yMin = status.dataYMin;
  status.yMax = status.dataYMax;
  status.dataLoaded = 1;
  std::snprintf(status.dataFile, sizeof status.dataFile, "%s", path.c_str());
}

void TellNotRead(const std::string& path, const std::string& why) {
  const std::string message = "The data file\n" + path + "\nwas not read: " + why + ".";
  MessagePopup("Error", message.c_str());
}

void ShowLoadedFile() {
  const int voltageFields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3,
                                         PANEL_V4, PANEL_V5, PANEL_V6};
  for (int k = 0; k < kMaxTraces; ++k) SetCtrlVal(panelHandle, voltageFields[k], status.traceV[k]);
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  SetCtrlVal(panelHandle, PANEL_YMIN, status.yMin);
  SetCtrlVal(panelHandle, PANEL_YMAX, status.yMax);
  for (int control : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE}) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, 0);
  }
  SetCtrlVal(panelHandle, PANEL_DATAFILE, status.dataFile);
  SetCtrlAttribute(panelHandle, PANEL_DATACTRL, ATTR_DIMMED, 0);
  SetCtrlAttribute(panelHandle, PANEL_DOFIT, ATTR_DIMMED, 0);
  ShowPolishCommands();
}

}  // namespace

int ReadDataFile() {
  std::string path;
  const int chosen = FileSelectPopup("", "*.*", "*.bu*;*.asc;*.txt", "Open Data File",
                                     VAL_LOAD_BUTTON, 0, 0, 1, 0, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  if (const std::string why = WhyNotFromDialog(path); !why.empty()) {
    TellNotRead(path, why);
    return 0;
  }
  return LoadDataFile(path);
}

int LoadDataFile(const std::string& path) {
  if (path.size() >= sizeof status.dataFile) {
    const std::string message = "The path of the data file is " + std::to_string(path.size()) +
                                " characters long; at most " +
                                std::to_string(sizeof status.dataFile - 1) + " can be kept.";
    MessagePopup("Error", message.c_str());
    return 0;
  }
  // A pipe given on purpose (the command line's "<(cat file)") is read; a device never is.
  if (KindOfFile(path) == FileKind::Device) {
    TellNotRead(path, "it is a device, not a file");
    return 0;
  }
  const int handle = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
  if (handle < 0) {
    MessagePopup("Error", "file open error");
    return 0;
  }
  std::string problem = ReadLayout(handle, &scratch.layout);
  if (problem.empty()) problem = ReadRows(handle, &scratch);
  CloseFile(handle);
  if (!problem.empty()) {
    MessagePopup("Error", problem.c_str());
    return 0;
  }
  DeriveRanges(&scratch);
  TakeOver(scratch, path);
  ShowLoadedFile();
  if (scratch.layout.extraColumns) {
    const std::string message = "The rows of this file hold " +
                                std::to_string(scratch.layout.numbersPerRow) +
                                " numbers; the time and the first six traces are used.";
    MessagePopup("Data file", message.c_str());
  }
  return 1;
}
