// The import dialog's preview: the chosen sweeps' current over their command, on one time axis,
// with the span kept shaded, so that the user sees which part is the step and which the tail.
#pragma once

#include <qcustomplot.h>

#include <vector>

#include "platform/import_dialog.h"

class ImportPreview : public QCustomPlot {
 public:
  explicit ImportPreview(const ImportDialogInput& input);
  struct Shown {
    std::vector<int> sweeps;  // 1-based
    int currentChannel;       // 1-based
    int voltageChannel;       // the recorded channel the command comes from (1-based), or 0
    // Per shown sweep, its typed command at the preview's times; empty: none typed.
    std::vector<std::vector<double>> typedCommands;
    double fromMs, toMs;  // the span kept, shaded
  };
  // Draws the sweeps in the chosen current channel over their command.
  void Show(const Shown& shown);

 private:
  const ImportDialogInput& input_;
  QCPAxisRect* currentRect_ = nullptr;
  QCPAxisRect* commandRect_ = nullptr;
  QCPItemRect* currentSpan_ = nullptr;
  QCPItemRect* commandSpan_ = nullptr;
};
