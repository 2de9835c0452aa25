// The data file reader: header, layout line, rows of a time and up to six voltage/current pairs,
// read from a file or from bytes into a recording. Nothing of the workspace is touched: a
// recording with at least one row is what the take-over commits.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/datafile_layout.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "platform/platform.h"

namespace {

constexpr double kTimeScale = 1000.0;  // file times in s become ms on the graph
constexpr int kExcerptChars = 40;      // characters of a bad row quoted in a message
constexpr int kFormatSize = 32;

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
std::string ReadLayout(int handle, int headerLineCount, RowLayout* layout) {
  const int headerLines = std::max(headerLineCount, 0);
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

// Reads the rows into recording; "" or, when not one row could be read, where and why.
std::string ReadRows(int handle, const RowLayout& layout, Recording* recording) {
  double row[kRowNumbersKept] = {};  // a pair without its current column reads 0 there
  int stopLine = 0;
  bool timeTooLarge = false;
  while (recording->times.size() < static_cast<size_t>(kMaxPoints)) {
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
    recording->times.push_back(time);
    for (int k = 0; k < layout.pairsStored; ++k) {
      recording->voltages[k].push_back(row[2 * k + 1]);
      recording->currents[k].push_back(row[2 * k + 2]);
    }
  }
  if (!recording->times.empty()) return "";

  const std::string rowWords =
      "No data row could be read (a row is " + std::to_string(layout.numbersPerRow) + " numbers)";
  if (timeTooLarge) return rowWords + ": the time on " + LineWord(stopLine) + " is too large.";
  std::string excerpt;
  if (!ExcerptAt(handle, &excerpt))
    return rowWords + ": the file ends on " + LineWord(stopLine) + ".";
  return rowWords + ": " + LineWord(stopLine) + " holds \"" + excerpt +
         "\" where a number should stand.";
}

// Reads an opened data file into a recording; the handle stays open.
DataFileRead ReadOpened(int handle, int headerLines) {
  DataFileRead read;
  RowLayout layout{};
  read.error = ReadLayout(handle, headerLines, &layout);
  if (read.error.empty()) read.error = ReadRows(handle, layout, &read.recording);
  if (!read.error.empty()) {
    read.recording = Recording{};
    return read;
  }
  read.recording.traces = layout.traces;
  read.recording.pairsStored = layout.pairsStored;
  if (layout.extraColumns) {
    read.recording.notices.push_back("The rows of this file hold " +
                                     std::to_string(layout.numbersPerRow) +
                                     " numbers; the time and the first six traces are used.");
  }
  return read;
}

}  // namespace

DataFileRead ReadDataText(std::string_view bytes, int headerLines) {
  const int handle = OpenBytes(bytes.data(), bytes.size());
  if (handle < 0) return {Recording{}, "file open error"};
  DataFileRead read = ReadOpened(handle, headerLines);
  CloseFile(handle);
  return read;
}

DataFileRead ReadDataFileAt(const std::string& path, int headerLines) {
  // A pipe given on purpose (the command line's "<(cat file)") is read; a device never is.
  if (KindOfFile(path) == FileKind::Device) {
    return {Recording{}, "The data file\n" + path + "\nwas not read: it is a device, not a file."};
  }
  const int handle = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
  if (handle < 0) return {Recording{}, "file open error"};
  DataFileRead read = ReadOpened(handle, headerLines);
  CloseFile(handle);
  if (read.error.empty()) read.recording.name = path;
  return read;
}
