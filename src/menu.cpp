// The main menu: one callback that runs the command of each menu item.
#include "display.h"
#include "io.h"
#include "model.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "polish_window.h"

void menuCB(int menuBar, int menuItem, void*, int) {
  switch (menuItem) {
    case MENU_OPENDATA:
      if (ReadDataFile()) {
        ClearGraph(PANEL_GRAPH, -1);
        ShowData();
      }
      break;
    case MENU_OPENPARAM:
      Read_Last_Values();
      break;
    case MENU_SAVEPARAM:
      Save_Current_Values();
      break;
    case MENU_QUIT:
      QuitUserInterface(1);
      break;
    case MENU_COPY:
      CopyCurrent();
      CopyCurrToClipboard(status.selCurrent - 1);
      SetMenuBarAttribute(menuBar, MENU_PASTE, ATTR_DIMMED, 0);  // the buffer now holds a current
      break;
    case MENU_PASTE:
      PasteCurrent();
      break;
    case MENU_CLIPBOARD:
      CopyCurrToClipboard(-1);
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
