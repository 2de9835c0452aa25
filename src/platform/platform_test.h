// Test seams of the user-interface run-time, in plain C++ types and the same on either
// implementation: queued answers for the file dialog, the record of message boxes, clipboard
// texts and delivered events. Built into test binaries only (test_seams.cpp); the program itself
// has none of this. The seams that reach the toolkit are in qt/platform_qt_test.h.
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

// ---- question box ----
// Answers (indexes into the box's answers, -1: closed) for the next QuestionPopup calls, consumed
// in order; every question asked is recorded (title and message), answered or not.
void QueueQuestionAnswer(int answer);
void ClearQuestionAnswers();  // forgets queued answers (prompts' too) and recorded questions
// Texts entered in the next PromptPopup calls, consumed in order; unattended, none: cancelled.
void QueuePromptAnswer(const std::string& text);
int PendingQuestionAnswers();

// ---- unattended mode ----
// With unattended mode on, MessagePopup only records (no box, nothing on standard error), and
// FileSelectPopup with an empty answer queue answers "cancelled" without showing a dialog. The
// GUI test main switches it on, so tests run under a real display (xvfb) never block on a modal
// box. Off, the popups behave as in the program.
void SetUnattended(bool on);
bool IsUnattended();

// ---- message boxes ----
// Every MessagePopup call is recorded (the most recent kMaxRecordedMessages), and then shown,
// printed or dropped as the mode says.
struct RecordedMessage {
  std::string title;    // the box's title
  std::string message;  // the box's text
};
constexpr int kMaxRecordedMessages = 1000;  // older records are dropped: a long run stays small
const std::vector<RecordedMessage>& RecordedMessages();
const std::vector<RecordedMessage>& RecordedQuestions();  // the question boxes asked
void ClearRecordedMessages();

// ---- clipboard ----
// The text of the last ClipboardPutText call, kept even when there is no system clipboard.
std::string LastClipboardText();

// ---- resource file ----
// When set (non-empty), relative resource-file names resolve against this directory instead of
// the executable's. Empty restores that.
void SetResourceDirectory(const std::string& directory);

// ---- panel images ----
// RenderPanelImage into a PNG file at pngPath; 0 on success.
int SavePanelImage(int panel, const char* pngPath, int width, int height);

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
