// The evaluation of one model current over one trace, touching no global: the gate values at the
// trace's step voltage, and the current at each sample of the analysis window. Templated on the
// number type so that the least-squares polish evaluates the very same operations with dual
// numbers; the order of the operations is the model's own, so results are bit for bit those of
// the evaluation the program has always done.
#pragma once

#include <algorithm>
#include <cstdint>

#include "model/kinetics.h"
#include "model/model.h"
#include "model/recording.h"

// The real parameters of one current in a number type of choice; the gate powers stay integers.
template <typename T>
struct CurrentReals {
  T Vm, Vh, Km, Kh, Tmhi, Tmlo, Thhi, Thlo, Vtm, Vth, Ktm, Kth, Vhold, Gmax, Erev;
};

inline CurrentReals<double> RealsOf(const CurrentParams& c) {
  return {c.Vm,  c.Vh,  c.Km,  c.Kh,  c.Tmhi,  c.Tmlo, c.Thhi, c.Thlo,
          c.Vtm, c.Vth, c.Ktm, c.Kth, c.Vhold, c.Gmax, c.Erev};
}

// What one current needs at one step voltage: steady states, time constants, holding values.
template <typename T>
struct TraceGates {
  T minf, hinf, taum, tauh, minf0, hinf0, drivingForce;
};

template <typename T>
TraceGates<T> GatesAt(const CurrentReals<T>& P, double stepV) {
  using kinetics::SteadyState;
  using kinetics::TimeConstant;
  TraceGates<T> g;
  g.minf = SteadyState(stepV, P.Vm, P.Km);
  g.hinf = SteadyState(stepV, P.Vh, P.Kh);
  g.taum = TimeConstant(stepV, P.Tmhi, P.Tmlo, P.Vtm, P.Ktm);
  g.tauh = TimeConstant(stepV, P.Thhi, P.Thlo, P.Vth, P.Kth);
  g.hinf0 = SteadyState(P.Vhold, P.Vh, P.Kh);
  g.minf0 = SteadyState(P.Vhold, P.Vm, P.Km);
  g.drivingForce = stepV - P.Erev;
  return g;
}

// The model current t after the start of the analysis window, without the baseline (nA).
// A gate raised to the power 0 is 1 whatever its value, so its exponential is skipped.
template <typename T>
T CurrentAt(const CurrentReals<T>& P, int32_t p, int32_t q, const TraceGates<T>& g, double t) {
  using kinetics::GatePower;
  using kinetics::Relaxation;
  const T m = p == 0 ? T(1.0) : Relaxation(g.minf, g.minf0, t, g.taum);
  const T h = q == 0 ? T(1.0) : Relaxation(g.hinf, g.hinf0, t, g.tauh);
  return 0.001 * (((P.Gmax * GatePower(m, p)) * GatePower(h, q)) * g.drivingForce);
}

// One current over one trace at step voltage stepV, into out: the baseline before the window, the
// model current plus the baseline inside it, the baseline from the window's end up to points.
// out holds the larger of window.end and points values; times holds the window's sample times.
template <typename T>
void EvaluateTrace(const CurrentReals<T>& P, int32_t p, int32_t q, double stepV,
                   const double* times, int points, SampleWindow window, double baseline, T* out) {
  const TraceGates<T> g = GatesAt(P, stepV);
  for (int n = 0; n < window.start; ++n) out[n] = T(baseline);
  if (window.start < window.end) {
    const double origin = times[window.start];
    for (int n = window.start; n < window.end; ++n) {
      T y = CurrentAt(P, p, q, g, times[n] - origin);
      y += baseline;  // added to the stored current, as the evaluation always has
      out[n] = y;
    }
  }
  for (int n = std::max(window.end, window.start); n < points; ++n) out[n] = T(baseline);
}

inline void EvaluateTrace(const CurrentParams& c, double stepV, const double* times, int points,
                          SampleWindow window, double baseline, double* out) {
  EvaluateTrace(RealsOf(c), c.p, c.q, stepV, times, points, window, baseline, out);
}
