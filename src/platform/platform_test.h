// Test seams of the user-interface run-time, in plain C++ types: queued answers for the file
// dialog, the record of message boxes and clipboard texts, and read-back of graphs. Used only
// by tests and by tools that drive the program without a person.
#pragma once

#include <string>
#include <vector>

// ---- file dialog ----
// Answers for the next FileSelectPopup calls, consumed in order; while the queue holds an answer
// no dialog is shown. result is what FileSelectPopup returns (0 cancelled, 1 existing file,
// 2 new name); path is what it writes (ignored for 0).
void QueueFileSelectAnswer(int result, const std::string& path);
void ClearFileSelectAnswers();
int PendingFileSelectAnswers();

// ---- unattended mode ----
// With unattended mode on, MessagePopup only records, and FileSelectPopup with an empty answer
// queue answers "cancelled" without showing a dialog, so that nothing waits for a person. It is
// on by itself without an application object and on the offscreen platform; the GUI test main
// also switches it on, so tests run under a real display (xvfb) never block on a modal box.
void SetUnattended(bool on);
bool IsUnattended();

// ---- message boxes ----
// Every MessagePopup call is recorded (the most recent kMaxRecordedMessages), attended or not.
struct RecordedMessage {
  std::string title;    // the box's title
  std::string message;  // the box's text
};
constexpr int kMaxRecordedMessages = 1000;  // older records are dropped: a long run stays small
const std::vector<RecordedMessage>& RecordedMessages();
void ClearRecordedMessages();

// ---- clipboard ----
// The text of the last ClipboardPutText call, kept even when there is no system clipboard.
std::string LastClipboardText();

// ---- resource file ----
// When set (non-empty), relative resource-file names resolve against this directory only,
// instead of the current directory and then the executable's directory. Empty restores that.
void SetResourceDirectory(const std::string& directory);

// ---- graphs ----
struct PlotInfo {
  std::vector<double> x, y;  // the points as passed to PlotXY
  int plotStyle;             // VAL_THIN_LINE, VAL_CONNECTED_POINTS or VAL_SCATTER
  int pointStyle;            // VAL_SIMPLE_DOT or VAL_EMPTY_CIRCLE
  int lineStyle;             // VAL_SOLID or VAL_DOT
  int color;                 // 0xRRGGBB, as last set by PlotXY or SetPlotAttribute
};
std::vector<int> GraphPlotHandles(int panel, int graph);  // live plots, in order of creation
bool GetPlotInfo(int panel, int graph, int handle, PlotInfo* info);
bool GetAxisRange(int panel, int graph, double* xMin, double* xMax, double* yMin, double* yMax);

// ---- callbacks ----
// Counts of callback deliveries since the last reset, so tests can check "exactly one commit"
// without replacing the program's callbacks.
struct DeliveredEvent {
  int panel;    // panel handle (or menu-bar handle for menu items)
  int control;  // control id, menu item id, or 0 for a panel event
  int event;    // EVENT_COMMIT, EVENT_CLOSE, ...
};
const std::vector<DeliveredEvent>& DeliveredEvents();
void ClearDeliveredEvents();
