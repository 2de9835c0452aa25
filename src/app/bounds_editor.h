// The bounds editor: "Bounds…" in the free toggles' right-button menus opens a box with the
// parameter's lower and upper bound for the polish; what it sets is one undoable step.
#pragma once

#include <string>

#include "fit/polish.h"

void InitBoundsEditing();  // offers the menu on every free toggle
// What a free toggle's tip says of param under choice: free or fixed, its bounds, the menu.
std::string FreeToggleTip(const ParamChoice& choice, const ParamRef& param);
// Asks for param's bounds until they make sense or the user cancels; changes nothing otherwise.
void EditBounds(const ParamRef& param);
