// A recording as a value: the sample times; per trace the measured current, the measured voltage
// and the command; the recording's own analysis window, regions, noise region, the polish's free
// flags and bounds, and import choices.
// Any number of traces and samples: the fixed trace arrays of the workspace are only a view of
// the one loaded recording, kept for the code paths that have always read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/fitter_choice.h"
#include "platform/import_choices.h"

// A closed stretch of time in the recording's time unit (ms). Regions apply to every trace; one
// given backwards (from > to, as a drag to the left gives) covers the same stretch.
struct TimeRegion {
  double from;  // ms
  double to;    // ms
  bool operator==(const TimeRegion&) const = default;
};

// The analysis window in sample indices: samples start .. end-1 are evaluated, and t = 0 lies on
// sample start.
struct SampleWindow {
  int start;
  int end;
};

// One level of a trace's command: it holds from startMs until the next level starts.
struct CommandLevel {
  double startMs;     // on the recording's time axis: the first sample that holds the level
  double level;       // mV; for a ramp, the level it reaches at its end
  bool ramp = false;  // a straight line from the level before to this one, ending where the next
                      // level starts
};

// What a trace's command does. The text's evaluation reads only the step: the trace holds at
// one level and steps to another at the start of the analysis window. The levels are the
// whole command from the sweep's start, the first one the holding level.
struct TraceCommand {
  double step = 0;                   // the step voltage (mV)
  std::optional<double> holding;     // the level it steps from (mV), when the recording says
  std::vector<CommandLevel> levels;  // the whole command in time order; empty when not known
};

// The recordings fitted together at most, in a session or on the command line.
inline constexpr int kMaxRecordings = 32;
// The samples of every trace of every recording of a session together, at most.
inline constexpr int64_t kMaxSessionSamples = 10'000'000;

// What the window showed of a recording when another one was brought up: given back when it
// is shown again.
struct RecordingView {
  double xMin, xMax;  // the analysis window (ms)
  double yMin, yMax;  // the current range (nA)
  int windowStart, windowEnd;
  int cursorIndex;
};

struct Recording {
  std::vector<double> times;  // sample times on the program's axis (ms for a file in seconds)
  int traces = 0;             // traces kept
  int pairsStored = 0;        // traces whose voltage samples are stored (>= traces)
  std::vector<std::vector<double>> voltages;  // per stored pair, one per time (mV)
  std::vector<std::vector<double>> currents;  // per stored pair, one per time (nA)
  // Step voltage of each trace (mV) as the reader knows it. Unset: each voltage column's mean
  // (TraceVoltagesOf), as the text reader always gives it.
  std::optional<std::vector<double>> stepVoltages;
  std::optional<double> holdingLevel;  // the protocol's holding level (mV), offered as Vhold
  std::string name;                    // what the data-file field shows
  std::vector<std::string> notices;    // told to the user after a successful read
  // Per trace, the whole command as the reader rebuilt it (empty when it could not).
  std::vector<std::vector<CommandLevel>> commandLevels;

  // ---- what the workspace adds once the recording is loaded ----
  std::vector<TraceCommand> commands;              // per trace: what the model follows
  CommandMode commandMode = CommandMode::kSingle;  // how the model reads the commands
  SampleWindow window{0, 0};                       // the analysis window
  std::vector<TimeRegion> excluded;                // stretches left out of the fit
  std::optional<TimeRegion> noise;                 // the stretch whose spread is the noise
  FitterChoice fitter;                             // the polish's free flags and bounds
  std::optional<ImportChoices> import;             // how an amplifier file became this recording

  // ---- what a session of several recordings adds ----
  uint64_t id = 0;       // the session's name for it while the program runs; 0: none yet
  std::string title;     // the name the user gave it; "" shows the file's name
  bool inPolish = true;  // the polish fits it with the others
  std::optional<RecordingView> view;  // the window's ranges while another recording is shown

  int Samples() const { return static_cast<int>(times.size()); }
  void ResizePairs(int pairs) {
    voltages.resize(static_cast<size_t>(pairs));
    currents.resize(static_cast<size_t>(pairs));
  }
};
