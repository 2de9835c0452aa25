// Sessions: what the parameter file cannot hold (the files in use, the analysis window, the
// ranges, the regions, the fitter's free flags and bounds, the panel's choices, the cursor), as
// JSON text.
// The writer returns text and the parser takes text; the program's file routines move it.
#pragma once

#include <cstddef>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/import_choices.h"

// ---- capacities ----
// Raised only when a reader of an older version would misread a session; keys can be added
// without it, since readers ignore keys they do not know.
constexpr int kSessionVersion = 1;
// A session is a few kB; text far beyond that is not one and is refused before it is parsed.
constexpr size_t kMaxSessionBytes = size_t{1} << 20;

// ---- records ----
struct SessionRegion {
  double from;  // start (ms)
  double to;    // end (ms)
  bool operator==(const SessionRegion&) const = default;
};

struct SessionBound {
  bool free;     // the polish may change the field
  double lower;  // least value; -infinity: none
  double upper;  // greatest value; +infinity: none
  bool operator==(const SessionBound&) const = default;
};

// A recording after the first: its file and everything of it that the first one keeps at the
// session's top level.
struct SessionRecording {
  std::string dataFile;       // an absolute path
  nlohmann::json dataImport;  // as the first one's; null when none
  std::optional<CommandMode> command;
  double xMin = 0.0;  // its analysis window (ms)
  double xMax = 0.0;
  double yMin = 0.0;  // its current range (nA)
  double yMax = 0.0;
  std::vector<SessionRegion> excluded;
  std::optional<SessionRegion> noise;
  std::string title;     // the name the user gave it; "" none
  bool inPolish = true;  // fitted by the polish with the others
  bool operator==(const SessionRecording&) const = default;
};

struct Session {
  int version = kSessionVersion;  // the version the text was written as
  std::string dataFile;           // the data file, an absolute path; "" none
  nlohmann::json dataImport;      // the choices of an amplifier file's import (sweeps, channel,
                                  // voltage source, span), passed through; null when none
  std::string paramFile;          // the parameter file, an absolute path; "" none
  // How the model reads the traces' commands; unset (an older session): the data file's default.
  std::optional<CommandMode> command;
  double xMin = 0.0;      // analysis window start (ms)
  double xMax = 0.0;      // analysis window end (ms)
  double baseline = 0.0;  // offset added to every model current (nA)
  double yMin = 0.0;      // current range of the data graph (nA)
  double yMax = 0.0;
  std::vector<SessionRegion> excluded;         // regions left out of the goodness of fit
  std::optional<SessionRegion> noise;          // the region the noise is measured over
  std::map<std::string, SessionBound> fitter;  // "current.field" ("1.Vm") -> flag and bounds
  int selCurrent = 1;                          // selected current, 1-based
  bool autoUpdate = false;                     // every edit re-evaluates the model
  bool colorTraces = false;                    // measured traces in the trace colours
  double vMin = 0.0;                           // voltage range of the curve graphs (mV)
  double vMax = 0.0;
  std::optional<double> cursor;  // data-graph cursor 1 marking the traces (ms)
  // Several recordings: the first is the one above; these follow it in the selector's order.
  std::string title;                      // the first recording's name given by the user; "" none
  bool inPolish = true;                   // the first recording is fitted by the polish
  std::vector<SessionRecording> further;  // the recordings after the first
  int shownRecording = 1;                 // 1-based, the one shown
  bool operator==(const Session&) const = default;
};

// The JSON text of session, the paths stored relative to sessionPath's folder when they lie
// below it. Returns "" on success, otherwise why no text could be made (text is then untouched).
std::string FormatSession(const Session& session, const std::string& sessionPath,
                          std::string* text);
// Parses a session's text over *session: keys the text lacks keep the values session holds,
// keys it does not know are ignored, relative paths are resolved against sessionPath's folder.
// Returns "" on success, otherwise why the text was refused; session is then unchanged.
std::string ParseSession(std::string_view text, const std::string& sessionPath, Session* session);
