// The import dialog's window on Qt Widgets, shared by the dialog and its test seams (which
// build it to drive or render it). Platform layer only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>
#include <functional>
#include <optional>

#include "platform/import_dialog.h"

class ImportDialog : public QDialog {
 public:
  explicit ImportDialog(const ImportDialogInput& input);
  // The choices as Import returns them; nothing (and the reason shown) when they are incomplete.
  std::optional<ImportChoices> Choices();

 private:
  std::optional<ImportChoices> Refuse(const QString& why);
  QGroupBox* SweepBox();
  QGroupBox* ChannelBox();
  QGroupBox* SpanBox();
  QGroupBox* SubtractionBox();  // the leak and the P/N control
  void ApplyDefaults();
  void CheckSweeps(const std::vector<int>& numbers);
  int CheckedSweeps() const;
  void UpdateCount();
  long SpanSamples() const;
  void UpdateSamples();
  void RecheckProblem();
  void UpdatePreview();  // the chosen sweeps and the span kept  // a refusal shown goes, or
                         // changes, as soon as it no longer holds

  ImportDialogInput input_;
  QTreeWidget* sweeps_ = nullptr;
  QLabel* chosen_ = nullptr;
  QComboBox* current_ = nullptr;
  QComboBox* voltage_ = nullptr;
  QLineEdit* typed_ = nullptr;
  QLineEdit* commandLevels_ = nullptr;  // the whole command typed by hand
  QDoubleSpinBox* from_ = nullptr;
  QDoubleSpinBox* to_ = nullptr;
  QCheckBox* follow_ = nullptr;  // the model follows each sweep's whole command
  QCheckBox* average_ = nullptr;
  QCheckBox* repeats_ = nullptr;  // sweeps with the same command averaged into one trace
  QLabel* samples_ = nullptr;
  QLineEdit* leak_ = nullptr;    // empty, "hold" or FROM:TO
  QSpinBox* pnSweep_ = nullptr;  // 0: none
  QLabel* problem_ = nullptr;
  class ImportPreview* preview_ = nullptr;
};

// A test seam may answer instead of a person: true with the answer set.
std::function<bool(std::optional<ImportChoices>* answer)>& ImportDialogAnswerSeam();
