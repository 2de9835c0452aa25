// The undo history: snapshots of what the user fits (the ten currents, the fit flags, the trace
// voltages, the baseline, the dynamic-clamp settings, the polish's free flags and bounds), the
// named steps between them, and the marker of the state last saved or read.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "model/fitter_choice.h"
#include "model/model.h"
#include "model/session_recordings.h"

// ---- capacities ----
constexpr int kUndoSteps = 1000;  // steps kept; the oldest is dropped beyond this (~8 MB)

// ---- records ----
// What one step can change: about 7.5 kB and the recordings' marks (no samples), so a copy per
// step is cheap.
struct WorkspaceSnapshot {
  CurrentParams currents[kMaxCurrents];  // params, names included
  int32_t fitCurrent[kMaxCurrents];      // status.fitCurrent
  int32_t fitCount;                      // status.fitCount
  double traceV[kTraceVSlots];           // status.traceV (mV)
  double baseline;                       // status.baseline
  DclampSettings dclamp;                 // the dynamic-clamp settings
  FitterChoice fitter;                   // the loaded recording's free flags and bounds
  RecordingsState recordings;            // their order, the shown one, titles, ticks, regions
};

// What an undo or a redo hands back: the state to restore and the step it took back or redid.
struct UndoRestore {
  std::string label;        // the step's label ("Vm of current 1")
  WorkspaceSnapshot state;  // the workspace to restore
};

// ---- snapshots of the workspace ----
WorkspaceSnapshot CaptureWorkspace();                   // params, status and dclamp as they are now
void RestoreWorkspace(const WorkspaceSnapshot& state);  // into params, status and dclamp
bool SameSnapshot(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b);  // bit for bit
// The same but for the free flags and bounds: what the parameter file and a polish's result hold.
bool SameParameters(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b);
// Another recording replaced the session's: every state in the history takes its free flags and
// bounds (see UndoHistory::AdoptFitterChoice) and its recordings, since the ones before are gone.
void NoteRecordingReplaced();

// ---- the history ----
// A list of states with the step that led to each. Record() is called after a change with the
// new state; the first state (from Reset) is the one every undo ends at.
//
// Merging: a record with a non-empty merge key equal to the previous record's key replaces that
// step's state instead of adding a step, so a run of arrow or wheel steps on one field undoes
// at once; a run that comes back to the state before it leaves no step. The field's label
// makes a good key. Any other record, an undo, a redo, MarkClean or EndRun ends the run.
class UndoHistory {
 public:
  explicit UndoHistory(int maxSteps = kUndoSteps);

  // Forgets every step; state becomes the first state and counts as saved.
  void Reset(const WorkspaceSnapshot& state);
  // Adds the step label that led to state, dropping any redo. A state equal to the current one
  // is not a step: nothing is recorded and the result is false.
  bool Record(const std::string& label, const WorkspaceSnapshot& state,
              const std::string& mergeKey = {});
  void EndRun();  // the next record starts a new step whatever its key
  // Every state takes these free flags and bounds, those of a recording just taken over: the
  // previous recording's mean nothing for it, so an undo must not bring them back.
  void AdoptFitterChoice(const FitterChoice& fitter);
  // Likewise the session's recordings and their trace voltages: a data file opened is not a step.
  void AdoptRecordings(const RecordingsState& recordings, const double (&traceV)[kTraceVSlots]);

  bool CanUndo() const;
  bool CanRedo() const;
  std::string UndoLabel() const;      // the step an undo would take back; "" when none
  std::string RedoLabel() const;      // the step a redo would make again; "" when none
  std::optional<UndoRestore> Undo();  // the state before the last step; none at the first state
  std::optional<UndoRestore> Redo();  // the state after the next step; none when none was undone
  int UndoCount() const;              // steps that can be undone
  int RedoCount() const;              // steps that can be redone

  // The saved marker: the current state is the one last written to or read from a file. Steps
  // that change only the free flags and bounds keep it, since the parameter file holds neither.
  void MarkClean();
  bool IsClean() const;  // false once a step, an undo or a redo leaves that state's parameters

 private:
  struct Entry {
    std::string label;        // the step that led here; "" for the first state
    WorkspaceSnapshot state;  // the workspace after that step
    uint64_t serial;          // unique for the life of the history, so a dropped or redone-over
                              // state can never be mistaken for the saved one
    uint64_t paramSerial;     // the serial of the step that last changed the parameters
  };
  // The serial of state's parameters when it follows the entry `before`.
  uint64_t ParamSerialAfter(const Entry& before, const WorkspaceSnapshot& state,
                            uint64_t serial) const;

  std::deque<Entry> entries_;  // entries_[0] is the oldest state kept
  size_t position_ = 0;        // the entry the workspace is at
  uint64_t nextSerial_ = 0;
  uint64_t cleanSerial_ = 0;
  std::string runKey_;  // merge key of the run in progress; "" when none
  int maxSteps_;
};

// ---- menu texts ----
std::string UndoMenuText(const UndoHistory& history);  // "Undo Vm of current 1", or "Undo"
std::string RedoMenuText(const UndoHistory& history);  // "Redo Vm of current 1", or "Redo"

// ---- the program's history ----
extern UndoHistory undoHistory;
void ResetWorkspaceHistory();  // the workspace as it is now becomes the first, saved state
// Records the workspace as it is now as step label (see UndoHistory::Record).
bool RecordWorkspaceStep(const std::string& label, const std::string& mergeKey = {});
// Restores the state before (after) the last (next) step into the workspace; the label of the
// step, or none when there is nothing to undo (redo). The caller refreshes panels and fits.
std::optional<std::string> UndoWorkspaceStep();
std::optional<std::string> RedoWorkspaceStep();
