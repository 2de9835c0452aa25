// The import dialog's preview of the chosen sweeps: current above, command below, one time axis.
#include "platform/qt/import_preview.h"

#include <algorithm>

namespace {

constexpr int kPreviewHeight = 220;       // px
constexpr double kCommandShare = 0.6;     // the command's rect against the current's
constexpr double kLastHue = 270.0 / 360;  // the first sweep red, the last violet
const QColor kSpanShade(0, 0, 0, 22);

QCPItemRect* SpanShade(QCustomPlot* plot, QCPAxisRect* rect) {
  auto* shade = new QCPItemRect(plot);
  shade->setClipAxisRect(rect);
  for (QCPItemPosition* corner : {shade->topLeft, shade->bottomRight}) {
    corner->setAxisRect(rect);
    corner->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    corner->setTypeY(QCPItemPosition::ptAxisRectRatio);
  }
  shade->setPen(Qt::NoPen);
  shade->setBrush(kSpanShade);
  return shade;
}

void Label(QCPAxisRect* rect, const char* left, const char* bottom) {
  QFont small;
  small.setPointSizeF(small.pointSizeF() * 0.85);
  for (QCPAxis* axis : rect->axes()) {
    axis->setTickLabelFont(small);
    axis->setLabelFont(small);
  }
  rect->axis(QCPAxis::atLeft)->setLabel(left);
  rect->axis(QCPAxis::atBottom)->setLabel(bottom);
}

// The command a voltage choice gives: its own where it has one, else the protocol's.
const std::vector<double>& CommandOf(const ImportPreviewSweep& sweep, int voltageChannel) {
  static const std::vector<double> none;
  const auto at = static_cast<size_t>(std::max(voltageChannel, 0));
  if (at < sweep.commands.size() && !sweep.commands[at].empty()) return sweep.commands[at];
  return sweep.commands.empty() ? none : sweep.commands[0];
}

const std::vector<double>& CurrentOf(const ImportPreviewSweep& sweep, int channel) {
  static const std::vector<double> none;
  const auto at = static_cast<size_t>(channel - 1);
  return channel >= 1 && at < sweep.currents.size() ? sweep.currents[at] : none;
}

}  // namespace

ImportPreview::ImportPreview(const ImportDialogInput& input) : input_(input) {
  setObjectName("preview");
  setMinimumHeight(kPreviewHeight);
  plotLayout()->clear();
  currentRect_ = new QCPAxisRect(this);
  commandRect_ = new QCPAxisRect(this);
  plotLayout()->addElement(0, 0, currentRect_);
  plotLayout()->addElement(1, 0, commandRect_);
  plotLayout()->setRowStretchFactor(1, kCommandShare);
  // The two rects keep their left edges together, so that one time lies above the other.
  auto* margins = new QCPMarginGroup(this);
  currentRect_->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
  commandRect_->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
  Label(currentRect_, "Current (nA)", "");
  Label(commandRect_, "Command (mV)", "Time (ms)");
  currentRect_->axis(QCPAxis::atBottom)->setTickLabels(false);
  currentSpan_ = SpanShade(this, currentRect_);
  commandSpan_ = SpanShade(this, commandRect_);
}

void ImportPreview::Show(const Shown& choice) {
  clearGraphs();
  const QVector<double> times(input_.previewTimes.begin(), input_.previewTimes.end());
  const std::vector<int>& sweeps = choice.sweeps;
  const int count = static_cast<int>(sweeps.size());
  bool anyCommand = false;
  for (int k = 0; k < count; ++k) {
    const int sweep = sweeps[k];
    if (sweep < 1 || sweep > static_cast<int>(input_.preview.size())) continue;
    const ImportPreviewSweep& shown = input_.preview[sweep - 1];
    const QColor color = QColor::fromHsvF(count > 1 ? kLastHue * k / (count - 1) : 0.0, 1.0, 0.8);
    const std::vector<double>& currentValues = CurrentOf(shown, choice.currentChannel);
    if (!currentValues.empty()) {
      QCPGraph* current =
          addGraph(currentRect_->axis(QCPAxis::atBottom), currentRect_->axis(QCPAxis::atLeft));
      current->setData(times, QVector<double>(currentValues.begin(), currentValues.end()), true);
      current->setPen(QPen(color));
    }
    const std::vector<double>& commandValues = k < static_cast<int>(choice.typedCommands.size())
                                                   ? choice.typedCommands[k]
                                                   : CommandOf(shown, choice.voltageChannel);
    if (commandValues.empty()) continue;
    anyCommand = true;
    QCPGraph* command =
        addGraph(commandRect_->axis(QCPAxis::atBottom), commandRect_->axis(QCPAxis::atLeft));
    command->setData(times, QVector<double>(commandValues.begin(), commandValues.end()), true);
    command->setPen(QPen(color));
  }
  for (QCPAxisRect* rect : {currentRect_, commandRect_}) {
    rect->axis(QCPAxis::atBottom)->setRange(input_.sweepStartMs, input_.sweepEndMs);
    rect->axis(QCPAxis::atLeft)->rescale();
    rect->axis(QCPAxis::atLeft)->scaleRange(1.1);
  }
  commandRect_->setVisible(anyCommand);
  for (QCPItemRect* shade : {currentSpan_, commandSpan_}) {
    shade->topLeft->setCoords(choice.fromMs, 0);
    shade->bottomRight->setCoords(choice.toMs, 1);
  }
  replot();
}
