// The --fits job: the data file and the parameter file read without a window, the model
// evaluated, and the table of each measured trace and its summed fit (and, asked for, its
// residual) written; the goodness of the fit goes to standard error.
#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_jobs.h"
#include "fit/fit_settings.h"
#include "fit/workspace_fit.h"
#include "model/model.h"
#include "platform/number_text.h"

namespace {

std::string FitsTable(bool residuals) {
  std::string table = "t";
  for (int k = 0; k < LoadedTraces(); ++k) {
    table += "\tI" + std::to_string(k + 1) + "\tfit" + std::to_string(k + 1);
    if (residuals) table += "\tres" + std::to_string(k + 1);
  }
  table += '\n';
  const int points = LoadedPoints();
  const int traces = LoadedTraces();
  std::vector<const double*> fits;  // the evaluation's sums, computed once by DoFit
  for (int k = 0; k < traces; ++k) fits.push_back(SummedFit(k).data());
  char number[64];
  for (int n = 0; n < points; ++n) {
    std::snprintf(number, sizeof number, "%.17g", timevals[n]);
    table += number;
    for (int k = 0; k < traces; ++k) {
      std::snprintf(number, sizeof number, "\t%.17g\t%.17g", ydata[k][n], fits[k][n]);
      table += number;
      if (residuals) {
        std::snprintf(number, sizeof number, "\t%.17g", ydata[k][n] - fits[k][n]);
        table += number;
      }
    }
    table += '\n';
  }
  return table;
}

int WriteFits(const std::string& path, bool residuals) {
  const std::string table = FitsTable(residuals);
  if (path == kStandardOutput) return WriteToStandardOutput(table, "table of fits");
  return SaveOutput(path, table, "table of fits");
}

std::string Figure(const std::optional<double>& value) {
  return value ? SignificantText(*value, 6) : "not available";
}

// The goodness of the fit on standard error, so that the table on standard output stays as
// scripts read it.
void ReportGoodness() {
  const FitGoodness goodness = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise);
  std::string rms = "RMS (nA) over " + std::to_string(goodness.counted) +
                    " samples that count: all " + Figure(goodness.rms);
  std::string ratio = "RMS/noise: all " + Figure(goodness.noiseRatio);
  for (size_t k = 0; k < goodness.traces.size(); ++k) {
    const std::string trace = ", trace " + std::to_string(k + 1) + " ";
    rms += trace + Figure(goodness.traces[k].rms);
    ratio += trace + Figure(goodness.traces[k].noiseRatio);
  }
  std::fprintf(stderr, "%s\n", rms.c_str());
  if (loadedRecording.noise) std::fprintf(stderr, "%s\n", ratio.c_str());
}

// With further recordings, each one's table: OUT.1.tsv for the first (OUT without its .tsv).
std::string TablePath(const std::string& output, size_t recording) {
  const std::string prefix =
      output.ends_with(".tsv") ? output.substr(0, output.size() - 4) : output;
  return prefix + "." + std::to_string(recording + 1) + ".tsv";
}

}  // namespace

int RunFits(const CliCommand& command) {
  InitParams();
  if (!LoadAndApply(command)) return kExitFileError;
  ApplyRegions(command);
  DoFit();
  const bool several = !command.also.empty();
  int written =
      WriteFits(several ? TablePath(command.output, 0) : command.output, command.residuals);
  if (several) std::fprintf(stderr, "recording 1 (%s):\n", command.dataFile.c_str());
  if (written == kExitSuccess) ReportGoodness();
  for (size_t r = 0; r < command.also.size() && written == kExitSuccess; ++r) {
    if (!LoadFurtherRecording(command.also[r])) return kExitFileError;
    DoFit();
    std::fprintf(stderr, "recording %zu (%s):\n", r + 2, command.also[r].dataFile.c_str());
    written = WriteFits(TablePath(command.output, r + 1), command.residuals);
    if (written == kExitSuccess) ReportGoodness();
  }
  return written;
}
