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
#include <string>

#include "io/abf/import.h"
#include "platform/qt/import_dialog_qt_test.h"
#include "program_fixture.h"

namespace {

ImportDialogInput SodiumInput() {
  return ImportDialogInputFor(SodiumAbf(), "sodium.abf");
}

// Two sweeps of two current channels and two voltage channels (the second 10 mV above the first):
// each channel tells itself apart by its values.
AmplifierFile TwoOfEachAtf() {
  std::string atf =
      "ATF\t1.0\n2\t9\n\"AcquisitionMode=Episodic Stimulation\"\n\"Signals=\"\t"
      "\"I 0\"\t\"I 1\"\t\"V 0\"\t\"V 1\"\t\"I 0\"\t\"I 1\"\t\"V 0\"\t\"V 1\"\n\"Time (s)\"";
  for (int sweep = 1; sweep <= 2; ++sweep) {
    for (const char* unit : {"pA", "pA", "mV", "mV"})
      atf += "\t\"Trace #" + std::to_string(sweep) + " (" + unit + ")\"";
  }
  atf += "\n";
  for (int i = 0; i < 40; ++i) {
    atf += std::to_string(i * 1e-4);
    for (int sweep = 1; sweep <= 2; ++sweep) {
      const int v = i < 10 ? -80 : -60 + 20 * sweep;
      atf += "\t" + std::to_string(-100 * sweep) + "\t" + std::to_string(-1000 * sweep) + "\t" +
             std::to_string(v) + "\t" + std::to_string(v + 10);
    }
    atf += "\n";
  }
  AmplifierFile file;
  EXPECT_EQ(ReadAmplifierFile(atf, &file), "");
  return file;
}

}  // namespace

// The preview draws the chosen current channel over the command the chosen voltage gives.
TEST(ImportDialog, PreviewFollowsTheChosenChannels) {
  ImportDialogInput input = ImportDialogInputFor(TwoOfEachAtf(), "two.atf");
  std::unique_ptr<QDialog> dialog(CreateImportDialog(input));
  auto* preview = dialog->findChild<QCustomPlot*>("preview");
  const auto shown = [&](int graph) { return preview->graph(graph)->data()->at(20)->value; };
  ASSERT_EQ(preview->graphCount(), 2 * 2);
  EXPECT_DOUBLE_EQ(shown(0), -0.1);  // sweep 1 in I 0, nA
  EXPECT_DOUBLE_EQ(shown(1), -40);   // its command from V 0
  auto* current = dialog->findChild<QComboBox*>("current");
  current->setCurrentIndex(current->findData(2));
  EXPECT_DOUBLE_EQ(shown(2), -2);  // sweep 2 in I 1
  auto* voltage = dialog->findChild<QComboBox*>("voltage");
  voltage->setCurrentIndex(voltage->findData(4));
  EXPECT_DOUBLE_EQ(shown(1), -30);  // sweep 1's command from V 1
  EXPECT_EQ(ImportDialogChoices(dialog.get())->currentChannel, 2);
  // A typed command is drawn once it reads, refused by Import with its fault until then.
  auto* typed = dialog->findChild<QLineEdit*>("commandLevels");
  typed->setText("-80; 1: -50 +5; 9: -80");
  EXPECT_FALSE(ImportDialogChoices(dialog.get()));
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().contains("row 3 starts at 9 ms"));
  EXPECT_DOUBLE_EQ(shown(3), -10);  // still sweep 2's recorded command
  typed->setText("-80; 1: -50 +5; 3: -80");
  EXPECT_TRUE(dialog->findChild<QLabel*>("problem")->text().isEmpty());
  EXPECT_DOUBLE_EQ(shown(3), -45);
  EXPECT_EQ(ImportDialogChoices(dialog.get())->typedCommand, "-80; 1: -50 +5; 3: -80");
  input.defaults.currentChannel = 2;
  input.defaults.voltageSource = VoltageSource::kChannel;
  input.defaults.voltageChannel = 4;
  input.defaults.typedCommand = "-80; 1: -50 +5; 3: -80";
  EXPECT_TRUE(RenderImportDialog(input, PAVIK_BUILD_DIR "/import-dialog-channels.png"));
}

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
