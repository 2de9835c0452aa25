// The recordings of a session: their order, which one is shown, and the ones waiting. The shown
// recording lives in loadedRecording, which every view reads; the others wait here unchanged
// until they are shown again. A removed recording waits too, so that an undo can bring it back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/recording.h"

// What an undo step keeps of one recording: everything the user changes on it. The samples
// never change once a recording is taken over, so they are not copied into every step.
struct RecordingMark {
  uint64_t id = 0;
  std::string title;
  bool inPolish = true;
  std::vector<TimeRegion> excluded;
  std::optional<TimeRegion> noise;
  bool operator==(const RecordingMark&) const = default;
};

// The session's recordings as an undo step keeps them: in their order, and the one shown.
struct RecordingsState {
  std::vector<RecordingMark> marks;
  uint64_t shownId = 0;
  bool operator==(const RecordingsState&) const = default;
};

struct SessionRecordings {
  std::vector<uint64_t> order;            // the ids in the selector's order; empty without data
  std::map<uint64_t, Recording> waiting;  // every recording not shown, keyed by id
};
extern SessionRecordings sessionRecordings;

uint64_t NewRecordingId();
int RecordingCount();       // recordings in the session; 0 without data
int ShownRecordingIndex();  // where loadedRecording stands in the order; 0 without data
// The recording at index of the order (loadedRecording for the shown one); index in range.
const Recording& RecordingAt(int index);
Recording& MutableRecordingAt(int index);
// The recording with id, shown or waiting; null when the session has none.
Recording* RecordingWithId(uint64_t id);
// What the selector and the summaries call it: the user's title, else the file's name.
std::string RecordingTitle(const Recording& recording);
int64_t SessionSamples();  // samples of every trace of every recording

// The session is this one recording alone (a data file opened, not added): the others go.
void StartRecordings(Recording* only);

RecordingsState CaptureRecordings();
// Brings back an undo step's recordings: the one it showed is shown (through the shower the
// window registers), then their order, titles, ticks and regions.
void RestoreRecordings(const RecordingsState& state);
using RecordingShower = void (*)(uint64_t id);
void SetRecordingShower(RecordingShower shower);
