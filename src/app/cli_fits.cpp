// The --fits job: the data file and the parameter file read without a window, the model
// evaluated, and the table of each measured trace and its summed fit written.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/cli_jobs.h"
#include "model/model.h"

namespace {

std::string FitsTable() {
  std::string table = "t";
  for (int k = 0; k < NumTraces; ++k) {
    table += "\tI" + std::to_string(k + 1) + "\tfit" + std::to_string(k + 1);
  }
  table += '\n';
  const int points = LoadedPoints();
  const int traces = std::clamp(NumTraces, 0, kMaxTraces);
  static double fits[kMaxTraces][kMaxPoints];  // too large for the stack
  for (int k = 0; k < traces; ++k) SumIncludedCurrents(k, points, fits[k]);
  char number[64];
  for (int n = 0; n < points; ++n) {
    std::snprintf(number, sizeof number, "%.17g", timevals[n]);
    table += number;
    for (int k = 0; k < traces; ++k) {
      std::snprintf(number, sizeof number, "\t%.17g\t%.17g", ydata[k][n], fits[k][n]);
      table += number;
    }
    table += '\n';
  }
  return table;
}

int WriteFits(const std::string& path) {
  const std::string table = FitsTable();
  if (path == kStandardOutput) return WriteToStandardOutput(table, "table of fits");
  return SaveOutput(path, table, "table of fits");
}

}  // namespace

int RunFits(const CliCommand& command) {
  InitParams();
  if (!LoadAndApply(command)) return kExitFileError;
  DoFit();
  return WriteFits(command.output);
}
