// The parameter file's reader proper: the 276 numbers taken in their order, then the names
// text, parsed from a buffer into a scratch record. Safe on any bytes; says where it stopped.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "io.h"
#include "io/text_append.h"

namespace {

// A names text shorter than this, taken from the rest of line 14, is only that line's end
// (and a space): the names are then on the next line.
constexpr size_t kShortestNamesRest = 3;
constexpr size_t kExcerptLength = 24;  // characters of a bad number quoted in a message

constexpr const char* kCurrentColumnNames[kCurrentLineColumns] = {
    "Gmax", "p",   "q",   "Erev", "Vm",   "Vh",   "Km",   "Kh",
    "Vtm",  "Vth", "Ktm", "Kth",  "Tmlo", "Tmhi", "Thlo", "Thhi"};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The 1-based line on which the byte at offset stands.
int LineAt(std::string_view text, size_t offset) {
  int line = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) line += text[i] == '\n';
  return line;
}

// What number n (0-based, in file order) holds, in the words of the panels.
std::string DescribeNumber(int n) {
  std::string text;
  const int currentLinesStart = kGlobalSettings + kIntSettings;
  const int vholdStart = currentLinesStart + kMaxCurrents * kCurrentLineColumns;
  const int traceVStart = vholdStart + kMaxCurrents;
  const int flagsStart = traceVStart + kMaxTraces;
  if (n < kGlobalSettings) {
    AppendFormat(&text, "dynamic-clamp global setting %d", n + 1);
  } else if (n < currentLinesStart) {
    AppendFormat(&text, "dynamic-clamp integer setting %d", n - kGlobalSettings + 1);
  } else if (n < vholdStart) {
    const int current = (n - currentLinesStart) / kCurrentLineColumns + 1;
    const int column = (n - currentLinesStart) % kCurrentLineColumns;
    const int firstSettingColumn = kCurrentLineColumns - kCurrentSettings;
    if (column < firstSettingColumn) {
      AppendFormat(&text, "%s of current %d", kCurrentColumnNames[column], current);
    } else {
      AppendFormat(&text, "dynamic-clamp setting %d of current %d", column - firstSettingColumn + 1,
                   current);
    }
  } else if (n < traceVStart) {
    AppendFormat(&text, "Vhold of current %d", n - vholdStart + 1);
  } else if (n < flagsStart) {
    AppendFormat(&text, "trace voltage %d", n - traceVStart + 1);
  } else {
    AppendFormat(&text, "fit flag of current %d", n - flagsStart + 1);
  }
  return text;
}

// Takes the numbers one after the other, each after any white space, line ends included, as
// the file's other reader does. The first failure is kept and every later read does nothing.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : text_(text) {}

  // nan and inf are refused: the model would evaluate them, and the dynamic-clamp program
  // would read them too.
  void Real(double* field) {
    double value = 0.0;
    if (!Convert(&value, "a number")) return;
    if (!std::isfinite(value)) {
      Fail(lastStart_, count_ - 1, "is not a finite number");
      return;
    }
    *field = value;
  }

  void Integer(int32_t* field) {
    int32_t value = 0;
    if (Convert(&value, "a whole number that fits in 32 bits")) *field = value;
  }

  // Gate powers are written as reals; their floor is the power (2.999999 gives 2).
  void GatePower(int32_t* field) {
    double value = 0.0;
    if (!Convert(&value, "a number")) return;
    const double power = std::floor(value);
    // Both comparisons are false for NaN.
    if (!(power >= static_cast<double>(INT32_MIN) && power <= static_cast<double>(INT32_MAX))) {
      Fail(lastStart_, count_ - 1,
           "is not usable as a gate power (a whole number that fits in 32 bits)");
      return;
    }
    *field = static_cast<int32_t>(power);
  }

  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  size_t Position() const { return position_; }

 private:
  template <typename Number>
  bool Convert(Number* value, const char* expected) {
    if (Failed()) return false;
    while (position_ < text_.size() && IsSpace(text_[position_])) ++position_;
    const size_t start = position_;
    lastStart_ = start;
    if (start == text_.size()) {
      error_ = "the file ends on line " + std::to_string(LineAt(text_, start)) + " after " +
               std::to_string(count_) + " of its " + std::to_string(kParamFileNumbers) +
               " numbers; " + DescribeNumber(count_) + " is missing";
      return false;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + text_.size();
    // A plus sign is allowed, as by the standard scanning; from_chars does not take one.
    if (*first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') ++first;
    const std::from_chars_result result = std::from_chars(first, last, *value);
    // The last number may run straight into the names; the others end at white space.
    const bool separated =
        result.ptr == last || IsSpace(*result.ptr) || count_ + 1 == kParamFileNumbers;
    if (result.ec != std::errc() || !separated) {
      Fail(start, count_,
           result.ec == std::errc::result_out_of_range ? "is out of range"
                                                       : std::string("is not ") + expected);
      return false;
    }
    position_ = static_cast<size_t>(result.ptr - text_.data());
    ++count_;
    return true;
  }

  // Records why number (0-based) starting at offset start could not be taken.
  void Fail(size_t start, int number, const std::string& why) {
    std::string excerpt;
    size_t end = start;
    while (end < text_.size() && !IsSpace(text_[end]) && excerpt.size() < kExcerptLength) {
      const unsigned char c = static_cast<unsigned char>(text_[end]);
      excerpt += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
      ++end;
    }
    if (end < text_.size() && !IsSpace(text_[end])) excerpt += "...";
    error_ = "line " + std::to_string(LineAt(text_, start)) + ", number " +
             std::to_string(number + 1) + " of " + std::to_string(kParamFileNumbers) + " (" +
             DescribeNumber(number) + "): \"" + excerpt + "\" " + why;
  }

  std::string_view text_;
  size_t position_ = 0;
  size_t lastStart_ = 0;  // where the last conversion began
  int count_ = 0;         // numbers read so far
  std::string error_;
};

// One line as a line reader returns it: up to and including its line feed, or to the end.
std::string_view LineFrom(std::string_view text, size_t* position) {
  const size_t start = *position;
  const size_t feed = text.find('\n', start);
  const size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
  *position = end;
  return text.substr(start, end - start);
}

// Its length with a carriage return and line feed counted as the one line end they are.
size_t LineLength(std::string_view line) {
  const bool crlf = line.size() >= 2 && line.substr(line.size() - 2) == "\r\n";
  return crlf ? line.size() - 1 : line.size();
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// A name never ends in a carriage return: the writer puts the last name at the very end of the
// file, where a reader takes such a character for part of the line end, so it would not read
// back. A name cut at its length limit could otherwise end in one.
void DropTrailingCarriageReturns(char* name) {
  size_t length = std::strlen(name);
  while (length > 0 && name[length - 1] == '\r') name[--length] = '\0';
}

// The names text: the rest of line 14 when it holds 3 or more characters, otherwise the next
// line; a line that is not there adds nothing.
std::string_view NamesText(std::string_view afterNumbers) {
  size_t position = 0;
  std::string_view names = LineFrom(afterNumbers, &position);
  if (LineLength(names) < kShortestNamesRest && position < afterNumbers.size()) {
    names = LineFrom(afterNumbers, &position);
  }
  return WithoutLineEnd(names);
}

// Splits at commas into the names of currents 1, 2, ...; the tenth comma ends the list.
void SplitNames(std::string_view names, CurrentParams (&currents)[kMaxCurrents]) {
  int k = 0;
  size_t length = 0;
  currents[0].name[0] = '\0';
  for (char c : names) {
    if (c == ',') {
      DropTrailingCarriageReturns(currents[k].name);
      if (++k == kMaxCurrents) return;
      length = 0;
      currents[k].name[0] = '\0';
    } else if (length < static_cast<size_t>(kMaxNameLength)) {
      currents[k].name[length++] = c;
      currents[k].name[length] = '\0';
    }
  }
  DropTrailingCarriageReturns(currents[k].name);
}

}  // namespace

std::string ParseParamText(std::string_view text, ParamFileContents* contents) {
  NumberReader in(text);
  for (double& value : contents->dclamp.globalSetting) in.Real(&value);
  for (int32_t& value : contents->dclamp.intSetting) in.Integer(&value);
  for (int i = 0; i < kMaxCurrents; ++i) {
    CurrentParams& c = contents->currents[i];
    in.Real(&c.Gmax);
    in.GatePower(&c.p);
    in.GatePower(&c.q);
    for (double* field : {&c.Erev, &c.Vm, &c.Vh, &c.Km, &c.Kh, &c.Vtm, &c.Vth, &c.Ktm, &c.Kth,
                          &c.Tmlo, &c.Tmhi, &c.Thlo, &c.Thhi}) {
      in.Real(field);
    }
    for (int k = 0; k < kCurrentSettings; ++k) in.Real(&contents->dclamp.currentSetting[k][i]);
  }
  for (CurrentParams& c : contents->currents) in.Real(&c.Vhold);
  for (double& value : contents->loadedV) in.Real(&value);
  for (int32_t& flag : contents->fitCurrent) in.Integer(&flag);
  if (in.Failed()) return in.Error();

  const std::string_view names = NamesText(text.substr(in.Position()));
  if (names.find('\0') != std::string_view::npos) {
    const auto offset = static_cast<size_t>(names.data() - text.data());
    return "line " + std::to_string(LineAt(text, offset)) +
           ": the names hold a zero byte, which no text file does";
  }
  SplitNames(names, contents->currents);
  return {};
}

ParamFileContents WorkspaceParamFileContents() {
  ParamFileContents contents{};
  for (int i = 0; i < kMaxCurrents; ++i) contents.currents[i] = params[i];
  contents.dclamp = dclamp;
  for (int i = 0; i < kMaxCurrents; ++i) contents.fitCurrent[i] = status.fitCurrent[i];
  for (int j = 0; j < kMaxTraces; ++j) contents.loadedV[j] = status.loadedV[j];
  return contents;
}
