// The bounds as the user types them, read back with a reason when they make no bounds.
#include "fit/bounds_entry.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "platform/number_text.h"

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// none: empty. Read with from_chars, so a desktop's locale cannot change the number, and only
// when the whole text is one finite number: "12abc" is not taken as 12.
bool ReadBound(const std::string& typed, std::optional<double>* bound) {
  std::string text = Trimmed(typed);
  bound->reset();
  if (text.empty()) return true;
  if (text[0] == '+') text.erase(0, 1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      std::fabs(value) >= kUnbounded)
    return false;
  *bound = value;
  return true;
}

}  // namespace

std::string BoundText(double bound) {
  return std::fabs(bound) >= kUnbounded ? "" : ShortestText(bound);
}

std::string ReadBoundsEntry(const BoundsEntry& entry, const std::string& name, bool slope,
                            double value, ParamBounds* bounds) {
  std::optional<double> lower;
  std::optional<double> upper;
  if (!ReadBound(entry.lower, &lower))
    return "The lower bound of " + name + " is not a number: \"" + entry.lower + "\".";
  if (!ReadBound(entry.upper, &upper))
    return "The upper bound of " + name + " is not a number: \"" + entry.upper + "\".";
  if (lower && upper && *lower >= *upper)
    return "The lower bound of " + name + " (" + ShortestText(*lower) +
           ") must be below its upper bound (" + ShortestText(*upper) + ").";
  if (slope) {
    const bool positive = value > 0 || (value == 0 && lower && *lower > 0);
    if (positive && !(lower && *lower > 0))
      return name +
             " is a slope that stays positive: give it a lower bound above 0 (the model "
             "divides by it).";
    if (!positive && !(upper && *upper < 0))
      return name +
             " is a slope that stays negative: give it an upper bound below 0 (the model "
             "divides by it).";
  }
  *bounds = {lower.value_or(-kUnbounded), upper.value_or(kUnbounded)};
  return "";
}
