// The session's part of the unsaved-changes state: what a session keeps beside the parameters,
// compared with the session last saved or opened. The view's choices (the selected current, the
// current and voltage ranges, the colours, automatic update, the cursor) are kept by a session
// but are not work a user loses, so they do not count.
#include "app/session_changes.h"

#include <vector>

#include "app/session_file.h"

namespace {

Session saved;  // what a session keeps, as last saved or opened

struct Part {
  const char* words;                                    // how the question names it
  bool (*differs)(const Session& a, const Session& b);  // whether it changed
};

const Part kParts[] = {
    {"the import choices",
     [](const Session& a, const Session& b) { return a.dataImport != b.dataImport; }},
    {"the analysis window",
     [](const Session& a, const Session& b) { return a.xMin != b.xMin || a.xMax != b.xMax; }},
    {"the regions left out of the fit",
     [](const Session& a, const Session& b) { return a.excluded != b.excluded; }},
    {"the noise region", [](const Session& a, const Session& b) { return a.noise != b.noise; }},
    {"the free flags and bounds",
     [](const Session& a, const Session& b) { return a.fitter != b.fitter; }},
    {"the further recordings, their names and windows",
     [](const Session& a, const Session& b) {
       return a.further != b.further || a.title != b.title || a.inPolish != b.inPolish;
     }},
};

std::string JoinedWords(const std::vector<const char*>& words) {
  std::string text;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " and " : ", ";
    text += words[i];
  }
  return text;
}

}  // namespace

void NoteSessionSaved() {
  saved = CurrentSession();
}

void NoteDataWindowDefault() {
  const Session now = CurrentSession();
  saved.xMin = now.xMin;
  saved.xMax = now.xMax;
}

bool HasUnsavedSessionWork() {
  const Session now = CurrentSession();
  for (const Part& part : kParts) {
    if (part.differs(now, saved)) return true;
  }
  return false;
}

std::string UnsavedSessionWork() {
  const Session now = CurrentSession();
  std::vector<const char*> words;
  for (const Part& part : kParts) {
    if (part.differs(now, saved)) words.push_back(part.words);
  }
  return JoinedWords(words);
}
