// Reading the command line: the window's files, the options of the headless forms, and the
// usage that is refused.
#include <sstream>

#include "app/cli.h"
#include "test_support.h"

namespace {

// What a command asks for, in one line: the mode, the four files, then every option given.
std::string Summary(const CliCommand& c) {
  std::ostringstream s;
  s << static_cast<int>(c.mode) << " [" << c.output << "] [" << c.dataFile << "] [" << c.paramFile
    << "] [" << c.sessionFile << "]";
  if (c.headerLines) s << " header " << *c.headerLines;
  if (c.xMin) s << " xmin " << *c.xMin;
  if (c.xMax) s << " xmax " << *c.xMax;
  if (c.baseline) s << " baseline " << *c.baseline;
  for (double v : c.traceV) s << " v " << v;
  if (c.select) s << " select " << c.select;
  if (c.figureFormat) s << " format " << *c.figureFormat;
  if (c.figurePanels) s << " panels " << *c.figurePanels;
  if (c.publication) s << " publication " << *c.publication;
  if (c.widthMm) s << " mm " << *c.widthMm << "x" << *c.heightMm;
  if (c.dpi) s << " dpi " << *c.dpi;
  if (c.freeList) s << " free " << *c.freeList;
  if (c.fixList) s << " fix " << *c.fixList;
  for (const std::string& bound : c.bounds) s << " bounds " << bound;
  if (c.json) s << " json";
  for (int n : c.nmodlCurrents) s << " current " << n;
  if (c.densityArea) s << " area " << *c.densityArea;
  if (c.q10) s << " q10 " << *c.q10 << " at " << *c.celsius;
  return s.str();
}

}  // namespace

// Files alone open the window (a lone .pavik file is a session); "--" ends the options;
// --render's parameter file is optional; --polish writes --out, and its lists of one kind join
// (the program's refusals are tested in cli_polish_test).
TEST(ParseCommandLine, EveryFormTakesItsOptions) {
  const struct {
    std::vector<std::string> args;
    std::string summary;
  } cases[] = {
      {{}, "0 [] [] [] []"},
      {{"a.txt", "b.fit"}, "0 [] [a.txt] [b.fit] []"},
      {{"day.pavik"}, "0 [] [] [] [day.pavik]"},
      {{"--", "--odd-name.txt"}, "0 [] [--odd-name.txt] [] []"},
      {{"--fits", "-", "a.txt", "b.fit", "--header-lines", "3", "--xmin=1.5", "--xmax", "9",
        "--baseline", "-0.25", "--trace-v", "-40,0,40"},
       "1 [-] [a.txt] [b.fit] [] header 3 xmin 1.5 xmax 9 baseline -0.25 v -40 v 0 v 40"},
      {{"--render", "p.png", "a.txt", "--select", "3"}, "2 [p.png] [a.txt] [] [] select 3"},
      {{"--render", "f.pdf", "a.txt", "--format", "pdf", "--graphs=all"},
       "2 [f.pdf] [a.txt] [] [] format " + std::to_string(FIGURE_PDF) + " panels 3"},
      {{"--render", "f.png", "a.txt", "--graphs", "data+residuals", "--style", "window",
        "--size-mm", "180,75.5", "--dpi", "600"},
       "2 [f.png] [a.txt] [] [] panels 1 publication 0 mm 180x75.5 dpi 600"},
      {{"--polish", "a.txt", "b.fit", "--out", "c.fit", "--fix", "1.Vm", "--json", "--fix=1.Km",
        "--bounds", "1.Vtm=-60:-20", "--xmax", "9"},
       "5 [c.fit] [a.txt] [b.fit] [] xmax 9 fix 1.Vm,1.Km bounds 1.Vtm=-60:-20 json"},
      {{"--export-nmodl", "b.fit", "mods", "--currents", "1,3", "--density=100", "--q10", "3",
        "--celsius", "6.3"},
       "6 [mods] [] [b.fit] [] current 1 current 3 area 100 q10 3 at 6.3"},
  };
  for (const auto& c : cases) {
    const CliCommand command = ParseCommandLine(c.args);
    EXPECT_EQ(command.error, "") << c.summary;
    EXPECT_EQ(Summary(command), c.summary);
  }
}

// Values that do not read wholly, a missing value, two modes, an output given twice, and
// options of another form.
TEST(ParseCommandLine, WrongUsageIsRefused) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--fits", "-", "a", "b", "--xmin", "1e999"},
                                             {"--fits", "-", "a", "b", "--xmax", "3ms"},
                                             {"--fits", "-", "a", "b", "--trace-v", "1,,2"},
                                             {"--fits", "-", "a", "b", "--header-lines"},
                                             {"--fits", "-", "a", "b", "--format", "svg"},
                                             {"--fits", "--report", "a"},
                                             {"--render", "f", "a", "--format", "jpg"},
                                             {"--render", "f", "a", "--graphs", "some"},
                                             {"--render", "f", "a", "--size-mm", "85"},
                                             {"--render", "f", "a", "--size-mm", "85,5"},
                                             {"--render", "f", "a", "--dpi", "50"},
                                             {"--polish", "a", "b", "--out", "c", "--out", "d"},
                                             {"a", "b", "--free", "1.Vm"},
                                             {"--export-nmodl", "b", "d", "--q10", "3"},
                                             {"--export-nmodl", "b", "d", "--density", "0"},
                                             {"--export-nmodl", "b", "d", "--currents", "11"},
                                             {"--export-nmodl", "b", "d", "--xmin", "1"},
                                             {"--fits", "-", "a", "b", "--density", "9"}}) {
    EXPECT_NE(ParseCommandLine(args).error, "") << args.back();
  }
}

// The analysis window is given in the program's time unit, ms, not in the file's seconds.
TEST(CommandLineHelp, GivesTheWindowInMilliseconds) {
  EXPECT_NE(CommandLineHelp().find("--xmin T, --xmax T  the analysis window in ms"),
            std::string::npos);
}
