// The evaluation of one model current along a trace's whole command: the gates start at their
// steady state at the command's first level and relax exactly within each piece of it, the value
// at the end of one piece the start of the next. Templated on the number type, as the single
// step's evaluation is, so that the polish can differentiate it.
#pragma once

#include <limits>
#include <span>

#include "model/command.h"
#include "model/evaluate.h"

// The steady states and time constants of one current at one voltage.
template <typename T>
struct LevelGates {
  T minf, hinf, taum, tauh;
};

template <typename T>
LevelGates<T> LevelGatesAt(const CurrentReals<T>& P, double v) {
  using kinetics::SteadyState;
  using kinetics::TimeConstant;
  return {SteadyState(v, P.Vm, P.Km), SteadyState(v, P.Vh, P.Kh),
          TimeConstant(v, P.Tmhi, P.Tmlo, P.Vtm, P.Ktm),
          TimeConstant(v, P.Thhi, P.Thlo, P.Vth, P.Kth)};
}

// One current over one trace following the command's pieces (at least one), into out: the
// baseline outside the analysis window, the model current plus the baseline inside it. Each
// sample costs what a sample of the single step costs: one exponential per gate.
template <typename T>
void EvaluateTraceSteps(const CurrentReals<T>& P, int32_t p, int32_t q,
                        std::span<const CommandPiece> pieces, const double* times, int points,
                        SampleWindow window, double baseline, T* out) {
  using kinetics::GatePower;
  using kinetics::Relaxation;
  for (int n = 0; n < std::min(window.start, points); ++n) out[n] = T(baseline);
  size_t piece = 0;
  LevelGates<T> g = LevelGatesAt(P, pieces[0].v);
  T m0 = g.minf, h0 = g.hinf;  // at the start of the piece in force
  int n = window.start;
  while (n < window.end) {
    while (piece + 1 < pieces.size() && pieces[piece + 1].startMs <= times[n]) {
      const double length = pieces[piece + 1].startMs - pieces[piece].startMs;
      if (p != 0) m0 = Relaxation(g.minf, m0, length, g.taum);
      if (q != 0) h0 = Relaxation(g.hinf, h0, length, g.tauh);
      g = LevelGatesAt(P, pieces[++piece].v);
    }
    // The samples within this piece, in a loop as plain as the single step's.
    const double start = pieces[piece].startMs;
    const double next =
        piece + 1 < pieces.size() ? pieces[piece + 1].startMs : std::numeric_limits<double>::max();
    const T drivingForce = pieces[piece].v - P.Erev;
    // At least one sample each time round, so that no time (not even a NaN) can stall it.
    do {
      // A sample before the command's first level finds the gates at rest there.
      const double elapsed = std::max(0.0, times[n] - start);
      const T m = p == 0 ? T(1.0) : Relaxation(g.minf, m0, elapsed, g.taum);
      const T h = q == 0 ? T(1.0) : Relaxation(g.hinf, h0, elapsed, g.tauh);
      T y = 0.001 * (((P.Gmax * GatePower(m, p)) * GatePower(h, q)) * drivingForce);
      y += baseline;
      out[n] = y;
    } while (++n < window.end && times[n] < next);
  }
  for (n = std::max(window.end, window.start); n < points; ++n) out[n] = T(baseline);
}
