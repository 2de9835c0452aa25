// The parameter table: one descriptor per field of a current's record (the name the user sees,
// its unit, the member, its control on the main panel, a sensible arrow step, physical bounds,
// real number or gate power). The editor, the panels, the files, the report, the least-squares
// polish, undo and the curve handles find a current's fields here instead of listing them again.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/model.h"

enum class FieldKind {
  Voltage,       // a voltage (mV)
  Slope,         // a Boltzmann or sigmoid slope (mV); a zero is stored without re-evaluation
  TimeConstant,  // a limit of a time constant (ms)
  Conductance,   // Gmax (nS: the model's 0.001 turns nS x mV into nA)
  GatePower,     // an integer gate power
};

enum class ParamField : int {
  Vm,
  Vh,
  Km,
  Kh,
  Tmhi,
  Tmlo,
  Thhi,
  Thlo,
  Vtm,
  Vth,
  Ktm,
  Kth,
  Vhold,
  Gmax,
  Erev,
  p,
  q
};
inline constexpr int kParamFieldCount = 17;  // every numeric field of CurrentParams

// The gate whose kinetics a field describes: a field of a gate raised to the power 0 has no effect.
enum class Gate { None, m, h };

struct ParamDescriptor {
  ParamField field;
  std::string_view name;  // as the user sees it ("Vm", "Tmhi")
  std::string_view unit;  // "mV", "ms", "nS", "" for a gate power
  FieldKind kind;
  double CurrentParams::*real;    // the member of a real field; null for a gate power
  int32_t CurrentParams::*power;  // the member of a gate power; null for a real field
  Gate gate;                      // the gate it belongs to
  double step;                    // a sensible arrow step at the field's usual magnitude
  // Physical bounds, the polish's defaults. A slope keeps the sign it starts with and a
  // magnitude of at least kLeastSlope, which a fixed interval cannot say.
  double lower, upper;
};

inline constexpr double kVoltageBound = 200.0;       // mV either side of 0
inline constexpr double kLeastTimeConstant = 0.001;  // ms
inline constexpr double kLeastSlope = 0.1;           // mV, magnitude; the sign is kept
inline constexpr double kUnbounded = 1e300;

// clang-format off
inline constexpr std::array<ParamDescriptor, kParamFieldCount> kParamTable = {{
  {ParamField::Vm,    "Vm",    "mV", FieldKind::Voltage,      &CurrentParams::Vm,    nullptr, Gate::m,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Vh,    "Vh",    "mV", FieldKind::Voltage,      &CurrentParams::Vh,    nullptr, Gate::h,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Km,    "Km",    "mV", FieldKind::Slope,        &CurrentParams::Km,    nullptr, Gate::m,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Kh,    "Kh",    "mV", FieldKind::Slope,        &CurrentParams::Kh,    nullptr, Gate::h,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Tmhi,  "Tmhi",  "ms", FieldKind::TimeConstant, &CurrentParams::Tmhi,  nullptr, Gate::m,    0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Tmlo,  "Tmlo",  "ms", FieldKind::TimeConstant, &CurrentParams::Tmlo,  nullptr, Gate::m,    0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Thhi,  "Thhi",  "ms", FieldKind::TimeConstant, &CurrentParams::Thhi,  nullptr, Gate::h,    0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Thlo,  "Thlo",  "ms", FieldKind::TimeConstant, &CurrentParams::Thlo,  nullptr, Gate::h,    0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Vtm,   "Vtm",   "mV", FieldKind::Voltage,      &CurrentParams::Vtm,   nullptr, Gate::m,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Vth,   "Vth",   "mV", FieldKind::Voltage,      &CurrentParams::Vth,   nullptr, Gate::h,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Ktm,   "Ktm",   "mV", FieldKind::Slope,        &CurrentParams::Ktm,   nullptr, Gate::m,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Kth,   "Kth",   "mV", FieldKind::Slope,        &CurrentParams::Kth,   nullptr, Gate::h,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Vhold, "Vhold", "mV", FieldKind::Voltage,      &CurrentParams::Vhold, nullptr, Gate::None, 1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Gmax,  "Gmax",  "nS", FieldKind::Conductance,  &CurrentParams::Gmax,  nullptr, Gate::None, 1.0, 0.0, kUnbounded},
  {ParamField::Erev,  "Erev",  "mV", FieldKind::Voltage,      &CurrentParams::Erev,  nullptr, Gate::None, 1.0, -kVoltageBound, kVoltageBound},
  {ParamField::p,     "p",     "",   FieldKind::GatePower,    nullptr, &CurrentParams::p, Gate::None, 1.0, 0.0, kUnbounded},
  {ParamField::q,     "q",     "",   FieldKind::GatePower,    nullptr, &CurrentParams::q, Gate::None, 1.0, 0.0, kUnbounded},
}};
// clang-format on

inline constexpr const ParamDescriptor& Descriptor(ParamField field) {
  return kParamTable[static_cast<int>(field)];
}

// The finest arrow step of a real field, reached as the value nears zero: a tenth of a millivolt,
// a microsecond, a picosiemens. A time constant never steps below it.
inline constexpr double LeastStep(FieldKind kind) {
  switch (kind) {
    case FieldKind::TimeConstant:
      return kLeastTimeConstant;
    case FieldKind::Conductance:
      return 0.001;
    default:
      return 0.1;
  }
}

// The field's value as a real number (a gate power converted).
inline double FieldValue(const CurrentParams& c, const ParamDescriptor& d) {
  return d.real ? c.*d.real : static_cast<double>(c.*d.power);
}
