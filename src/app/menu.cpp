// The main menu: one callback that runs the command of each menu item.
#include "app/after_change.h"
#include "app/export.h"
#include "app/history.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "app/recordings.h"
#include "app/session_file.h"
#include "app/unsaved_guard.h"
#include "display/display.h"
#include "io/dialog_folder.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

void menuCB(int menuBar, int menuItem, void*, int) {
  switch (menuItem) {
    case MENU_OPENDATA:
      // a new recording puts the regions, noise region and polish choices back to their defaults
      if (MayDiscardChanges("Open Data File", Guarded::kSession) && ReadDataFile())
        ShowHistoryState();  // draws what it read; its import choices count
      break;
    case MENU_ADDRECORDING:
      AddRecording();
      break;
    case MENU_RENAMERECORDING:
      RenameShownRecording();
      break;
    case MENU_REMOVERECORDING:
      RemoveShownRecording();
      break;
    case MENU_RECORDINGINPOLISH:
      ToggleShownInPolish();
      break;
    case MENU_PREVRECORDING:
      StepRecording(-1);
      break;
    case MENU_NEXTRECORDING:
      StepRecording(+1);
      break;
    case MENU_OPENPARAM:
      if (MayDiscardChanges("Open Parameter File", Guarded::kParameters) && Read_Last_Values()) {
        AfterChange({Changed::kWorkspace, "Open Parameter File"});
        NoteSaved();
      }
      break;
    case MENU_SAVEPARAM:
      if (Save_Current_Values()) NoteParamFileSaved(LastParamFile());
      break;
    case MENU_OPENSESSION:
      if (MayDiscardChanges("Open Session")) Open_Session();
      break;
    case MENU_SAVESESSION:
      if (MayDiscardChanges("Save Session", Guarded::kParameters)) Save_Session();
      break;
    case MENU_EXPORTFIGURE:
      Export_Figure();
      break;
    case MENU_EXPORTTABLE:
      Export_Table();
      break;
    case MENU_EXPORTNMODL:
      Export_Nmodl();
      break;
    case MENU_QUIT:
      if (MayDiscardChanges("Quit")) QuitUserInterface(1);
      break;
    case MENU_FITSUMMARY:
      CopyFitSummary();
      break;
    case MENU_POLISH:
      StartPolish();
      break;
    case MENU_CANCELPOLISH:
      CancelPolish();
      break;
    case MENU_UNDO:
      UndoChange();
      break;
    case MENU_REDO:
      RedoChange();
      break;
    case MENU_COPY:
      CopyCurrent();
      CopyCurrToClipboard(status.selCurrent - 1);
      SetMenuBarAttribute(menuBar, MENU_PASTE, ATTR_DIMMED, 0);  // the buffer now holds a current
      break;
    case MENU_PASTE:
      PasteCurrent();
      HandleChange({Changed::kWorkspace, "Paste Current"});
      break;
    case MENU_CLIPBOARD:
      CopyCurrToClipboard(-1);
      break;
    case MENU_DCLAMP:
      DisplayPanel(dclampPanelHandle);
      break;
    case MENU_OPTIONS:
      DisplayPanel(optionsPanelHandle);
      break;
    case MENU_INFO:
      DisplayPanel(infoPanelHandle);
      break;
    default:  // menu titles, separators and unknown ids
      break;
  }
}
