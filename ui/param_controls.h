// The main panel's controls of the workspace's records: the numeric field of each parameter of
// the selected current, and the in-fit toggle and name box of each current.
#pragma once

#include <array>
#include <cstdint>

#include "model/model.h"
#include "model/param_table.h"
#include "pavikuir.h"

// In the order of the parameter table.
inline constexpr std::array<int, kParamFieldCount> kParamControls = {
    PANEL_VM,    PANEL_VH,   PANEL_KM,   PANEL_KH,  PANEL_TMHI, PANEL_TMLO,
    PANEL_THHI,  PANEL_THLO, PANEL_VTM,  PANEL_VTH, PANEL_KTM,  PANEL_KTH,
    PANEL_VHOLD, PANEL_GMAX, PANEL_EREV, PANEL_P,   PANEL_Q};

inline constexpr int ControlOf(const ParamDescriptor& d) {
  return kParamControls[static_cast<int>(d.field)];
}

// The descriptor of the field a main-panel control edits, or null.
inline const ParamDescriptor* DescriptorOfControl(int control) {
  for (const ParamDescriptor& d : kParamTable) {
    if (ControlOf(d) == control) return &d;
  }
  return nullptr;
}

inline constexpr int32_t currCtl[kMaxCurrents] = {  // in-fit toggles of currents 1 to 10
    PANEL_FITCURR1, PANEL_FITCURR2, PANEL_FITCURR3, PANEL_FITCURR4, PANEL_FITCURR5,
    PANEL_FITCURR6, PANEL_FITCURR7, PANEL_FITCURR8, PANEL_FITCURR9, PANEL_FITCURR10};
inline constexpr int32_t currLab[kMaxCurrents] = {  // name boxes of currents 1 to 10
    PANEL_CURRLABEL1, PANEL_CURRLABEL2, PANEL_CURRLABEL3, PANEL_CURRLABEL4, PANEL_CURRLABEL5,
    PANEL_CURRLABEL6, PANEL_CURRLABEL7, PANEL_CURRLABEL8, PANEL_CURRLABEL9, PANEL_CURRLABEL10};
