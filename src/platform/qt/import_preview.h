// The import dialog's preview: the chosen sweeps' current over their command, on one time axis,
// with the span kept shaded, so that the user sees which part is the step and which the tail.
#pragma once

#include <qcustomplot.h>

#include <vector>

#include "platform/import_dialog.h"

class ImportPreview : public QCustomPlot {
 public:
  explicit ImportPreview(const ImportDialogInput& input);
  // Draws these sweeps (1-based) in the chosen current channel (1-based) over the command the
  // chosen voltage gives (its recorded channel, 1-based, or 0), and shades the span kept.
  void Show(const std::vector<int>& sweeps, int currentChannel, int voltageChannel, double fromMs,
            double toMs);

 private:
  const ImportDialogInput& input_;
  QCPAxisRect* currentRect_ = nullptr;
  QCPAxisRect* commandRect_ = nullptr;
  QCPItemRect* currentSpan_ = nullptr;
  QCPItemRect* commandSpan_ = nullptr;
};
