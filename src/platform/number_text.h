// Numbers as text, always with a point whatever the desktop's locale: the shortest text that
// reads back to the same double, or a given number of significant digits as printf's %g writes
// them. Every number the program shows or writes goes through here.
#pragma once

#include <string>

std::string ShortestText(double value);
std::string SignificantText(double value, int digits = 6);  // %.<digits>g
