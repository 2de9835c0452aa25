// The evaluation of the currents in the fit over a recording.
#include "model/evaluation.h"

#include <algorithm>

#include "model/evaluate.h"
#include "model/evaluate_steps.h"

namespace {

double StepVoltageOf(const Recording& recording, int trace) {
  const std::vector<TraceCommand>& commands = recording.commands;
  if (commands.empty()) return 0.0;
  return commands[std::min(static_cast<size_t>(trace), commands.size() - 1)].step;
}

// The longest piece a ramp is cut into: the recording's mean sample interval.
double SampleIntervalOf(const Recording& recording) {
  const int points = recording.Samples();
  if (points < 2) return 0;
  return (recording.times.back() - recording.times.front()) / (points - 1);
}

// Fills pieces[k] for each trace that follows its whole command; empty for the others.
void CutCommands(const Recording& recording, int traces,
                 std::vector<std::vector<CommandPiece>>* pieces) {
  pieces->resize(static_cast<size_t>(traces));
  const bool steps = recording.commandMode == CommandMode::kSteps;
  const double maxPiece = SampleIntervalOf(recording);
  for (int k = 0; k < traces; ++k) {
    std::vector<CommandPiece>& cut = (*pieces)[k];
    cut.clear();
    if (steps && static_cast<size_t>(k) < recording.commands.size())
      CommandPieces(recording.commands[k].levels, maxPiece, &cut);
  }
}

}  // namespace

InFit InFitOf(const FitStatus& fitStatus) {
  InFit inFit{};
  for (int i = 0; i < kMaxCurrents; ++i) inFit[i] = fitStatus.fitCurrent[i] != 0;
  return inFit;
}

void Evaluate(const Recording& recording, std::span<const CurrentParams, kMaxCurrents> currents,
              const InFit& inFit, double baseline, Evaluation* into) {
  const int points = recording.Samples();
  const int traces = std::max(recording.traces, 0);
  const SampleWindow window{std::clamp(recording.window.start, 0, points),
                            std::clamp(recording.window.end, 0, points)};
  into->summed.resize(static_cast<size_t>(traces));
  for (std::vector<double>& sum : into->summed) sum.assign(static_cast<size_t>(points), 0.0);
  CutCommands(recording, traces, &into->pieces);
  for (int i = 0; i < kMaxCurrents; ++i) {
    std::vector<std::vector<double>>& curves = into->currents[i];
    if (!inFit[i]) {
      curves.clear();
      continue;
    }
    curves.resize(static_cast<size_t>(traces));
    const CurrentParams& c = currents[i];
    const CurrentReals<double> reals = RealsOf(c);
    for (int k = 0; k < traces; ++k) {
      std::vector<double>& curve = curves[k];
      curve.resize(static_cast<size_t>(points));
      const std::vector<CommandPiece>& pieces = into->pieces[k];
      if (pieces.empty()) {
        EvaluateTrace(reals, c.p, c.q, StepVoltageOf(recording, k), recording.times.data(), points,
                      window, baseline, curve.data());
      } else {
        EvaluateTraceSteps<double>(reals, c.p, c.q, pieces, recording.times.data(), points, window,
                                   baseline, curve.data());
      }
      std::vector<double>& sum = into->summed[k];
      for (int n = 0; n < points; ++n) sum[n] += curve[n];
    }
  }
}

Evaluation Evaluate(const Recording& recording,
                    std::span<const CurrentParams, kMaxCurrents> currents, const InFit& inFit,
                    double baseline) {
  Evaluation evaluation;
  Evaluate(recording, currents, inFit, baseline, &evaluation);
  return evaluation;
}
