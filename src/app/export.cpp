// Figures and tables for use outside Pavik: the choices asked for, the bytes made by the graphs'
// renderer or the table's formatter, and the safe save that writes every file of Pavik.
#include "app/export.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "app/pavik.h"
#include "io/dialog_folder.h"
#include "io/fit_table.h"
#include "io/safe_write.h"
#include "model/evaluation.h"
#include "model/model.h"
#include "model/recording.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr const char* kFigureTitle = "Export Figure";
constexpr const char* kTableTitle = "Export Table";
enum GraphsAnswer { kDataGraph = 0, kAllGraphs = 1 };
constexpr double kScales[] = {1.0, 2.0, 4.0};  // the PNG resolutions offered
constexpr int kDefaultScaleAnswer = 1;         // 2x

void Tell(const char* title, const std::string& message) {
  MessagePopup(title, message.c_str());
}

int Save(const char* title, const char* what, const std::string& path, const std::string& bytes) {
  const SaveResult result = SaveFileSafely(path, bytes);
  if (result.why.empty()) return 1;
  Tell(title, SaveFailureMessage(what, path, result));
  return 0;
}

}  // namespace

int FigureFormatOf(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".pdf") return FIGURE_PDF;
  if (extension == ".svg") return FIGURE_SVG;
  if (extension == ".png") return FIGURE_PNG;
  return -1;
}

int WriteFigure(const std::string& path, bool allGraphs, int format, double scale) {
  std::vector<int> graphs = {PANEL_GRAPH};
  if (allGraphs) graphs = {PANEL_GRAPH, PANEL_MHGRAPH, PANEL_TAUGRAPH};
  std::string bytes;
  if (RenderGraphFigure(panelHandle, graphs, format, scale, &bytes) != 0) {
    Tell(kFigureTitle, "The figure could not be drawn, so nothing was written to\n" + path);
    return 0;
  }
  return Save(kFigureTitle, "figure", path, bytes);
}

int WriteFitTable(const std::string& path) {
  if (!status.dataLoaded) {
    Tell(kTableTitle, "There is no table without data: open a data file first.");
    return 0;
  }
  // the curves of the parameters as they stand, whether or not the graph has caught up
  const Recording& recording = ViewedRecording();
  const Evaluation evaluation = Evaluate(recording, params, InFitOf(status), status.baseline);
  return Save(kTableTitle, "table", path, FormatFitTable(FitTableOf(recording, evaluation)));
}

int Export_Figure() {
  const int graphs = QuestionPopup(kFigureTitle, "Which graphs should the figure show?",
                                   {"Data Graph", "All Three Graphs", "Cancel"}, kDataGraph);
  if (graphs != kDataGraph && graphs != kAllGraphs) return 0;
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), "*.pdf", "*.pdf;*.svg;*.png",
                                     kFigureTitle, VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;
  path = WithDefaultExtension(path, ".pdf");
  const int format = FigureFormatOf(path);
  if (format < 0) {
    Tell(kFigureTitle,
         "A figure is written as PDF, SVG or PNG: give the file the extension "
         ".pdf, .svg or .png.\nNothing was written to\n" +
             path);
    return 0;
  }
  double scale = kDefaultFigureScale;
  if (format == FIGURE_PNG) {
    const int answer = QuestionPopup(kFigureTitle, "The resolution of the PNG image:",
                                     {"1x", "2x", "4x", "Cancel"}, kDefaultScaleAnswer);
    if (answer < 0 || answer >= static_cast<int>(std::size(kScales))) return 0;
    scale = kScales[answer];
  }
  if (WriteFigure(path, graphs == kAllGraphs, format, scale) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}

int Export_Table() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), "*.csv", "*.csv", kTableTitle,
                                     VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;
  path = WithDefaultExtension(path, ".csv");
  if (WriteFitTable(path) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}
