// The bounds editor: "Bounds…" in the free toggles' right-button menus opens a box with the
// parameter's lower and upper bound for the polish; what it sets is one undoable step.
#pragma once

#include "fit/polish.h"

void InitBoundsEditing();  // offers the menu on every free toggle
// Asks for param's bounds until they make sense or the user cancels; changes nothing otherwise.
void EditBounds(const ParamRef& param);
