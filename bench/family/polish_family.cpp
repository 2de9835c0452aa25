// The polish on the examples' family (both example models, starts 10-30 % off, noise 0.03 nA):
// per problem the outcome, the final sum of squares against the one at the true parameters and
// the solve's wall time. With --dump DIR it also writes every problem as JSON for
// bench/polish_vs_scipy.py, which solves the same problems from the same starts with SciPy.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "polish_family.h"

namespace {

using nlohmann::json;

json ProblemJson(const polish_family::Problem& problem) {
  const PolishInput& in = problem.input;
  json j;
  j["times"] = in.times;
  j["steps"] = in.traceV;
  j["measured"] = in.measured;
  j["truthSquares"] = problem.truthSquares;
  json fields = json::array();
  for (int f = 0; f < kRealFieldCount; ++f) {
    const ParamDescriptor& d = kParamTable[f];
    const ParamBounds& bounds = in.choice.currents[0].bounds[f];
    fields.push_back({{"name", d.name},
                      {"free", in.choice.currents[0].free[f]},
                      {"start", in.currents[0].*d.real},
                      {"truth", problem.truth.*d.real},
                      {"lower", std::max(bounds.lower, -1e300)},
                      {"upper", std::min(bounds.upper, 1e300)}});
  }
  j["fields"] = fields;
  j["p"] = in.currents[0].p;
  j["q"] = in.currents[0].q;
  return j;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string examples = argc > 1 ? argv[1] : "examples";
  const std::string dump = argc > 3 && std::string(argv[2]) == "--dump" ? argv[3] : "";
  constexpr int kPerExample = 20;
  std::vector<double> seconds;
  int good = 0;
  int total = 0;
  for (const polish_family::ExampleShape& shape : polish_family::Examples()) {
    const CurrentParams truth = polish_family::ExampleCurrent(examples, shape);
    for (int s = 0; s < kPerExample; ++s) {
      const unsigned seed = 1000u + static_cast<unsigned>(s);
      const polish_family::Problem problem = polish_family::MakeProblem(truth, shape, seed);
      if (!dump.empty()) {
        std::ofstream(dump + "/" + shape.paramFile + "-" + std::to_string(seed) + ".json")
            << ProblemJson(problem).dump();
      }
      const auto begin = std::chrono::steady_clock::now();
      const PolishResult r = Polish(problem.input);
      const double wall =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
      seconds.push_back(wall);
      const double squares = *r.rmsAfter * *r.rmsAfter * r.counted;
      const double ratio = squares / problem.truthSquares;
      good += ratio <= 1.01;
      ++total;
      std::printf("%s\t%u\t%s\t%.5f\t%.4f s\t%d it\t%d starts\t%s\n", shape.paramFile, seed,
                  r.outcome == PolishOutcome::Converged ? "converged" : "limit", ratio, wall,
                  r.iterations, r.starts, r.Good() ? "good" : "warned");
      for (const std::string& warning : r.warnings) std::printf("\t\t%s\n", warning.c_str());
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("good %d of %d; median %.4f s, worst %.4f s\n", good, total,
              seconds[seconds.size() / 2], seconds.back());
  return 0;
}
