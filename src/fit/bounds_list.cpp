// The --bounds items of the command line.
#include "fit/bounds_list.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "fit/free_list.h"

namespace {

// A bound as typed: empty is none (returned as `none`); otherwise a finite number, read with a
// point whatever the locale. Empty optional: not a number.
std::optional<double> ReadBound(std::string_view text, double none) {
  if (text.empty()) return none;
  if (text.front() == '+') text.remove_prefix(1);  // from_chars takes no plus sign
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// Why the bounds cannot hold the parameter's model, or "".
std::string BoundsFault(const ParamRef& param, const ParamBounds& bounds) {
  if (!(bounds.lower < bounds.upper)) return "the lower bound must be below the upper";
  if (param.IsBaseline()) return "";
  switch (Descriptor(param.field).kind) {
    case FieldKind::Slope:
      if (bounds.lower <= 0.0 && bounds.upper >= 0.0)
        return "a slope's bounds must keep one sign (the model divides by it)";
      break;
    case FieldKind::TimeConstant:
      if (bounds.lower <= 0.0)
        return "a time constant's lower bound must be above 0 (the model divides by it)";
      break;
    default:
      break;
  }
  return "";
}

// Reads one item into param and bounds; "" or why it is wrong.
std::string ReadItem(std::string_view item, const std::array<CurrentParams, kMaxCurrents>& currents,
                     const std::array<bool, kMaxCurrents>& inFit, ParamRef* param,
                     ParamBounds* bounds) {
  const size_t equals = item.find('=');
  const size_t colon = item.find(':', equals == std::string_view::npos ? 0 : equals);
  if (equals == std::string_view::npos || colon == std::string_view::npos)
    return "write CURRENT.FIELD=LO:HI, such as 1.Vtm=-60:-20";
  const std::string_view name = item.substr(0, equals);
  if (name.find('*') != std::string_view::npos || name.find(',') != std::string_view::npos)
    return "bounds are given for one parameter at a time";
  const ParamListParse parse = ParseParamList(name, currents, inFit);
  if (!parse.error.empty()) return parse.error;
  *param = parse.params.front();
  const std::optional<double> lower =
      ReadBound(item.substr(equals + 1, colon - equals - 1), -kUnbounded);
  const std::optional<double> upper = ReadBound(item.substr(colon + 1), kUnbounded);
  if (!lower || !upper) return "LO and HI are numbers, or empty for no bound";
  *bounds = {*lower, *upper};
  return BoundsFault(*param, *bounds);
}

}  // namespace

std::string ApplyBounds(const std::vector<std::string>& items,
                        const std::array<CurrentParams, kMaxCurrents>& currents,
                        const std::array<bool, kMaxCurrents>& inFit, ParamChoice* choice) {
  ParamChoice bounded = *choice;
  for (const std::string& item : items) {
    ParamRef param;
    ParamBounds bounds{};
    if (const std::string why = ReadItem(item, currents, inFit, &param, &bounds); !why.empty())
      return "--bounds " + item + ": " + why;
    if (param.IsBaseline()) {
      bounded.baselineBounds = bounds;
    } else {
      bounded.currents[param.current].bounds[static_cast<int>(param.field)] = bounds;
    }
  }
  *choice = bounded;
  return "";
}
