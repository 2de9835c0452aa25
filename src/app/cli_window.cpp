// The window: started with the files the command line names already read and, when both are
// given, the fit drawn.
#include "app/cli_jobs.h"
#include "app/pavik.h"
#include "model/model.h"
#include "platform/platform.h"

int RunWindow(const CliCommand& command, int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  bool dataRead = false;
  bool paramRead = false;
  if (!command.dataFile.empty()) dataRead = LoadDataFile(command.dataFile);
  if (!command.paramFile.empty()) paramRead = LoadParamFile(command.paramFile) != 0;
  if (dataRead && paramRead) DoFit();
  RunUserInterface();
  return 0;
}
