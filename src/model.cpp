// The workspace records with their start-up state, and the evaluation of the model currents
// over the loaded traces inside the analysis window.
#include "model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "display.h"
#include "panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

CurrentParams params[kMaxCurrents];
CurrentParams copyCurr;
FitStatus status;
DclampSettings dclamp;
int32_t NumTraces;
int32_t NumPoints;
double timevals[kMaxPoints];
double ydata[kTraceRows][kTraceRowLength];
double yfits[kMaxCurrents][kTraceRows][kTraceRowLength];
double V;
const int32_t currCtl[kMaxCurrents] = {
    PANEL_FITCURR1, PANEL_FITCURR2, PANEL_FITCURR3, PANEL_FITCURR4, PANEL_FITCURR5,
    PANEL_FITCURR6, PANEL_FITCURR7, PANEL_FITCURR8, PANEL_FITCURR9, PANEL_FITCURR10};
const int32_t currLab[kMaxCurrents] = {
    PANEL_CURRLABEL1, PANEL_CURRLABEL2, PANEL_CURRLABEL3, PANEL_CURRLABEL4, PANEL_CURRLABEL5,
    PANEL_CURRLABEL6, PANEL_CURRLABEL7, PANEL_CURRLABEL8, PANEL_CURRLABEL9, PANEL_CURRLABEL10};
int32_t colors[kColorSlots];

namespace {

constexpr double kStartTraceV[kMaxTraces] = {-30.0, -10.0, 10.0, 30.0, 30.0, 30.0};
constexpr double kStartCurrentSetting[kCurrentSettings] = {100.0, 0.0,    40.0,  -80.0,
                                                           100.0, -100.0, 100.0, 0.0};
constexpr double kStartGlobalSetting[kGlobalSettings] = {0.0, 100.0, 0.0, 0.25};
constexpr int kStartHeaderLines = 13;

// Powers up to this size are multiplied out one factor at a time, exactly as written; larger
// ones (never a real gate power, but a file may hold one) are squared up so that one evaluation
// cannot take billions of multiplications.
constexpr uint32_t kSequentialPowerLimit = 64;

CurrentParams DefaultCurrent(int index) {
  CurrentParams p{};
  p.Vm = 1.0;
  p.Vh = 1.0;
  p.Km = -1.0;
  p.Kh = 1.0;
  p.Tmhi = 1.0;
  p.Tmlo = 1.0;
  p.Thhi = 1.0;
  p.Thlo = 1.0;
  p.Vtm = 1.0;
  p.Vth = 1.0;
  p.Ktm = -1.0;
  p.Kth = 1.0;
  p.Vhold = -60.0;
  p.Gmax = 1.0;
  p.Erev = -80.0;
  p.p = 1;
  p.q = 1;
  std::snprintf(p.name, sizeof p.name, "%d", index + 1);
  return p;
}

double PositivePower(double x, uint32_t n) {
  if (n <= kSequentialPowerLimit) {
    double result = x;
    for (uint32_t i = 1; i < n; ++i) result *= x;
    return result;
  }
  double result = 1.0;
  double factor = x;
  while (n > 0) {
    if (n & 1u) result *= factor;
    factor *= factor;
    n >>= 1;
  }
  return result;
}

// The loaded sample count as a loop bound that can never leave the arrays.
int LoadedPoints() {
  if (NumPoints < 0) return 0;
  return NumPoints < kMaxPoints ? NumPoints : kMaxPoints;
}

int ClampedIndex(int32_t index) {
  if (index < 0) return 0;
  return index < kMaxPoints ? index : kMaxPoints;
}

}  // namespace

int InitParams() {
  for (int i = 0; i < kMaxCurrents; ++i) {
    params[i] = DefaultCurrent(i);
    for (int k = 0; k < kCurrentSettings; ++k)
      dclamp.currentSetting[k][i] = kStartCurrentSetting[k];
  }
  for (int k = 0; k < kGlobalSettings; ++k) dclamp.globalSetting[k] = kStartGlobalSetting[k];
  for (int k = 0; k < kIntSettings; ++k) dclamp.intSetting[k] = 0;

  status.selCurrent = 1;
  for (int k = 0; k < kMaxTraces; ++k) status.traceV[k] = kStartTraceV[k];
  status.baseline = 0.0;
  status.xMin = 0.0;
  status.xMax = 280.0;
  status.yMin = -40.0;
  status.yMax = 40.0;
  status.vMin = -100.0;
  status.vMax = 100.0;
  status.dataLoaded = 0;
  status.paramFileLoaded = 0;
  status.autoUpdate = 0;
  status.colorTraces = 0;

  ZeroFitCurrents();
  status.fitCount = 1;
  status.fitCurrent[0] = 1;
  SetFitCurrents();
  UpdateFitMessage();

  NumPoints = 0;
  std::snprintf(status.paramFile, sizeof status.paramFile, "%s", "temp");
  status.headerLines = kStartHeaderLines;

  ZeroHandles(PANEL_GRAPH);
  ZeroHandles(PANEL_MHGRAPH);
  for (int i = 0; i < kMaxCurrents; ++i) ZeroYFits(i);
  return 1;
}

void ZeroFitCurrents() {
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = 0;
  status.fitCount = 0;
}

void ZeroYFits(int currentIndex) {
  if (currentIndex < 0 || currentIndex >= kMaxCurrents) return;
  for (int k = 0; k < NumTraces && k < kMaxTraces; ++k) Clear1D(yfits[currentIndex][k], kMaxPoints);
}

int DoFit() {
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (status.fitCurrent[i]) CalcThisCurrent(i);
  }
  ShowFits();
  return 1;
}

int CalcThisCurrent(int currentIndex) {
  if (currentIndex < 0 || currentIndex >= kMaxCurrents) return 0;
  const CurrentParams& P = params[currentIndex];
  const double baseline = status.baseline;
  const int points = LoadedPoints();
  const int start = ClampedIndex(status.windowStart);
  const int end = ClampedIndex(status.windowEnd);

  for (int k = 0; k < NumTraces && k < kMaxTraces; ++k) {
    double* fit = yfits[currentIndex][k];
    V = status.traceV[k];
    const double minf = 1.0 / (std::exp((V - P.Vm) / P.Km) + 1.0);
    const double hinf = 1.0 / (std::exp((V - P.Vh) / P.Kh) + 1.0);
    const double taum = (P.Tmlo - P.Tmhi) / (std::exp(-(V - P.Vtm) / P.Ktm) + 1.0) + P.Tmhi;
    const double tauh = (P.Thlo - P.Thhi) / (std::exp(-(V - P.Vth) / P.Kth) + 1.0) + P.Thhi;
    const double hinf0 = 1.0 / (std::exp((P.Vhold - P.Vh) / P.Kh) + 1.0);
    const double minf0 = 1.0 / (std::exp((P.Vhold - P.Vm) / P.Km) + 1.0);
    const double drivingForce = V - P.Erev;

    for (int n = 0; n < start; ++n) fit[n] = baseline;
    if (start < end) {
      const double origin = timevals[start];
      for (int n = start; n < end; ++n) {
        const double t = timevals[n] - origin;
        // A gate raised to the power 0 is 1 whatever its value, so its exponential is skipped.
        const double m = P.p == 0 ? 1.0 : minf + (minf0 - minf) * std::exp(-t / taum);
        const double h = P.q == 0 ? 1.0 : hinf + (hinf0 - hinf) * std::exp(-t / tauh);
        double y = 0.001 * (((P.Gmax * GetPower(m, P.p)) * GetPower(h, P.q)) * drivingForce);
        y += baseline;
        fit[n] = y;
      }
    }
    for (int n = end > start ? end : start; n < points; ++n) fit[n] = baseline;
  }
  return 1;
}

double GetPower(double x, int32_t n) {
  if (n == 0) return 1.0;
  if (n > 0) return PositivePower(x, static_cast<uint32_t>(n));
  // -n would overflow for the most negative int32; the magnitude is formed unsigned.
  const uint32_t magnitude = static_cast<uint32_t>(-(static_cast<int64_t>(n)));
  return 1.0 / PositivePower(x, magnitude);
}

void SetDataXIndexes() {
  const int points = LoadedPoints();
  // Each scan looks at a sample and moves past it, stopping once the sample just looked at
  // reaches its bound, and never beyond the last loaded sample.
  int j = 0;
  while (j < points && timevals[j++] < status.xMin) {
  }
  status.windowStart = j;
  while (j < points && timevals[j++] < status.xMax) {
  }
  status.windowEnd = j;
}
