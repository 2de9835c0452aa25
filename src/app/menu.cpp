// The main menu: one callback that runs the command of each menu item.
#include "app/pavik.h"
#include "display/display.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

void menuCB(int menuBar, int menuItem, void*, int) {
  switch (menuItem) {
    case MENU_OPENDATA:
      ReadDataFile();  // draws what it read
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
