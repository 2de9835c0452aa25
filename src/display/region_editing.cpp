// The regions left out of the fit and the noise region on the data graph: what the user marks
// there goes into fitSettings, and fitSettings is what the graph shows. Regions only select
// samples: they change neither yfits nor the model's time zero.
#include "display/region_editing.h"

#include <cstdio>
#include <vector>

#include "display/goodness_display.h"
#include "display/panel_handles.h"
#include "display/residual_strip.h"
#include "fit/fit_settings.h"
#include "model/model.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

// The stretch before the analysis window, when it holds at least two samples.
void OfferNoiseRegion() {
  const int before = status.dataLoaded ? std::min(status.windowStart, NumPoints) - 1 : 0;
  if (before < 1) {
    SetGraphNoiseSuggestion(panelHandle, PANEL_GRAPH, 0, 0, "");
    return;
  }
  char label[120];
  std::snprintf(label, sizeof label, "Noise region: the part before the window (%.3g to %.3g ms)",
                timevals[0], timevals[before]);
  SetGraphNoiseSuggestion(panelHandle, PANEL_GRAPH, timevals[0], timevals[before], label);
}

void RegionsChanged(int panel, int graph) {
  std::vector<GraphRegion> regions;
  if (GetGraphRegions(panel, graph, &regions) < 0) return;
  fitSettings.excluded.clear();
  fitSettings.noise.reset();
  for (const GraphRegion& region : regions) {
    if (region.kind == REGION_NOISE)
      fitSettings.noise = TimeRegion{region.from, region.to};
    else
      fitSettings.excluded.push_back({region.from, region.to});
  }
  if (ResidualsShown()) ShowResiduals();  // its scale follows the samples that count
  ShowGoodness();
}

}  // namespace

void InitRegionEditing() {
  EnableGraphRegions(panelHandle, PANEL_GRAPH, RegionsChanged);
  ShowRegions();
}

void ShowRegions() {
  std::vector<GraphRegion> regions;
  for (const TimeRegion& region : fitSettings.excluded)
    regions.push_back({REGION_EXCLUDED, region.from, region.to});
  if (fitSettings.noise)
    regions.push_back({REGION_NOISE, fitSettings.noise->from, fitSettings.noise->to});
  SetGraphRegions(panelHandle, PANEL_GRAPH, regions);
  OfferNoiseRegion();
}
