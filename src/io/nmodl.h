// NEURON mechanisms of fitted currents: the NMODL text of one mechanism per current, whose
// equations are Pavik's model, as point processes (nA, uS) or density mechanisms (mA/cm2, S/cm2).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

// Identifiers longer than this are cut: a mechanism name is also a C function name in NEURON's
// build and a file name, and no one types a longer one.
constexpr size_t kMaxMechanismNameLength = 40;
inline constexpr const char* kMechanismPrefix = "pavik_";  // never one of NEURON's own mechanisms

// ---- records ----
struct NmodlOptions {
  std::optional<double> areaUm2;  // density mechanisms for this membrane area; none: point
                                  // processes
  std::optional<double> q10;      // time constants scaled by q10^((celsius - recordingC) / 10)
  double recordingCelsius = 0.0;  // the temperature the recording was made at (with q10)
};

// Where the fit came from, for each file's header.
struct NmodlSource {
  std::string program;        // "Pavik 3.2"
  std::string paramFile;      // the parameter file exported
  std::string dataFile;       // the recording fitted; "" when none was given
  std::string date;           // of the export, "2026-05-01"
  std::optional<double> rms;  // the fit's RMS (nA) over the analysis window, when known
};

struct NmodlCurrent {
  int number;            // 1-based, as the user sees it
  CurrentParams params;  // its parameters and name
};

struct NmodlFile {
  std::string mechanism;  // the NMODL name: SUFFIX or POINT_PROCESS
  std::string fileName;   // mechanism + ".mod"
  std::string text;       // the whole file
};

struct NmodlExport {
  std::vector<NmodlFile> files;  // one per current, in the order given
  std::string error;             // "" on success; otherwise why nothing can be exported
};

// ---- the mechanisms ----
// The mechanism names of the currents: "pavik_" and the name with every character that cannot
// stand in an identifier made "_", or the current's number when nothing is left; a name that
// another current already has (in any case) gets "_" and the current's number.
std::vector<std::string> MechanismNames(const std::vector<NmodlCurrent>& currents);
// "" or why the options cannot give a mechanism (an area or Q10 that is not a positive number).
std::string CheckNmodlOptions(const NmodlOptions& options);
// One mechanism per current; none at all, and the reason, when a current cannot be written (a
// slope factor of 0 in a gate it uses, which the equations divide by).
NmodlExport MakeNmodlFiles(const std::vector<NmodlCurrent>& currents, const NmodlOptions& options,
                           const NmodlSource& source);
