// The fit summary of a polish as text and as JSON. Numbers are written with a point whatever the
// desktop's locale.
#include "fit/fit_summary.h"

#include "fit/polish_verdict.h"
#include "platform/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace {

constexpr int kValueDigits = 8;  // a start or result, enough to type back in
constexpr int kErrorDigits = 3;  // a standard error or a ratio

std::string Number(double value, int digits) {
  return SignificantText(value, digits);
}

std::string OutcomeName(PolishOutcome outcome) {
  switch (outcome) {
    case PolishOutcome::Converged:
      return "converged";
    case PolishOutcome::IterationLimit:
      return "iteration limit";
    case PolishOutcome::Cancelled:
      return "cancelled";
    case PolishOutcome::Failed:
      return "failed";
    case PolishOutcome::Refused:
      return "refused";
  }
  return "";
}

std::optional<double> NoiseRatio(const PolishResult& result, const std::optional<double>& noiseSd) {
  if (!result.rmsAfter || !noiseSd || *noiseSd <= 0.0) return std::nullopt;
  return *result.rmsAfter / *noiseSd;
}

std::string ErrorText(const ParamEstimate& estimate) {
  return estimate.standardError ? Number(*estimate.standardError, kErrorDigits) : "not determined";
}

std::string CorrectedText(const ParamEstimate& estimate) {
  return estimate.correctedError ? Number(*estimate.correctedError, kErrorDigits) : "";
}

std::string DeterminationName(Determination determination) {
  switch (determination) {
    case Determination::Determined:
      return "determined";
    case Determination::Poorly:
      return "poorly determined";
    case Determination::Not:
      break;
  }
  return "not determined";
}

// Samples worth as much as the correlated ones: n (1 - rho) / (1 + rho).
std::optional<double> EffectiveSamples(const PolishResult& result) {
  if (!result.lag1 || *result.lag1 >= 1.0) return std::nullopt;
  const double rho = std::max(*result.lag1, 0.0);
  return result.counted * (1.0 - rho) / (1.0 + rho);
}

std::string Verdict(const PolishResult& result) {
  if (result.Good()) return "good";
  if (result.outcome == PolishOutcome::IterationLimit && result.warnings.empty())
    return "not converged";
  return "doubtful: " + std::to_string(result.warnings.size()) + " warning" +
         (result.warnings.size() == 1 ? "" : "s");
}

std::string WeightingText(const PolishResult& result) {
  return result.weightedByNoise ? "each recording by its noise region"
                                : "every sample alike (not every recording has a noise region)";
}

std::optional<double> RecordingRatio(const RecordingFit& fit) {
  if (!fit.rmsAfter || !fit.noise.sd || *fit.noise.sd <= 0.0) return std::nullopt;
  return *fit.rmsAfter / *fit.noise.sd;
}

// With several recordings, how far the fit misses each one.
std::string RecordingLines(const PolishResult& result) {
  if (result.recordings.empty()) return "";
  std::string text = "weighting\t" + WeightingText(result) + "\n";
  for (const RecordingFit& fit : result.recordings) {
    text += fit.name + "\t";
    if (fit.rmsAfter) text += "RMS after " + Number(*fit.rmsAfter, 6) + " nA";
    if (const std::optional<double> ratio = RecordingRatio(fit)) {
      text += ", " + Number(*ratio, kErrorDigits) + " times the noise (" +
              Number(*fit.noise.sd, kErrorDigits) + " nA, from " +
              NoiseSourceName(fit.noise.source) + ")";
    }
    text += ", " + std::to_string(fit.counted) + " samples\n";
  }
  return text;
}

}  // namespace

std::string FitSummaryText(const PolishResult& result, const std::optional<double>& noiseSd) {
  if (!result.Applicable())
    return "The polish " + OutcomeName(result.outcome) + ": " + result.reason + "\n";
  std::string text =
      "current\tparameter\tstart\tresult\tstandard error\tcorrected error\tdetermined\n";
  for (const ParamEstimate& e : result.estimates) {
    const std::string current = e.param.IsBaseline() ? "" : std::to_string(e.param.current + 1);
    const std::string name =
        e.param.IsBaseline() ? "baseline" : std::string(Descriptor(e.param.field).name);
    text += current + "\t" + name + "\t" + Number(e.start, kValueDigits) + "\t" +
            Number(e.result, kValueDigits) + "\t" + ErrorText(e) + "\t" + CorrectedText(e) + "\t" +
            DeterminationName(e.determination) + "\n";
  }
  text += "\n";
  if (result.rmsBefore) text += "RMS before\t" + Number(*result.rmsBefore, 6) + " nA\n";
  if (result.rmsAfter) text += "RMS after\t" + Number(*result.rmsAfter, 6) + " nA\n";
  if (const std::optional<double> ratio = NoiseRatio(result, noiseSd)) {
    text += "noise ratio\t" + Number(*ratio, kErrorDigits) + "\n";
  }
  if (result.noise.sd) {
    text += "noise\t" + Number(*result.noise.sd, kErrorDigits) + " nA, from " +
            NoiseSourceName(result.noise.source) + "\n";
  }
  text += RecordingLines(result);
  if (result.lag1) {
    text += "lag-1 autocorrelation\t" + Number(*result.lag1, kErrorDigits);
    if (const std::optional<double> effective = EffectiveSamples(result)) {
      text += " (the corrected errors count " + std::to_string(std::lround(*effective)) + " of " +
              std::to_string(result.counted) + " samples as independent)";
    }
    text += "\n";
  }
  text += "errors assume\tthe chosen gate powers and leak, and a model that fits\n";
  text += "iterations\t" + std::to_string(result.iterations) + "\n";
  text += "starts\t" + std::to_string(result.starts) + "\n";
  text += "stopped\t" + result.reason + "\n";
  text += "verdict\t" + Verdict(result) + "\n";
  for (const std::string& warning : result.warnings) text += "warning\t" + warning + "\n";
  if (!result.covarianceNote.empty()) {
    text += "standard errors\tnone: " + result.covarianceNote + "\n";
  }
  for (const CorrelatedPair& pair : result.correlated) {
    text += "correlated\t" + ParamName(pair.first) + " and " + ParamName(pair.second) +
            " (r = " + Number(pair.r, kErrorDigits) + ")\n";
  }
  for (const ParamEstimate& e : result.estimates) {
    if (e.atBound) text += "on its bound\t" + ParamName(e.param) + "\n";
  }
  for (const std::string& notice : result.notices) text += "moved\t" + notice + "\n";
  return text;
}

std::string FitSummaryJson(const PolishResult& result, const std::optional<double>& noiseSd) {
  using nlohmann::json;
  json summary;
  summary["outcome"] = OutcomeName(result.outcome);
  summary["reason"] = result.reason;
  summary["verdict"] = Verdict(result);
  summary["warnings"] = result.warnings;
  summary["seconds"] = result.seconds;
  summary["starts"] = result.starts;
  summary["iterations"] = result.iterations;
  summary["counted"] = result.counted;
  const auto optional = [](const std::optional<double>& value) {
    return value ? json(*value) : json(nullptr);
  };
  summary["rmsBefore"] = optional(result.rmsBefore);
  summary["rmsAfter"] = optional(result.rmsAfter);
  summary["noiseSd"] = optional(noiseSd);
  summary["noiseRatio"] = optional(NoiseRatio(result, noiseSd));
  summary["noiseEstimate"] = {{"sd", optional(result.noise.sd)},
                              {"source", NoiseSourceName(result.noise.source)}};
  if (!result.recordings.empty()) {
    summary["weighting"] = result.weightedByNoise ? "noise" : "equal";
    json recordings = json::array();
    for (const RecordingFit& fit : result.recordings) {
      recordings.push_back({{"name", fit.name},
                            {"counted", fit.counted},
                            {"rmsBefore", optional(fit.rmsBefore)},
                            {"rmsAfter", optional(fit.rmsAfter)},
                            {"noiseSd", optional(fit.noise.sd)},
                            {"noiseSource", NoiseSourceName(fit.noise.source)},
                            {"noiseRatio", optional(RecordingRatio(fit))},
                            {"weight", fit.weight}});
    }
    summary["recordings"] = recordings;
  }
  summary["lag1"] = optional(result.lag1);
  summary["effectiveSamples"] = optional(EffectiveSamples(result));
  json parameters = json::array();
  for (const ParamEstimate& e : result.estimates) {
    json p;
    if (e.param.IsBaseline()) {
      p["current"] = nullptr;
      p["parameter"] = "baseline";
    } else {
      p["current"] = e.param.current + 1;
      p["name"] = result.currents[e.param.current].name;
      p["parameter"] = std::string(Descriptor(e.param.field).name);
    }
    p["start"] = e.start;
    p["result"] = e.result;
    p["standardError"] = optional(e.standardError);
    p["correctedError"] = optional(e.correctedError);
    p["determined"] = e.standardError.has_value();
    p["determination"] = DeterminationName(e.determination);
    p["atBound"] = e.atBound;
    parameters.push_back(p);
  }
  summary["parameters"] = parameters;
  json correlated = json::array();
  for (const CorrelatedPair& pair : result.correlated) {
    correlated.push_back(
        {{"first", ParamName(pair.first)}, {"second", ParamName(pair.second)}, {"r", pair.r}});
  }
  summary["correlated"] = correlated;
  summary["notices"] = result.notices;
  summary["covarianceNote"] = result.covarianceNote;
  // A name is the user's text; one that is not valid UTF-8 is written with replacement marks.
  return summary.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
