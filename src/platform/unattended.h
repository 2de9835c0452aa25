// What the run-time does when no person can be asked, on either implementation: a message goes
// to standard error (the command line's message sink) and a file dialog answers "cancelled". And
// the hooks through which the test seams, built into test binaries only, answer and watch.
#pragma once

#include <functional>
#include <string>

// ---- hooks of the test seams ----
// The seams (test_seams.cpp) set these when a test binary starts; in the program they stay empty.
struct SeamHooks {
  // Sees every message; true: the seam took care of it, nothing is shown or printed.
  std::function<bool(const char* title, const char* message)> message;
  // May answer a file dialog instead of a person: true with result and path set.
  std::function<bool(int* result, std::string* path)> fileSelect;
  // May answer a question box instead of a person: true with answer set (-1: closed).
  std::function<bool(const char* title, const char* message, int* answer)> question;
  // May answer a prompt instead of a person: true with answered (false: cancelled) and text set.
  std::function<bool(bool* answered, std::string* text)> prompt;
  std::function<void(const char* text)> clipboard;                   // sees every clipboard text
  std::function<void(int panel, int control, int event)> delivered;  // sees every event delivered
  std::string resourceDirectory;  // non-empty: relative resource names resolve here instead
};
SeamHooks& Seams();

// ---- popups without a person ----
// The seams' answer to a file dialog: true with *result set and, unless it is "cancelled",
// *path; false when they give none.
bool FileSelectAnsweredBySeam(int* result, std::string* path);
bool MessageTakenBySeam(const char* title, const char* message);  // true: nothing more to do
void TellOnStandardError(const char* message);
void ShowClipboardTextToSeam(const char* text);
