// Generates the bundled examples: a potassium and a sodium voltage-step family from Hodgkin and
// Huxley (1952), each with a parameter file whose model current is fitted to the family.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "example_files.h"
#include "hh1952.h"
#include "io/io.h"
#include "least_squares.h"
#include "model/evaluate.h"
#include "model/kinetics.h"
#include "model/model.h"
#include "noise.h"

namespace {

constexpr int kTracesPerFamily = 6;          // a data row holds six voltage/current pairs
constexpr double kHoldingPotential = -80.0;  // mV
constexpr double kMembraneArea = 1e-6;       // cm2 (100 um2): gK = 36 nS, gNa = 120 nS
constexpr double kNoiseSD = 0.03;            // nA, on the current only
constexpr double kNanoampPerDensity = kMembraneArea * 1e3;      // uA/cm2 x cm2 = uA; x 1000 = nA
constexpr double kNanosiemensPerDensity = kMembraneArea * 1e6;  // mS/cm2 x cm2 = mS; x 1e6 = nS

using FittedField = double CurrentParams::*;

struct Family {
  const char* stem;                           // file name without extension
  const char* what;                           // first header line
  const char* rates;                          // header line with the rate functions
  const char* currentLaw;                     // header line with the conductance
  double intervalUs;                          // sampling interval
  int samples;                                // per trace
  double steps[kTracesPerFamily];             // step voltages (mV)
  uint64_t seed;                              // of the noise
  double (*density)(double, double, double);  // uA/cm2 from (vHold, v, t in ms)
  hh1952::Rates (*activation)(double);        // the HH gate the model's m stands for
  hh1952::Rates (*inactivation)(double);      // and h (unused without inactivation)
  double tauFitFrom;                          // lowest voltage of the time-constant match (mV)
  CurrentParams model;                        // the fitted current: fixed fields and a start
  std::vector<FittedField> fitted;            // the fields the fit may move
};

// ---- the recording ----

ExampleRecording MakeRecording(const Family& family) {
  ExampleRecording rec;
  char line[256];
  auto add = [&rec](const std::string& text) { rec.header.push_back(text); };
  add(family.what);
  add("Source: Hodgkin AL, Huxley AF (1952) J Physiol 117:500-544; modern sign convention, "
      "rest -65 mV, rates per ms, 6.3 C");
  add(family.rates);
  add(family.currentLaw);
  add("Gates solved exactly for the step: x(t) = xinf + (x0 - xinf) exp(-t/taux), x0 = xinf at "
      "the holding potential; xinf = a/(a+b), taux = 1/(a+b)");
  std::snprintf(line, sizeof line,
                "Membrane area %g cm2; no leak and no capacitive transient (a leak-subtracted "
                "recording)",
                kMembraneArea);
  add(line);
  std::snprintf(line, sizeof line,
                "Holding potential %g mV; steps to %g, %g, %g, %g, %g and %g mV; each trace "
                "starts at the step onset",
                kHoldingPotential, family.steps[0], family.steps[1], family.steps[2],
                family.steps[3], family.steps[4], family.steps[5]);
  add(line);
  std::snprintf(line, sizeof line, "Sampling interval %g us, %d samples per trace (%g ms)",
                family.intervalUs, family.samples, family.intervalUs * family.samples / 1000.0);
  add(line);
  std::snprintf(line, sizeof line,
                "Noise: Gaussian, SD %g nA on the current only; splitmix64 seed %llu with "
                "Box-Muller",
                kNoiseSD, static_cast<unsigned long long>(family.seed));
  add(line);
  add("Units: time in s, voltage in mV, current in nA (outward positive)");
  add("Columns: time, then voltage and current of traces 1 to 6, tab-separated");
  std::snprintf(line, sizeof line, "Model parameters fitted to this family: %s.fit", family.stem);
  add(line);
  add("Made by tools/make_examples.cpp (build target pavik_examples)");

  for (int n = 0; n < family.samples; ++n)
    rec.timeSeconds.push_back(RoundedTime(n * family.intervalUs * 1e-6));

  GaussianNoise noise(family.seed);
  for (double step : family.steps) {
    ExampleTrace trace{step, {}, {}};
    for (double seconds : rec.timeSeconds) {
      const double clean =
          kNanoampPerDensity * family.density(kHoldingPotential, step, seconds * 1000.0);
      trace.clean.push_back(clean);
      trace.current.push_back(RoundedCurrent(clean + noise.Next(kNoiseSD)));
    }
    rec.traces.push_back(trace);
  }
  return rec;
}

// The workspace as the data reader leaves it and the graph redraw sets the analysis window.
void LoadIntoWorkspace(const ExampleRecording& rec) {
  NumTraces = static_cast<int32_t>(rec.traces.size());
  NumPoints = static_cast<int32_t>(rec.timeSeconds.size());
  for (int n = 0; n < NumPoints; ++n) timevals[n] = 1000.0 * rec.timeSeconds[n];
  for (int k = 0; k < NumTraces; ++k) {
    for (int n = 0; n < NumPoints; ++n) {
      ydata[k][n] = rec.traces[k].current[n];
      ydata[k][kVoltageOffset + n] = rec.traces[k].stepVoltage;
    }
    status.traceV[k] = rec.traces[k].stepVoltage;
  }
  status.xMin = timevals[0];
  status.xMax = timevals[NumPoints - 1];
  SetDataXIndexes();
}

// ---- the fit ----

void SetFields(CurrentParams& c, const std::vector<FittedField>& fields,
               const std::vector<double>& x) {
  for (size_t j = 0; j < fields.size(); ++j) c.*fields[j] = x[j];
}

// The program's own evaluation of current c on trace k, with the loaded times and window.
std::vector<double> Evaluate(const CurrentParams& c, int k) {
  std::vector<double> curve(kMaxPoints);
  EvaluateTrace(c, status.traceV[k], timevals, NumPoints, {status.windowStart, status.windowEnd},
                status.baseline, curve.data());
  return curve;
}

// Model minus noiseless family over the analysis window, evaluated by the program's own model,
// relative to the family's peak; each sample has the same weight.
std::vector<double> TraceResiduals(const ExampleRecording& rec, const CurrentParams& trial,
                                   double peak) {
  std::vector<double> r;
  const double weight =
      1.0 / (peak * std::sqrt(NumTraces * (status.windowEnd - status.windowStart)));
  for (int k = 0; k < NumTraces; ++k) {
    const std::vector<double> fit = Evaluate(trial, k);
    for (int n = status.windowStart; n < status.windowEnd; ++n)
      r.push_back(weight * (fit[n] - rec.traces[k].clean[n]));
  }
  return r;
}

// The model's voltage curves against Hodgkin and Huxley's: steady states from the holding
// potential to the highest step, time constants (relative) from tauFitFrom up. Without them the
// traces alone leave room for parameters that fit yet show curves unlike the real kinetics
// (a small hinf at the holding potential paid for by a large Gmax, for instance).
void AddCurveResiduals(const Family& family, const CurrentParams& c, std::vector<double>& r) {
  constexpr double kCurveWeight = 0.3;  // against 1 for the traces, found by eye
  constexpr double kGridStep = 1.0;     // mV
  const double highestStep = family.steps[kTracesPerFamily - 1];
  std::vector<double> ss, tau;
  for (double v = kHoldingPotential; v <= highestStep; v += kGridStep) {
    ss.push_back(kinetics::SteadyState(v, c.Vm, c.Km) - hh1952::SteadyState(family.activation(v)));
    if (c.q != 0)
      ss.push_back(kinetics::SteadyState(v, c.Vh, c.Kh) -
                   hh1952::SteadyState(family.inactivation(v)));
    if (v < family.tauFitFrom) continue;
    const double taum = hh1952::TimeConstant(family.activation(v));
    tau.push_back(kinetics::TimeConstant(v, c.Tmhi, c.Tmlo, c.Vtm, c.Ktm) / taum - 1.0);
    if (c.q != 0) {
      const double tauh = hh1952::TimeConstant(family.inactivation(v));
      tau.push_back(kinetics::TimeConstant(v, c.Thhi, c.Thlo, c.Vth, c.Kth) / tauh - 1.0);
    }
  }
  for (double d : ss) r.push_back(kCurveWeight * d / std::sqrt(ss.size()));
  for (double d : tau) r.push_back(kCurveWeight * d / std::sqrt(tau.size()));
}

struct Rms {
  double againstData;   // nA, data as written
  double againstClean;  // nA, noiseless HH
  double noise;         // nA, data minus noiseless
  double peak;          // nA, largest |current| in the window
};

Rms MeasureFit(const ExampleRecording& rec, const CurrentParams& c) {
  double data = 0.0, clean = 0.0, noise = 0.0, peak = 0.0;
  int count = 0;
  for (int k = 0; k < NumTraces; ++k) {
    const std::vector<double> curve = Evaluate(c, k);
    for (int n = status.windowStart; n < status.windowEnd; ++n) {
      const double fit = curve[n];
      const ExampleTrace& t = rec.traces[k];
      data += (t.current[n] - fit) * (t.current[n] - fit);
      clean += (t.clean[n] - fit) * (t.clean[n] - fit);
      noise += (t.current[n] - t.clean[n]) * (t.current[n] - t.clean[n]);
      peak = std::fmax(peak, std::fabs(t.current[n]));
      ++count;
    }
  }
  return {std::sqrt(data / count), std::sqrt(clean / count), std::sqrt(noise / count), peak};
}

// ---- the two families ----

CurrentParams StartingCurrent(const char* name, double gmax, double erev, int p, int q) {
  CurrentParams c = params[0];  // the start-up defaults
  std::snprintf(c.name, sizeof c.name, "%s", name);
  c.Gmax = gmax;
  c.Erev = erev;
  c.p = p;
  c.q = q;
  c.Vhold = kHoldingPotential;
  return c;
}

Family PotassiumFamily() {
  CurrentParams c = StartingCurrent("IK", hh1952::kPotassiumConductance * kNanosiemensPerDensity,
                                    hh1952::kPotassiumReversal, 4, 0);
  c.Vm = -50.0, c.Km = -15.0;
  c.Tmlo = 6.0, c.Tmhi = 1.0, c.Vtm = -20.0, c.Ktm = -15.0;
  // No inactivation: hinf drawn flat at 1 over the curve graphs' range, tauh flat.
  c.Vh = 200.0, c.Kh = 10.0;
  c.Thlo = 1.0, c.Thhi = 1.0, c.Vth = 0.0, c.Kth = 10.0;
  return {"hh-potassium",
          "Pavik example: delayed-rectifier potassium current family (n^4), Hodgkin & Huxley 1952",
          "Rates (1/ms, V in mV): an = 0.01(V+55)/(1-exp(-(V+55)/10)) (0.1 at V = -55), "
          "bn = 0.125 exp(-(V+65)/80)",
          "IK = gK n^4 (V - EK), gK = 36 mS/cm2, EK = -77 mV",
          20.0,
          1000,
          {-40.0, -20.0, 0.0, 20.0, 40.0, 60.0},
          19520001,
          hh1952::PotassiumCurrent,
          hh1952::NRates,
          hh1952::NRates,
          kHoldingPotential,  // tau_n falls steadily from the holding potential: match it all
          c,
          {&CurrentParams::Gmax, &CurrentParams::Vm, &CurrentParams::Km, &CurrentParams::Tmlo,
           &CurrentParams::Tmhi, &CurrentParams::Vtm, &CurrentParams::Ktm}};
}

Family SodiumFamily() {
  CurrentParams c = StartingCurrent("INa", hh1952::kSodiumConductance * kNanosiemensPerDensity,
                                    hh1952::kSodiumReversal, 3, 1);
  c.Vm = -40.0, c.Km = -9.0;
  c.Tmlo = 0.5, c.Tmhi = 0.1, c.Vtm = -20.0, c.Ktm = -15.0;
  c.Vh = -62.0, c.Kh = 7.0;
  c.Thlo = 8.0, c.Thhi = 0.8, c.Vth = -50.0, c.Kth = 8.0;
  return {"hh-sodium",
          "Pavik example: fast sodium current family (m^3 h), Hodgkin & Huxley 1952",
          "Rates (1/ms, V in mV): am = 0.1(V+40)/(1-exp(-(V+40)/10)) (1 at V = -40), "
          "bm = 4 exp(-(V+65)/18), ah = 0.07 exp(-(V+65)/20), bh = 1/(exp(-(V+35)/10)+1)",
          "INa = gNa m^3 h (V - ENa), gNa = 120 mS/cm2, ENa = +50 mV",
          10.0,
          1000,
          {-50.0, -35.0, -20.0, -5.0, 10.0, 25.0},
          19520002,
          hh1952::SodiumCurrent,
          hh1952::MRates,
          hh1952::HRates,
          -50.0,  // tau_m is bell-shaped with its top near -40 mV: match the steps only
          c,
          {&CurrentParams::Gmax, &CurrentParams::Vm, &CurrentParams::Km, &CurrentParams::Tmlo,
           &CurrentParams::Tmhi, &CurrentParams::Vtm, &CurrentParams::Ktm, &CurrentParams::Vh,
           &CurrentParams::Kh, &CurrentParams::Thlo, &CurrentParams::Thhi, &CurrentParams::Vth,
           &CurrentParams::Kth}};
}

bool MakeExample(const std::string& directory, Family family) {
  InitParams();
  const ExampleRecording rec = MakeRecording(family);
  LoadIntoWorkspace(rec);

  std::vector<double> x;
  for (FittedField field : family.fitted) x.push_back(family.model.*field);
  double peak = 0.0;
  for (const ExampleTrace& t : rec.traces)
    for (double i : t.clean) peak = std::fmax(peak, std::fabs(i));
  FitLeastSquares(
      [&](const std::vector<double>& values) {
        CurrentParams trial = family.model;
        SetFields(trial, family.fitted, values);
        std::vector<double> r = TraceResiduals(rec, trial, peak);
        AddCurveResiduals(family, trial, r);
        return r;
      },
      x);
  params[0] = family.model;
  SetFields(params[0], family.fitted, x);

  const std::string dataPath = directory + "/" + family.stem + ".txt";
  const std::string fitPath = directory + "/" + family.stem + ".fit";
  if (!WriteExampleRecording(dataPath, rec) || SaveParamFile(fitPath) != 1) {
    std::fprintf(stderr, "make_examples: cannot write %s or %s\n", dataPath.c_str(),
                 fitPath.c_str());
    return false;
  }

  const CurrentParams& c = params[0];
  const Rms rms = MeasureFit(rec, c);
  std::printf("%s: %d traces x %d samples\n", family.stem, NumTraces, NumPoints);
  std::printf("  %s: Gmax %.3f nS, Vm %.3f, Km %.3f, Tmlo %.4f, Tmhi %.4f, Vtm %.3f, Ktm %.3f\n",
              c.name, c.Gmax, c.Vm, c.Km, c.Tmlo, c.Tmhi, c.Vtm, c.Ktm);
  if (c.q != 0)
    std::printf("  Vh %.3f, Kh %.3f, Thlo %.4f, Thhi %.4f, Vth %.3f, Kth %.3f\n", c.Vh, c.Kh,
                c.Thlo, c.Thhi, c.Vth, c.Kth);
  std::printf(
      "  RMS fit - data %.4f nA (%.2f%% of the peak %.3f nA); fit - noiseless %.4f nA;"
      " noise %.4f nA\n",
      rms.againstData, 100.0 * rms.againstData / rms.peak, rms.peak, rms.againstClean, rms.noise);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: %s DIRECTORY\n  writes hh-potassium.txt/.fit and "
                 "hh-sodium.txt/.fit into DIRECTORY\n",
                 argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  const bool ok =
      MakeExample(directory, PotassiumFamily()) && MakeExample(directory, SodiumFamily());
  return ok ? 0 : 1;
}
