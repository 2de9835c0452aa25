// What the polish may move for one recording and within what: the free flags and bounds of each
// current's real fields and of the baseline, as plain values. The defaults and the polish that
// reads them are the fitter's; they sit here so that a recording can carry its own choice.
#pragma once

#include <array>
#include <optional>

#include "model/model.h"
#include "model/param_table.h"

inline constexpr int kRealFieldCount = 15;  // Vm ... Erev: the real fields, first in the table

struct ParamBounds {
  double lower;  // the field's unit; -kUnbounded: none
  double upper;  // kUnbounded: none
  bool operator==(const ParamBounds&) const = default;
};

// Which real fields of one current the polish moves, and within what.
struct CurrentChoice {
  std::array<bool, kRealFieldCount> free{};
  std::array<ParamBounds, kRealFieldCount> bounds{};
  bool operator==(const CurrentChoice&) const = default;
};

struct ParamChoice {
  std::array<CurrentChoice, kMaxCurrents> currents{};
  bool baselineFree = false;
  ParamBounds baselineBounds{-kUnbounded, kUnbounded};  // nA
  bool operator==(const ParamChoice&) const = default;
};

// The user's part of a recording's choice. Unset: the defaults for the parameters as they are
// now, which follow a change of a slope's sign or of a gate power.
struct FitterChoice {
  std::optional<ParamChoice> choice;
  // The bounds in choice that the user set (in the window, or a session's bounds that differ
  // from the defaults); the others follow the parameters as they are now, so that a slope's
  // bound keeps its sign.
  std::array<std::array<bool, kRealFieldCount>, kMaxCurrents> userBounds{};
  bool baselineUserBounds = false;
  bool operator==(const FitterChoice&) const = default;
};
