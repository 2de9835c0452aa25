// The guard on unsaved parameters: Save / Discard / Cancel when the workspace differs from the
// parameter file last written or read; nothing is asked when it does not.
#include "app/unsaved_guard.h"

#include <string>
#include <vector>

#include "app/history.h"
#include "app/pavik.h"
#include "io/io.h"
#include "platform/platform.h"

namespace {
enum Answer { kSave = 0, kDiscard = 1, kCancel = 2 };
}  // namespace

bool MayDiscardChanges(const char* what) {
  if (!HasUnsavedChanges()) return true;
  const std::string message =
      "The parameters have changes that are not saved in a parameter file.\n"
      "Save them before you go on?";
  const int answer = QuestionPopup(what, message.c_str(), {"Save", "Discard", "Cancel"}, kSave);
  if (answer == kDiscard) return true;
  if (answer != kSave) return false;  // Cancel, or the box closed
  if (Save_Current_Values() != 1) return false;
  NoteSaved();
  return true;
}
