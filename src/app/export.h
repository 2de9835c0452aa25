// Figures and tables for use outside Pavik: the graphs as PDF, SVG or PNG, and the fit as a
// CSV table, with their dialogs.
#pragma once

#include <string>

#include <optional>

constexpr double kDefaultFigureScale = 2.0;  // PNG pixels per figure unit: sharp on a slide
constexpr double kOneColumnMm = 85.0;        // a journal's column
constexpr double kTwoColumnsMm = 180.0;      // a journal's page width
constexpr int kDefaultFigureDpi = 300;

// The graphs a figure shows.
enum FigurePanels { kFigureData = 0, kFigureDataResiduals = 1, kFigureCurves = 2, kFigureAll = 3 };

struct FigureChoice {
  int panels = kFigureData;                 // FigurePanels
  bool publication = true;                  // the paper's style; false: the window's look
  std::optional<double> widthMm, heightMm;  // the page (publication); default by the panels
  int dpi = kDefaultFigureDpi;              // publication PNG
  double scale = kDefaultFigureScale;       // window-style PNG
};

// FIGURE_PDF, FIGURE_SVG or FIGURE_PNG from the name's extension (".pdf", ".svg", ".png" in
// any case); -1 when it has none of them.
int FigureFormatOf(const std::string& path);
double DefaultFigureHeightMm(int panels);  // of a one-column figure of those graphs
// The figure's bytes in format; 0 on success, the run-time's error otherwise.
int RenderFigure(const FigureChoice& choice, int format, std::string* bytes);
// The figure into path; 1 on success, 0 + message.
int WriteFigure(const std::string& path, const FigureChoice& choice, int format);
// The CSV table of the fit over the analysis window, or the whole span; 1, or 0 + message.
int WriteFitTable(const std::string& path, bool wholeSpan = false);
int Export_Figure();  // questions and dialog, then WriteFigure
int Export_Table();   // which samples, the dialog, then WriteFitTable
int Export_Nmodl();   // folder dialog and questions, then one NEURON mechanism per current
