// Numbers as text with std::to_chars, which never looks at the locale.
#include "platform/number_text.h"

#include <charconv>

namespace {
constexpr int kLongestNumber = 64;  // the longest %g or shortest form of any double, with room
}  // namespace

std::string ShortestText(double value) {
  char text[kLongestNumber];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string SignificantText(double value, int digits) {
  char text[kLongestNumber];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return std::string(text, result.ptr);
}
