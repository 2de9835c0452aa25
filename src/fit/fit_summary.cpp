// The fit summary of a polish as text and as JSON. Numbers are written with a point whatever the
// desktop's locale.
#include "fit/fit_summary.h"
#include "platform/number_text.h"

#include <charconv>
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

}  // namespace

std::string FitSummaryText(const PolishResult& result, const std::optional<double>& noiseSd) {
  if (!result.Applicable())
    return "The polish " + OutcomeName(result.outcome) + ": " + result.reason + "\n";
  std::string text = "current\tparameter\tstart\tresult\tstandard error\n";
  for (const ParamEstimate& e : result.estimates) {
    const std::string current = e.param.IsBaseline() ? "" : std::to_string(e.param.current + 1);
    const std::string name =
        e.param.IsBaseline() ? "baseline" : std::string(Descriptor(e.param.field).name);
    text += current + "\t" + name + "\t" + Number(e.start, kValueDigits) + "\t" +
            Number(e.result, kValueDigits) + "\t" + ErrorText(e) + "\n";
  }
  text += "\n";
  if (result.rmsBefore) text += "RMS before\t" + Number(*result.rmsBefore, 6) + " nA\n";
  if (result.rmsAfter) text += "RMS after\t" + Number(*result.rmsAfter, 6) + " nA\n";
  if (const std::optional<double> ratio = NoiseRatio(result, noiseSd)) {
    text += "noise ratio\t" + Number(*ratio, kErrorDigits) + "\n";
  }
  text += "iterations\t" + std::to_string(result.iterations) + "\n";
  text += "stopped\t" + result.reason + "\n";
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
  summary["iterations"] = result.iterations;
  summary["counted"] = result.counted;
  const auto optional = [](const std::optional<double>& value) {
    return value ? json(*value) : json(nullptr);
  };
  summary["rmsBefore"] = optional(result.rmsBefore);
  summary["rmsAfter"] = optional(result.rmsAfter);
  summary["noiseSd"] = optional(noiseSd);
  summary["noiseRatio"] = optional(NoiseRatio(result, noiseSd));
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
    p["determined"] = e.standardError.has_value();
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
