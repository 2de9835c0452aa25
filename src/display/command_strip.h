// The command strip over the data graph: each trace's whole command in its colour, on the data
// graph's time axis, shown while the model follows the commands.
#pragma once

void ShowCommandStrip();  // redraws it from the loaded commands, or hides it (single step)
