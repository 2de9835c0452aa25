// The command line: opening files in the window at start, the headless export of the fitted
// curves, the offscreen render of the main panel, the text report of a parameter file, the
// conversion of an amplifier file into a text data file, the least-squares polish and the
// export of NEURON mechanisms.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fit/regions.h"
#include "io/abf/import_options.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFileError = 1;  // a file could not be read or written
constexpr int kExitUsage = 2;      // the arguments do not form a command
constexpr int kExitDoubtful = 3;   // a polish written, but not converged or with a warning

enum class CliMode { Window, Fits, Render, Report, Convert, Polish, ExportNmodl, Help, Version };

// What the arguments ask for; error is non-empty when they ask for nothing sensible.
struct CliCommand {
  CliMode mode = CliMode::Window;
  std::string output;     // the file written ("-": standard output; --polish: its --out)
  std::string dataFile;   // may be empty in the window
  std::string paramFile;  // may be empty in the window and for --render
  std::optional<int> headerLines;
  std::optional<double> xMin, xMax, baseline;
  std::vector<double> traceV;  // up to six step voltages, trace 1 first
  int select = 0;              // current to select before drawing, 1-based; 0: leave it
  std::string sessionFile;     // the window: a session to open instead of the files
  // --render: the graphs as a figure in this format (FIGURE_PDF, _SVG, _PNG) instead of the
  // whole panel: which graphs (FigurePanels), in the paper's style or the window's, the page in
  // mm and the PNG's dots per inch
  std::optional<int> figureFormat;
  std::optional<int> figurePanels;
  std::optional<bool> publication;
  std::optional<double> widthMm, heightMm;
  std::optional<int> dpi;
  std::vector<TimeRegion> excluded;  // --exclude: stretches left out of the RMS (ms)
  std::optional<TimeRegion> noise;   // --noise: the stretch whose spread is the noise (ms)
  bool residuals = false;            // --residuals: a residual column after each fit
  ImportOptions import;              // how an amplifier data file becomes a recording
  // --polish: the --free and --fix lists (several of one kind joined), the --bounds items
  // (CURRENT.FIELD=LO:HI, checked once the parameter file says what is in the fit), --json
  std::optional<std::string> freeList, fixList;
  std::vector<std::string> bounds;
  bool json = false;
  // --export-nmodl: the currents exported (1-based; empty: those in the fit), density
  // mechanisms for a membrane area (um2), the Q10 and the recording's temperature (degC)
  std::vector<int> nmodlCurrents;
  std::optional<double> densityArea, q10, celsius;
  // --polish, --fits: further recordings fitted to the same currents, each with the options
  // written after its --also (data file, import options, window, regions, noise, command).
  std::vector<CliCommand> also;
  int recording = 1;  // --render: the recording drawn, 1 the first, 2 the first --also's, ...
  std::string error;
};

CliCommand ParseCommandLine(const std::vector<std::string>& args);  // args without argv[0]
std::string CommandLineHelp();
// Runs what argv asks for and returns the exit status (the window's result when it opens).
int RunCommandLine(int argc, char* argv[]);
