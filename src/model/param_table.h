// The parameter table: one descriptor per field of a current's record (the name the user sees,
// its unit, the member, its control on the main panel, a sensible arrow step, physical bounds,
// real number or gate power). The editor, the panels, the files, the report, the least-squares
// polish, undo and the curve handles find a current's fields here instead of listing them again.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model.h"
#include "pavikuir.h"

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

struct ParamDescriptor {
  ParamField field;
  std::string_view name;  // as the user sees it ("Vm", "Tmhi")
  std::string_view unit;  // "mV", "ms", "nS", "" for a gate power
  FieldKind kind;
  double CurrentParams::*real;    // the member of a real field; null for a gate power
  int32_t CurrentParams::*power;  // the member of a gate power; null for a real field
  int control;                    // its numeric control on the main panel
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
  {ParamField::Vm,    "Vm",    "mV", FieldKind::Voltage,      &CurrentParams::Vm,    nullptr, PANEL_VM,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Vh,    "Vh",    "mV", FieldKind::Voltage,      &CurrentParams::Vh,    nullptr, PANEL_VH,    1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Km,    "Km",    "mV", FieldKind::Slope,        &CurrentParams::Km,    nullptr, PANEL_KM,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Kh,    "Kh",    "mV", FieldKind::Slope,        &CurrentParams::Kh,    nullptr, PANEL_KH,    0.1, -kUnbounded, kUnbounded},
  {ParamField::Tmhi,  "Tmhi",  "ms", FieldKind::TimeConstant, &CurrentParams::Tmhi,  nullptr, PANEL_TMHI,  0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Tmlo,  "Tmlo",  "ms", FieldKind::TimeConstant, &CurrentParams::Tmlo,  nullptr, PANEL_TMLO,  0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Thhi,  "Thhi",  "ms", FieldKind::TimeConstant, &CurrentParams::Thhi,  nullptr, PANEL_THHI,  0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Thlo,  "Thlo",  "ms", FieldKind::TimeConstant, &CurrentParams::Thlo,  nullptr, PANEL_THLO,  0.1, kLeastTimeConstant, kUnbounded},
  {ParamField::Vtm,   "Vtm",   "mV", FieldKind::Voltage,      &CurrentParams::Vtm,   nullptr, PANEL_VTM,   1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Vth,   "Vth",   "mV", FieldKind::Voltage,      &CurrentParams::Vth,   nullptr, PANEL_VTH,   1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Ktm,   "Ktm",   "mV", FieldKind::Slope,        &CurrentParams::Ktm,   nullptr, PANEL_KTM,   0.1, -kUnbounded, kUnbounded},
  {ParamField::Kth,   "Kth",   "mV", FieldKind::Slope,        &CurrentParams::Kth,   nullptr, PANEL_KTH,   0.1, -kUnbounded, kUnbounded},
  {ParamField::Vhold, "Vhold", "mV", FieldKind::Voltage,      &CurrentParams::Vhold, nullptr, PANEL_VHOLD, 1.0, -kVoltageBound, kVoltageBound},
  {ParamField::Gmax,  "Gmax",  "nS", FieldKind::Conductance,  &CurrentParams::Gmax,  nullptr, PANEL_GMAX,  1.0, 0.0, kUnbounded},
  {ParamField::Erev,  "Erev",  "mV", FieldKind::Voltage,      &CurrentParams::Erev,  nullptr, PANEL_EREV,  1.0, -kVoltageBound, kVoltageBound},
  {ParamField::p,     "p",     "",   FieldKind::GatePower,    nullptr, &CurrentParams::p,    PANEL_P,     1.0, 0.0, kUnbounded},
  {ParamField::q,     "q",     "",   FieldKind::GatePower,    nullptr, &CurrentParams::q,    PANEL_Q,     1.0, 0.0, kUnbounded},
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

// The descriptor of the field a main-panel control edits, or null.
inline const ParamDescriptor* DescriptorOfControl(int control) {
  for (const ParamDescriptor& d : kParamTable) {
    if (d.control == control) return &d;
  }
  return nullptr;
}

// The field's value as a real number (a gate power converted).
inline double FieldValue(const CurrentParams& c, const ParamDescriptor& d) {
  return d.real ? c.*d.real : static_cast<double>(c.*d.power);
}
