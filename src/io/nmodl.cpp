// The NMODL text of fitted currents: names that NEURON accepts, the header saying where the fit
// came from, and the blocks of a mechanism whose equations are Pavik's model.
#include "io/nmodl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int kShortestDoubleChars = 32;  // to_chars' shortest form of any double fits
constexpr double kNanoPerMicro = 1000.0;  // Gmax in nS, a point process's conductance in uS
// S/cm2 = nS / (10 * um2): 1e-9 S over 1e-8 cm2. Divided once, so that 120 nS over 100 um2
// is written 0.12.
constexpr double kUm2PerCm2TimesSPerNs = 10.0;

std::string Number(double value) {
  char text[kShortestDoubleChars];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

std::string NameOf(const CurrentParams& params) {
  return std::string(params.name, strnlen(params.name, kNameSize));
}

// The name in an identifier's characters: runs of anything else become one "_".
std::string Sanitised(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (IsIdentifierChar(c))
      out.push_back(c);
    else if (!out.empty() && out.back() != '_')
      out.push_back('_');
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  if (out.size() > kMaxMechanismNameLength) out.resize(kMaxMechanismNameLength);
  return out;
}

// A name for a comment line: control characters (a line end would end the comment) as spaces.
std::string CommentText(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  }
  return out;
}

// ---- one mechanism ----

struct Gate {
  const char* state;  // "m" or "h"
  int power;
  const char *half, *slope, *tauHi, *tauLo, *tauMid, *tauSlope;  // parameter names
  double halfV, slopeV, tauHiV, tauLoV, tauMidV, tauSlopeV;      // their values
};

std::vector<Gate> GatesOf(const CurrentParams& c) {
  std::vector<Gate> gates;
  if (c.p != 0)
    gates.push_back({"m", c.p, "Vm", "Km", "Tmhi", "Tmlo", "Vtm", "Ktm", c.Vm, c.Km, c.Tmhi, c.Tmlo,
                     c.Vtm, c.Ktm});
  if (c.q != 0)
    gates.push_back({"h", c.q, "Vh", "Kh", "Thhi", "Thlo", "Vth", "Kth", c.Vh, c.Kh, c.Thhi, c.Thlo,
                     c.Vth, c.Kth});
  return gates;
}

std::string PowerOf(const Gate& gate) {
  const std::string state = gate.state;
  if (gate.power == 1) return state;
  if (gate.power > 0) return state + "^" + std::to_string(gate.power);
  return state + "^(" + std::to_string(gate.power) + ")";
}

std::string Header(const NmodlCurrent& current, const std::string& mechanism, bool density,
                   const NmodlOptions& options, const NmodlSource& source) {
  const CurrentParams& c = current.params;
  const std::string name = CommentText(NameOf(c));
  std::string text;
  text += ": " + mechanism + ": current " + std::to_string(current.number) +
          (name.empty() ? "" : " (" + name + ")") + " of a fit made by eye with " + source.program +
          ",\n";
  text += ": as a NEURON " +
          std::string(density ? "density mechanism (mA/cm2, S/cm2)" : "point process (nA, uS)") +
          ".\n";
  text += ": Parameter file: " + CommentText(source.paramFile) + "\n";
  text += ": Data file: " + (source.dataFile.empty() ? "not given" : CommentText(source.dataFile)) +
          "\n";
  text += ": Exported " + source.date + "; fit RMS " +
          (source.rms ? Number(*source.rms) + " nA over the analysis window"
                      : "not known (exported without the recording)") +
          ".\n";
  text += ":\n: Pavik's model: I = 0.001 * Gmax * m^p * h^q * (V - Erev), Gmax " + Number(c.Gmax) +
          " nS, p = " + std::to_string(c.p) + ", q = " + std::to_string(c.q) + ";\n";
  text += ":   xinf = 1 / (1 + exp((v - Vx) / Kx)),\n";
  text += ":   taux = Txhi + (Txlo - Txhi) / (1 + exp(-(v - Vtx) / Ktx)) for x = m, h.\n";
  if (density) {
    text += ": For a membrane area of " + Number(*options.areaUm2) +
            " um2: gmax (S/cm2) = 0.1 * Gmax (nS) / area (um2).\n";
  } else {
    text += ": gmax (uS) = 0.001 * Gmax (nS); in a voltage clamp i (nA) is Pavik's current.\n";
  }
  if (options.q10) {
    text += ": Time constants divided by q10^((celsius - trec) / 10): the fit holds at trec.\n";
  }
  text += ": The gates start at their steady state at the voltage NEURON initialises to;\n";
  text += ": Pavik's gates start from the holding potential Vhold = " + Number(c.Vhold) + " mV.\n";
  for (const char* gate : {"m", "h"}) {
    if ((gate[0] == 'm' ? c.p : c.q) == 0)
      text += ": The " + std::string(gate) + " gate has the power 0: no state, its parameters" +
              " left out.\n";
  }
  return text;
}

std::string NeuronBlock(const std::string& mechanism, bool density, const std::vector<Gate>& gates,
                        const NmodlOptions& options) {
  std::string text = "NEURON {\n";
  text += std::string("  ") + (density ? "SUFFIX " : "POINT_PROCESS ") + mechanism + "\n";
  text += "  NONSPECIFIC_CURRENT i\n";
  text += "  RANGE gmax, Erev";
  for (const Gate& g : gates) {
    for (const char* p : {g.half, g.slope, g.tauHi, g.tauLo, g.tauMid, g.tauSlope})
      text += std::string(", ") + p;
  }
  text += "\n  RANGE g";
  for (const Gate& g : gates) text += std::string(", ") + g.state + "inf, tau" + g.state;
  text += "\n";
  if (options.q10) text += "  RANGE q10, trec\n";
  text += "}\n\n";
  return text;
}

std::string UnitsBlock(bool density) {
  std::string text = "UNITS {\n  (mV) = (millivolt)\n";
  text += density ? "  (mA) = (milliamp)\n  (S) = (siemens)\n"
                  : "  (nA) = (nanoamp)\n  (uS) = (microsiemens)\n";
  return text + "}\n\n";
}

std::string ParameterBlock(const CurrentParams& c, bool density, const std::vector<Gate>& gates,
                           const NmodlOptions& options) {
  std::string text = "PARAMETER {\n";
  if (density) {
    text += "  gmax = " + Number(c.Gmax / (*options.areaUm2 * kUm2PerCm2TimesSPerNs)) +
            " (S/cm2)  : Gmax " + Number(c.Gmax) + " nS over " + Number(*options.areaUm2) +
            " um2\n";
  } else {
    text +=
        "  gmax = " + Number(c.Gmax / kNanoPerMicro) + " (uS)  : Gmax " + Number(c.Gmax) + " nS\n";
  }
  text += "  Erev = " + Number(c.Erev) + " (mV)\n";
  for (const Gate& g : gates) {
    text += std::string("  ") + g.half + " = " + Number(g.halfV) + " (mV)\n";
    text += std::string("  ") + g.slope + " = " + Number(g.slopeV) + " (mV)\n";
    text += std::string("  ") + g.tauHi + " = " + Number(g.tauHiV) + " (ms)\n";
    text += std::string("  ") + g.tauLo + " = " + Number(g.tauLoV) + " (ms)\n";
    text += std::string("  ") + g.tauMid + " = " + Number(g.tauMidV) + " (mV)\n";
    text += std::string("  ") + g.tauSlope + " = " + Number(g.tauSlopeV) + " (mV)\n";
  }
  if (options.q10) {
    text += "  q10 = " + Number(*options.q10) + " (1)\n";
    text += "  trec = " + Number(options.recordingCelsius) + " (degC)  : the recording's\n";
  }
  return text + "}\n\n";
}

std::string AssignedBlock(bool density, const std::vector<Gate>& gates,
                          const NmodlOptions& options) {
  std::string text = "ASSIGNED {\n  v (mV)\n";
  text += density ? "  i (mA/cm2)\n  g (S/cm2)\n" : "  i (nA)\n  g (uS)\n";
  for (const Gate& g : gates)
    text += std::string("  ") + g.state + "inf (1)\n  tau" + g.state + " (ms)\n";
  if (options.q10) text += "  celsius (degC)\n  tadj (1)\n";
  return text + "}\n\n";
}

std::string Conductance(const std::vector<Gate>& gates) {
  std::string product = "gmax";
  for (const Gate& g : gates) product += " * " + PowerOf(g);
  return product;
}

std::string KineticBlocks(const std::vector<Gate>& gates, const NmodlOptions& options) {
  std::string text = "STATE {\n";
  for (const Gate& g : gates) text += std::string("  ") + g.state + "\n";
  text += "}\n\n";

  text += "BREAKPOINT {\n  SOLVE states METHOD cnexp\n";
  text += "  g = " + Conductance(gates) + "\n  i = g * (v - Erev)\n}\n\n";

  text += "INITIAL {\n  rates(v)\n";
  for (const Gate& g : gates) text += std::string("  ") + g.state + " = " + g.state + "inf\n";
  text += "}\n\n";

  text += "DERIVATIVE states {\n  rates(v)\n";
  for (const Gate& g : gates) {
    const std::string x = g.state;
    text += "  " + x + "' = (" + x + "inf - " + x + ") / tau" + x + "\n";
  }
  text += "}\n\n";

  text += "PROCEDURE rates(v (mV)) {\n";
  if (options.q10) text += "  tadj = q10^((celsius - trec) / (10 (degC)))\n";
  for (const Gate& g : gates) {
    const std::string x = g.state;
    text += "  " + x + "inf = 1 / (1 + exp((v - " + g.half + ") / " + g.slope + "))\n";
    text += "  tau" + x + " = " + g.tauHi + " + (" + g.tauLo + " - " + g.tauHi +
            ") / (1 + exp(-(v - " + g.tauMid + ") / " + g.tauSlope + "))\n";
    if (options.q10) text += "  tau" + x + " = tau" + x + " / tadj\n";
  }
  return text + "}\n";
}

// An ohmic current (both powers 0) has no state to solve.
std::string OhmicBlocks() {
  return "BREAKPOINT {\n  g = gmax\n  i = g * (v - Erev)\n}\n";
}

// "" or why the current's equations cannot be evaluated everywhere.
std::string CheckCurrent(const NmodlCurrent& current) {
  for (const Gate& g : GatesOf(current.params)) {
    for (const auto& [name, value] : {std::pair{g.slope, g.slopeV}, {g.tauSlope, g.tauSlopeV}}) {
      if (value == 0.0)
        return "Current " + std::to_string(current.number) + " has " + name +
               " = 0, a slope factor that the equations divide by; give it a value first.";
    }
  }
  return "";
}

}  // namespace

std::vector<std::string> MechanismNames(const std::vector<NmodlCurrent>& currents) {
  std::vector<std::string> names;
  std::vector<std::string> taken;  // in lower case: file names may ignore case
  for (const NmodlCurrent& current : currents) {
    std::string base = Sanitised(NameOf(current.params));
    if (base.empty()) base = std::to_string(current.number);
    std::string name = kMechanismPrefix + base;
    for (int extra = 0; std::find(taken.begin(), taken.end(), Lower(name)) != taken.end();
         ++extra) {
      name = kMechanismPrefix + base + "_" + std::to_string(current.number) +
             (extra == 0 ? "" : "_" + std::to_string(extra));
    }
    taken.push_back(Lower(name));
    names.push_back(name);
  }
  return names;
}

std::string CheckNmodlOptions(const NmodlOptions& options) {
  if (options.areaUm2 && !(std::isfinite(*options.areaUm2) && *options.areaUm2 > 0.0))
    return "The membrane area must be a number of um2 above 0.";
  if (options.q10 && !(std::isfinite(*options.q10) && *options.q10 > 0.0))
    return "The Q10 must be a number above 0.";
  if (options.q10 && !std::isfinite(options.recordingCelsius))
    return "The recording temperature must be a number of degrees Celsius.";
  return "";
}

NmodlExport MakeNmodlFiles(const std::vector<NmodlCurrent>& currents, const NmodlOptions& options,
                           const NmodlSource& source) {
  NmodlExport result;
  result.error = CheckNmodlOptions(options);
  if (result.error.empty() && currents.empty()) result.error = "No current to export.";
  for (const NmodlCurrent& current : currents) {
    if (result.error.empty()) result.error = CheckCurrent(current);
  }
  if (!result.error.empty()) return result;

  const bool density = options.areaUm2.has_value();
  const std::vector<std::string> names = MechanismNames(currents);
  for (size_t i = 0; i < currents.size(); ++i) {
    const CurrentParams& c = currents[i].params;
    const std::vector<Gate> gates = GatesOf(c);
    std::string text = Header(currents[i], names[i], density, options, source) + "\n";
    text += NeuronBlock(names[i], density, gates, options);
    text += UnitsBlock(density);
    text += ParameterBlock(c, density, gates, options);
    text += AssignedBlock(density, gates, options);
    text += gates.empty() ? OhmicBlocks() : KineticBlocks(gates, options);
    result.files.push_back({names[i], names[i] + ".mod", std::move(text)});
  }
  return result;
}
