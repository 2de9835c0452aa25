// The region editor: two edge fields that keep what is typed, a line that says why OK does
// nothing yet, and OK / Cancel.
#include "platform/qt/region_editor.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

#include "platform/qt/fields.h"

namespace {

NumericField* EdgeField(QWidget* parent, const char* name, double value) {
  auto* field = new NumericField(parent);
  field->setObjectName(name);
  field->SetValueQuietly(value);
  return field;
}

}  // namespace

void OpenRegionEditor(QWidget* over, bool noise, double from, double to,
                      std::function<void(double from, double to)> apply) {
  auto* dialog = new QDialog(over);
  dialog->setObjectName("regionEditor");
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(noise ? QObject::tr("Noise region") : QObject::tr("Region left out"));
  auto* form = new QFormLayout(dialog);
  NumericField* fromField = EdgeField(dialog, "from", from);
  NumericField* toField = EdgeField(dialog, "to", to);
  form->addRow(QObject::tr("From (ms):"), fromField);
  form->addRow(QObject::tr("To (ms):"), toField);
  auto* problem = new QLabel(dialog);
  problem->setObjectName("problem");
  problem->setStyleSheet("color: #b00020;");
  form->addRow(problem);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, [=] {
    fromField->interpretText();  // an entry still being typed counts
    toField->interpretText();
    const double newFrom = fromField->value(), newTo = toField->value();
    if (!std::isfinite(newFrom) || !std::isfinite(newTo) || !(newFrom < newTo)) {
      problem->setText(QObject::tr("The region must end after it starts."));
      return;
    }
    problem->clear();
    apply(newFrom, newTo);
    dialog->accept();
  });
  dialog->open();  // window-modal: the graph cannot change under it
}
