// Figures and tables for use outside Pavik: the choices asked for, the bytes made by the graphs'
// renderer or the table's formatter, and the safe save that writes every file of Pavik.
#include "app/export.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <vector>

#include "app/pavik.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "fit/regions.h"
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
enum SizeAnswer { kOneColumn = 0, kTwoColumns = 1, kAsInTheWindow = 2 };
constexpr double kScales[] = {1.0, 2.0, 4.0};  // the PNG resolutions offered in the window's look
constexpr int kDpis[] = {300, 600};            // and for a paper
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

double DefaultFigureHeightMm(int panels) {
  switch (panels) {
    case kFigureDataResiduals:
      return 75.0;
    case kFigureCurves:
      return 45.0;
    case kFigureAll:
      return 125.0;
    default:
      return 60.0;
  }
}

int RenderFigure(const FigureChoice& choice, int format, std::string* bytes) {
  const bool data = choice.panels != kFigureCurves;
  const bool residuals = choice.panels == kFigureDataResiduals || choice.panels == kFigureAll;
  const bool curves = choice.panels == kFigureCurves || choice.panels == kFigureAll;
  if (!choice.publication) {
    std::vector<int> graphs;
    if (data) graphs.push_back(PANEL_GRAPH);
    if (residuals) graphs.push_back(PANEL_RESIDUALS);
    if (curves) graphs.insert(graphs.end(), {PANEL_MHGRAPH, PANEL_TAUGRAPH});
    return RenderGraphFigure(panelHandle, graphs, format, choice.scale, bytes);
  }
  PaperFigure figure;
  figure.topGraph = data ? PANEL_GRAPH : 0;
  figure.stripGraph = residuals ? PANEL_RESIDUALS : 0;
  figure.stripTitle = "Residual (nA)";
  if (curves) figure.lowerGraphs = {PANEL_MHGRAPH, PANEL_TAUGRAPH};
  figure.widthMm = choice.widthMm.value_or(kOneColumnMm);
  figure.heightMm = choice.heightMm.value_or(DefaultFigureHeightMm(choice.panels));
  figure.dpi = choice.dpi;
  // The legend names each trace's fit by its step voltage, in the fit's colour.
  // A family of many traces is named by its first and last: a line each would fill the page.
  const int traces = data && status.dataLoaded ? LoadedTraces() : 0;
  for (int k = 0; k < traces; ++k) {
    if (traces > kMaxTraces && k > 0 && k < traces - 1) {
      if (k == 1)
        figure.legend.push_back({"… " + std::to_string(traces - 2) + " more", TraceColor(k)});
      continue;
    }
    char number[32];
    const auto end = std::to_chars(number, number + sizeof number, TraceStepVoltage(k)).ptr;
    figure.legend.push_back({std::string(number, end) + " mV", TraceColor(k)});
  }
  return RenderPaperFigure(panelHandle, figure, format, bytes);
}

int WriteFigure(const std::string& path, const FigureChoice& choice, int format) {
  std::string bytes;
  if (RenderFigure(choice, format, &bytes) != 0) {
    Tell(kFigureTitle, "The figure could not be drawn, so nothing was written to\n" + path);
    return 0;
  }
  return Save(kFigureTitle, "figure", path, bytes);
}

int WriteFitTable(const std::string& path, bool wholeSpan) {
  if (!status.dataLoaded) {
    Tell(kTableTitle, "There is no table without data: open a data file first.");
    return 0;
  }
  // the curves of the parameters as they stand, whether or not the graph has caught up
  const Recording& recording = ViewedRecording();
  const Evaluation evaluation = Evaluate(recording, params, InFitOf(status), status.baseline);
  FitTable table = FitTableOf(recording, evaluation, wholeSpan);
  for (double t : recording.times) {
    table.excluded.push_back(std::any_of(loadedRecording.excluded.begin(),
                                         loadedRecording.excluded.end(),
                                         [t](const TimeRegion& r) { return InRegion(r, t); }));
  }
  return Save(kTableTitle, "table", path, FormatFitTable(table));
}

int Export_Figure() {
  FigureChoice choice;
  choice.panels =
      QuestionPopup(kFigureTitle, "Which graphs should the figure show?",
                    {"Data Graph", "Data and Residuals", "Curve Graphs", "All"}, kFigureData);
  if (choice.panels < kFigureData || choice.panels > kFigureAll) return 0;  // closed
  const int size = QuestionPopup(
      kFigureTitle, "The figure for a paper, one or two columns wide, or as the window shows it:",
      {"One Column (85 mm)", "Two Columns (180 mm)", "As in the Window", "Cancel"}, kOneColumn);
  if (size != kOneColumn && size != kTwoColumns && size != kAsInTheWindow) return 0;
  choice.publication = size != kAsInTheWindow;
  if (size == kTwoColumns) choice.widthMm = kTwoColumnsMm;
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
  if (format == FIGURE_PNG && choice.publication) {
    const int answer = QuestionPopup(
        kFigureTitle, "The resolution of the PNG image:", {"300 dpi", "600 dpi", "Cancel"}, 0);
    if (answer < 0 || answer >= static_cast<int>(std::size(kDpis))) return 0;
    choice.dpi = kDpis[answer];
  } else if (format == FIGURE_PNG) {
    const int answer = QuestionPopup(kFigureTitle, "The resolution of the PNG image:",
                                     {"1x", "2x", "4x", "Cancel"}, kDefaultScaleAnswer);
    if (answer < 0 || answer >= static_cast<int>(std::size(kScales))) return 0;
    choice.scale = kScales[answer];
  }
  if (WriteFigure(path, choice, format) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}

int Export_Table() {
  const int span = QuestionPopup(kTableTitle, "Which samples should the table hold?",
                                 {"The Analysis Window", "The Whole Recording", "Cancel"}, 0);
  if (span != 0 && span != 1) return 0;
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), "*.csv", "*.csv", kTableTitle,
                                     VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;
  path = WithDefaultExtension(path, ".csv");
  if (WriteFitTable(path, span == 1) != 1) return 0;
  RememberFileUsed(path);
  return 1;
}
