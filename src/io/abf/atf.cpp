// The Axon Text Format reader: "ATF" and its version, the counts of header records and columns,
// the records ("Signals=" names the signal of each column), the column titles with their units,
// then rows of a time and one value per column. Columns of one signal are its sweeps.
#include <charconv>
#include <cmath>
#include <optional>

#include "io/abf/abf_internal.h"

namespace {

constexpr int kMaxRecords = 1 << 16;            // header records: a few dozen in practice
constexpr int kMaxColumns = 1 << 16;            // data columns of one table
constexpr double kTimeSpacingTolerance = 0.01;  // of one interval, for times printed rounded

struct Line {
  std::string_view text;
  int number;  // 1-based, for messages
};

class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : rest_(bytes) {}
  std::optional<Line> Next() {
    if (rest_.empty()) return std::nullopt;
    const size_t end = rest_.find('\n');
    std::string_view text = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    return Line{text, ++number_};
  }
  int LastNumber() const { return number_; }

 private:
  std::string_view rest_;
  int number_ = 0;
};

bool IsSeparator(char c) {
  return c == '\t' || c == ',' || c == ' ';
}

std::string_view Unquote(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    field = field.substr(1, field.size() - 2);
  }
  return field;
}

// Tab-separated fields, quotes removed.
std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  while (true) {
    const size_t tab = line.find('\t');
    fields.emplace_back(Unquote(line.substr(0, tab)));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

// Numbers separated by tabs, commas or spaces; false on anything else.
bool Numbers(std::string_view line, std::vector<double>* values) {
  values->clear();
  const char* p = line.data();
  const char* end = p + line.size();
  while (true) {
    while (p < end && IsSeparator(*p)) ++p;
    if (p == end) return true;
    if (*p == '+') ++p;
    double value;
    const auto [next, error] = std::from_chars(p, end, value);
    if (error != std::errc() || !std::isfinite(value)) return false;
    if (next < end && !IsSeparator(*next)) return false;
    values->push_back(value);
    p = next;
  }
}

struct Title {
  std::string name;  // before the unit
  std::string unit;  // inside the last parentheses
};

Title SplitTitle(const std::string& title) {
  Title split{title, ""};
  const size_t open = title.rfind('(');
  const size_t close = title.rfind(')');
  if (open != std::string::npos && close != std::string::npos && close > open) {
    split.unit = title.substr(open + 1, close - open - 1);
    split.name = title.substr(0, open);
    while (!split.name.empty() && split.name.back() == ' ') split.name.pop_back();
  }
  return split;
}

// A column title "Trace #12" names a sweep, not a signal.
bool IsSweepTitle(const std::string& name) {
  const std::string prefix = "Trace #";
  if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size()) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

std::string LineProblem(int number, const std::string& what) {
  return "The ATF file is corrupt: line " + std::to_string(number) + " " + what + ".";
}

}  // namespace

std::string ReadAtf(std::string_view bytes, AmplifierFile* file) {
  *file = AmplifierFile{};
  LineCursor lines(bytes);
  const std::optional<Line> first = lines.Next();
  if (!first || !first->text.starts_with("ATF")) return "This is not an ATF file.";
  std::string version(Unquote(first->text.substr(3)));
  while (!version.empty() && (version.front() == '\t' || version.front() == ' ')) {
    version.erase(0, 1);
  }
  file->format = "ATF " + version;
  if (version.empty() || version[0] != '1') {
    return "Unsupported ATF version \"" + version + "\": this reader knows 1.x.";
  }

  const std::optional<Line> counts = lines.Next();
  std::vector<double> numbers;
  if (!counts) return "The ATF file is truncated: it ends after its first line.";
  if (!Numbers(counts->text, &numbers) || numbers.size() != 2 || numbers[0] < 0 || numbers[1] < 2 ||
      numbers[0] > kMaxRecords || numbers[1] > kMaxColumns ||
      numbers[0] != std::floor(numbers[0]) || numbers[1] != std::floor(numbers[1])) {
    return LineProblem(2, "should give the number of header records and of columns (two or more)");
  }
  const int records = static_cast<int>(numbers[0]);
  const int columns = static_cast<int>(numbers[1]);

  std::vector<std::string> signals;
  for (int r = 0; r < records; ++r) {
    const std::optional<Line> record = lines.Next();
    if (!record) return "The ATF file is truncated: it ends within its header records.";
    const std::vector<std::string> fields = Fields(record->text);
    if (fields[0] == "Signals=") signals.assign(fields.begin() + 1, fields.end());
    if (fields[0].starts_with("AcquisitionMode=")) {
      file->gapFree = fields[0].find("Gap") != std::string::npos;
    }
  }

  const std::optional<Line> titleLine = lines.Next();
  if (!titleLine) return "The ATF file is truncated: the column titles are missing.";
  const std::vector<std::string> titles = Fields(titleLine->text);
  if (static_cast<int>(titles.size()) != columns) {
    return LineProblem(titleLine->number, "holds " + std::to_string(titles.size()) +
                                              " column titles; the file announces " +
                                              std::to_string(columns));
  }
  const Title time = SplitTitle(titles[0]);
  double timeScale = 0;  // to ms
  if (time.unit == "s") timeScale = 1000.0;
  if (time.unit == "ms") timeScale = 1.0;
  if (timeScale == 0) {
    return "The ATF file's first column \"" + titles[0] +
           "\" is not a time in s or ms; the first column must be the time.";
  }

  // Each data column belongs to a signal; the columns of one signal are its sweeps in order.
  const bool named = signals.size() == static_cast<size_t>(columns - 1);
  std::vector<int> channelOfColumn;
  std::vector<std::string> keys;
  for (int c = 1; c < columns; ++c) {
    const Title title = SplitTitle(titles[c]);
    const bool sweepTitle = IsSweepTitle(title.name);
    std::string name = named ? signals[c - 1] : (sweepTitle ? "Trace" : title.name);
    const std::string key = name + "\n" + title.unit;
    size_t k = 0;
    while (k < keys.size() && keys[k] != key) ++k;
    if (k == keys.size()) {
      if (keys.size() == static_cast<size_t>(kMaxAmplifierChannels)) {
        return "The ATF file holds more than " + std::to_string(kMaxAmplifierChannels) +
               " signals.";
      }
      keys.push_back(key);
      file->channels.push_back({Latin1ToUtf8(name), Latin1ToUtf8(title.unit)});
    }
    channelOfColumn.push_back(static_cast<int>(k));
  }
  const int channels = static_cast<int>(file->channels.size());
  std::vector<int> columnsOfChannel(channels, 0);
  for (int k : channelOfColumn) ++columnsOfChannel[k];
  for (int k = 0; k < channels; ++k) {
    if (columnsOfChannel[k] != columnsOfChannel[0]) {
      return "The ATF file's columns do not form sweeps: " + file->channels[0].name + " has " +
             std::to_string(columnsOfChannel[0]) + " columns, " + file->channels[k].name + " " +
             std::to_string(columnsOfChannel[k]) + ".";
    }
  }
  file->sweeps = columnsOfChannel[0];
  std::vector<int> sweepOfColumn(channelOfColumn.size());
  std::vector<int> seen(channels, 0);
  for (size_t c = 0; c < channelOfColumn.size(); ++c) {
    sweepOfColumn[c] = seen[channelOfColumn[c]]++;
  }

  file->samples.assign(static_cast<size_t>(file->sweeps) * channels, {});
  std::vector<double> times;
  const int64_t maxRows = kMaxAmplifierSamples / (columns - 1);
  while (const std::optional<Line> row = lines.Next()) {
    if (!Numbers(row->text, &numbers)) {
      return LineProblem(row->number, "holds something that is not a number");
    }
    if (numbers.empty()) continue;  // a blank line, as at the end of a file
    if (numbers.size() != static_cast<size_t>(columns)) {
      return LineProblem(row->number, "holds " + std::to_string(numbers.size()) +
                                          " numbers; the file has " + std::to_string(columns) +
                                          " columns");
    }
    if (static_cast<int64_t>(times.size()) == maxRows) {
      return "The ATF file holds more than " + std::to_string(kMaxAmplifierSamples) + " samples.";
    }
    times.push_back(numbers[0] * timeScale);
    for (int c = 1; c < columns; ++c) {
      file->samples[static_cast<size_t>(sweepOfColumn[c - 1]) * channels + channelOfColumn[c - 1]]
          .push_back(numbers[c]);
    }
  }
  if (times.size() < 2) {
    return "The ATF file holds " + std::to_string(times.size()) +
           " data rows; at least two are needed to know the sample interval.";
  }
  file->sweepSamples = static_cast<int64_t>(times.size());
  file->startTimeMs = times.front();
  file->sampleIntervalMs = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
  if (!(file->sampleIntervalMs > 0) || !std::isfinite(file->sampleIntervalMs)) {
    return "The ATF file's times do not increase.";
  }
  for (size_t i = 0; i < times.size(); ++i) {
    const double expected = file->startTimeMs + file->sampleIntervalMs * static_cast<double>(i);
    if (std::fabs(times[i] - expected) > kTimeSpacingTolerance * file->sampleIntervalMs) {
      return "The ATF file's times are not evenly spaced (data row " + std::to_string(i + 1) + ").";
    }
  }
  return "";
}
