// Where the drag handles of the curve graphs stand on a current's curves, and which parameter
// value a handle dragged to a point means. On the steady-state graph: the midpoints (Vm, Vh) and
// the points where the curves cross 0.25 or 0.75 (Km, Kh); on the time-constant graph: the two
// limits (Tmhi, Tmlo, Thhi, Thlo), the midpoints (Vtm, Vth) and the points a quarter of the way
// between the limits (Ktm, Kth).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "model.h"
#include "model/kinetics.h"
#include "model/param_table.h"

namespace curve_geometry {

struct Point {
  double x, y;  // mV, and the curve's own unit (a fraction, or ms)
};

// A slope point stands at mid + |slope| ln 3 (to the right of the midpoint, whatever the sign):
// there exp(±(v - mid) / slope) is 3 or 1/3, so the curve is a quarter or three quarters of the
// way from one end to the other.
inline const double kLn3 = std::log(3.0);
// The limits of a time constant stand this far inside the voltage range, the inactivation
// gate's a little further in, so that equal limits of m and h do not hide one another.
inline constexpr double kLimitInsetM = 0.04;
inline constexpr double kLimitInsetH = 0.10;

inline bool OnSteadyStateGraph(ParamField f) {
  return f == ParamField::Vm || f == ParamField::Km || f == ParamField::Vh || f == ParamField::Kh;
}
inline bool OnTimeConstantGraph(ParamField f) {
  switch (f) {
    case ParamField::Tmhi:
    case ParamField::Tmlo:
    case ParamField::Thhi:
    case ParamField::Thlo:
    case ParamField::Vtm:
    case ParamField::Vth:
    case ParamField::Ktm:
    case ParamField::Kth:
      return true;
    default:
      return false;
  }
}
inline bool IsActivation(ParamField f) {  // m: drawn in the activation curve's colour
  switch (f) {
    case ParamField::Vm:
    case ParamField::Km:
    case ParamField::Tmhi:
    case ParamField::Tmlo:
    case ParamField::Vtm:
    case ParamField::Ktm:
      return true;
    default:
      return false;
  }
}

// The time-constant parameters of one gate.
struct Sigmoid {
  double hi, lo, mid, slope;
};
inline Sigmoid TauOf(const CurrentParams& c, bool activation) {
  return activation ? Sigmoid{c.Tmhi, c.Tmlo, c.Vtm, c.Ktm} : Sigmoid{c.Thhi, c.Thlo, c.Vth, c.Kth};
}

// Where the handle of field stands for current c on a voltage range vMin .. vMax; none when the
// field has no handle. A zero slope gives coordinates that are not finite (the handle is hidden).
inline std::optional<Point> HandlePoint(ParamField f, const CurrentParams& c, double vMin,
                                        double vMax) {
  const double nan = std::nan("");
  switch (f) {
    case ParamField::Vm:
      return Point{c.Vm, 0.5};
    case ParamField::Vh:
      return Point{c.Vh, 0.5};
    case ParamField::Km:
    case ParamField::Kh: {
      const double mid = f == ParamField::Km ? c.Vm : c.Vh;
      const double slope = f == ParamField::Km ? c.Km : c.Kh;
      if (slope == 0) return Point{nan, nan};
      const double x = mid + std::fabs(slope) * kLn3;
      return Point{x, kinetics::SteadyState(x, mid, slope)};
    }
    default:
      break;
  }
  if (!OnTimeConstantGraph(f)) return std::nullopt;
  const bool m = IsActivation(f);
  const Sigmoid s = TauOf(c, m);
  const bool isHi = f == ParamField::Tmhi || f == ParamField::Thhi;
  const bool isLo = f == ParamField::Tmlo || f == ParamField::Thlo;
  if (isHi || isLo) {
    // The curve runs from hi to lo across mid: hi lies left for a positive slope.
    const bool left = isHi == (s.slope > 0);
    const double inset = (m ? kLimitInsetM : kLimitInsetH) * (vMax - vMin);
    return Point{left ? vMin + inset : vMax - inset, isHi ? s.hi : s.lo};
  }
  if (f == ParamField::Vtm || f == ParamField::Vth) return Point{s.mid, 0.5 * (s.hi + s.lo)};
  if (s.slope == 0) return Point{nan, nan};
  const double x = s.mid + std::fabs(s.slope) * kLn3;
  return Point{x, kinetics::TimeConstant(x, s.hi, s.lo, s.mid, s.slope)};
}

// The value of field that puts its handle at (x, y) with every other parameter of c kept: a
// midpoint takes x, a limit y, a slope the distance from its midpoint over ln 3 with its sign
// kept. The result stays within the field's physical bounds (a slope at least kLeastSlope).
inline double DraggedValue(ParamField f, const CurrentParams& c, double x, double y) {
  const ParamDescriptor& d = Descriptor(f);
  switch (d.kind) {
    case FieldKind::Voltage:
      return std::clamp(x, d.lower, d.upper);
    case FieldKind::TimeConstant:
      return std::max(y, d.lower);
    case FieldKind::Slope: {
      double mid = c.Vm;
      if (f == ParamField::Kh) mid = c.Vh;
      if (f == ParamField::Ktm) mid = c.Vtm;
      if (f == ParamField::Kth) mid = c.Vth;
      const double magnitude = std::max((x - mid) / kLn3, kLeastSlope);
      return c.*d.real < 0 ? -magnitude : magnitude;
    }
    default:
      return d.real ? c.*d.real : 0.0;
  }
}

// A dragged value rounded to three significant digits, and never finer than resolution: what a
// pixel of mouse movement can mean, written as a person would type it.
inline double Tidy(double value, double resolution) {
  if (value == 0 || !std::isfinite(value)) return value;
  const double quantum =
      std::max(std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 2), resolution);
  const double rounded = std::round(value / quantum) * quantum;
  char text[32];  // 15 digits drop the binary residue of the product
  std::snprintf(text, sizeof text, "%.15g", rounded);
  return std::strtod(text, nullptr);
}

}  // namespace curve_geometry
