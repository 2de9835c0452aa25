// The table of a fit as CSV text, from plain arrays or from the workspace.
#include "io/fit_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "model/model.h"
#include "platform/number_text.h"

namespace {

void AppendNumber(std::string* line, double value) {
  *line += ShortestText(value);
}

// A header cell, quoted when it holds a separator, a quote or a line end.
void AppendCell(std::string* line, const std::string& cell) {
  if (cell.find_first_of(",\"\r\n") == std::string::npos) {
    line->append(cell);
    return;
  }
  line->push_back('"');
  for (char c : cell) {
    if (c == '"') line->push_back('"');
    line->push_back(c);
  }
  line->push_back('"');
}

// A time as the shortest text within kTimeUlps units in its last place: the conversions that
// make times (seconds x 1000, a sample interval x n) leave such units behind.
constexpr double kTimeUlps = 4.0;

void AppendTime(std::string* line, double t) {
  const double ulp = std::abs(std::nextafter(t, HUGE_VAL) - t);
  for (int precision = 1; precision <= std::numeric_limits<double>::max_digits10; ++precision) {
    const std::string text = SignificantText(t, precision);
    double back = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    if (std::abs(back - t) <= kTimeUlps * ulp) {
      *line += text;
      return;
    }
  }
  AppendNumber(line, t);  // not finite
}

std::string VoltageText(double mV) {
  std::string text;
  AppendNumber(&text, mV);
  return text + " mV";
}

// "(-60 mV)", or with the trace's number when another trace steps to the same voltage.
std::string TraceLabel(const FitTable& table, size_t trace) {
  if (trace >= table.stepVoltages.size()) return "(trace " + std::to_string(trace + 1) + ")";
  const double v = table.stepVoltages[trace];
  const bool shared = std::count(table.stepVoltages.begin(), table.stepVoltages.end(), v) > 1;
  return "(" + VoltageText(v) + (shared ? ", trace " + std::to_string(trace + 1) : "") + ")";
}

std::string Header(const FitTable& table, size_t traces) {
  std::string line = "time [ms],excluded";
  for (size_t k = 0; k < traces; ++k) {
    const std::string trace = TraceLabel(table, k);
    for (const char* what : {"I", "fit", "residual"}) {
      line.push_back(',');
      AppendCell(&line, what + trace + " [nA]");
    }
  }
  for (const FitTableCurrent& current : table.currents) {
    const std::string who =
        current.name.empty() ? "current " + std::to_string(current.number) : current.name;
    for (size_t k = 0; k < traces; ++k) {
      line.push_back(',');
      AppendCell(&line, who + TraceLabel(table, k) + " [nA]");
    }
  }
  line.push_back('\n');
  return line;
}

}  // namespace

std::string FormatFitTable(const FitTable& table) {
  size_t traces = table.measured.size();
  for (const FitTableCurrent& current : table.currents) {
    traces = std::min(traces, current.traces.size());
  }
  size_t rows = table.time.size();
  for (size_t k = 0; k < traces; ++k) {
    rows = std::min(rows, table.measured[k].size());
    for (const FitTableCurrent& current : table.currents) {
      rows = std::min(rows, current.traces[k].size());
    }
  }
  const size_t first = static_cast<size_t>(std::clamp(table.rows.start, 0, kAllRows));
  const size_t end = std::min(rows, static_cast<size_t>(std::clamp(table.rows.end, 0, kAllRows)));

  std::string text = Header(table, traces);
  for (size_t n = first; n < end; ++n) {
    AppendTime(&text, table.time[n]);
    text += n < table.excluded.size() && table.excluded[n] != 0 ? ",1" : ",0";
    for (size_t k = 0; k < traces; ++k) {
      // Summed in the currents' order from zero, as the data graph sums them.
      double fit = 0.0;
      for (const FitTableCurrent& current : table.currents) fit += current.traces[k][n];
      const double measured = table.measured[k][n];
      text.push_back(',');
      AppendNumber(&text, measured);
      text.push_back(',');
      AppendNumber(&text, fit);
      text.push_back(',');
      AppendNumber(&text, measured - fit);
    }
    for (const FitTableCurrent& current : table.currents) {
      for (size_t k = 0; k < traces; ++k) {
        text.push_back(',');
        AppendNumber(&text, current.traces[k][n]);
      }
    }
    text.push_back('\n');
  }
  return text;
}

FitTable FitTableOf(const Recording& recording, const Evaluation& evaluation, bool wholeSpan) {
  const int traces = std::max(recording.traces, 0);
  FitTable table;
  table.time = recording.times;
  for (int k = 0; k < traces; ++k) {
    table.measured.emplace_back(recording.currents[k]);
    if (static_cast<size_t>(k) < recording.commands.size())
      table.stepVoltages.push_back(recording.commands[k].step);
  }
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (evaluation.currents[i].empty()) continue;
    FitTableCurrent current{
        i + 1, std::string(params[i].name, strnlen(params[i].name, kNameSize)), {}};
    for (int k = 0; k < traces; ++k) current.traces.emplace_back(evaluation.currents[i][k]);
    table.currents.push_back(std::move(current));
  }
  if (!wholeSpan) table.rows = recording.window;
  return table;
}
