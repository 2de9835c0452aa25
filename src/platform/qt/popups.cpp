// The file dialog, the message box and the clipboard. Without a person to ask, a message goes
// to standard error and the file dialog answers "cancelled".
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "platform/file_filters.h"
#include "platform/qt/runtime.h"

namespace {
QString Text(const char* text) {
  return QString::fromUtf8(text ? text : "");
}

// The window a box or dialog opens over, centred: the active one, else the shown panel with the
// menu bar (the main window), else any shown panel. A box with no parent opens wherever the
// desktop puts it, often far from what it asks about.
QWidget* DialogParent() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  QWidget* shown = nullptr;
  for (auto& [handle, panel] : AllPanels()) {
    if (!panel.window || !panel.window->isVisible()) continue;
    if (panel.menuBar >= 0) return panel.window;
    if (!shown) shown = panel.window;
  }
  return shown;
}
}  // namespace

// ---- the file dialog ----

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel, int, int, int,
                    int, std::string* path) {
  int answer = VAL_NO_FILE_SELECTED;
  if (FileSelectAnsweredBySeam(&answer, path)) return answer;
  if (!CanAskAPerson()) return VAL_NO_FILE_SELECTED;

  const FileDialogFilters built = BuildFileDialogFilters(defaultFileSpec ? defaultFileSpec : "",
                                                         fileTypeList ? fileTypeList : "");
  QStringList filters;
  for (const auto& filter : built.filters) filters << QString::fromStdString(filter);
  QString selected = filters.value(built.selected);
  const QString directory = Text(defaultDirectory);  // empty: the current directory
  QWidget* parent = DialogParent();
  const bool saving = buttonLabel == VAL_SAVE_BUTTON;

  QString chosen;
  if (saving)
    chosen =
        QFileDialog::getSaveFileName(parent, Text(title), directory, filters.join(";;"), &selected);
  else
    chosen =
        QFileDialog::getOpenFileName(parent, Text(title), directory, filters.join(";;"), &selected);
  if (chosen.isEmpty()) return VAL_NO_FILE_SELECTED;
  // The system's own encoding of file names, as the program passes paths on: bytes.
  if (path) *path = QFile::encodeName(QFileInfo(chosen).absoluteFilePath()).toStdString();
  return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int DirSelectPopup(const char* defaultDirectory, const char* title, int, int, std::string* path) {
  int answer = VAL_NO_FILE_SELECTED;
  if (FileSelectAnsweredBySeam(&answer, path)) return answer == VAL_NO_FILE_SELECTED ? 0 : 1;
  if (!CanAskAPerson()) return 0;
  const QString chosen =
      QFileDialog::getExistingDirectory(DialogParent(), Text(title), Text(defaultDirectory));
  if (chosen.isEmpty()) return 0;
  if (path) *path = QFile::encodeName(QFileInfo(chosen).absoluteFilePath()).toStdString();
  return 1;
}

// ---- the prompt ----

int PromptPopup(const char* title, const char* message, std::string* response) {
  bool answered = false;
  std::string text;
  if (Seams().prompt && Seams().prompt(&answered, &text)) {
    if (answered && response) *response = text;
    return answered ? 1 : 0;
  }
  if (!CanAskAPerson()) return 0;
  bool ok = false;
  const QString entered = QInputDialog::getText(DialogParent(), Text(title), Text(message),
                                                QLineEdit::Normal, QString(), &ok);
  if (!ok) return 0;
  if (response) *response = entered.toUtf8().toStdString();
  return 1;
}

constexpr int kPairPopupWidth = 380;  // pixels: the message reads in two lines, not five

// A box with two labelled lines, for a pair of values such as a lower and an upper bound.
int PromptPairPopup(const char* title, const char* message, const char* firstLabel,
                    const char* secondLabel, std::string* first, std::string* second) {
  bool answered = false;
  std::string seamText[2];
  if (Seams().prompt && Seams().prompt(&answered, &seamText[0])) {
    if (!answered || !Seams().prompt(&answered, &seamText[1]) || !answered) return 0;
    if (first) *first = seamText[0];
    if (second) *second = seamText[1];
    return 1;
  }
  if (!CanAskAPerson()) return 0;
  QDialog dialog(DialogParent());
  dialog.setWindowTitle(Text(title));
  dialog.setMinimumWidth(kPairPopupWidth);
  auto* layout = new QFormLayout(&dialog);
  auto* text = new QLabel(Text(message));
  text->setWordWrap(true);
  layout->addRow(text);
  auto* firstEdit = new QLineEdit(QString::fromStdString(first ? *first : ""));
  auto* secondEdit = new QLineEdit(QString::fromStdString(second ? *second : ""));
  layout->addRow(Text(firstLabel), firstEdit);
  layout->addRow(Text(secondLabel), secondEdit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return 0;
  if (first) *first = firstEdit->text().toUtf8().toStdString();
  if (second) *second = secondEdit->text().toUtf8().toStdString();
  return 1;
}

// ---- the message box ----

int MessagePopup(const char* title, const char* message) {
  if (MessageTakenBySeam(title, message)) return 0;
  if (!CanAskAPerson()) {
    TellOnStandardError(message);  // the command line's message sink
    return 0;
  }
  QMessageBox::information(DialogParent(), Text(title), Text(message));
  return 0;
}

// ---- the question box ----

int QuestionPopup(const char* title, const char* message, const std::vector<std::string>& answers,
                  int defaultAnswer) {
  if (answers.empty() || answers.size() > static_cast<size_t>(kMaxAnswers)) return kErrBadValue;
  int answer = -1;
  if (Seams().question && Seams().question(title, message, &answer))
    return answer >= 0 && answer < static_cast<int>(answers.size()) ? answer : -1;
  if (!CanAskAPerson()) return -1;
  QMessageBox box(QMessageBox::Question, Text(title), Text(message), QMessageBox::NoButton,
                  DialogParent());
  std::vector<QAbstractButton*> buttons;
  for (const std::string& text : answers) {
    buttons.push_back(box.addButton(Text(text.c_str()), QMessageBox::AcceptRole));
    if (text == "Cancel") box.setEscapeButton(buttons.back());  // Escape means Cancel
  }
  if (defaultAnswer >= 0 && defaultAnswer < static_cast<int>(buttons.size()))
    box.setDefaultButton(static_cast<QPushButton*>(buttons[defaultAnswer]));
  box.exec();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
  }
  return -1;
}

// ---- the clipboard ----

int ClipboardPutText(const char* text) {
  ShowClipboardTextToSeam(text);
  if (!RunTimeStarted()) return kErrNoClipboard;
  QGuiApplication::clipboard()->setText(Text(text));
  return 0;
}
