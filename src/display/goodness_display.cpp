// The goodness-of-fit line under the data graph: the RMS of the residuals per trace and over
// all traces, and the RMS against the noise when a noise region is set.
#include "display/goodness_display.h"

#include <cstdio>

#include "display/panel_handles.h"
#include "display/residual_strip.h"
#include "fit/fit_settings.h"
#include "fit/workspace_fit.h"
#include "model/model.h"
#include "model/session_recordings.h"
#include "pavikuir.h"
#include "platform/number_text.h"
#include "platform/platform.h"

namespace {

const char* const kNotAvailable = "not available";

std::string Figure(const std::optional<double>& value) {
  return value ? SignificantText(*value, 3) : kNotAvailable;
}

}  // namespace

// The overall figures come first: when the line is wider than the data graph, the per-trace
// list is what gets cut (the label does not widen the graph column as its text grows).
std::string GoodnessLine(const FitGoodness& goodness, bool noiseRegionSet,
                         const std::optional<FitGoodness>& together, int recordings) {
  std::string line = "RMS " + Figure(goodness.rms) + (goodness.rms ? " nA" : "");
  if (noiseRegionSet) line += "  RMS/noise " + Figure(goodness.noiseRatio);
  if (together) {
    line += "  |  all " + std::to_string(recordings) + ": RMS " + Figure(together->rms) +
            (together->rms ? " nA" : "");
    if (together->noiseRatio) line += "  RMS/noise " + Figure(together->noiseRatio);
    line += "  |";
  }
  if (goodness.traces.size() > 1) {
    line += "  (";
    for (size_t k = 0; k < goodness.traces.size(); ++k) {
      if (k > 0) line += " ";
      line += std::to_string(k + 1) + ": " + Figure(goodness.traces[k].rms);
    }
    line += ")";
  }
  return line;
}

void ShowGoodness() {
  if (status.dataLoaded == 0 || !ResidualsShown()) {
    SetCtrlVal(panelHandle, PANEL_GOODNESS, "");
    return;
  }
  const FitGoodness goodness = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise);
  const std::string line = GoodnessLine(goodness, loadedRecording.noise.has_value(),
                                        SessionGoodness(), RecordingCount());
  SetCtrlVal(panelHandle, PANEL_GOODNESS, line.c_str());
}
