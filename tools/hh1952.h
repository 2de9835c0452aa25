// The reference kinetics: Hodgkin and Huxley's 1952 squid-axon rate functions in the modern sign
// convention (rest -65 mV, rates per ms, voltages in mV) and their exact response to a voltage
// step.
#pragma once

namespace hh1952 {

constexpr double kSodiumConductance = 120.0;    // gNa (mS/cm2)
constexpr double kPotassiumConductance = 36.0;  // gK (mS/cm2)
constexpr double kSodiumReversal = 50.0;        // ENa (mV)
constexpr double kPotassiumReversal = -77.0;    // EK (mV)

struct Rates {
  double alpha;  // opening rate (1/ms)
  double beta;   // closing rate (1/ms)
};

Rates MRates(double v);  // sodium activation m
Rates HRates(double v);  // sodium inactivation h
Rates NRates(double v);  // potassium activation n

double SteadyState(Rates r);   // x_inf = a / (a + b)
double TimeConstant(Rates r);  // tau_x = 1 / (a + b), in ms

// x(t) after a step from the steady state at vHold to v, t in ms since the step.
double GateAfterStep(Rates (*rates)(double), double vHold, double v, double t);

// Membrane current densities in uA/cm2 (mS/cm2 x mV) after a step from vHold to v, outward
// positive.
double PotassiumCurrent(double vHold, double v, double t);
double SodiumCurrent(double vHold, double v, double t);

}  // namespace hh1952
