// The session writer: the workspace's part of a session, and its JSON text.
#include "io/session.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "io/session_paths.h"

namespace {

// JSON has no infinities: an open bound is written as null.
nlohmann::ordered_json BoundValue(double value) {
  if (std::isinf(value)) return nullptr;
  return value;
}

nlohmann::ordered_json RegionValue(const SessionRegion& region) {
  return nlohmann::ordered_json::array({region.from, region.to});
}

// JSON has no NaN and no infinities (an open bound is the one infinity a session means).
std::string FirstUnwritableNumber(const Session& session) {
  const std::pair<const char*, double> values[] = {
      {"xMin", session.xMin},         {"xMax", session.xMax},
      {"baseline", session.baseline}, {"yMin", session.yMin},
      {"yMax", session.yMax},         {"vMin", session.vMin},
      {"vMax", session.vMax},         {"cursor", session.cursor.value_or(0.0)}};
  for (const auto& [key, value] : values) {
    if (!std::isfinite(value)) return key;
  }
  for (const SessionRegion& region : session.excluded) {
    if (!std::isfinite(region.from) || !std::isfinite(region.to)) return "an excluded region";
  }
  if (session.noise && (!std::isfinite(session.noise->from) || !std::isfinite(session.noise->to)))
    return "the noise region";
  for (const auto& [key, bound] : session.fitter) {
    if (std::isnan(bound.lower) || std::isnan(bound.upper)) return "a bound of " + key;
  }
  return "";
}

}  // namespace

std::string FormatSession(const Session& session, const std::string& sessionPath,
                          std::string* text) {
  const std::string unwritable = FirstUnwritableNumber(session);
  if (!unwritable.empty()) return unwritable + " is not a number a session can hold";
  const std::filesystem::path folder = SessionFolder(sessionPath);
  nlohmann::ordered_json json;
  json["version"] = kSessionVersion;
  json["dataFile"] = StoredSessionPath(session.dataFile, folder);
  json["dataImport"] = session.dataImport;
  json["paramFile"] = StoredSessionPath(session.paramFile, folder);
  json["command"] = nullptr;
  if (session.command)
    json["command"] = *session.command == CommandMode::kSteps ? "steps" : "single";
  json["xMin"] = session.xMin;
  json["xMax"] = session.xMax;
  json["baseline"] = session.baseline;
  json["yMin"] = session.yMin;
  json["yMax"] = session.yMax;
  json["excludedRegions"] = nlohmann::ordered_json::array();
  for (const SessionRegion& region : session.excluded) {
    json["excludedRegions"].push_back(RegionValue(region));
  }
  json["noiseRegion"] = session.noise ? RegionValue(*session.noise) : nullptr;
  json["fitter"] = nlohmann::ordered_json::object();
  for (const auto& [key, bound] : session.fitter) {
    json["fitter"][key] = {{"free", bound.free},
                           {"lower", BoundValue(bound.lower)},
                           {"upper", BoundValue(bound.upper)}};
  }
  json["selCurrent"] = session.selCurrent;
  json["autoUpdate"] = session.autoUpdate;
  json["colorTraces"] = session.colorTraces;
  json["vMin"] = session.vMin;
  json["vMax"] = session.vMax;
  json["cursor"] = session.cursor ? nlohmann::ordered_json(*session.cursor) : nullptr;
  try {
    *text = json.dump(2) + "\n";
  } catch (const nlohmann::json::type_error&) {
    // The only text a dump refuses is text that is not UTF-8, such as some file names.
    return "a path or a name is not UTF-8 text; a session cannot hold it";
  }
  return "";
}
