// The import dialog's test seams, built into test binaries only: queued answers that stand in
// for a person, the dialog handed out to drive, and its render to a picture.
#include <QApplication>
#include <QPixmap>
#include <deque>

#include "platform/import_dialog_qt_test.h"
#include "platform/import_dialog_view.h"

namespace {

std::deque<std::optional<ImportChoices>>& Answers() {
  static std::deque<std::optional<ImportChoices>> answers;
  return answers;
}

[[maybe_unused]] const bool hooked = [] {
  ImportDialogAnswerSeam() = [](std::optional<ImportChoices>* answer) {
    if (Answers().empty()) return false;
    *answer = Answers().front();
    Answers().pop_front();
    return true;
  };
  return true;
}();

}  // namespace

void QueueImportDialogAnswer(const std::optional<ImportChoices>& answer) {
  Answers().push_back(answer);
}

QDialog* CreateImportDialog(const ImportDialogInput& input) {
  return new ImportDialog(input);
}

std::optional<ImportChoices> ImportDialogChoices(QDialog* dialog) {
  return static_cast<ImportDialog*>(dialog)->Choices();
}

bool RenderImportDialog(const ImportDialogInput& input, const std::string& pngPath) {
  ImportDialog dialog(input);
  dialog.show();
  QApplication::processEvents();
  const bool saved = dialog.grab().save(QString::fromStdString(pngPath), "PNG");
  dialog.hide();
  return saved;
}
