// Formatted text that grows as needed: the printf conversions appended to a std::string.
#include "io/text_append.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Most pieces (one number, one report line) fit here, so they need one formatting pass.
constexpr int kFirstPassBytes = 128;

}  // namespace

void AppendFormat(std::string* text, const char* format, ...) {
  char first[kFirstPassBytes];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(first, sizeof first, format, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return;  // an encoding error: nothing that could be appended
  }
  if (length < kFirstPassBytes) {
    text->append(first, static_cast<size_t>(length));
  } else {
    const size_t start = text->size();
    text->resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(text->data() + start, static_cast<size_t>(length) + 1, format, again);
    text->resize(start + static_cast<size_t>(length));  // drop the terminator vsnprintf wrote
  }
  va_end(again);
}
