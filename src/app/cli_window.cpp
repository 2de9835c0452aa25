// The window: started with the files the command line names already read and, when both are
// given, the fit drawn; or with a session file, the session taken back.
#include "app/cli_jobs.h"
#include "app/history.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "app/session_file.h"
#include "model/model.h"
#include "platform/platform.h"

int RunWindow(const CliCommand& command, int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  if (!command.sessionFile.empty()) {
    OpenSessionFile(command.sessionFile);  // tells what it could not do
  } else {
    bool dataRead = false;
    bool paramRead = false;
    if (!command.dataFile.empty()) dataRead = LoadDataFile(command.dataFile);
    if (!command.paramFile.empty()) paramRead = LoadParamFile(command.paramFile) != 0;
    if (dataRead && paramRead) DoFit();
  }
  StartWorkspaceHistory();  // what was opened is the first state, and counts as saved
  RunUserInterface();
  StopPolishForQuit();  // quitting must not leave the polish thread behind
  return 0;
}
