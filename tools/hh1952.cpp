// Hodgkin and Huxley (1952, J. Physiol. 117:500-544), modern sign convention, as in NEURON's hh.
#include "hh1952.h"

#include <cmath>

namespace hh1952 {
namespace {

// x / (1 - exp(-x / k)), which is 0/0 at x = 0; there its limit k (1 + x / 2k) is taken.
double LinearOverExp(double x, double k) {
  constexpr double kRemovablePointWidth = 1e-9;  // below this |x| the series is exact to rounding
  if (std::fabs(x) < kRemovablePointWidth) return k * (1.0 + x / (2.0 * k));
  return x / -std::expm1(-x / k);
}

}  // namespace

Rates MRates(double v) {
  return {0.1 * LinearOverExp(v + 40.0, 10.0), 4.0 * std::exp(-(v + 65.0) / 18.0)};
}

Rates HRates(double v) {
  return {0.07 * std::exp(-(v + 65.0) / 20.0), 1.0 / (std::exp(-(v + 35.0) / 10.0) + 1.0)};
}

Rates NRates(double v) {
  return {0.01 * LinearOverExp(v + 55.0, 10.0), 0.125 * std::exp(-(v + 65.0) / 80.0)};
}

double SteadyState(Rates r) {
  return r.alpha / (r.alpha + r.beta);
}

double TimeConstant(Rates r) {
  return 1.0 / (r.alpha + r.beta);
}

double GateAfterStep(Rates (*rates)(double), double vHold, double v, double t) {
  const double start = SteadyState(rates(vHold));
  const double final = SteadyState(rates(v));
  return final + (start - final) * std::exp(-t / TimeConstant(rates(v)));
}

double PotassiumCurrent(double vHold, double v, double t) {
  const double n = GateAfterStep(NRates, vHold, v, t);
  return kPotassiumConductance * n * n * n * n * (v - kPotassiumReversal);
}

double SodiumCurrent(double vHold, double v, double t) {
  const double m = GateAfterStep(MRates, vHold, v, t);
  const double h = GateAfterStep(HRates, vHold, v, t);
  return kSodiumConductance * m * m * m * h * (v - kSodiumReversal);
}

}  // namespace hh1952
