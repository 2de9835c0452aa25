// The import dialog of an amplifier file on Qt Widgets: the sweep list with step voltages and
// check boxes, a preview of the chosen sweeps and their command, the current channel, the voltage
// source, the span and the averaging, with a line that tells how many points each trace will hold.
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>
#include <numeric>

#include "platform/qt/import_dialog_view.h"
#include "platform/qt/import_preview.h"
#include "platform/qt/runtime.h"

namespace {

constexpr int kPointsPerTrace = 5000;  // samples a trace holds
constexpr int kSpanDecimals = 3;       // ms: a microsecond
constexpr int kListWidth = 230;        // px: sweep number and step voltage
constexpr int kDialogWidth = 720;      // px
constexpr int kDialogHeight = 700;     // px: room for the preview

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

QString ChannelText(const ImportDialogChannel& channel) {
  return channel.unit.empty() ? Utf8(channel.name)
                              : Utf8(channel.name) + " (" + Utf8(channel.unit) + ")";
}

// Numbers in the dialog use a point whatever the desktop's locale.
QString Decimal(double value, int decimals) {
  return QLocale::c().toString(value, 'f', decimals);
}

}  // namespace

ImportDialog::ImportDialog(const ImportDialogInput& input) : input_(input) {
  setObjectName("importDialog");
  setWindowTitle("Import " + Utf8(input.fileName));
  auto* layout = new QVBoxLayout(this);
  auto* summary = new QLabel(Utf8(input.summary));
  summary->setWordWrap(true);
  layout->addWidget(summary);

  auto* columns = new QHBoxLayout;
  columns->addWidget(SweepBox(), 0);
  auto* right = new QVBoxLayout;
  right->addWidget(ChannelBox());
  right->addWidget(SpanBox());
  right->addWidget(SubtractionBox());
  right->addStretch(1);
  columns->addLayout(right, 1);
  layout->addLayout(columns, 1);
  preview_ = new ImportPreview(input_);
  layout->addWidget(preview_, 0);  // the lists and fields take what room is left

  problem_ = new QLabel;
  problem_->setObjectName("problem");
  problem_->setWordWrap(true);
  problem_->setStyleSheet("color: #b00020;");
  layout->addWidget(problem_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText("Import");
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Choices()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  ApplyDefaults();
  UpdatePreview();
  resize(kDialogWidth, kDialogHeight);
}

// The choices as Import returns them; nothing (and the reason shown) when they are incomplete.
std::optional<ImportChoices> ImportDialog::Choices() {
  ImportChoices choices;
  for (int i = 0; i < sweeps_->topLevelItemCount(); ++i) {
    if (sweeps_->topLevelItem(i)->checkState(0) == Qt::Checked) choices.sweeps.push_back(i + 1);
  }
  choices.currentChannel = current_->currentData().toInt();
  const int voltage = voltage_->currentData().toInt();
  choices.voltageSource = voltage > 0    ? VoltageSource::kChannel
                          : voltage == 0 ? VoltageSource::kCommand
                                         : VoltageSource::kTyped;
  choices.voltageChannel = std::max(voltage, 0);
  choices.fromMs = from_->value();
  choices.toMs = to_->value();
  choices.average = average_->isChecked();
  choices.averageRepeats = repeats_->isChecked();
  choices.command = follow_->isChecked() ? CommandMode::kSteps : CommandMode::kSingle;
  choices.pnSweep = pnSweep_->value();
  const QString leak = leak_->text().trimmed();
  if (leak == "hold") {
    choices.leak = LeakSubtraction::kHolding;
  } else if (!leak.isEmpty()) {
    const QStringList ends = leak.split(':');
    bool from = false, to = false;
    if (ends.size() == 2) {
      choices.leakFromMs = QLocale::c().toDouble(ends[0].trimmed(), &from);
      choices.leakToMs = QLocale::c().toDouble(ends[1].trimmed(), &to);
    }
    if (!from || !to || !std::isfinite(choices.leakFromMs) || !std::isfinite(choices.leakToMs))
      return Refuse("The leak is hold or a stretch FROM:TO in ms, not \"" + leak + "\".");
    choices.leak = LeakSubtraction::kRange;
  }
  if (choices.sweeps.empty()) return Refuse("Choose at least one sweep.");
  if (static_cast<int>(choices.sweeps.size()) > kMaxImportedTraces && !choices.averageRepeats)
    return Refuse(QString("A recording holds at most %1 traces; %2 sweeps are chosen.")
                      .arg(kMaxImportedTraces)
                      .arg(choices.sweeps.size()));
  choices.typedCommand = commandLevels_->text().trimmed().toStdString();
  if (!choices.typedCommand.empty() && input_.typedCommand) {
    if (const std::string why = input_.typedCommand(choices.typedCommand, 1, nullptr); !why.empty())
      return Refuse("The typed command cannot be followed: " + Utf8(why) + ".");
  }
  // A typed command gives the step voltages when none are typed.
  const bool stepsFromCommand = !choices.typedCommand.empty() && typed_->text().trimmed().isEmpty();
  if (choices.voltageSource == VoltageSource::kTyped && !stepsFromCommand) {
    for (const QString& part : typed_->text().split(',', Qt::SkipEmptyParts)) {
      bool number = false;
      const double value = QLocale::c().toDouble(part.trimmed(), &number);
      if (!number || !std::isfinite(value)) {
        return Refuse("\"" + part.trimmed() + "\" is not a voltage.");
      }
      choices.typedVoltages.push_back(value);
    }
    if (choices.typedVoltages.size() != choices.sweeps.size()) {
      return Refuse(QString("Type one step voltage for each of the %1 chosen sweeps (%2 typed).")
                        .arg(choices.sweeps.size())
                        .arg(choices.typedVoltages.size()));
    }
  }
  if (!(choices.fromMs < choices.toMs)) return Refuse("The span must end after it starts.");
  if (!choices.average && SpanSamples() > kPointsPerTrace) {
    return Refuse(QString("The span holds %1 samples; a trace holds at most %2. Shorten it or "
                          "average neighbouring samples.")
                      .arg(SpanSamples())
                      .arg(kPointsPerTrace));
  }
  problem_->clear();
  return choices;
}

std::optional<ImportChoices> ImportDialog::Refuse(const QString& why) {
  problem_->setText(why);
  return std::nullopt;
}

void ImportDialog::RecheckProblem() {
  if (problem_ == nullptr || problem_->text().isEmpty()) return;
  Choices();  // shows what still stands in the way, or clears the line
}

QGroupBox* ImportDialog::SweepBox() {
  auto* box = new QGroupBox("Sweeps");
  auto* layout = new QVBoxLayout(box);
  sweeps_ = new QTreeWidget;
  sweeps_->setObjectName("sweeps");
  sweeps_->setColumnCount(2);
  sweeps_->setHeaderLabels({"Sweep", "Step"});
  sweeps_->setRootIsDecorated(false);
  sweeps_->setAlternatingRowColors(true);
  sweeps_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  sweeps_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  sweeps_->setMinimumWidth(kListWidth);
  for (size_t i = 0; i < input_.sweepSteps.size(); ++i) {
    auto* item = new QTreeWidgetItem(sweeps_);
    item->setText(0, QString("Sweep %1").arg(i + 1));
    const std::optional<double>& step = input_.sweepSteps[i];
    item->setText(1, step ? QString("%1 mV").arg(Decimal(*step, 1)) : QString("–"));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
  }
  connect(sweeps_, &QTreeWidget::itemChanged, this, [this] {
    UpdateCount();
    UpdatePreview();
    RecheckProblem();
  });
  layout->addWidget(sweeps_, 1);
  auto* row = new QHBoxLayout;
  chosen_ = new QLabel;
  row->addWidget(chosen_, 1);
  auto* spread = new QPushButton("Spread six");
  spread->setObjectName("spread");
  spread->setToolTip("Six sweeps spread evenly over the family");
  connect(spread, &QPushButton::clicked, this, [this] { CheckSweeps(input_.defaults.sweeps); });
  row->addWidget(spread);
  auto* all = new QPushButton("All");
  all->setObjectName("allSweeps");
  connect(all, &QPushButton::clicked, this, [this] {
    std::vector<int> every(static_cast<size_t>(sweeps_->topLevelItemCount()));
    std::iota(every.begin(), every.end(), 1);
    CheckSweeps(every);
  });
  row->addWidget(all);
  auto* none = new QPushButton("None");
  none->setObjectName("noSweeps");
  connect(none, &QPushButton::clicked, this, [this] { CheckSweeps({}); });
  row->addWidget(none);
  layout->addLayout(row);
  return box;
}

QGroupBox* ImportDialog::ChannelBox() {
  auto* box = new QGroupBox("Channels");
  auto* form = new QFormLayout(box);
  current_ = new QComboBox;
  current_->setObjectName("current");
  voltage_ = new QComboBox;
  voltage_->setObjectName("voltage");
  for (size_t c = 0; c < input_.channels.size(); ++c) {
    const ImportDialogChannel& channel = input_.channels[c];
    if (channel.isCurrent) current_->addItem(ChannelText(channel), static_cast<int>(c + 1));
    if (channel.isVoltage) {
      voltage_->addItem("Recorded: " + ChannelText(channel), static_cast<int>(c + 1));
    }
  }
  if (current_->count() == 0) {  // no channel in a current unit: offer them all, Import says why
    for (size_t c = 0; c < input_.channels.size(); ++c) {
      current_->addItem(ChannelText(input_.channels[c]), static_cast<int>(c + 1));
    }
  }
  if (input_.hasCommand) {
    voltage_->addItem("Command from the protocol (" + Utf8(input_.commandName) + ")", 0);
  }
  voltage_->addItem("Step voltages typed by hand", -1);
  form->addRow("Current:", current_);
  form->addRow("Voltage:", voltage_);
  typed_ = new QLineEdit;
  typed_->setObjectName("typed");
  typed_->setPlaceholderText("mV, one per chosen sweep: -80, -60, -40");
  form->addRow("Step voltages:", typed_);
  commandLevels_ = new QLineEdit;
  commandLevels_->setObjectName("commandLevels");
  commandLevels_->setPlaceholderText(
      "hold; start: level increment, e.g. -80; 10: -60 +10; 60: -80");
  commandLevels_->setToolTip(
      "Each sweep's whole command, typed when the file's protocol cannot give it: the holding "
      "level (mV), then rows separated by ';' of a start time (ms from the sweep's start), a "
      "level (mV) in sweep 1 and what it adds per sweep (mV). \"-80; 10: -60 +10; 60: -80\" "
      "holds at -80, steps at 10 ms to -60, -50, -40 ... in sweeps 1, 2, 3 ... and returns to "
      "-80 at 60 ms. It gives the step voltages unless they are typed too.");
  commandLevels_->setEnabled(static_cast<bool>(input_.typedCommand));
  form->addRow("Command:", commandLevels_);
  if (!input_.hasCommand && !input_.commandNote.empty()) {
    auto* note = new QLabel("No command voltage (" + Utf8(input_.commandNote) + ").");
    note->setWordWrap(true);
    note->setStyleSheet("color: palette(mid);");
    form->addRow(note);
  }
  connect(voltage_, &QComboBox::currentIndexChanged, this, [this] {
    typed_->setEnabled(voltage_->currentData().toInt() < 0);
    RecheckProblem();
    UpdatePreview();
  });
  connect(current_, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
  connect(typed_, &QLineEdit::textChanged, this, [this] { RecheckProblem(); });
  connect(commandLevels_, &QLineEdit::textChanged, this, [this] {
    RecheckProblem();
    UpdatePreview();
  });
  return box;
}

QGroupBox* ImportDialog::SpanBox() {
  auto* box = new QGroupBox("Span kept, from the sweep start");
  auto* form = new QFormLayout(box);
  const auto spin = [this](const char* name) {
    auto* field = new QDoubleSpinBox;
    field->setObjectName(name);
    field->setLocale(QLocale::c());
    field->setDecimals(kSpanDecimals);
    field->setRange(input_.sweepStartMs, input_.sweepEndMs);
    field->setSingleStep(input_.sampleIntervalMs > 0 ? input_.sampleIntervalMs : 1.0);
    field->setSuffix(" ms");
    field->setAlignment(Qt::AlignRight);
    connect(field, &QDoubleSpinBox::valueChanged, this, [this] { UpdateSamples(); });
    return field;
  };
  from_ = spin("from");
  to_ = spin("to");
  auto* fromTo = new QHBoxLayout;
  fromTo->addWidget(from_, 1);
  fromTo->addWidget(new QLabel("to"));
  fromTo->addWidget(to_, 1);
  form->addRow("From:", fromTo);
  auto* presets = new QHBoxLayout;
  auto* step = new QPushButton("The step");
  const bool hasStep =
      input_.stepFromMs != input_.sweepStartMs || input_.stepToMs != input_.sweepEndMs;
  step->setEnabled(hasStep);
  step->setToolTip(hasStep ? "The first step away from the holding level"
                           : "The file's protocol has no step");
  connect(step, &QPushButton::clicked, this, [this] {
    from_->setValue(input_.stepFromMs);
    to_->setValue(input_.stepToMs);
  });
  auto* whole = new QPushButton("Whole sweep");
  connect(whole, &QPushButton::clicked, this, [this] {
    from_->setValue(input_.sweepStartMs);
    to_->setValue(input_.sweepEndMs);
  });
  presets->addWidget(step);
  presets->addWidget(whole);
  presets->addStretch(1);
  form->addRow("", presets);
  follow_ = new QCheckBox("The model follows each sweep's whole command");
  follow_->setObjectName("follow");
  follow_->setToolTip(
      "On: the gates start at rest at the holding level and follow every step, ramp and tail "
      "of the sweep, so the whole sweep is kept and the analysis window may lie anywhere in it. "
      "Off: each trace is one step from Vhold at the start of the span (the step).");
  connect(follow_, &QCheckBox::toggled, this, [this](bool on) {
    from_->setValue(on ? input_.sweepStartMs : input_.stepFromMs);
    to_->setValue(on ? input_.sweepEndMs : input_.stepToMs);
  });
  form->addRow(follow_);
  average_ = new QCheckBox("Average neighbouring samples down to at most 5000 points");
  average_->setObjectName("average");
  connect(average_, &QCheckBox::toggled, this, [this] { UpdateSamples(); });
  form->addRow(average_);
  repeats_ = new QCheckBox("Average sweeps with the same command into one trace");
  repeats_->setObjectName("averageRepeats");
  repeats_->setToolTip(
      "Repeats of one command (the same levels at the same times) become one trace, their mean; "
      "the notices say how many sweeps went into each trace.");
  connect(repeats_, &QCheckBox::toggled, this, [this] { RecheckProblem(); });
  form->addRow(repeats_);
  samples_ = new QLabel;
  samples_->setObjectName("samples");
  samples_->setWordWrap(true);
  // Room for two lines: a form row does not always grow for a label that wraps.
  samples_->setMinimumHeight(2 * samples_->fontMetrics().lineSpacing());
  form->addRow(samples_);
  return box;
}

QGroupBox* ImportDialog::SubtractionBox() {
  auto* box = new QGroupBox("Taken out of every trace");
  auto* form = new QFormLayout(box);
  leak_ = new QLineEdit;
  leak_->setObjectName("leak");
  leak_->setPlaceholderText("none, hold or FROM:TO (ms)");
  leak_->setToolTip(
      "hold: the mean current before the step. FROM:TO: a leak g (V - E) fitted over the holding "
      "and this stretch, taken out along each sweep's command.");
  form->addRow("Leak:", leak_);
  pnSweep_ = new QSpinBox;
  pnSweep_->setObjectName("pnSweep");
  pnSweep_->setRange(0, static_cast<int>(input_.sweepSteps.size()));
  pnSweep_->setSpecialValueText("none");
  pnSweep_->setToolTip(
      "A sweep in which no channel opens, scaled by each sweep's step and subtracted: the "
      "capacitive transient and the leak (P/N-style).");
  form->addRow("P/N control sweep:", pnSweep_);
  return box;
}

void ImportDialog::ApplyDefaults() {
  const ImportChoices& d = input_.defaults;
  CheckSweeps(d.sweeps);
  current_->setCurrentIndex(std::max(current_->findData(d.currentChannel), 0));
  const int voltage = d.voltageSource == VoltageSource::kChannel   ? d.voltageChannel
                      : d.voltageSource == VoltageSource::kCommand ? 0
                                                                   : -1;
  voltage_->setCurrentIndex(std::max(voltage_->findData(voltage), 0));
  typed_->setEnabled(voltage_->currentData().toInt() < 0);
  {
    QSignalBlocker quiet(follow_);  // the span below is the default's, whatever the toggle says
    follow_->setChecked(d.command == CommandMode::kSteps);
  }
  const bool steps = d.command == CommandMode::kSteps;
  from_->setValue(d.fromMs.value_or(steps ? input_.sweepStartMs : input_.stepFromMs));
  to_->setValue(d.toMs.value_or(steps ? input_.sweepEndMs : input_.stepToMs));
  average_->setChecked(d.average);
  repeats_->setChecked(d.averageRepeats);
  pnSweep_->setValue(d.pnSweep);
  commandLevels_->setText(Utf8(d.typedCommand));
  leak_->setText(d.leak == LeakSubtraction::kHolding ? QString("hold")
                 : d.leak == LeakSubtraction::kRange
                     ? QString("%1:%2").arg(d.leakFromMs).arg(d.leakToMs)
                     : QString());
  UpdateSamples();
  problem_->clear();
}

void ImportDialog::CheckSweeps(const std::vector<int>& numbers) {
  QSignalBlocker quiet(sweeps_);
  for (int i = 0; i < sweeps_->topLevelItemCount(); ++i) {
    sweeps_->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
  }
  for (int number : numbers) {
    if (number >= 1 && number <= sweeps_->topLevelItemCount()) {
      sweeps_->topLevelItem(number - 1)->setCheckState(0, Qt::Checked);
    }
  }
  if (!numbers.empty() && numbers.front() >= 1) {
    sweeps_->scrollToItem(sweeps_->topLevelItem(numbers.front() - 1));
  }
  problem_->clear();
  UpdateCount();
  UpdatePreview();
}

int ImportDialog::CheckedSweeps() const {
  int checked = 0;
  for (int i = 0; i < sweeps_->topLevelItemCount(); ++i) {
    checked += sweeps_->topLevelItem(i)->checkState(0) == Qt::Checked;
  }
  return checked;
}

void ImportDialog::UpdateCount() {
  chosen_->setText(
      QString("%1 of %2 chosen").arg(CheckedSweeps()).arg(sweeps_->topLevelItemCount()));
}

long ImportDialog::SpanSamples() const {
  if (!(input_.sampleIntervalMs > 0)) return 0;
  const double first =
      std::ceil((from_->value() - input_.sweepStartMs) / input_.sampleIntervalMs - 1e-9);
  const double end =
      std::ceil((to_->value() - input_.sweepStartMs) / input_.sampleIntervalMs - 1e-9);
  return std::max(0L, static_cast<long>(end - first));
}

void ImportDialog::UpdateSamples() {
  if (samples_ == nullptr || average_ == nullptr) return;
  const long count = SpanSamples();
  QString text = QString("%1 samples per trace").arg(count);
  if (count > kPointsPerTrace && average_->isChecked()) {
    const long group = (count + kPointsPerTrace - 1) / kPointsPerTrace;
    text += QString(": each point the mean of %1 neighbours, %2 points")
                .arg(group)
                .arg((count + group - 1) / group);
  } else if (count > kPointsPerTrace) {
    text += QString(": more than a trace holds (%1)").arg(kPointsPerTrace);
  }
  samples_->setText(text + ".");
  RecheckProblem();
  UpdatePreview();
}

void ImportDialog::UpdatePreview() {
  if (preview_ == nullptr || from_ == nullptr || to_ == nullptr) return;
  ImportPreview::Shown shown{{},
                             current_->currentData().toInt(),
                             std::max(voltage_->currentData().toInt(), 0),
                             {},
                             from_->value(),
                             to_->value()};
  for (int i = 0; i < sweeps_->topLevelItemCount(); ++i) {
    if (sweeps_->topLevelItem(i)->checkState(0) == Qt::Checked) shown.sweeps.push_back(i + 1);
  }
  // A typed command that reads is drawn as soon as it does; until then, the file's own.
  const std::string typed = commandLevels_->text().trimmed().toStdString();
  if (!typed.empty() && input_.typedCommand && input_.typedCommand(typed, 1, nullptr).empty()) {
    for (int sweep : shown.sweeps)
      input_.typedCommand(typed, sweep, &shown.typedCommands.emplace_back());
  }
  preview_->Show(shown);
}

std::function<bool(std::optional<ImportChoices>*)>& ImportDialogAnswerSeam() {
  static std::function<bool(std::optional<ImportChoices>*)> seam;
  return seam;
}

std::optional<ImportChoices> ShowImportDialog(const ImportDialogInput& input) {
  std::optional<ImportChoices> answer;
  if (ImportDialogAnswerSeam() && ImportDialogAnswerSeam()(&answer)) return answer;
  if (!CanAskAPerson()) return std::nullopt;
  ImportDialog dialog(input);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choices();
}
