// Sessions on disk: gathering the workspace into a session and writing it safely, and reading
// one back: checked whole before anything is taken over, then the files it names, then its
// settings, then every panel brought up to date.
#include "app/session_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/amplifier_open.h"
#include "app/history.h"
#include "app/pavik.h"
#include "app/recordings.h"
#include "app/session_changes.h"
#include "display/change.h"
#include "display/command_strip.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "fit/undo.h"
#include "io/abf/import_choices_json.h"
#include "io/dialog_folder.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "io/read_once.h"
#include "io/safe_write.h"
#include "model/model.h"
#include "model/param_table.h"
#include "model/recording.h"
#include "model/session_recordings.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr const char* kTitle = "Session";
constexpr const char* kFileSpec = "*.pavik";
constexpr const char* kBaselineKey = "baseline";
constexpr size_t kReadChunk = 8192;

void Tell(const std::string& message) {
  MessagePopup(kTitle, message.c_str());
}

// ---------------------------------------------------------------- the fit's settings

std::string FitterKey(int current, int field) {
  return std::to_string(current + 1) + "." + std::string(kParamTable[field].name);
}

// The polish keeps "no bound" as +-kUnbounded; a session keeps it as an infinity.
double SessionBoundOf(double bound) {
  if (bound >= kUnbounded) return INFINITY;
  if (bound <= -kUnbounded) return -INFINITY;
  return bound;
}
double PolishBoundOf(double bound) {
  if (std::isinf(bound)) return bound > 0 ? kUnbounded : -kUnbounded;
  return bound;
}

std::string FieldText(const char* field, size_t size) {
  return std::string(field, strnlen(field, size));
}

// The workspace's part of a session (files, window, baseline, ranges, selection, choices); the
// regions, the fitter's settings and the import choices are filled by PutFitSettings and the
// caller.
Session WorkspaceSession() {
  Session session;
  session.dataFile = FieldText(status.dataFile, sizeof status.dataFile);
  // Before any parameter file is read the field holds a placeholder name, not a file.
  if (status.paramFileLoaded)
    session.paramFile = FieldText(status.paramFile, sizeof status.paramFile);
  if (status.dataLoaded) session.command = loadedRecording.commandMode;
  session.xMin = status.xMin;
  session.xMax = status.xMax;
  session.baseline = status.baseline;
  session.yMin = status.yMin;
  session.yMax = status.yMax;
  session.selCurrent = status.selCurrent;
  session.autoUpdate = status.autoUpdate != 0;
  session.colorTraces = status.colorTraces != 0;
  session.vMin = status.vMin;
  session.vMax = status.vMax;
  if (DataCursorMarks() && status.cursorIndex >= 0 && status.cursorIndex < NumPoints)
    session.cursor = timevals[status.cursorIndex];
  return session;
}

void PutFitSettings(Session* session) {
  if (!loadedRecording.fitter.choice) return;  // the defaults: nothing chosen to keep
  const ParamChoice& choice = *loadedRecording.fitter.choice;
  for (int i = 0; i < kMaxCurrents; ++i) {
    for (int f = 0; f < kRealFieldCount; ++f) {
      const ParamBounds& bounds = choice.currents[i].bounds[f];
      session->fitter[FitterKey(i, f)] = {choice.currents[i].free[f], SessionBoundOf(bounds.lower),
                                          SessionBoundOf(bounds.upper)};
    }
  }
  session->fitter[kBaselineKey] = {choice.baselineFree, SessionBoundOf(choice.baselineBounds.lower),
                                   SessionBoundOf(choice.baselineBounds.upper)};
}

// Keys the session lists override the defaults for the parameters just taken over; a key that
// names no field is ignored, as unknown keys are.
void TakeFitSettings(const Session& session) {
  loadedRecording.fitter.choice.reset();
  loadedRecording.fitter.userBounds = {};
  loadedRecording.fitter.baselineUserBounds = false;
  if (session.fitter.empty()) return;
  ParamChoice choice = EffectivePolishChoice();
  auto differ = [](const ParamBounds& a, const ParamBounds& b) {
    return a.lower != b.lower || a.upper != b.upper;
  };
  for (const auto& [key, bound] : session.fitter) {
    const ParamBounds bounds{PolishBoundOf(bound.lower), PolishBoundOf(bound.upper)};
    if (key == kBaselineKey) {
      choice.baselineFree = bound.free;
      loadedRecording.fitter.baselineUserBounds = differ(bounds, choice.baselineBounds);
      choice.baselineBounds = bounds;
      continue;
    }
    for (int i = 0; i < kMaxCurrents; ++i) {
      for (int f = 0; f < kRealFieldCount; ++f) {
        if (key != FitterKey(i, f)) continue;
        choice.currents[i].free[f] = bound.free;
        loadedRecording.fitter.userBounds[i][f] = differ(bounds, choice.currents[i].bounds[f]);
        choice.currents[i].bounds[f] = bounds;
      }
    }
  }
  loadedRecording.fitter.choice = choice;
}

// ---------------------------------------------------------------- the recordings

// Each field of the first recording with its place at the session's top level, handed to
// pair(top, kept) in turn: one list for both directions, so that they cannot drift apart.
template <typename Pair>
void PairFirstRecording(Session* session, SessionRecording* first, Pair pair) {
  pair(session->dataFile, first->dataFile);
  pair(session->dataImport, first->dataImport);
  pair(session->command, first->command);
  pair(session->xMin, first->xMin);
  pair(session->xMax, first->xMax);
  pair(session->yMin, first->yMin);
  pair(session->yMax, first->yMax);
  pair(session->excluded, first->excluded);
  pair(session->noise, first->noise);
  pair(session->title, first->title);
  pair(session->inPolish, first->inPolish);
}

// A recording as a session keeps it; the shown one's window and ranges are the workspace's.
SessionRecording SessionRecordingOf(const Recording& recording, bool shown) {
  SessionRecording kept;
  kept.dataFile = recording.name;
  if (recording.import) kept.dataImport = ImportChoicesToJson(*recording.import);
  kept.command = recording.commandMode;
  const RecordingView view =
      shown || !recording.view
          ? RecordingView{status.xMin, status.xMax, status.yMin, status.yMax, 0, 0, -1}
          : *recording.view;
  kept.xMin = view.xMin;
  kept.xMax = view.xMax;
  kept.yMin = view.yMin;
  kept.yMax = view.yMax;
  for (const TimeRegion& region : recording.excluded)
    kept.excluded.push_back({region.from, region.to});
  if (recording.noise) kept.noise = SessionRegion{recording.noise->from, recording.noise->to};
  kept.title = recording.title;
  kept.inPolish = recording.inPolish;
  return kept;
}

// The first recording lives at the session's top level, as a session of one always kept it.
void PutRecordings(Session* session) {
  const int count = RecordingCount();
  if (count == 0) return;
  const int shown = ShownRecordingIndex();
  SessionRecording first = SessionRecordingOf(RecordingAt(0), shown == 0);
  PairFirstRecording(session, &first, [](auto& top, auto& kept) { top = kept; });
  for (int i = 1; i < count; ++i)
    session->further.push_back(SessionRecordingOf(RecordingAt(i), shown == i));
  session->shownRecording = shown + 1;
}

// The session's recordings in order, the first from its top level.
std::vector<SessionRecording> SessionRecordingsOf(const Session& session) {
  SessionRecording first;
  Session top = session;
  PairFirstRecording(&top, &first, [](auto& atTop, auto& kept) { kept = atTop; });
  std::vector<SessionRecording> all{first};
  all.insert(all.end(), session.further.begin(), session.further.end());
  return all;
}

// What the session keeps of a recording, into the shown one and the workspace's window.
void TakeRecordingSettings(const SessionRecording& kept) {
  status.xMin = kept.xMin;
  status.xMax = kept.xMax;
  status.yMin = kept.yMin;
  status.yMax = kept.yMax;
  SetDataXIndexes();
  loadedRecording.excluded.clear();
  for (const SessionRegion& region : kept.excluded)
    loadedRecording.excluded.push_back({region.from, region.to});
  loadedRecording.noise.reset();
  if (kept.noise) loadedRecording.noise = TimeRegion{kept.noise->from, kept.noise->to};
  loadedRecording.title = kept.title;
  loadedRecording.inPolish = kept.inPolish;
}

// ---------------------------------------------------------------- reading

std::string ReadSessionText(const std::string& path, std::string* text) {
  const FileKind kind = KindOfFile(path);
  if (kind == FileKind::Device) return "it is a device, not a file";
  // A pipe within a bound of time: a FIFO that no writer opens would hold the open for ever.
  if (kind == FileKind::Pipe) {
    const std::string why = ReadFileOnce(path, {kMaxSessionBytes}, text);
    return why.starts_with("it is larger than") ? "it is far larger than a session" : why;
  }
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return std::string("it cannot be opened (") + std::strerror(errno) + ")";
  char chunk[kReadChunk];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
    text->append(chunk, got);
    if (text->size() > kMaxSessionBytes) {
      std::fclose(stream);
      return "it is far larger than a session";
    }
  }
  const bool failed = std::ferror(stream) != 0;
  std::fclose(stream);
  return failed ? "it could not be read" : "";
}

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// The selected current as its selector button makes it: fields, colour, frames, curves.
void SelectCurrent(int n) {
  currbutCB(panelHandle, PANEL_CURRBUT1 + n - 1, EVENT_COMMIT, nullptr, 0, 0);
}

void ShowSession() {
  ShowAxisRanges();
  SetCtrlVal(panelHandle, PANEL_AUTOUPDATE, status.autoUpdate);
  SetCtrlVal(panelHandle, PANEL_TRACECOLORS, status.colorTraces);
  SelectCurrent(status.selCurrent);
  if (status.dataLoaded) {
    ClearGraph(PANEL_GRAPH, -1);
    ShowData();
    ChangeDataColors();
    ShowAxisRanges();  // the window as the data allow it
  }
}

// A recording's data file, imported with the choices it was imported with before (when those
// cannot be read the import dialog asks again); added to the recordings opened before it.
bool OpenSessionRecording(const SessionRecording& kept, bool add) {
  ImportOptions options;
  const ImportOptions* given = nullptr;
  if (!kept.dataImport.is_null()) {
    if (const std::string why = ImportOptionsFromJson(kept.dataImport, &options); !why.empty())
      Tell("The session's import choices for " + kept.dataFile + " were not used (" + why +
           "); choose them again.");
    else
      given = &options;
  }
  const int opened =
      add ? AddRecordingQuietly(kept.dataFile, given) : LoadDataFile(kept.dataFile, given);
  if (opened == 1 && kept.command) loadedRecording.commandMode = *kept.command;
  return opened == 1;
}

}  // namespace

Session CurrentSession() {
  Session session = WorkspaceSession();
  if (const std::string param = LastParamFile(); !param.empty()) session.paramFile = param;
  PutFitSettings(&session);
  PutRecordings(&session);
  return session;
}

int SaveSessionFile(const std::string& path) {
  std::string text;
  std::string why = FormatSession(CurrentSession(), path, &text);
  if (!why.empty()) {
    Tell("The session was not saved: " + why + ".");
    return 0;
  }
  const SaveResult result = SaveFileSafely(path, text);
  if (!result.why.empty()) {
    Tell(SaveFailureMessage("session", path, result));
    return 0;
  }
  NoteSessionSaved();
  return 1;
}

int OpenSessionFile(const std::string& path) {
  std::string text;
  Session session = CurrentSession();
  std::string why = ReadSessionText(path, &text);
  if (why.empty()) why = ParseSession(text, path, &session);
  if (!why.empty()) {
    Tell("The session\n" + path + "\nwas not opened: " + why + ".\nNothing was changed.");
    return 0;
  }
  std::string missing;
  HeldDataNotices dataNotices;  // told once the parameter file has set Vhold, or not
  const std::vector<SessionRecording> kept = SessionRecordingsOf(session);
  std::vector<int> openedAt(kept.size(), -1);  // where each stands among those opened
  int opened = 0;
  for (size_t n = 0; n < kept.size(); ++n) {
    if (kept[n].dataFile.empty()) continue;
    if (!Exists(kept[n].dataFile)) {
      missing += "the data file " + kept[n].dataFile + "\n";
      continue;
    }
    // Each tells why when it fails; the rest goes on.
    if (OpenSessionRecording(kept[n], opened > 0)) openedAt[n] = opened++;
  }
  bool paramRead = false;
  if (!session.paramFile.empty()) {
    if (!Exists(session.paramFile))
      missing += "the parameter file " + session.paramFile + "\n";
    else
      paramRead = LoadParamFile(session.paramFile) == 1;
  }
  dataNotices.Show(paramRead);
  if (opened == 0) {
    TakeRecordingSettings(kept.front());  // as before: the window and regions of what is loaded
  } else {
    for (size_t n = 0; n < kept.size(); ++n) {
      if (openedAt[n] < 0) continue;
      ShowRecordingAt(openedAt[n]);
      TakeRecordingSettings(kept[n]);
    }
    const int shown = openedAt[static_cast<size_t>(session.shownRecording - 1)];
    ShowRecordingAt(shown >= 0 ? shown : 0);
  }
  ShowCommandMode();
  ShowCommandStrip();
  status.vMin = session.vMin;
  status.vMax = session.vMax;
  status.baseline = session.baseline;
  status.selCurrent = session.selCurrent;
  status.autoUpdate = session.autoUpdate ? 1 : 0;
  status.colorTraces = session.colorTraces ? 1 : 0;
  TakeFitSettings(session);
  NoteRecordingReplaced();  // the recordings before the session are gone from the history too
  ShowRecordingSelector();
  ShowSession();
  AfterChange({Changed::kWorkspace, "Open Session"});
  if (session.cursor) PlaceDataCursor(*session.cursor);
  if (paramRead) NoteSaved();
  NoteSessionSaved();
  NoteSessionFileSaved("");
  RememberFileUsed(path);
  if (!missing.empty()) {
    Tell("The session\n" + path + "\nnames files that could not be found:\n" + missing +
         "The rest of the session was restored.");
  }
  return 1;
}

int Save_Session() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kFileSpec, kFileSpec, "Save Session",
                                     VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;
  path = WithDefaultExtension(path, kSessionExtension);
  if (SaveSessionFile(path) != 1) return 0;
  RememberFileUsed(path);
  NoteSessionFileSaved(path);
  return 1;
}

int Open_Session() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kFileSpec, kFileSpec, "Open Session",
                                     VAL_SELECT_BUTTON, 0, 0, 1, 1, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  return OpenSessionFile(path);
}
