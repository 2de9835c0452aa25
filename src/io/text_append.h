// Formatted text that grows as needed: the printf conversions appended to a std::string, so
// that no line or report has a fixed size to overflow or cut.
#pragma once

#include <string>

// Appends the text that printf would give for format and its arguments.
void AppendFormat(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
