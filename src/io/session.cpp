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

nlohmann::ordered_json CommandValue(const std::optional<CommandMode>& command) {
  if (!command) return nullptr;
  return *command == CommandMode::kSteps ? "steps" : "single";
}

bool FiniteRegions(const std::vector<SessionRegion>& excluded,
                   const std::optional<SessionRegion>& noise) {
  for (const SessionRegion& region : excluded) {
    if (!std::isfinite(region.from) || !std::isfinite(region.to)) return false;
  }
  return !noise || (std::isfinite(noise->from) && std::isfinite(noise->to));
}

nlohmann::ordered_json RecordingValue(const SessionRecording& recording,
                                      const std::filesystem::path& folder) {
  nlohmann::ordered_json json;
  json["dataFile"] = StoredSessionPath(recording.dataFile, folder);
  json["dataImport"] = recording.dataImport;
  json["command"] = CommandValue(recording.command);
  json["title"] = recording.title;
  json["inPolish"] = recording.inPolish;
  json["xMin"] = recording.xMin;
  json["xMax"] = recording.xMax;
  json["yMin"] = recording.yMin;
  json["yMax"] = recording.yMax;
  json["excludedRegions"] = nlohmann::ordered_json::array();
  for (const SessionRegion& region : recording.excluded)
    json["excludedRegions"].push_back(RegionValue(region));
  json["noiseRegion"] = recording.noise ? RegionValue(*recording.noise) : nullptr;
  return json;
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
  for (size_t n = 0; n < session.further.size(); ++n) {
    const SessionRecording& recording = session.further[n];
    const double window[] = {recording.xMin, recording.xMax, recording.yMin, recording.yMax};
    for (double value : window) {
      if (!std::isfinite(value)) return "the window of recording " + std::to_string(n + 2);
    }
    if (!FiniteRegions(recording.excluded, recording.noise))
      return "a region of recording " + std::to_string(n + 2);
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
  json["command"] = CommandValue(session.command);
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
  // Written only when they say more than a session of one recording always did.
  if (!session.title.empty()) json["title"] = session.title;
  if (!session.inPolish) json["inPolish"] = false;
  if (!session.further.empty()) {
    json["recordings"] = nlohmann::ordered_json::array();
    for (const SessionRecording& recording : session.further)
      json["recordings"].push_back(RecordingValue(recording, folder));
    json["shownRecording"] = session.shownRecording;
  }
  try {
    *text = json.dump(2) + "\n";
  } catch (const nlohmann::json::type_error&) {
    // The only text a dump refuses is text that is not UTF-8, such as some file names.
    return "a path or a name is not UTF-8 text; a session cannot hold it";
  }
  return "";
}
