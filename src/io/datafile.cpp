// The data file reader: header, layout line, rows of a time and up to six voltage/current pairs,
// read from a file or from bytes into a recording, with what the user should know about its
// rows as notices. Nothing of the workspace is touched: the take-over commits a recording.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "io/datafile_layout.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "io/read_once.h"
#include "platform/platform.h"

namespace {

constexpr double kTimeScale = 1000.0;   // file times in s become ms on the graph
constexpr int kRowLineLimit = 1 << 20;  // characters of a data line; a longer one stops reading
constexpr size_t kQuoteChars = 60;      // characters of a line quoted in a message
constexpr const char* kWhiteSpace = " \t\r\n\v\f";   // what the scanner skips before a number
constexpr const char* kSeparators = " \t\r\n\v\f,";  // what ends a number in a row

// Static: a data line is too large for the stack.
char lineText[kRowLineLimit + 1];

std::string LineWord(int line) {
  return "line " + std::to_string(line);
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

// What the rows were like: the first line read whole whose numbers do not make one row, and
// where and why reading stopped before the end of the file.
struct RowsReport {
  int mismatchLine = 0;       // 0: every line read whole held one row's numbers, or none
  int mismatchNumbers = 0;    // the numbers that line holds
  std::string mismatchQuote;  // that line, quoted
  int stopLine = 0;           // 0: the file ended, or the last row the arrays hold was read
  std::string stopReason;     // what stands on stopLine, completing "line N ..."
  int endLine = 0;            // the line at which the file ended
};

// Counts a noun: "1 row", "3 rows".
std::string Count(int n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Text of the file for a message, in quotes: a tab shown as a space, anything else that is not
// printable as '?', and only its first kQuoteChars characters.
std::string Quote(std::string_view text) {
  std::string quote = "\"";
  for (size_t i = 0; i < text.size() && i < kQuoteChars; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    quote.push_back(c == '\t' ? ' ' : c >= ' ' && c < 0x7F ? static_cast<char>(c) : '?');
  }
  return quote + (text.size() > kQuoteChars ? "...\"" : "\"");
}

// Why no number could be read at the start of rest, completing "line N ...": a number beyond
// the range of a double is told apart from text.
std::string NoNumberReason(std::string_view rest) {
  rest.remove_prefix(std::min(rest.find_first_not_of(kWhiteSpace), rest.size()));
  const std::string_view item = rest.substr(0, rest.find_first_of(kSeparators));
  const char* first = item.data() + (item.size() > 1 && item[0] == '+' ? 1 : 0);
  double value = 0;
  const auto [end, error] = std::from_chars(first, item.data() + item.size(), value);
  if (error == std::errc::result_out_of_range && end == item.data() + item.size()) {
    return "holds " + Quote(rest) + ", and " + Quote(item) + " is beyond the range of a double";
  }
  return "holds " + Quote(rest) + " where a number should stand";
}

// Stores a complete row; false when its time is too large for the program's axis.
bool StoreRow(const double* row, const RowLayout& layout, Recording* recording) {
  const double time = kTimeScale * row[0];
  if (!std::isfinite(time)) return false;
  recording->times.push_back(time);
  for (int k = 0; k < layout.pairsStored; ++k) {
    recording->voltages[k].push_back(row[2 * k + 1]);
    recording->currents[k].push_back(row[2 * k + 2]);
  }
  return true;
}

int Rows(const Recording& recording) {
  return static_cast<int>(recording.times.size());
}

// Reads the rows into file as one stream of numbers, each row taking the next numbersPerRow of
// them whatever the line ends; the first thirteen of a row are kept. Reading goes line by line
// only to tell the user where the lines and the rows disagree.
void ReadRows(int handle, const RowLayout& layout, Recording* recording, RowsReport* report) {
  const int numbersPerRow = layout.numbersPerRow;
  double row[kRowNumbersKept] = {};  // a pair without its current column reads 0 there
  int filled = 0;                    // numbers of the row being read, kept or not
  int rowLine = 0;                   // the line on which that row began
  while (Rows(*recording) < kMaxPoints) {
    const int lineNumber = GetFileLineNumber(handle);
    // Within a limit, so that a pipe that never sends a line end cannot hold the reader.
    const int length = ReadLineWithin(handle, lineText, kRowLineLimit);
    if (length == kLineTooLong) {
      report->stopLine = lineNumber;
      report->stopReason = "is longer than " + std::to_string(kRowLineLimit) +
                           " characters; it begins " + Quote({lineText, kRowLineLimit});
      return;
    }
    if (length < 0) {
      report->endLine = lineNumber;
      return;
    }
    const std::string_view line(lineText, static_cast<size_t>(length));
    int numbers = 0;
    bool readWhole = false;
    for (size_t at = 0; Rows(*recording) < kMaxPoints;) {
      at = line.find_first_not_of(kWhiteSpace, at);
      if (at == std::string_view::npos) {
        readWhole = true;
        break;
      }
      double value = 0;
      if (Scan(line.substr(at), "%s>%1f[x]", &value) <= 0) {
        report->stopLine = lineNumber;
        report->stopReason = NoNumberReason(line.substr(at));
        return;
      }
      at += static_cast<size_t>(NumFmtdBytes());
      ++numbers;
      if (filled == 0) rowLine = lineNumber;
      if (filled < kRowNumbersKept) row[filled] = value;
      if (++filled < numbersPerRow) continue;
      filled = 0;
      if (!StoreRow(row, layout, recording)) {
        report->stopLine = rowLine;
        report->stopReason = "holds a time too large to be shown in ms";
        return;
      }
    }
    if (readWhole && numbers != 0 && numbers != numbersPerRow && report->mismatchLine == 0) {
      report->mismatchLine = lineNumber;
      report->mismatchNumbers = numbers;
      report->mismatchQuote = Quote(line);
    }
  }
}

std::string MismatchSentence(const RowLayout& layout, const RowsReport& report) {
  return "Line " + std::to_string(report.mismatchLine) + " holds " +
         Count(report.mismatchNumbers, "number") + ", but the layout line announces rows of " +
         std::to_string(layout.numbersPerRow) + ": " + report.mismatchQuote + ".";
}

// When not one row could be read: where and why.
std::string NoRowsProblem(const RowLayout& layout, const RowsReport& report) {
  std::string problem =
      "No data row could be read (a row is " + Count(layout.numbersPerRow, "number") + "): ";
  problem += report.stopLine != 0 ? LineWord(report.stopLine) + " " + report.stopReason + "."
                                  : "the file ends on " + LineWord(report.endLine) + ".";
  if (report.mismatchLine != 0 && report.mismatchLine != report.stopLine) {
    problem += " " + MismatchSentence(layout, report);
  }
  return problem;
}

// What the user is told about rows that were read: lines that do not hold one row, and an
// early stop.
void AddRowsNotices(const RowLayout& layout, const RowsReport& report, int rows,
                    std::vector<std::string>* notices) {
  if (report.mismatchLine != 0) {
    notices->push_back(MismatchSentence(layout, report) +
                       " The numbers are read on as one stream, so the rows from there on may "
                       "be misread.");
  }
  if (report.stopLine != 0) {
    notices->push_back("Reading stopped at " + LineWord(report.stopLine) + ", which " +
                       report.stopReason + "; " + Count(rows, "row") + " " +
                       (rows == 1 ? "was" : "were") + " read.");
  }
}

// "" or, when a voltage column has no finite mean, what is wrong: its mean would become a trace
// voltage.
std::string CheckMeans(const Recording& recording) {
  const std::array<double, kMaxTraces> means = TraceVoltagesOf(recording);
  for (int k = 0; k < recording.pairsStored; ++k) {
    if (!std::isfinite(means[k])) {
      return "The voltages in column " + std::to_string(2 * k + 2) +
             " cannot be averaged: their sum lies beyond the range of a double (about "
             "1.8e308).";
    }
  }
  return "";
}

// Reads an opened data file into a recording; the handle stays open.
DataFileRead ReadOpened(int handle, int headerLines) {
  DataFileRead read;
  Recording& recording = read.recording;
  RowLayout layout{};
  read.error = ReadLayout(handle, headerLines, &layout);
  RowsReport rows;
  if (read.error.empty()) {
    recording.traces = layout.traces;
    recording.pairsStored = layout.pairsStored;
    recording.ResizePairs(layout.pairsStored);
    ReadRows(handle, layout, &recording, &rows);
    if (recording.times.empty()) read.error = NoRowsProblem(layout, rows);
  }
  if (read.error.empty()) read.error = CheckMeans(recording);
  if (!read.error.empty()) {
    recording = Recording{};
    return read;
  }
  if (layout.extraColumns) {
    recording.notices.push_back("The rows of this file hold " +
                                Count(layout.numbersPerRow, "number") +
                                "; the time and the first six traces are used.");
  }
  AddRowsNotices(layout, rows, Rows(recording), &recording.notices);
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
  // A pipe given on purpose (the command line's "<(cat file)") is read; a device never is,
  // and a folder is named as what it is.
  if (const FileKind kind = KindOfFile(path);
      kind == FileKind::Device || kind == FileKind::Folder) {
    return {Recording{}, "The data file\n" + path + "\nwas not read: it is " + FileKindWords(kind) +
                             ", not a file."};
  }
  // A pipe is read whole first, within a bound of time: a FIFO that no writer opens would
  // otherwise hold the open for ever.
  if (KindOfFile(path) == FileKind::Pipe) {
    std::string bytes;
    if (const std::string why = ReadFileOnce(path, {kMaxPipedDataFileBytes}, &bytes); !why.empty())
      return {Recording{}, "The data file\n" + path + "\nwas not read: " + why + "."};
    DataFileRead read = ReadDataText(bytes, headerLines);
    if (read.error.empty()) read.recording.name = path;
    return read;
  }
  const int handle = OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
  if (handle < 0) return {Recording{}, "file open error"};
  DataFileRead read = ReadOpened(handle, headerLines);
  CloseFile(handle);
  if (read.error.empty()) read.recording.name = path;
  return read;
}
