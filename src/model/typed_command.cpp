// Reading a command typed as rows of start, level and increment, with a message that names the
// row and what is wrong with it.
#include "model/typed_command.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/number_text.h"

namespace {

// More rows than any protocol editor offers (they show ten to fifty epochs); a bound on the work
// of a text that is not a command at all.
constexpr size_t kMaxTypedRows = 1000;
constexpr double kSampleTolerance = 1e-9;  // of one interval: a time on a sample starts there
// Far beyond any membrane voltage, and small enough that a level plus its increment over any
// number of sweeps stays a finite number.
constexpr double kMaxTypedMv = 10000;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// The whole word as a finite number ("+10" too), or why not.
std::string NumberOf(std::string_view word, const std::string& where, double* value) {
  std::string_view digits = word;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      !std::isfinite(*value))
    return "\"" + std::string(word) + "\" in " + where + " is not a finite number";
  return "";
}

std::string RowName(size_t index) {
  return index == 0 ? "the holding level (row 1)" : "row " + std::to_string(index + 1);
}

// One row: "LEVEL" for the first, "START: LEVEL [INCREMENT]" for the others.
std::string ParseRow(std::string_view text, size_t index, TypedCommandRow* row) {
  const std::string where = RowName(index);
  *row = {0, 0, 0};
  const size_t colon = text.find(':');
  if (index == 0 && colon != std::string_view::npos)
    return "the holding level (row 1) starts with the sweep and takes no time: \"" +
           std::string(text) + "\"";
  if (index > 0 && colon == std::string_view::npos)
    return where + " needs a start time, as START: LEVEL INCREMENT (\"" + std::string(text) + "\")";
  if (index > 0) {
    if (std::string why = NumberOf(Trimmed(text.substr(0, colon)), where, &row->startMs);
        !why.empty())
      return why;
    text.remove_prefix(colon + 1);
  }
  std::vector<std::string_view> words;
  for (text = Trimmed(text); !text.empty(); text = Trimmed(text)) {
    size_t end = 0;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    words.push_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  if (words.empty()) return where + " has no level";
  if (words.size() > 2) return where + " holds more than a level and its increment";
  if (index == 0 && words.size() == 2) return "the holding level (row 1) takes no increment";
  if (std::string why = NumberOf(words[0], where, &row->level); !why.empty()) return why;
  if (words.size() == 2)
    if (std::string why = NumberOf(words[1], where, &row->increment); !why.empty()) return why;
  if (std::fabs(row->level) > kMaxTypedMv || std::fabs(row->increment) > kMaxTypedMv)
    return where + " holds a voltage beyond " + SignificantText(kMaxTypedMv) + " mV";
  return "";
}

}  // namespace

std::string ParseTypedCommand(std::string_view text, const SweepShape& sweep,
                              std::vector<TypedCommandRow>* rows) {
  std::vector<TypedCommandRow> read;
  while (true) {
    const size_t semicolon = text.find(';');
    const std::string_view part = Trimmed(text.substr(0, semicolon));
    if (!part.empty()) {  // an empty row (a ';' at the end) says nothing
      if (read.size() == kMaxTypedRows)
        return "more than " + std::to_string(kMaxTypedRows) + " rows";
      TypedCommandRow row;
      if (std::string why = ParseRow(part, read.size(), &row); !why.empty()) return why;
      if (!read.empty()) {
        const std::string where = RowName(read.size());
        if (!(row.startMs > 0 && row.startMs < sweep.lengthMs))
          return where + " starts at " + SignificantText(row.startMs) +
                 " ms, outside the sweep (after 0 and before " + SignificantText(sweep.lengthMs) +
                 " ms)";
        if (!(row.startMs > read.back().startMs))
          return where + " starts at " + SignificantText(row.startMs) + " ms, not after " +
                 RowName(read.size() - 1) + " (" + SignificantText(read.back().startMs) + " ms)";
        if (sweep.intervalMs > 0 &&
            TypedRowSample(row, sweep.intervalMs) == TypedRowSample(read.back(), sweep.intervalMs))
          return where + " starts on the same sample as " + RowName(read.size() - 1) +
                 " (samples are " + SignificantText(sweep.intervalMs) + " ms apart)";
        if (sweep.intervalMs > 0 &&
            TypedRowSample(row, sweep.intervalMs) * sweep.intervalMs >= sweep.lengthMs)
          return where + " starts after the sweep's last sample";
      }
      read.push_back(row);
    }
    if (semicolon == std::string_view::npos) break;
    text.remove_prefix(semicolon + 1);
  }
  if (read.empty()) return "no holding level is typed";
  *rows = std::move(read);
  return "";
}

long long TypedRowSample(const TypedCommandRow& row, double intervalMs) {
  if (!(intervalMs > 0)) return 0;
  return static_cast<long long>(std::ceil(row.startMs / intervalMs - kSampleTolerance));
}

double TypedRowLevel(const TypedCommandRow& row, int sweep) {
  return row.level + row.increment * (sweep - 1);
}
