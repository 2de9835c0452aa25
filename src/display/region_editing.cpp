// The regions left out of the fit and the noise region on the data graph: what the user marks
// there goes into the loaded recording, and the recording's regions are what the graph shows.
// Regions only select samples: they change neither yfits nor the model's time zero.
#include "display/region_editing.h"

#include <string>
#include <vector>

#include "display/change.h"
#include "display/goodness_display.h"
#include "display/panel_handles.h"
#include "display/residual_strip.h"
#include "fit/fit_settings.h"
#include "model/model.h"
#include "pavikuir.h"
#include "platform/number_text.h"
#include "platform/platform.h"

namespace {

// Fewer samples than this give a noise figure that varies much from one stretch to the next.
constexpr int kSteadyNoiseSamples = 50;

// The stretch before the analysis window, when it holds at least two samples; a stretch too
// short for a steady noise figure says so before it is chosen.
void OfferNoiseRegion() {
  const int before = status.dataLoaded ? std::min(status.windowStart, NumPoints) - 1 : 0;
  if (before < 1) {
    SetGraphNoiseSuggestion(panelHandle, PANEL_GRAPH, 0, 0, "");
    return;
  }
  const int samples = before + 1;
  std::string label = "Noise region: the part before the window (" +
                      SignificantText(timevals[0], 3) + " to " +
                      SignificantText(timevals[before], 3) + " ms)";
  if (samples < kSteadyNoiseSamples) {
    label += ": only " + std::to_string(samples) + " samples, too few for a steady noise figure (" +
             std::to_string(kSteadyNoiseSamples) + " or more)";
  }
  SetGraphNoiseSuggestion(panelHandle, PANEL_GRAPH, timevals[0], timevals[before], label.c_str());
}

// The undo step's name for what the user did to the regions.
std::string RegionStep(const std::vector<TimeRegion>& excludedBefore,
                       const std::optional<TimeRegion>& noiseBefore) {
  const auto& excluded = loadedRecording.excluded;
  if (excluded.size() > excludedBefore.size()) return "Leave Out a Stretch";
  if (excluded.size() < excludedBefore.size()) return "Take Back a Stretch";
  if (loadedRecording.noise != noiseBefore) return "Noise Region";
  return "Move a Left-Out Stretch";
}

void RegionsChanged(int panel, int graph) {
  std::vector<GraphRegion> regions;
  if (GetGraphRegions(panel, graph, &regions) < 0) return;
  const std::vector<TimeRegion> excludedBefore = loadedRecording.excluded;
  const std::optional<TimeRegion> noiseBefore = loadedRecording.noise;
  loadedRecording.excluded.clear();
  loadedRecording.noise.reset();
  for (const GraphRegion& region : regions) {
    if (region.kind == REGION_NOISE)
      loadedRecording.noise = TimeRegion{region.from, region.to};
    else
      loadedRecording.excluded.push_back({region.from, region.to});
  }
  if (ResidualsShown()) ShowResiduals();  // its scale follows the samples that count
  ShowGoodness();
  AfterChange({Changed::kFitSettings, RegionStep(excludedBefore, noiseBefore)});
}

}  // namespace

void InitRegionEditing() {
  EnableGraphRegions(panelHandle, PANEL_GRAPH, RegionsChanged);
  ShowRegions();
}

void ShowRegions() {
  std::vector<GraphRegion> regions;
  for (const TimeRegion& region : loadedRecording.excluded)
    regions.push_back({REGION_EXCLUDED, region.from, region.to});
  if (loadedRecording.noise)
    regions.push_back({REGION_NOISE, loadedRecording.noise->from, loadedRecording.noise->to});
  SetGraphRegions(panelHandle, PANEL_GRAPH, regions);
  OfferNoiseRegion();
}
