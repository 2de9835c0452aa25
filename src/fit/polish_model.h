// The polish's residuals, measured minus summed model over the counted samples of one trace, and
// their exact derivatives with respect to the solver's coordinates of the free parameters. The
// free parameters come in blocks: one per current in the fit that has free fields, one for the
// baseline when it is free. The solver moves each parameter's coordinate (fit/bound_map.h), so
// that the parameter stays within its bounds.
#pragma once

#include <array>
#include <atomic>
#include <vector>

#include "fit/bound_map.h"
#include "fit/polish.h"
#include "model/command.h"
#include "model/model.h"
#include "model/param_table.h"

// Each recording's factor on its residuals: with several recordings that all have a noise
// region, the first's noise over its own, so that each counts by its signal to noise; otherwise
// 1 for all. The first recording's is always 1, so its residuals stay in nA.
std::vector<double> RecordingWeights(const PolishInput& input);
bool WeightedByNoise(const PolishInput& input);  // several recordings, each with a noise region

class PolishModel {
 public:
  struct Block {
    int current;                     // 0-based; -1 for the baseline
    std::vector<ParamField> fields;  // its free fields in table order; empty for the baseline
    std::vector<BoundMap> maps;      // each free field's coordinate (one for the baseline)
  };

  enum class Coordinates {
    WithinBounds,  // the solver's: each parameter kept within its bounds (fit/bound_map.h)
    Plain,         // the parameters themselves, for their standard errors
  };

  // The currents and baseline of `input` are the values the fixed parameters keep and the free
  // ones start from. A raised `cancel` makes every later evaluation fail at once.
  PolishModel(const PolishInput& input, const std::atomic<bool>* cancel,
              Coordinates coordinates = Coordinates::WithinBounds);

  const std::vector<Block>& Blocks() const { return blocks_; }
  std::vector<std::vector<double>> StartValues() const;  // coordinates of the start
  // Coordinates of the given currents and baseline.
  std::vector<std::vector<double>> CoordinatesOf(
      const std::array<CurrentParams, kMaxCurrents>& currents, double baseline) const;
  int TraceCount() const { return static_cast<int>(traces_.size()); }
  int ResidualCount(int trace) const { return static_cast<int>(traces_[trace].t.size()); }
  int TotalResiduals() const { return totalResiduals_; }
  int RecordingOf(int trace) const { return traces_[trace].recording; }  // 0: the first
  double WeightOf(int trace) const { return traces_[trace].weight; }

  // Fills `residuals` (ResidualCount(trace) values) and, where `jacobians` and its entry for a
  // block are not null, that block's Jacobian (row-major, residuals x block size) with respect
  // to the coordinates. False when cancelled or when a value is not finite. Allocates nothing,
  // and may run on several threads at once.
  bool EvaluateTrace(int trace, const double* const* blocks, double* residuals,
                     double** jacobians) const;

  // The currents and the baseline at the given coordinates.
  void Unpack(const double* const* blocks, std::array<CurrentParams, kMaxCurrents>* currents,
              double* baseline) const;

 private:
  struct FitCurrent {
    std::array<double, kRealFieldCount> reals;  // fixed values; free ones are overwritten
    int32_t p, q;
    int block;  // index into blocks_, or -1 when nothing of it is free
  };
  struct Trace {
    double v;                          // step voltage (mV)
    std::vector<double> t;             // time since the window start of each counted sample (ms);
                                       // following the whole command, the sample's own time
    std::vector<double> measured;      // nA at each counted sample
    std::vector<CommandPiece> pieces;  // the whole command followed; empty: the single step
    int recording = 0;                 // 0: the input's own; r: its also[r - 1]
    double weight = 1.0;               // the recording's factor on the residuals
  };
  void AddTraces(const PolishSamples& samples, int recording, double weight);
  bool EvaluateSteps(const Trace& data, const double* const* blocks, double baseline, double* sum,
                     double** jacobians) const;

  std::array<double, kRealFieldCount> RealsAt(const FitCurrent& current,
                                              const double* const* blocks) const;

  std::array<CurrentParams, kMaxCurrents> currents_;
  std::vector<FitCurrent> fit_;  // the currents in the fit, in index order
  std::vector<Block> blocks_;
  std::vector<Trace> traces_;
  double baseline_;
  int baselineBlock_ = -1;
  int totalResiduals_ = 0;
  const std::atomic<bool>* cancel_;
};
