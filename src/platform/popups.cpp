// The file dialog, the message box and the clipboard, with their test seams: queued dialog
// answers, the record of message boxes and the last clipboard text.
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <deque>
#include <utility>

#include "platform/file_filters.h"
#include "platform/platform_test.h"
#include "platform/runtime.h"

namespace {
std::deque<std::pair<int, std::string>>& Answers() {
  static std::deque<std::pair<int, std::string>> answers;
  return answers;
}
std::vector<RecordedMessage>& Messages() {
  static std::vector<RecordedMessage> messages;
  return messages;
}
std::string& ClipboardText() {
  static std::string text;
  return text;
}
bool unattendedSwitch = false;

QString Text(const char* text) {
  return QString::fromUtf8(text ? text : "");
}
}  // namespace

// ---- seams ----

void QueueFileSelectAnswer(int result, const std::string& path) {
  Answers().emplace_back(result, path);
}
void ClearFileSelectAnswers() {
  Answers().clear();
}
int PendingFileSelectAnswers() {
  return static_cast<int>(Answers().size());
}

void SetUnattended(bool on) {
  unattendedSwitch = on;
}
bool IsUnattended() {
  return unattendedSwitch || !RunTimeStarted() ||
         QGuiApplication::platformName() == QLatin1String("offscreen");
}

const std::vector<RecordedMessage>& RecordedMessages() {
  return Messages();
}
void ClearRecordedMessages() {
  Messages().clear();
}
std::string LastClipboardText() {
  return ClipboardText();
}

// ---- the file dialog ----

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel, int, int, int,
                    int, std::string* path) {
  if (!Answers().empty()) {
    const auto [result, answer] = Answers().front();
    Answers().pop_front();
    if (path && result != VAL_NO_FILE_SELECTED) *path = answer;
    return result;
  }
  if (IsUnattended()) return VAL_NO_FILE_SELECTED;

  const FileDialogFilters built = BuildFileDialogFilters(defaultFileSpec ? defaultFileSpec : "",
                                                         fileTypeList ? fileTypeList : "");
  QStringList filters;
  for (const auto& filter : built.filters) filters << QString::fromStdString(filter);
  QString selected = filters.value(built.selected);
  const QString directory = Text(defaultDirectory);  // empty: the current directory
  const QWidget* parent = QApplication::activeWindow();
  const bool saving = buttonLabel == VAL_SAVE_BUTTON;

  QString chosen;
  if (saving)
    chosen = QFileDialog::getSaveFileName(const_cast<QWidget*>(parent), Text(title), directory,
                                          filters.join(";;"), &selected);
  else
    chosen = QFileDialog::getOpenFileName(const_cast<QWidget*>(parent), Text(title), directory,
                                          filters.join(";;"), &selected);
  if (chosen.isEmpty()) return VAL_NO_FILE_SELECTED;
  if (path) *path = QFileInfo(chosen).absoluteFilePath().toStdString();
  return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

// ---- the message box ----

int MessagePopup(const char* title, const char* message) {
  auto& messages = Messages();
  if (static_cast<int>(messages.size()) >= kMaxRecordedMessages) messages.erase(messages.begin());
  messages.push_back({title ? title : "", message ? message : ""});
  if (IsUnattended()) return 0;
  QMessageBox::information(QApplication::activeWindow(), Text(title), Text(message));
  return 0;
}

// ---- the clipboard ----

int ClipboardPutText(const char* text) {
  ClipboardText() = text ? text : "";
  if (!RunTimeStarted()) return kErrNoClipboard;
  QGuiApplication::clipboard()->setText(Text(text));
  return 0;
}
