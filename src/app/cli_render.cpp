// The --render job: the main panel built offscreen on the command's files, drawn into a PNG;
// or, with --format or --graphs, the graphs alone as a PDF, SVG or PNG figure.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli_jobs.h"
#include "app/export.h"
#include "app/pavik.h"
#include "display/display.h"
#include "display/region_editing.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {
constexpr int kRenderWidth = 1280;
constexpr int kRenderHeight = 800;
}  // namespace

int RunRender(const CliCommand& command, int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // kept when the caller chose a platform
  if (StartPavik(argc, argv) != 0) return kExitFileError;
  if (!LoadAndApply(command)) return kExitFileError;
  ApplyRegions(command);  // shaded on the data graph, counted in the goodness line
  if (command.recording > 1 && !LoadFurtherRecording(command.also[command.recording - 2]))
    return kExitFileError;
  ShowRegions();
  if (!command.paramFile.empty()) EvaluateAndShow();
  if (command.select != 0) {
    currbutCB(panelHandle, PANEL_CURRBUT1 + command.select - 1, EVENT_COMMIT, nullptr, 0, 0);
  }
  if (command.figureFormat || command.figurePanels || command.publication || command.widthMm ||
      command.dpi) {
    FigureChoice choice;
    choice.panels = command.figurePanels.value_or(kFigureData);
    choice.publication = command.publication.value_or(true);
    choice.widthMm = command.widthMm;
    choice.heightMm = command.heightMm;
    choice.dpi = command.dpi.value_or(kDefaultFigureDpi);
    int format = command.figureFormat.value_or(FigureFormatOf(command.output));
    if (format < 0) format = FIGURE_PNG;
    std::string figure;
    if (RenderFigure(choice, format, &figure) != 0) {
      std::fprintf(stderr, "The figure of the graphs could not be drawn.\n");
      return kExitFileError;
    }
    return SaveOutput(command.output, figure, "figure");
  }
  std::string png;
  if (RenderPanelImage(panelHandle, kRenderWidth, kRenderHeight, &png) != 0) {
    std::fprintf(stderr, "The image of the main panel could not be drawn.\n");
    return kExitFileError;
  }
  return SaveOutput(command.output, png, "image of the main panel");
}
