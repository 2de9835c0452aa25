// The window: started with the files the command line names already read and, when both are
// given, the fit drawn; or with a session file, the session taken back.
#include "app/cli_jobs.h"
#include "app/history.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "app/session_file.h"
#include "display/display.h"
#include "model/model.h"
#include "panels/panels.h"
#include "platform/platform.h"

int RunWindow(const CliCommand& command, int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  if (!command.sessionFile.empty()) {
    OpenSessionFile(command.sessionFile);  // tells what it could not do
  } else {
    bool dataRead = false;
    bool paramRead = false;
    // Without import options on the command line an amplifier file asks with the import dialog.
    const ImportOptions importOptions = ImportOptionsOf(command);
    const bool givenChoices = command.import.Any() || !command.traceV.empty();
    if (!command.dataFile.empty())
      dataRead = LoadDataFile(command.dataFile, givenChoices ? &importOptions : nullptr);
    if (dataRead && !command.traceV.empty()) {
      for (size_t k = 0; k < command.traceV.size() && k < static_cast<size_t>(kMaxTraces); ++k)
        status.traceV[k] = command.traceV[k];
      ShowTraceVoltages();
    }
    if (!command.paramFile.empty()) paramRead = LoadParamFile(command.paramFile) != 0;
    if (dataRead && paramRead) EvaluateAndShow();
  }
  StartWorkspaceHistory();  // what was opened is the first state, and counts as saved
  RunUserInterface();
  StopPolishForQuit();  // quitting must not leave the polish thread behind
  return 0;
}
