// The --report job: a parameter file read without a window, and the report of all ten currents
// on standard output.
#include "app/cli_jobs.h"
#include "app/pavik.h"
#include "io/io.h"
#include "model/model.h"

int RunReport(const CliCommand& command) {
  InitParams();
  if (!ReadableOnCommandLine(command.paramFile, "parameter file") ||
      !LoadParamFile(command.paramFile))
    return kExitFileError;
  return WriteToStandardOutput(CurrentReport(-1), "report");
}
