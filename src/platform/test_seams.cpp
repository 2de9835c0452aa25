// The test seams of the run-time, built into test binaries only and the same on either
// implementation: queued file-dialog answers, the record of messages, clipboard texts and
// delivered events, the resource folder, and images of a panel. They hook into the run-time when
// the test binary starts.
#include <deque>
#include <fstream>
#include <utility>

#include "platform/platform.h"
#include "platform/platform_test.h"
#include "platform/unattended.h"

namespace {

constexpr size_t kMaxDeliveredEvents = 10000;  // a long test run stays small

struct SeamState {
  std::deque<std::pair<int, std::string>> answers;
  std::deque<int> questionAnswers;
  std::deque<std::string> promptAnswers;
  std::vector<RecordedMessage> questions;
  std::vector<RecordedMessage> messages;
  std::string clipboard;
  std::vector<DeliveredEvent> delivered;
  bool unattended = false;
};

SeamState& State() {
  static SeamState state;
  return state;
}

template <typename T>
void KeepAtMost(std::vector<T>& record, size_t limit) {
  if (record.size() >= limit) record.erase(record.begin());
}

bool AnswerFileSelect(int* result, std::string* path) {
  auto& answers = State().answers;
  if (answers.empty()) {
    *result = VAL_NO_FILE_SELECTED;
    return State().unattended;
  }
  *result = answers.front().first;
  *path = answers.front().second;
  answers.pop_front();
  return true;
}

bool AnswerQuestion(const char* title, const char* message, int* answer) {
  KeepAtMost(State().questions, kMaxRecordedMessages);
  State().questions.push_back({title ? title : "", message ? message : ""});
  auto& answers = State().questionAnswers;
  if (answers.empty()) {
    *answer = -1;
    return State().unattended;
  }
  *answer = answers.front();
  answers.pop_front();
  return true;
}

bool RecordMessage(const char* title, const char* message) {
  KeepAtMost(State().messages, kMaxRecordedMessages);
  State().messages.push_back({title ? title : "", message ? message : ""});
  return State().unattended;
}

[[maybe_unused]] const bool hooked = [] {
  Seams().fileSelect = AnswerFileSelect;
  Seams().message = RecordMessage;
  Seams().question = AnswerQuestion;
  Seams().prompt = [](bool* answered, std::string* text) {
    auto& answers = State().promptAnswers;
    *answered = !answers.empty();
    if (answers.empty()) return State().unattended;
    *text = answers.front();
    answers.pop_front();
    return true;
  };
  Seams().clipboard = [](const char* text) { State().clipboard = text; };
  Seams().delivered = [](int panel, int control, int event) {
    KeepAtMost(State().delivered, kMaxDeliveredEvents);
    State().delivered.push_back({panel, control, event});
  };
  return true;
}();

}  // namespace

// ---- popups ----

void QueueFileSelectAnswer(int result, const std::string& path) {
  State().answers.emplace_back(result, path);
}
void ClearFileSelectAnswers() {
  State().answers.clear();
}
int PendingFileSelectAnswers() {
  return static_cast<int>(State().answers.size());
}

void SetUnattended(bool on) {
  State().unattended = on;
}
bool IsUnattended() {
  return State().unattended;
}

void QueueQuestionAnswer(int answer) {
  State().questionAnswers.push_back(answer);
}

void ClearQuestionAnswers() {
  State().questionAnswers.clear();
  State().promptAnswers.clear();
  State().questions.clear();
}

int PendingQuestionAnswers() {
  return static_cast<int>(State().questionAnswers.size());
}

void QueuePromptAnswer(const std::string& text) {
  State().promptAnswers.push_back(text);
}

const std::vector<RecordedMessage>& RecordedQuestions() {
  return State().questions;
}

const std::vector<RecordedMessage>& RecordedMessages() {
  return State().messages;
}
void ClearRecordedMessages() {
  State().messages.clear();
}

std::string LastClipboardText() {
  return State().clipboard;
}

// ---- resource file and images ----

void SetResourceDirectory(const std::string& directory) {
  Seams().resourceDirectory = directory;
}

int SavePanelImage(int panel, const char* pngPath, int width, int height) {
  std::string png;
  const int result = RenderPanelImage(panel, width, height, &png);
  if (result != 0) return result;
  std::ofstream out(pngPath, std::ios::binary);
  out << png;
  return out.good() ? 0 : -1;
}

// ---- callbacks ----

const std::vector<DeliveredEvent>& DeliveredEvents() {
  return State().delivered;
}
void ClearDeliveredEvents() {
  State().delivered.clear();
}
