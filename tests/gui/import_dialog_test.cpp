// The import dialog of an amplifier file, driven through its real widgets: it opens on the
// default choices, takes all sweeps or none, and refuses incomplete choices.
#include <qcustomplot.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <memory>

#include "io/abf/import.h"
#include "platform/qt/import_dialog_qt_test.h"
#include "program_fixture.h"

namespace {

ImportDialogInput SodiumInput() {
  return ImportDialogInputFor(SodiumAbf(), "sodium.abf");
}

}  // namespace

// Without a person to ask (offscreen) the dialog is not shown and the import is cancelled; shown,
// it opens on the default choices: following the whole command, over the whole sweep; the toggle
// off takes the single step over the step.
TEST(ImportDialog, OpensOnTheDefaultChoices) {
  const ImportDialogInput input = SodiumInput();
  EXPECT_FALSE(ShowImportDialog(input));
  std::unique_ptr<QDialog> dialog(CreateImportDialog(input));
  const std::optional<ImportChoices> choices = ImportDialogChoices(dialog.get());
  ASSERT_TRUE(choices);
  EXPECT_EQ(choices->sweeps, input.defaults.sweeps);
  EXPECT_EQ(choices->currentChannel, 1);
  EXPECT_EQ(choices->voltageSource, VoltageSource::kCommand);
  EXPECT_EQ(choices->command, CommandMode::kSteps);
  EXPECT_DOUBLE_EQ(*choices->fromMs, 0);
  EXPECT_DOUBLE_EQ(*choices->toMs, 25.8);
  dialog->findChild<QCheckBox*>("follow")->setChecked(false);
  const std::optional<ImportChoices> single = ImportDialogChoices(dialog.get());
  EXPECT_EQ(single->command, CommandMode::kSingle);
  EXPECT_DOUBLE_EQ(*single->fromMs, 0.4);
  EXPECT_DOUBLE_EQ(*single->toMs, 25.4);
  // The leak and the P/N control: hold or a stretch, a sweep; anything else is refused.
  auto* leak = dialog->findChild<QLineEdit*>("leak");
  leak->setText("30:60");
  dialog->findChild<QSpinBox*>("pnSweep")->setValue(1);
  const std::optional<ImportChoices> subtracted = ImportDialogChoices(dialog.get());
  EXPECT_EQ(subtracted->leak, LeakSubtraction::kRange);
  EXPECT_EQ(subtracted->leakToMs, 60);
  EXPECT_EQ(subtracted->pnSweep, 1);
  leak->setText("5");
  EXPECT_FALSE(ImportDialogChoices(dialog.get()));
  EXPECT_TRUE(RenderImportDialog(input, PAVIK_BUILD_DIR "/import-dialog.png"));  // to look at
  auto* sweeps = dialog->findChild<QTreeWidget*>("sweeps");
  EXPECT_EQ(sweeps->topLevelItem(8)->text(1), "-60.0 mV");
}

// Any number of sweeps: All ticks every one, None clears them and Import then says why.
TEST(ImportDialog, AllOrNoneOfTheSweeps) {
  std::unique_ptr<QDialog> dialog(CreateImportDialog(SodiumInput()));
  // The preview draws each chosen sweep's current and command as they are ticked.
  auto* preview = dialog->findChild<QCustomPlot*>("preview");
  EXPECT_EQ(preview->graphCount(), 2 * 6);
  dialog->findChild<QPushButton*>("allSweeps")->click();
  EXPECT_EQ(preview->graphCount(), 2 * 37);
  EXPECT_EQ(preview->graph(73)->data()->at(20)->value, 80.0);  // sweep 37's command at 1 ms
  dialog->findChild<QCheckBox*>("averageRepeats")->setChecked(true);
  EXPECT_EQ(ImportDialogChoices(dialog.get())->sweeps.size(), 37u);
  EXPECT_TRUE(ImportDialogChoices(dialog.get())->averageRepeats);
  dialog->findChild<QPushButton*>("noSweeps")->click();
  EXPECT_FALSE(ImportDialogChoices(dialog.get()));
  EXPECT_EQ(preview->graphCount(), 0);
  EXPECT_EQ(dialog->findChild<QLabel*>("problem")->text(), "Choose at least one sweep.");
  dialog->findChild<QTreeWidget*>("sweeps")->topLevelItem(7)->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().isEmpty());  // mended: it goes
}

// Typed voltages are read with a point and must match the chosen sweeps in number.
TEST(ImportDialog, TypedVoltagesOnePerSweep) {
  std::unique_ptr<QDialog> dialog(CreateImportDialog(SodiumInput()));
  auto* voltage = dialog->findChild<QComboBox*>("voltage");
  voltage->setCurrentIndex(voltage->findData(-1));
  auto* typed = dialog->findChild<QLineEdit*>("typed");
  EXPECT_TRUE(typed->isEnabled());
  typed->setText("-80, -60.5");
  EXPECT_FALSE(ImportDialogChoices(dialog.get()));
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().contains("each of the 6"));
  typed->setText("-80, -60.5, -40, -20, 0, 20");  // the refusal goes as soon as it is mended
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().isEmpty());
  const std::optional<ImportChoices> choices = ImportDialogChoices(dialog.get());
  ASSERT_TRUE(choices);
  EXPECT_EQ(choices->voltageSource, VoltageSource::kTyped);
  EXPECT_EQ(choices->typedVoltages[1], -60.5);
}

// The slow family offers its recorded command; the whole sweep needs averaging.
TEST(ImportDialog, WholeSlowSweepNeedsAveraging) {
  const ImportDialogInput input = ImportDialogInputFor(SlowAbf(), "slow.abf");
  std::unique_ptr<QDialog> dialog(CreateImportDialog(input));
  EXPECT_EQ(dialog->findChild<QComboBox*>("voltage")->currentText(), "Recorded: AO #0 (mV)");
  dialog->findChild<QDoubleSpinBox*>("from")->setValue(0);
  dialog->findChild<QDoubleSpinBox*>("to")->setValue(input.sweepEndMs);
  EXPECT_TRUE(dialog->findChild<QLabel*>("samples")->text().contains("mean of 11"));
  dialog->findChild<QCheckBox*>("average")->setChecked(false);
  EXPECT_FALSE(ImportDialogChoices(dialog.get()));
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().contains("at most 5000"));
  EXPECT_TRUE(RenderImportDialog(input, PAVIK_BUILD_DIR "/import-dialog-slow.png"));  // to look at
}

// A text export of currents alone offers no voltage but the typed one.
TEST(ImportDialog, CurrentsAloneAskForTypedVoltages) {
  AmplifierFile currents;
  ASSERT_EQ(ReadAmplifierFile("ATF\t1.0\n0\t3\n\"Time (s)\"\t\"Trace #1 (pA)\"\t\"Trace #2 (pA)\"\n"
                              "0\t-100\t-200\n0.0001\t-300\t-400\n",
                              &currents),
            "");
  std::unique_ptr<QDialog> dialog(CreateImportDialog(ImportDialogInputFor(currents, "a.atf")));
  auto* voltage = dialog->findChild<QComboBox*>("voltage");
  EXPECT_EQ(voltage->count(), 1);
  EXPECT_EQ(voltage->currentData().toInt(), -1);
  EXPECT_TRUE(dialog->findChild<QLineEdit*>("typed")->isEnabled());
}
