// Figures and tables for use outside Pavik: the graphs as PDF, SVG or PNG, and the fit as a
// CSV table, with their dialogs.
#pragma once

#include <string>

constexpr double kDefaultFigureScale = 2.0;  // PNG pixels per figure unit: sharp on a slide

// FIGURE_PDF, FIGURE_SVG or FIGURE_PNG from the name's extension (".pdf", ".svg", ".png" in
// any case); -1 when it has none of them.
int FigureFormatOf(const std::string& path);
// The data graph, or all three graphs, into path; 1 on success, 0 + message.
int WriteFigure(const std::string& path, bool allGraphs, int format, double scale);
int WriteFitTable(const std::string& path);  // the CSV table of the fit; 1, or 0 + message
int Export_Figure();                         // questions and dialog, then WriteFigure
int Export_Table();                          // dialog, then WriteFitTable
int Export_Nmodl();  // folder dialog and questions, then one NEURON mechanism per current
