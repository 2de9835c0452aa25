// The session reader: JSON text checked key by key into a scratch record, which is taken over
// only when every key the reader knows holds a value of its kind.
#include <cmath>
#include <limits>

#include "io/session.h"
#include "io/session_paths.h"
#include "model/model.h"
#include "model/recording.h"

namespace {

using Json = nlohmann::json;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Import choices are a small record. Copying or writing JSON recurses once per level, so a
// hostile file's deep nesting would overflow the stack there: deeper choices are refused.
constexpr int kMaxImportDepth = 16;

// True when value nests fewer than levels levels; the recursion stops at that bound.
bool NestsLessThan(const Json& value, int levels) {
  if (!value.is_structured()) return true;
  if (levels <= 1) return false;
  for (const Json& item : value) {
    if (!NestsLessThan(item, levels - 1)) return false;
  }
  return true;
}

// A finite number. The JSON reader already refuses "1e999"; the check keeps this reader safe
// whatever the JSON reader does.
bool ReadFinite(const Json& value, double* out) {
  if (!value.is_number()) return false;
  const double number = value.get<double>();
  if (!std::isfinite(number)) return false;
  *out = number;
  return true;
}

bool ReadRegion(const Json& value, SessionRegion* region) {
  if (!value.is_array() || value.size() != 2) return false;
  return ReadFinite(value[0], &region->from) && ReadFinite(value[1], &region->to);
}

// A bound: a number, or null (or nothing) for none.
bool ReadBound(const Json& entry, const char* key, double none, double* bound) {
  const auto found = entry.find(key);
  if (found == entry.end() || found->is_null()) {
    *bound = none;
    return true;
  }
  return ReadFinite(*found, bound);
}

// Reads the keys of one JSON object into a session; the first wrong value stops it with why.
class SessionReader {
 public:
  SessionReader(const Json& json, const std::filesystem::path& folder, Session* session)
      : json_(json), folder_(folder), session_(session) {}

  std::string Read() {
    ReadVersion();
    ReadPath("dataFile", &session_->dataFile);
    ReadImport(&session_->dataImport);
    ReadPath("paramFile", &session_->paramFile);
    ReadCommand(&session_->command);
    ReadNumber("xMin", &session_->xMin);
    ReadNumber("xMax", &session_->xMax);
    ReadNumber("baseline", &session_->baseline);
    ReadNumber("yMin", &session_->yMin);
    ReadNumber("yMax", &session_->yMax);
    ReadExcluded(&session_->excluded);
    ReadNoise(&session_->noise);
    ReadFitter();
    ReadSelection();
    ReadFlag("autoUpdate", &session_->autoUpdate);
    ReadFlag("colorTraces", &session_->colorTraces);
    ReadNumber("vMin", &session_->vMin);
    ReadNumber("vMax", &session_->vMax);
    ReadCursor();
    // A session's recordings are its own: none of the workspace's stay when the text lacks them.
    session_->title.clear();
    session_->inPolish = true;
    session_->further.clear();
    session_->shownRecording = 1;
    ReadText("title", &session_->title);
    ReadFlag("inPolish", &session_->inPolish);
    ReadRecordings();
    ReadShownRecording();
    return error_;
  }

  // The keys of a recording after the first.
  std::string ReadRecording(SessionRecording* recording) {
    ReadPath("dataFile", &recording->dataFile);
    ReadImport(&recording->dataImport);
    ReadCommand(&recording->command);
    ReadText("title", &recording->title);
    ReadFlag("inPolish", &recording->inPolish);
    ReadNumber("xMin", &recording->xMin);
    ReadNumber("xMax", &recording->xMax);
    ReadNumber("yMin", &recording->yMin);
    ReadNumber("yMax", &recording->yMax);
    ReadExcluded(&recording->excluded);
    ReadNoise(&recording->noise);
    return error_;
  }

 private:
  // The value of key, or null when the text lacks it or an earlier key was wrong.
  const Json* Find(const char* key) {
    if (!error_.empty()) return nullptr;
    const auto found = json_.find(key);
    return found == json_.end() ? nullptr : &*found;
  }

  void Refuse(const char* key, const std::string& what) {
    error_ = std::string("\"") + key + "\" must be " + what;
  }

  void ReadVersion() {
    const Json* value = Find("version");
    if (value == nullptr) {
      error_ = "the text has no \"version\": it is not a session";
    } else if (!value->is_number_integer() || value->get<int64_t>() < 1) {
      Refuse("version", "a whole number from 1");
    } else if (value->get<int64_t>() > kSessionVersion) {
      error_ = "the session was written by a newer version of Pavik (session version " +
               std::to_string(value->get<int64_t>()) + "; this one reads up to " +
               std::to_string(kSessionVersion) + ")";
    } else {
      session_->version = value->get<int>();
    }
  }

  void ReadPath(const char* key, std::string* path) {
    const Json* value = Find(key);
    if (value == nullptr) return;
    if (!value->is_string()) return Refuse(key, "a text");
    const std::string& stored = value->get_ref<const std::string&>();
    // A NUL would cut the path short wherever it is used.
    if (stored.find('\0') != std::string::npos) return Refuse(key, "a path without NUL");
    *path = ResolvedSessionPath(stored, folder_);
  }

  void ReadText(const char* key, std::string* text) {
    const Json* value = Find(key);
    if (value == nullptr) return;
    if (!value->is_string()) return Refuse(key, "a text");
    *text = value->get<std::string>();
  }

  void ReadRecordings() {
    const Json* value = Find("recordings");
    if (value == nullptr) return;
    if (!value->is_array()) return Refuse("recordings", "a list of recordings");
    if (value->size() + 1 > static_cast<size_t>(kMaxRecordings)) {
      error_ = "it holds " + std::to_string(value->size() + 1) + " recordings; at most " +
               std::to_string(kMaxRecordings) + " are fitted together";
      return;
    }
    std::vector<SessionRecording> further(value->size());
    for (size_t n = 0; n < further.size(); ++n) {
      const Json& entry = (*value)[n];
      const std::string where = "recording " + std::to_string(n + 2) + ": ";
      if (!entry.is_object()) {
        error_ = where + "it must be an object";
        return;
      }
      const std::string why = SessionReader(entry, folder_, session_).ReadRecording(&further[n]);
      if (!why.empty()) {
        error_ = where + why;
        return;
      }
      if (further[n].dataFile.empty()) {
        error_ = where + "it names no data file";
        return;
      }
    }
    session_->further = std::move(further);
  }

  void ReadShownRecording() {
    const Json* value = Find("shownRecording");
    if (value == nullptr) return;
    const int64_t count = static_cast<int64_t>(session_->further.size()) + 1;
    if (!value->is_number_integer() || value->get<int64_t>() < 1 || value->get<int64_t>() > count)
      return Refuse("shownRecording", "a whole number from 1 to " + std::to_string(count));
    session_->shownRecording = value->get<int>();
  }

  void ReadImport(Json* import) {
    const Json* value = Find("dataImport");
    if (value == nullptr) return;
    if (!value->is_object() && !value->is_null()) return Refuse("dataImport", "an object or null");
    if (!NestsLessThan(*value, kMaxImportDepth)) {
      return Refuse("dataImport", "an object nested fewer than " + std::to_string(kMaxImportDepth) +
                                      " levels deep");
    }
    *import = *value;
  }

  void ReadCommand(std::optional<CommandMode>* command) {
    const Json* value = Find("command");
    if (value == nullptr) return;
    if (value->is_null()) {
      command->reset();
    } else if (*value == "single") {
      *command = CommandMode::kSingle;
    } else if (*value == "steps") {
      *command = CommandMode::kSteps;
    } else {
      Refuse("command", "\"single\", \"steps\" or null");
    }
  }

  void ReadNumber(const char* key, double* number) {
    const Json* value = Find(key);
    if (value != nullptr && !ReadFinite(*value, number)) Refuse(key, "a finite number");
  }

  void ReadFlag(const char* key, bool* flag) {
    const Json* value = Find(key);
    if (value == nullptr) return;
    if (!value->is_boolean()) return Refuse(key, "true or false");
    *flag = value->get<bool>();
  }

  void ReadSelection() {
    const Json* value = Find("selCurrent");
    if (value == nullptr) return;
    if (!value->is_number_integer() || value->get<int64_t>() < 1 ||
        value->get<int64_t>() > kMaxCurrents) {
      return Refuse("selCurrent", "a whole number from 1 to " + std::to_string(kMaxCurrents));
    }
    session_->selCurrent = value->get<int>();
  }

  void ReadExcluded(std::vector<SessionRegion>* excluded) {
    const Json* value = Find("excludedRegions");
    if (value == nullptr) return;
    if (!value->is_array()) return Refuse("excludedRegions", "a list of [from, to] pairs");
    std::vector<SessionRegion> regions(value->size());
    for (size_t n = 0; n < regions.size(); ++n) {
      if (!ReadRegion((*value)[n], &regions[n])) {
        return Refuse("excludedRegions", "a list of [from, to] pairs of finite numbers");
      }
    }
    *excluded = std::move(regions);
  }

  void ReadNoise(std::optional<SessionRegion>* noise) {
    const Json* value = Find("noiseRegion");
    if (value == nullptr) return;
    if (value->is_null()) {
      noise->reset();
      return;
    }
    SessionRegion region{};
    if (!ReadRegion(*value, &region)) {
      return Refuse("noiseRegion", "null or a [from, to] pair of finite numbers");
    }
    *noise = region;
  }

  void ReadCursor() {
    const Json* value = Find("cursor");
    if (value == nullptr) return;
    double time = 0.0;
    if (value->is_null())
      session_->cursor.reset();
    else if (ReadFinite(*value, &time))
      session_->cursor = time;
    else
      Refuse("cursor", "null or a finite number");
  }

  void ReadFitter() {
    const Json* value = Find("fitter");
    if (value == nullptr) return;
    if (!value->is_object()) return Refuse("fitter", "an object");
    std::map<std::string, SessionBound> fitter;
    for (const auto& [key, entry] : value->items()) {
      SessionBound bound{};
      const auto free = entry.is_object() ? entry.find("free") : entry.end();
      if (key.empty() || free == entry.end() || !free->is_boolean() ||
          !ReadBound(entry, "lower", -kInfinity, &bound.lower) ||
          !ReadBound(entry, "upper", kInfinity, &bound.upper)) {
        error_ = "\"fitter\" entry \"" + key +
                 "\" must be {\"free\": true or false, \"lower\": number or null, \"upper\": "
                 "number or null}";
        return;
      }
      bound.free = free->get<bool>();
      fitter[key] = bound;
    }
    session_->fitter = std::move(fitter);
  }

  const Json& json_;
  const std::filesystem::path& folder_;
  Session* session_;
  std::string error_;
};

}  // namespace

std::string ParseSession(std::string_view text, const std::string& sessionPath, Session* session) {
  if (text.size() > kMaxSessionBytes) return "the file is too large to be a session";
  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::exception& error) {
    // what() starts with the library's own tag in brackets; the rest says where and why.
    std::string reason = error.what();
    const size_t tagEnd = reason.find("] ");
    if (tagEnd != std::string::npos) reason.erase(0, tagEnd + 2);
    return "the session is not JSON text: " + reason;
  }
  if (!json.is_object()) return "the session is not a JSON object";
  Session scratch = *session;
  const std::string error = SessionReader(json, SessionFolder(sessionPath), &scratch).Read();
  if (!error.empty()) return "the session was not read: " + error;
  *session = std::move(scratch);
  return "";
}
