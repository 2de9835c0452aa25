// The undo history: snapshots of what the user fits, the named steps between them, and the
// marker of the state last saved or read.
#include "fit/undo.h"

#include <algorithm>
#include <cstring>

#include "model/recording.h"

UndoHistory undoHistory;

namespace {

template <typename T, size_t N>
bool SameBits(const T (&a)[N], const T (&b)[N]) {
  return std::memcmp(a, b, sizeof a) == 0;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameCurrent(const CurrentParams& a, const CurrentParams& b) {
  const double CurrentParams::*reals[] = {
      &CurrentParams::Vm,    &CurrentParams::Vh,   &CurrentParams::Km,   &CurrentParams::Kh,
      &CurrentParams::Tmhi,  &CurrentParams::Tmlo, &CurrentParams::Thhi, &CurrentParams::Thlo,
      &CurrentParams::Vtm,   &CurrentParams::Vth,  &CurrentParams::Ktm,  &CurrentParams::Kth,
      &CurrentParams::Vhold, &CurrentParams::Gmax, &CurrentParams::Erev};
  for (auto member : reals) {
    if (!SameBits(a.*member, b.*member)) return false;
  }
  // Bytes after a name's terminator are not part of it.
  return a.p == b.p && a.q == b.q && std::strncmp(a.name, b.name, kNameSize) == 0;
}

// A name copied up to its terminator and padded with zeros, always terminated.
void CopyName(char (&to)[kNameSize], const char (&from)[kNameSize]) {
  std::strncpy(to, from, kNameSize - 1);
  to[kNameSize - 1] = '\0';
}

void CopyCurrent(CurrentParams* to, const CurrentParams& from) {
  *to = from;
  CopyName(to->name, from.name);
}

}  // namespace

// ---- snapshots ----

WorkspaceSnapshot CaptureWorkspace() {
  WorkspaceSnapshot state{};
  for (int i = 0; i < kMaxCurrents; ++i) CopyCurrent(&state.currents[i], params[i]);
  std::copy_n(status.fitCurrent, kMaxCurrents, state.fitCurrent);
  state.fitCount = status.fitCount;
  std::copy_n(status.traceV, kTraceVSlots, state.traceV);
  state.baseline = status.baseline;
  state.dclamp = dclamp;
  state.fitter = loadedRecording.fitter;
  state.recordings = CaptureRecordings();
  return state;
}

void RestoreWorkspace(const WorkspaceSnapshot& state) {
  // First, since showing another recording brings up its trace voltages, which the step then sets.
  RestoreRecordings(state.recordings);
  for (int i = 0; i < kMaxCurrents; ++i) CopyCurrent(&params[i], state.currents[i]);
  std::copy_n(state.fitCurrent, kMaxCurrents, status.fitCurrent);
  status.fitCount = state.fitCount;
  std::copy_n(state.traceV, kTraceVSlots, status.traceV);
  status.baseline = state.baseline;
  dclamp = state.dclamp;
  loadedRecording.fitter = state.fitter;
}

void NoteRecordingReplaced() {
  undoHistory.AdoptFitterChoice(loadedRecording.fitter);
  undoHistory.AdoptRecordings(CaptureRecordings(), status.traceV);
}

bool SameSnapshot(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b) {
  return SameParameters(a, b) && a.fitter == b.fitter && a.recordings == b.recordings;
}

bool SameParameters(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!SameCurrent(a.currents[i], b.currents[i])) return false;
  }
  // Another recording shown brings its own trace voltages: that is no edit of the parameters.
  const bool sameRecording = a.recordings.shownId == b.recordings.shownId;
  return SameBits(a.fitCurrent, b.fitCurrent) && a.fitCount == b.fitCount &&
         (!sameRecording || SameBits(a.traceV, b.traceV)) && SameBits(a.baseline, b.baseline) &&
         SameBits(a.dclamp.currentSetting, b.dclamp.currentSetting) &&
         SameBits(a.dclamp.globalSetting, b.dclamp.globalSetting) &&
         SameBits(a.dclamp.intSetting, b.dclamp.intSetting);
}

// ---- the history ----

UndoHistory::UndoHistory(int maxSteps) : maxSteps_(std::max(maxSteps, 1)) {
  Reset(WorkspaceSnapshot{});
}

void UndoHistory::Reset(const WorkspaceSnapshot& state) {
  entries_.clear();
  const uint64_t serial = nextSerial_++;
  entries_.push_back({"", state, serial, serial});
  position_ = 0;
  cleanSerial_ = serial;
  runKey_.clear();
}

bool UndoHistory::Record(const std::string& label, const WorkspaceSnapshot& state,
                         const std::string& mergeKey) {
  if (SameSnapshot(state, entries_[position_].state)) return false;
  const bool merges = !mergeKey.empty() && mergeKey == runKey_;
  runKey_ = mergeKey;
  if (merges) {
    // The run's step is the last entry (a run ends at any undo or redo). It gets a new serial:
    // the state it stood for is gone.
    if (SameSnapshot(state, entries_[position_ - 1].state)) {
      // A run that comes back to where it started leaves no step.
      entries_.pop_back();
      --position_;
      runKey_.clear();
      return true;
    }
    Entry& last = entries_[position_];
    last.state = state;
    last.serial = nextSerial_++;
    last.paramSerial = ParamSerialAfter(entries_[position_ - 1], state, last.serial);
    return true;
  }
  const uint64_t serial = nextSerial_++;
  const uint64_t paramSerial = ParamSerialAfter(entries_[position_], state, serial);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position_) + 1, entries_.end());
  entries_.push_back({label, state, serial, paramSerial});
  if (entries_.size() > static_cast<size_t>(maxSteps_) + 1) entries_.pop_front();
  position_ = entries_.size() - 1;
  return true;
}

uint64_t UndoHistory::ParamSerialAfter(const Entry& before, const WorkspaceSnapshot& state,
                                       uint64_t serial) const {
  return SameParameters(before.state, state) ? before.paramSerial : serial;
}

void UndoHistory::AdoptFitterChoice(const FitterChoice& fitter) {
  for (Entry& entry : entries_) entry.state.fitter = fitter;
}

void UndoHistory::AdoptRecordings(const RecordingsState& recordings,
                                  const double (&traceV)[kTraceVSlots]) {
  for (Entry& entry : entries_) {
    entry.state.recordings = recordings;
    std::copy_n(traceV, kTraceVSlots, entry.state.traceV);
  }
}

void UndoHistory::EndRun() {
  runKey_.clear();
}

bool UndoHistory::CanUndo() const {
  return position_ > 0;
}

bool UndoHistory::CanRedo() const {
  return position_ + 1 < entries_.size();
}

std::string UndoHistory::UndoLabel() const {
  return CanUndo() ? entries_[position_].label : std::string();
}

std::string UndoHistory::RedoLabel() const {
  return CanRedo() ? entries_[position_ + 1].label : std::string();
}

std::optional<UndoRestore> UndoHistory::Undo() {
  runKey_.clear();
  if (!CanUndo()) return std::nullopt;
  const std::string& label = entries_[position_].label;
  --position_;
  return UndoRestore{label, entries_[position_].state};
}

std::optional<UndoRestore> UndoHistory::Redo() {
  runKey_.clear();
  if (!CanRedo()) return std::nullopt;
  ++position_;
  return UndoRestore{entries_[position_].label, entries_[position_].state};
}

int UndoHistory::UndoCount() const {
  return static_cast<int>(position_);
}

int UndoHistory::RedoCount() const {
  return static_cast<int>(entries_.size() - 1 - position_);
}

void UndoHistory::MarkClean() {
  // A step after a save is a step of its own, so that undo comes back to the saved state.
  runKey_.clear();
  cleanSerial_ = entries_[position_].paramSerial;
}

bool UndoHistory::IsClean() const {
  return entries_[position_].paramSerial == cleanSerial_;
}

// ---- menu texts ----

std::string UndoMenuText(const UndoHistory& history) {
  return history.CanUndo() ? "Undo " + history.UndoLabel() : "Undo";
}

std::string RedoMenuText(const UndoHistory& history) {
  return history.CanRedo() ? "Redo " + history.RedoLabel() : "Redo";
}

// ---- the program's history ----

void ResetWorkspaceHistory() {
  undoHistory.Reset(CaptureWorkspace());
}

bool RecordWorkspaceStep(const std::string& label, const std::string& mergeKey) {
  return undoHistory.Record(label, CaptureWorkspace(), mergeKey);
}

std::optional<std::string> UndoWorkspaceStep() {
  std::optional<UndoRestore> restore = undoHistory.Undo();
  if (!restore) return std::nullopt;
  RestoreWorkspace(restore->state);
  return restore->label;
}

std::optional<std::string> RedoWorkspaceStep() {
  std::optional<UndoRestore> restore = undoHistory.Redo();
  if (!restore) return std::nullopt;
  RestoreWorkspace(restore->state);
  return restore->label;
}
