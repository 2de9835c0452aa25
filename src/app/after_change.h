// The one function every change goes through: it records the undo step, re-evaluates when the
// change calls for it and redraws what changed.
#pragma once

#include "display/change.h"

void HandleChange(const Change& change);  // registered as the change handler at start-up
