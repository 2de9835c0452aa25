// The command strip over the data graph: each trace's whole command in its colour, on the data
// graph's time axis, shown while the model follows the commands.
#include "display/command_strip.h"

#include <algorithm>
#include <vector>

#include "display/display.h"
#include "display/panel_handles.h"
#include "model/model.h"
#include "model/recording.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr int kEveryPoint = 1;
constexpr double kMarginMv = 5;  // above and below the extreme levels

// The command as a line the graph can draw: a step is a vertical jump at its start, a ramp a
// slope from the level before; it runs on to the last sample.
void CommandLine(const std::vector<CommandLevel>& levels, double end, std::vector<double>* x,
                 std::vector<double>* y) {
  x->clear();
  y->clear();
  for (size_t i = 0; i < levels.size(); ++i) {
    if (i > 0 && !levels[i].ramp) {
      x->push_back(levels[i].startMs);
      y->push_back(levels[i - 1].level);
    }
    x->push_back(levels[i].startMs);
    y->push_back(levels[i].level);
  }
  if (!levels.empty()) {
    x->push_back(std::max(end, levels.back().startMs));
    y->push_back(levels.back().level);
  }
}

}  // namespace

void ShowCommandStrip() {
  DeleteGraphPlot(panelHandle, PANEL_COMMANDSTRIP, VAL_ALL_PLOTS, VAL_IMMEDIATE_DRAW);
  const bool steps = status.dataLoaded != 0 && loadedRecording.commandMode == CommandMode::kSteps;
  SetCtrlAttribute(panelHandle, PANEL_COMMANDSTRIP, ATTR_VISIBLE, steps ? 1 : 0);
  if (!steps) return;
  double low = 0, high = 0;
  bool any = false;
  std::vector<double> x, y;
  const int traces =
      std::min<int>(LoadedTraces(), static_cast<int>(loadedRecording.commands.size()));
  for (int k = 0; k < traces; ++k) {
    CommandLine(loadedRecording.commands[k].levels, status.dataTMax, &x, &y);
    if (x.empty()) continue;
    PlotXY(panelHandle, PANEL_COMMANDSTRIP, x.data(), y.data(), static_cast<int>(x.size()),
           VAL_DOUBLE, VAL_DOUBLE, VAL_CONNECTED_POINTS, VAL_SIMPLE_DOT, VAL_SOLID, kEveryPoint,
           TraceColor(k));
    const auto [least, most] = std::minmax_element(y.begin(), y.end());
    low = any ? std::min(low, *least) : *least;
    high = any ? std::max(high, *most) : *most;
    any = true;
  }
  if (!any) return;
  SetAxisRange(panelHandle, PANEL_COMMANDSTRIP, VAL_MANUAL, status.xMin, status.xMax, VAL_MANUAL,
               low - kMarginMv, high + kMarginMv);
}
