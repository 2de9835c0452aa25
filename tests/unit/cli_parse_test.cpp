// Reading the command line: the window's files, the options of the headless forms, and the
// usage that is refused with its reason.
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
  if (c.import.command) s << " command " << static_cast<int>(*c.import.command);
  if (c.import.leak)
    s << " leak " << static_cast<int>(*c.import.leak) << " " << c.import.leakFromMs << ":"
      << c.import.leakToMs;
  if (c.import.pnSweep) s << " pn " << *c.import.pnSweep;
  if (c.import.sweeps) s << " sweeps " << c.import.sweeps->size();
  if (c.import.averageRepeats) s << " repeats";
  for (const CliCommand& also : c.also) s << " also {" << Summary(also) << "}";
  return s.str();
}

}  // namespace

// Files alone open the window (a lone .pavik file is a session, a lone .fit file a parameter
// file); "--" ends the options; --render's parameter file is optional; --polish writes --out,
// and its lists of one kind join.
TEST(ParseCommandLine, EveryFormTakesItsOptions) {
  const struct {
    std::vector<std::string> args;
    std::string summary;
  } cases[] = {
      {{}, "0 [] [] [] []"},
      {{"a.txt", "b.fit"}, "0 [] [a.txt] [b.fit] []"},
      {{"day.pavik"}, "0 [] [] [] [day.pavik]"},
      {{"day.fit"}, "0 [] [] [day.fit] []"},
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
      {{"--fits", "-", "s.abf", "b.fit", "--command", "steps", "--leak", "30:60", "--pn", "2"},
       "1 [-] [s.abf] [b.fit] [] command 1 leak 2 30:60 pn 2"},
      {{"--convert", "s.abf", "x.txt", "--command=single", "--leak", "hold"},
       "4 [x.txt] [s.abf] [] [] command 0 leak 1 0:0"},
      {{"--convert", "s.abf", "x.txt", "--sweeps", "all", "--average"},
       "4 [x.txt] [s.abf] [] [] sweeps 0 repeats"},
      {{"--convert", "s.abf", "x.txt", "--sweeps", "1,2,3,4,5,6,7"},
       "4 [x.txt] [s.abf] [] [] sweeps 7"},
      // the options after an --also are that recording's; those before, the first one's
      {{"--polish", "a.abf", "b.fit", "--out", "c.fit", "--xmax", "9", "--also", "d.abf", "--pn",
        "1", "--xmin=2", "--also", "--noise", "0:1", "e.txt"},
       "5 [c.fit] [a.abf] [b.fit] [] xmax 9 also {0 [] [d.abf] [] [] xmin 2 pn 1} "
       "also {0 [] [e.txt] [] []}"},
      {{"--polish", "a.abf", "b.fit", "--out", "c.fit", "--also", "d.abf", "--average"},
       "5 [c.fit] [a.abf] [b.fit] [] also {0 [] [d.abf] [] [] repeats}"},
  };
  for (const auto& c : cases) {
    const CliCommand command = ParseCommandLine(c.args);
    EXPECT_EQ(command.error, "") << c.summary;
    EXPECT_EQ(Summary(command), c.summary);
  }
}

// Values that do not read wholly, a missing value, two modes, options of another form or in
// the wrong number: each refused with its reason (the program then exits with status 2).
TEST(ParseCommandLine, WrongUsageIsRefused) {
  const std::vector<std::string> fits = {"--fits", "-", "a", "b"};
  const std::vector<std::string> abf = {"--fits", "-", "s.abf", "b"};
  const auto with = [](std::vector<std::string> base, const std::vector<std::string>& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
  };
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {with(fits, {"--xmin", "1e999"}), "--xmin takes a number, not \"1e999\""},
      {with(fits, {"--xmax", "3ms"}), "--xmax takes a number"},
      {with(fits, {"--baseline", "nan"}), "--baseline takes a number"},
      {with(fits, {"--trace-v", "1,,2"}), "--trace-v takes one to 64 numbers"},
      {with(fits, {"--header-lines", "-1"}), "--header-lines takes a whole number from 0"},
      {with(fits, {"--header-lines"}), "--header-lines needs a value"},
      {with(fits, {"--select", "2"}), "--select belongs to --render"},
      {with(fits, {"--format", "svg"}), "belong to --render"},
      {with(fits, {"--exclude", "2"}), "--exclude takes FROM:TO in ms"},
      {with(fits, {"--exclude", "3:1"}), "--exclude takes FROM:TO in ms"},
      {with(fits, {"--noise", "0:1", "--noise", "1:2"}), "--noise takes one region"},
      {{"--fits", "-", "a"}, "--fits needs OUT, DATAFILE and PARAMFILE"},
      {{"--fits", "--report", "a"}, "only one of --fits, --render"},
      {{"--render", "f", "a", "--format", "jpg"}, "--format takes pdf, svg or png"},
      {{"--render", "f", "a", "--graphs", "some"}, "--graphs takes data,"},
      {{"--render", "f", "a", "--select", "11"}, "--select takes a current number from 1 to 10"},
      {{"--render", "f", "a", "--residuals"}, "--residuals belongs to --fits"},
      {{"--report"}, "--report needs one PARAMFILE and nothing else"},
      {{"--report", "b", "--json"}, "belong to --polish"},
      {{"a", "b", "extra"}, "at most a data file and a parameter file"},
      {{"a", "--baseline", "1"}, "the options need --fits, --render or --polish"},
      {{"a", "--residuals"}, "the options need --fits, --render or --polish"},
      {{"a", "b", "--free", "1.Vm"}, "belong to --polish"},
      {{"--sweeps", "1"}, "the import options need a data file"},
      {{"--convert", "s.abf"}, "--convert needs IN and OUT.txt"},
      {{"--convert", "s.abf", "x.txt", "--xmin", "1"}, "--convert takes only the import options"},
      {with(abf, {"--sweeps", "0"}), "--sweeps takes all, or sweep numbers from 1"},
      {with(abf, {"--sweeps", "all,1"}), "--sweeps takes all, or sweep numbers from 1"},
      {with(abf, {"--voltage", "chan:1"}), "--voltage takes command or channel:N"},
      {with(abf, {"--channel", "17"}), "--channel takes a channel number from 1 to 16"},
      {with(abf, {"--from", "1"}), "--from and --to go together"},
      {with(abf, {"--from", "x", "--to", "2"}), "--from takes a time in ms"},
      {with(abf, {"--sweeps", "1,2", "--trace-v", "-50"}), "one voltage for each sweep"},
      {with(abf, {"--command", "all"}), "--command takes single or steps"},
      {with(abf, {"--leak", "5"}), "--leak takes hold, or FROM:TO"},
      {with(abf, {"--pn", "0"}), "--pn takes the number of a sweep"},
      {with(abf, {"--command-levels", "-80; 10 -60"}), "row 2 needs a start time"},
      {{"--polish", "a", "b"}, "--polish needs --out OUT.fit"},
      {{"--polish", "a", "--out", "c"}, "--polish needs DATAFILE and PARAMFILE"},
      {{"--polish", "a", "b", "--out", "-"}, "--out takes a file name"},
      {{"--polish", "a", "b", "--out", "c", "--out", "d"}, "--out takes one file"},
      {{"--polish", "a", "b", "--out", "c", "--select", "1"}, "belong to --render"},
      {{"--polish", "a", "b", "--out", "c", "--also"}, "--also needs one DATAFILE"},
      {{"--polish", "a", "b", "--also", "d", "--out", "c"}, "--out belongs to the whole command"},
      {{"--report", "a", "--also", "d"}, "--also belongs to --polish, --fits and --render"},
      {{"--render", "f", "a", "--recording", "3", "--also", "d"}, "only 2 recording(s)"},
      {{"--fits", "f", "a", "b", "--recording", "2"}, "--recording belongs to --render"},
      {{"--polish", "day.pavik", "--out", "c", "--xmin", "1"}, "the session's own"},
      {{"--fits", "-", "a", "b", "--also", "d"}, "give OUT as a name"},
  };
  for (const auto& c : cases) {
    const std::string error = ParseCommandLine(c.args).error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.reason << ": " << error;
  }
  // the figure and mechanism options: each refused
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--render", "f", "a", "--size-mm", "85"},
                                             {"--render", "f", "a", "--size-mm", "85,5"},
                                             {"--render", "f", "a", "--dpi", "50"},
                                             {"--export-nmodl", "b", "d", "--q10", "3"},
                                             {"--export-nmodl", "b", "d", "--density", "0"},
                                             {"--export-nmodl", "b", "d", "--currents", "11"},
                                             {"--export-nmodl", "b", "d", "--xmin", "1"},
                                             {"--fits", "-", "a", "b", "--density", "9"}}) {
    EXPECT_NE(ParseCommandLine(args).error, "") << args.back();
  }
}
