// The bounds as the user types them: a bound as its text box shows it, and the two texts read
// back into bounds the polish can use, or the reason they make none.
#pragma once

#include <string>

#include "fit/polish.h"

// "" for no bound; else the shortest text that reads back to the same number.
std::string BoundText(double bound);

struct BoundsEntry {
  std::string lower;  // "" for none
  std::string upper;  // "" for none
};

// Reads the entry for a parameter called name whose value is now value. A slope keeps its sign
// (the model divides by it), so its bound on the side of 0 must be given and of its sign. ""
// with *bounds set when the entry makes bounds; otherwise why not, and *bounds is untouched.
std::string ReadBoundsEntry(const BoundsEntry& entry, const std::string& name, bool slope,
                            double value, ParamBounds* bounds);
