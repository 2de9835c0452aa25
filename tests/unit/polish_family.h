// A family of polish problems made from the bundled examples' own models: the example's traces
// made again by the model of its parameter file with fresh Gaussian noise, and a start with every
// free parameter 10-30 % off. Shared by the family test and the bench that compares the polish
// with another least-squares solver on the very same problems.
#pragma once

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fit/polish.h"
#include "io/io.h"
#include "model/evaluate.h"

namespace polish_family {

inline constexpr double kNoise = 0.03;  // nA, as in the examples
inline constexpr int kSamples = 1000;   // per trace, as in the examples
inline constexpr double kLeastOff = 0.10;
inline constexpr double kMostOff = 0.30;

// How each bundled example was recorded: its parameter file, steps and sampling.
struct ExampleShape {
  const char* paramFile;  // under examples/
  double sampleStep;      // ms
  std::vector<double> steps;
};

inline const std::vector<ExampleShape>& Examples() {
  static const std::vector<ExampleShape> examples = {
      {"hh-sodium.fit", 0.01, {-50, -35, -20, -5, 10, 25}},
      {"hh-potassium.fit", 0.02, {-40, -20, 0, 20, 40, 60}},
  };
  return examples;
}

struct Problem {
  PolishInput input;          // the noisy traces and the moved start
  CurrentParams truth;        // the model the traces were made from
  double truthSquares = 0.0;  // sum of squares at the truth: the noise's own
};

// The first current of the example's parameter file; empty name on a read failure.
inline CurrentParams ExampleCurrent(const std::string& examplesDir, const ExampleShape& shape) {
  std::ifstream file(examplesDir + "/" + shape.paramFile, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(file), {}};
  ParamFileContents contents{};
  if (!ParseParamText(text, &contents).empty()) return CurrentParams{};
  return contents.currents[0];
}

// Problem `seed` of the example: noise and start both drawn from the seed.
inline Problem MakeProblem(const CurrentParams& truth, const ExampleShape& shape, unsigned seed) {
  Problem problem;
  problem.truth = truth;
  PolishInput& in = problem.input;
  in.currents[0] = truth;
  in.inFit[0] = true;
  for (int n = 0; n < kSamples; ++n) in.times.push_back(shape.sampleStep * n);
  in.traceV = shape.steps;
  in.windowStart = 0;
  in.windowEnd = kSamples;
  in.counted.assign(kSamples, 1);
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, kNoise);
  const CurrentReals<double> P = RealsOf(truth);
  for (double v : shape.steps) {
    const TraceGates<double> g = GatesAt(P, v);
    std::vector<double> trace(kSamples);
    for (int n = 0; n < kSamples; ++n) {
      const double e = gauss(random);
      trace[n] = CurrentAt(P, truth.p, truth.q, g, in.times[n]) + e;
      problem.truthSquares += e * e;
    }
    in.measured.push_back(std::move(trace));
  }
  in.choice = DefaultChoice(in.currents);
  std::uniform_real_distribution<double> off(kLeastOff, kMostOff);
  std::bernoulli_distribution lower(0.5);
  for (int j = 0; j < kRealFieldCount; ++j) {
    if (!in.choice.currents[0].free[j]) continue;
    const double factor = off(random);
    in.currents[0].*kParamTable[j].real *= lower(random) ? 1.0 - factor : 1.0 + factor;
  }
  return problem;
}

}  // namespace polish_family
