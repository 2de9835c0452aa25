// What the run-time does when no person can be asked, and the hooks of the test seams.
#include "platform/unattended.h"

#include <cstdio>

#include "platform/platform.h"

SeamHooks& Seams() {
  static SeamHooks hooks;
  return hooks;
}

bool FileSelectAnsweredBySeam(int* result, std::string* path) {
  int answer = VAL_NO_FILE_SELECTED;
  std::string answered;
  if (!Seams().fileSelect || !Seams().fileSelect(&answer, &answered)) return false;
  *result = answer;
  if (path && answer != VAL_NO_FILE_SELECTED) *path = answered;
  return true;
}

bool MessageTakenBySeam(const char* title, const char* message) {
  return Seams().message && Seams().message(title, message);
}

void TellOnStandardError(const char* message) {
  // Nothing is left to tell if standard error fails too.
  std::fprintf(stderr, "%s\n", message ? message : "");
}

void ShowClipboardTextToSeam(const char* text) {
  if (Seams().clipboard) Seams().clipboard(text ? text : "");
}
