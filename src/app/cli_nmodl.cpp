// The --export-nmodl job: a parameter file read without a window, and one NEURON mechanism per
// current written into a folder, each file named on standard output.
#include <cstdio>

#include "app/cli_jobs.h"
#include "app/export_nmodl.h"
#include "app/pavik.h"
#include "model/model.h"

int RunExportNmodl(const CliCommand& command) {
  InitParams();
  if (!ReadableOnCommandLine(command.paramFile, "parameter file") ||
      !LoadParamFile(command.paramFile))
    return kExitFileError;
  NmodlOptions options;
  options.areaUm2 = command.densityArea;
  options.q10 = command.q10;
  options.recordingCelsius = command.celsius.value_or(0.0);
  const NmodlSource source{
      std::string("Pavik ") + kVersion, command.paramFile, "", TodaysDate(), {}};
  const NmodlExport mechanisms =
      MakeNmodlFiles(WorkspaceNmodlCurrents(command.nmodlCurrents), options, source);
  std::vector<std::string> written;
  std::string why = mechanisms.error;
  if (why.empty()) why = WriteNmodlFiles(command.output, mechanisms, &written);
  std::string list;
  for (const std::string& path : written) list += path + "\n";
  const int listed = WriteToStandardOutput(list, "list of mechanisms");
  if (!why.empty()) {
    std::fprintf(stderr, "pavik: %s\n", why.c_str());
    return kExitFileError;
  }
  return listed;
}
