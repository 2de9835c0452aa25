// The guard on unsaved work: Save / Discard / Cancel when the parameters differ from the
// parameter file last written or read, or what only a session keeps differs from the session
// last saved or opened; nothing is asked when neither does. Cancel is the default: the box
// stands between the user and lost work.
#include "app/unsaved_guard.h"

#include <cctype>
#include <string>

#include "app/history.h"
#include "app/pavik.h"
#include "app/session_changes.h"
#include "app/session_file.h"
#include "io/dialog_folder.h"
#include "io/io.h"
#include "platform/platform.h"

namespace {

enum Answer { kSave = 0, kDiscard = 1, kCancel = 2 };

std::string Question(bool parameters, const std::string& sessionWork) {
  std::string what;
  if (parameters) what = "The parameters have changes that are not saved in a parameter file";
  if (!sessionWork.empty()) {
    std::string part = sessionWork + " have changes that are not saved in a session";
    if (what.empty())
      part[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(part[0])));
    what += (what.empty() ? "" : ",\nand ") + part;
  }
  return what + ".\nSave them before you go on?";
}

}  // namespace

bool MayDiscardChanges(const char* what, Guarded guarded) {
  const bool parameters = guarded != Guarded::kSession && HasUnsavedParameters();
  const std::string sessionWork =
      guarded != Guarded::kParameters ? UnsavedSessionWork() : std::string();
  if (!parameters && sessionWork.empty()) return true;
  const int answer = QuestionPopup(what, Question(parameters, sessionWork).c_str(),
                                   {"Save", "Discard", "Cancel"}, kCancel);
  if (answer == kDiscard) return true;
  if (answer != kSave) return false;  // Cancel, or the box closed
  if (parameters) {
    if (Save_Current_Values() != 1) return false;
    NoteParamFileSaved(LastParamFile());
  }
  // Saved after the parameters, so that the session names the parameter file just written.
  if (!sessionWork.empty() && Save_Session() != 1) return false;
  return true;
}
