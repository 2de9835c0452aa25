// The table of a fit as CSV text, from plain arrays or from the workspace.
#include "io/fit_table.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "model/model.h"

namespace {

constexpr int kShortestDoubleChars = 32;  // to_chars' shortest form of any double fits

void AppendNumber(std::string* line, double value) {
  char text[kShortestDoubleChars];
  const auto result = std::to_chars(text, text + sizeof text, value);
  line->append(text, result.ptr);
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

std::string CurrentColumn(const FitTableCurrent& current, size_t trace) {
  const std::string number = "current " + std::to_string(current.number);
  const std::string who = current.name.empty() ? number : current.name + " (" + number + ")";
  return who + " trace " + std::to_string(trace + 1) + " (nA)";
}

std::string Header(const FitTable& table, size_t traces) {
  std::string line = "time (ms)";
  for (size_t k = 0; k < traces; ++k) {
    const std::string trace = "trace " + std::to_string(k + 1);
    line += "," + trace + " measured (nA)," + trace + " fit (nA)," + trace + " residual (nA)";
  }
  for (const FitTableCurrent& current : table.currents) {
    for (size_t k = 0; k < traces; ++k) {
      line.push_back(',');
      AppendCell(&line, CurrentColumn(current, k));
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

  std::string text = Header(table, traces);
  for (size_t n = 0; n < rows; ++n) {
    AppendNumber(&text, table.time[n]);
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

FitTable FitTableOf(const Recording& recording, const Evaluation& evaluation) {
  const int traces = std::max(recording.traces, 0);
  FitTable table;
  table.time = recording.times;
  for (int k = 0; k < traces; ++k) table.measured.emplace_back(recording.currents[k]);
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (evaluation.currents[i].empty()) continue;
    FitTableCurrent current{
        i + 1, std::string(params[i].name, strnlen(params[i].name, kNameSize)), {}};
    for (int k = 0; k < traces; ++k) current.traces.emplace_back(evaluation.currents[i][k]);
    table.currents.push_back(std::move(current));
  }
  return table;
}
