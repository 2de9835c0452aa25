// The main menu: one callback that runs the command of each menu item.
#include "pavik.h"

// The commands arrive with the menu work.
void menuCB(int, int, void*, int) {}
