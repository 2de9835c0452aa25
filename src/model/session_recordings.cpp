// The session's recordings: the order, the waiting ones, and an undo step's view of them.
#include "model/session_recordings.h"

#include <algorithm>
#include <filesystem>

#include "model/model.h"

SessionRecordings sessionRecordings;

namespace {

uint64_t lastRecordingId = 0;
RecordingShower recordingShower = nullptr;

RecordingMark MarkOf(const Recording& recording) {
  return {recording.id, recording.title, recording.inPolish, recording.excluded, recording.noise};
}

}  // namespace

uint64_t NewRecordingId() {
  return ++lastRecordingId;
}

int RecordingCount() {
  return status.dataLoaded ? static_cast<int>(sessionRecordings.order.size()) : 0;
}

int ShownRecordingIndex() {
  const auto& order = sessionRecordings.order;
  const auto found = std::find(order.begin(), order.end(), loadedRecording.id);
  return found == order.end() ? 0 : static_cast<int>(found - order.begin());
}

Recording* RecordingWithId(uint64_t id) {
  if (id == loadedRecording.id) return &loadedRecording;
  const auto found = sessionRecordings.waiting.find(id);
  return found == sessionRecordings.waiting.end() ? nullptr : &found->second;
}

Recording& MutableRecordingAt(int index) {
  Recording* recording = RecordingWithId(sessionRecordings.order.at(static_cast<size_t>(index)));
  return recording != nullptr ? *recording : loadedRecording;
}

const Recording& RecordingAt(int index) {
  return MutableRecordingAt(index);
}

std::string RecordingTitle(const Recording& recording) {
  if (!recording.title.empty()) return recording.title;
  return std::filesystem::path(recording.name).filename().string();
}

int64_t SessionSamples() {
  int64_t samples = 0;
  for (int i = 0; i < RecordingCount(); ++i) {
    const Recording& recording = RecordingAt(i);
    samples += int64_t{recording.traces} * recording.Samples();
  }
  return samples;
}

void StartRecordings(Recording* only) {
  only->id = NewRecordingId();
  sessionRecordings.order = {only->id};
  sessionRecordings.waiting.clear();
}

RecordingsState CaptureRecordings() {
  RecordingsState state;
  for (int i = 0; i < RecordingCount(); ++i) state.marks.push_back(MarkOf(RecordingAt(i)));
  state.shownId = RecordingCount() > 0 ? loadedRecording.id : 0;
  return state;
}

void RestoreRecordings(const RecordingsState& state) {
  if (state.shownId != loadedRecording.id && RecordingWithId(state.shownId) != nullptr &&
      recordingShower != nullptr)
    recordingShower(state.shownId);
  std::vector<uint64_t> order;
  for (const RecordingMark& mark : state.marks) {
    Recording* recording = RecordingWithId(mark.id);
    if (recording == nullptr) continue;  // gone with a data file opened since: nothing to bring
    recording->title = mark.title;
    recording->inPolish = mark.inPolish;
    recording->excluded = mark.excluded;
    recording->noise = mark.noise;
    order.push_back(mark.id);
  }
  if (!order.empty()) sessionRecordings.order = std::move(order);
}

void SetRecordingShower(RecordingShower shower) {
  recordingShower = shower;
}
