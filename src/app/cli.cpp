// The command line: reads the arguments, says what is wrong with them, and runs the job they
// name (the jobs are in cli_*.cpp, one file each).
#include "app/cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "app/cli_jobs.h"
#include "app/pavik.h"
#include "app/session_file.h"
#include "io/abf/import_options.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "model/model.h"
#include "model/recording.h"
#include "model/typed_command.h"
#include "platform/platform.h"

namespace {

constexpr int kMaxHeaderLines = 1000000;  // far beyond any recording's header

std::optional<double> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> ParseCount(const std::string& text, int max) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < 0 || value > max) return std::nullopt;
  return static_cast<int>(value);
}

bool ParseVoltages(const std::string& text, std::vector<double>* voltages) {
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const auto value = ParseNumber(text.substr(start, comma - start));
    if (!value) return false;
    voltages->push_back(*value);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  // An amplifier file may hold every sweep of a family; a text data file takes at most six, which
  // is checked once the file is read.
  return voltages->size() <= static_cast<size_t>(kMaxImportedTraces);
}

// "all" is every sweep of the file: the empty list.
std::optional<std::vector<int>> ParseSweeps(const std::string& text) {
  std::vector<int> sweeps;
  if (text == "all") return sweeps;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const auto sweep = ParseCount(text.substr(start, comma - start), kMaxAmplifierSweeps);
    if (!sweep || *sweep < 1) return std::nullopt;
    sweeps.push_back(*sweep);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  // The import says how many traces a recording may hold: averaged repeats may come from more.
  if (sweeps.size() > static_cast<size_t>(kMaxAmplifierSweeps)) return std::nullopt;
  return sweeps;
}

// The options that say how an amplifier file becomes a recording; "" or why one is wrong.
std::string ParseImportOption(const std::string& name, const std::string& value,
                              ImportOptions* import) {
  const std::string channels = std::to_string(kMaxAmplifierChannels);
  if (name == "--sweeps") {
    import->sweeps = ParseSweeps(value);
    if (!import->sweeps) return "--sweeps takes all, or sweep numbers from 1 separated by commas";
  } else if (name == "--channel") {
    const auto channel = ParseCount(value, kMaxAmplifierChannels);
    if (!channel || *channel < 1) return "--channel takes a channel number from 1 to " + channels;
    import->currentChannel = *channel;
  } else if (name == "--voltage") {
    const std::string prefix = "channel:";
    if (value == "command") {
      import->voltageSource = VoltageSource::kCommand;
    } else if (const auto channel =
                   value.rfind(prefix, 0) == 0
                       ? ParseCount(value.substr(prefix.size()), kMaxAmplifierChannels)
                       : std::nullopt;
               channel && *channel >= 1) {
      import->voltageSource = VoltageSource::kChannel;
      import->voltageChannel = *channel;
    } else {
      return "--voltage takes command or channel:N (N from 1 to " + channels + ")";
    }
  } else if (name == "--leak") {
    if (value == "hold") {
      import->leak = LeakSubtraction::kHolding;
      return "";
    }
    const RegionParse parsed = ParseTimeRegion(value);
    if (!parsed.region)
      return "--leak takes hold, or FROM:TO in ms where no active current flows: " + parsed.error;
    import->leak = LeakSubtraction::kRange;
    import->leakFromMs = parsed.region->from;
    import->leakToMs = parsed.region->to;
  } else if (name == "--command-levels") {
    std::vector<TypedCommandRow> rows;
    if (std::string why = ParseTypedCommand(value, {HUGE_VAL, 0}, &rows); !why.empty())
      return "--command-levels takes HOLD; START: LEVEL INCREMENT; ... (ms, mV): " + why;
    import->typedCommand = value;
  } else if (name == "--pn") {
    const auto sweep = ParseCount(value, kMaxAmplifierSweeps);
    if (!sweep || *sweep < 1) return "--pn takes the number of a sweep in which no channel opens";
    import->pnSweep = *sweep;
  } else {
    const auto ms = ParseNumber(value);
    if (!ms) return name + " takes a time in ms, not \"" + value + "\"";
    (name == "--from" ? import->fromMs : import->toMs) = ms;
  }
  return "";
}

bool IsNmodlOption(const std::string& name) {
  return name == "--currents" || name == "--density" || name == "--q10" || name == "--celsius";
}

// The --export-nmodl options; "" or why one is wrong.
std::string ParseNmodlOption(const std::string& name, const std::string& value,
                             CliCommand* command) {
  if (name == "--currents") {
    size_t start = 0;
    while (true) {
      const size_t comma = value.find(',', start);
      const auto n = ParseCount(value.substr(start, comma - start), kMaxCurrents);
      if (!n || *n < 1) return "--currents takes current numbers from 1 to 10, separated by commas";
      command->nmodlCurrents.push_back(*n);
      if (comma == std::string::npos) return "";
      start = comma + 1;
    }
  }
  const auto number = ParseNumber(value);
  if (name == "--celsius") {
    if (!number) return "--celsius takes the recording's temperature in degrees Celsius";
    command->celsius = number;
  } else if (!number || *number <= 0) {
    return name == "--density" ? "--density takes the membrane area in um2, above 0"
                               : "--q10 takes a number above 0";
  } else {
    (name == "--density" ? command->densityArea : command->q10) = number;
  }
  return "";
}

bool IsImportOption(const std::string& name) {
  return name == "--sweeps" || name == "--channel" || name == "--voltage" || name == "--from" ||
         name == "--to" || name == "--leak" || name == "--pn" || name == "--command-levels";
}

// Reads one "--name VALUE" option; "" or why it is wrong.
std::string ParseOption(const std::string& name, const std::string& value, CliCommand* command) {
  if (IsImportOption(name)) return ParseImportOption(name, value, &command->import);
  if (IsNmodlOption(name)) return ParseNmodlOption(name, value, command);
  if (name == "--header-lines") {
    command->headerLines = ParseCount(value, kMaxHeaderLines);
    if (!command->headerLines) return "--header-lines takes a whole number from 0";
  } else if (name == "--xmin" || name == "--xmax" || name == "--baseline") {
    const auto number = ParseNumber(value);
    if (!number) return name + " takes a number, not \"" + value + "\"";
    (name == "--xmin"   ? command->xMin
     : name == "--xmax" ? command->xMax
                        : command->baseline) = number;
  } else if (name == "--trace-v") {
    command->traceV.clear();
    if (!ParseVoltages(value, &command->traceV))
      return "--trace-v takes one to " + std::to_string(kMaxImportedTraces) +
             " numbers separated by commas";
  } else if (name == "--command") {
    if (value != "single" && value != "steps") return "--command takes single or steps";
    command->import.command = value == "single" ? CommandMode::kSingle : CommandMode::kSteps;
  } else if (name == "--format") {
    if (value != "pdf" && value != "svg" && value != "png") return "--format takes pdf, svg or png";
    command->figureFormat = value == "pdf" ? FIGURE_PDF : value == "svg" ? FIGURE_SVG : FIGURE_PNG;
  } else if (name == "--graphs") {
    const std::vector<std::string> panels = {"data", "data+residuals", "curves", "all"};
    const auto found = std::find(panels.begin(), panels.end(), value);
    if (found == panels.end()) return "--graphs takes data, data+residuals, curves or all";
    command->figurePanels = static_cast<int>(found - panels.begin());
  } else if (name == "--style") {
    if (value != "publication" && value != "window") return "--style takes publication or window";
    command->publication = value == "publication";
  } else if (name == "--size-mm") {
    const size_t comma = value.find(',');
    const auto width = ParseNumber(value.substr(0, comma));
    const auto height =
        comma == std::string::npos ? std::nullopt : ParseNumber(value.substr(comma + 1));
    const auto fits = [](const std::optional<double>& mm) {
      return mm && *mm >= kMinFigureMm && *mm <= kMaxFigureMm;
    };
    if (!fits(width) || !fits(height))
      return "--size-mm takes the width and height in mm, W,H, each from 20 to 500";
    command->widthMm = width;
    command->heightMm = height;
  } else if (name == "--dpi") {
    command->dpi = ParseCount(value, kMaxFigureDpi);
    if (!command->dpi || *command->dpi < kMinFigureDpi)
      return "--dpi takes the PNG's dots per inch, from 72 to 1200 (300 or 600 for print)";
  } else if (name == "--exclude" || name == "--noise") {
    const RegionParse parsed = ParseTimeRegion(value);
    if (!parsed.region) return name + " takes FROM:TO in ms: " + parsed.error;
    if (name == "--noise" && command->noise) return "--noise takes one region";
    if (name == "--exclude")
      command->excluded.push_back(*parsed.region);
    else
      command->noise = parsed.region;
  } else if (name == "--out") {
    if (value.empty()) return "--out needs a file name";
    if (!command->output.empty()) return "--out takes one file";
    command->output = value;
  } else if (name == "--free" || name == "--fix") {
    // Several lists of one kind are one list: "--fix 1.Vm --fix 1.Km" fixes both.
    std::optional<std::string>& list = name == "--free" ? command->freeList : command->fixList;
    list = list ? *list + "," + value : value;
  } else if (name == "--bounds") {
    command->bounds.push_back(value);
  } else if (name == "--recording") {
    const std::optional<int> n = ParseCount(value, kMaxRecordings);
    if (!n || *n < 1)
      return "--recording takes a recording number from 1 to " + std::to_string(kMaxRecordings);
    command->recording = *n;
  } else if (name == "--select") {
    const auto n = ParseCount(value, kMaxCurrents);
    if (!n || *n < 1) return "--select takes a current number from 1 to 10";
    command->select = *n;
  } else {
    return "unknown option " + name;
  }
  return "";
}

bool TakesValue(const std::string& name) {
  return name == "--header-lines" || name == "--xmin" || name == "--xmax" || name == "--baseline" ||
         name == "--trace-v" || name == "--select" || name == "--format" || name == "--graphs" ||
         name == "--style" || name == "--size-mm" || name == "--dpi" || name == "--exclude" ||
         name == "--noise" || name == "--out" || name == "--free" || name == "--fix" ||
         name == "--bounds" || name == "--command" || name == "--recording" ||
         IsImportOption(name) || IsNmodlOption(name);
}

bool AsksForAFigure(const CliCommand& command) {
  return command.figureFormat || command.figurePanels || command.publication || command.widthMm ||
         command.dpi;
}

bool UsesPolishOptions(const CliCommand& command) {
  return !command.output.empty() || command.freeList || command.fixList ||
         !command.bounds.empty() || command.json;
}

// Import options that only make sense together, given alone or unmatched; "" when none.
std::string UnpairedImportOptions(const CliCommand& command) {
  const ImportOptions& import = command.import;
  if (import.fromMs.has_value() != import.toMs.has_value()) return "--from and --to go together";
  if (import.sweeps && !command.traceV.empty() && import.sweeps->size() != command.traceV.size())
    return "--trace-v needs one voltage for each sweep of --sweeps";
  return "";
}

// The value of the option args[*at]: after its "=", or the next argument (*at then moves on to
// it); empty when there is none.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, size_t* at) {
  const std::string& arg = args[*at];
  if (const size_t equals = arg.find('='); equals != std::string::npos)
    return arg.substr(equals + 1);
  if (*at + 1 < args.size()) return args[++*at];
  return std::nullopt;
}

std::string CheckPositionals(CliCommand* command, const std::vector<std::string>& positionals,
                             bool usedOptions, bool onlyImportOptions, bool onlyNmodlOptions) {
  const size_t n = positionals.size();
  if (std::string why = UnpairedImportOptions(*command); !why.empty()) return why;
  // Before any output is taken from the positionals, output is set by --out alone.
  if (command->mode != CliMode::Polish && UsesPolishOptions(*command))
    return "--out, --free, --fix, --bounds and --json belong to --polish";
  const bool nmodlOptions =
      !command->nmodlCurrents.empty() || command->densityArea || command->q10 || command->celsius;
  if (command->mode != CliMode::ExportNmodl && nmodlOptions)
    return "--currents, --density, --q10 and --celsius belong to --export-nmodl";
  switch (command->mode) {
    case CliMode::Window:
      if ((usedOptions && !onlyImportOptions) || command->residuals)
        return "the options need --fits, --render or --polish";
      if (usedOptions && n == 0) return "the import options need a data file";
      if (n > 2) return "at most a data file and a parameter file can be opened";
      if (n == 1 && positionals[0].ends_with(kSessionExtension)) {
        command->sessionFile = positionals[0];
        return "";
      }
      // A parameter file opened from the desktop comes alone; it is never a data file.
      if (n == 1 && !usedOptions && positionals[0].ends_with(kParamFileExtension)) {
        command->paramFile = positionals[0];
        return "";
      }
      if (n > 0) command->dataFile = positionals[0];
      if (n > 1) command->paramFile = positionals[1];
      return "";
    case CliMode::Fits:
      if (n != 3) return "--fits needs OUT, DATAFILE and PARAMFILE";
      if (command->select != 0) return "--select belongs to --render";
      if (AsksForAFigure(*command))
        return "--format, --graphs, --style, --size-mm and --dpi belong to --render";
      break;
    case CliMode::Render:
      if (n != 2 && n != 3) return "--render needs OUT.png, DATAFILE and perhaps PARAMFILE";
      if (command->residuals) return "--residuals belongs to --fits";
      break;
    case CliMode::Convert:
      if (!onlyImportOptions)
        return "--convert takes only the import options, --command and --trace-v";
      if (n != 2) return "--convert needs IN and OUT.txt";
      command->dataFile = positionals[0];
      command->output = positionals[1];
      command->import.typedVoltages = command->traceV;
      return "";
    case CliMode::Polish:
      if (n == 1 && positionals[0].ends_with(kSessionExtension)) {
        // The session's own data file, import choices, window and regions are the first
        // recording's; options for it would contradict them.
        if (command->headerLines || command->xMin || command->xMax || !command->traceV.empty() ||
            !command->excluded.empty() || command->noise || command->import.Any() ||
            command->import.command)
          return "with a session, the first recording's options are the session's own: give "
                 "only --out, --free, --fix, --bounds, --baseline, --json and --also";
        command->sessionFile = positionals[0];
      } else if (n != 2) {
        return "--polish needs DATAFILE and PARAMFILE, or SESSION.pavik";
      }
      if (command->output.empty())
        return "--polish needs --out OUT.fit, the parameter file it writes";
      if (command->output == kStandardOutput)
        return "--out takes a file name: the table of the polish goes to standard output";
      if (command->select != 0 || AsksForAFigure(*command))
        return "--select, --format, --graphs, --style, --size-mm and --dpi belong to --render";
      if (command->residuals) return "--residuals belongs to --fits";
      if (!command->sessionFile.empty()) return "";
      command->dataFile = positionals[0];
      command->paramFile = positionals[1];
      return "";
    case CliMode::Report:
      if (usedOptions || command->residuals || n != 1)
        return "--report needs one PARAMFILE and nothing else";
      command->paramFile = positionals[0];
      return "";
    case CliMode::ExportNmodl:
      if (n != 2) return "--export-nmodl needs PARAMFILE and OUTDIR";
      if (!onlyNmodlOptions || command->residuals || command->json)
        return "--export-nmodl takes only --currents, --density, --q10 and --celsius";
      if (command->q10.has_value() != command->celsius.has_value())
        return "--q10 and --celsius go together";
      command->paramFile = positionals[0];
      command->output = positionals[1];
      return "";
    case CliMode::Help:
    case CliMode::Version:
      return "";
  }
  command->output = positionals[0];
  command->dataFile = positionals[1];
  if (n > 2) command->paramFile = positionals[2];
  return "";
}

// An option that says how one recording is read and where it counts: it may follow --also.
bool IsRecordingOption(const std::string& name) {
  return IsImportOption(name) || name == "--command" || name == "--trace-v" || name == "--xmin" ||
         name == "--xmax" || name == "--exclude" || name == "--noise" || name == "--header-lines";
}

// The recording an --also brings: its data file and the options written after it, up to the
// next --also. "" or why they do not form one.
std::string ParseAlso(const std::vector<std::string>& args, CliCommand* recording) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind('-', 0) != 0) {
      files.push_back(arg);
      continue;
    }
    if (arg == "--average") {  // that recording's repeats averaged: a switch, no value
      recording->import.averageRepeats = true;
      continue;
    }
    const std::string name = arg.substr(0, arg.find('='));
    if (!IsRecordingOption(name)) {
      return arg +
             " belongs to the whole command: write it before the first --also (after an "
             "--also come that recording's data file, import options, --xmin, --xmax, "
             "--exclude, --noise and --command)";
    }
    const std::optional<std::string> value = OptionValue(args, &i);
    if (!value) return name + " needs a value";
    if (std::string why = ParseOption(name, *value, recording); !why.empty()) return why;
  }
  if (files.size() != 1) return "--also needs one DATAFILE, then that recording's options";
  recording->dataFile = files[0];
  return UnpairedImportOptions(*recording);
}

}  // namespace

CliCommand ParseCommandLine(const std::vector<std::string>& all) {
  CliCommand command;
  // Everything after the first --also (before a "--") belongs to the further recordings.
  const auto filesOnly = std::find(all.begin(), all.end(), "--");
  auto firstAlso = std::find(all.begin(), filesOnly, "--also");
  if (firstAlso == filesOnly) firstAlso = all.end();
  const std::vector<std::string> args(all.begin(), firstAlso);
  for (auto at = firstAlso; at != all.end();) {
    const auto next = std::find(at + 1, all.end(), "--also");
    CliCommand recording;
    recording.error = ParseAlso(std::vector<std::string>(at + 1, next), &recording);
    if (!recording.error.empty()) {
      command.error = recording.error;
      return command;
    }
    command.also.push_back(std::move(recording));
    at = next;
  }
  std::vector<std::string> positionals;
  bool modeGiven = false;
  bool usedOptions = false;
  bool onlyImportOptions = true;  // every option used says how a data file's traces are made
  bool onlyNmodlOptions = true;   // every option used belongs to --export-nmodl
  bool onlyFiles = false;         // after "--" every argument is a file name
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg == kStandardOutput || arg.rfind('-', 0) != 0) {
      positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
      continue;
    }
    if (arg == "--average") {  // an import option without a value
      command.import.averageRepeats = true;
      usedOptions = true;
      continue;
    }
    if (arg == "--residuals" || arg == "--json") {  // switches, no value
      (arg == "--json" ? command.json : command.residuals) = true;
      continue;
    }
    std::optional<CliMode> mode;
    if (arg == "--help" || arg == "-h") mode = CliMode::Help;
    if (arg == "--version" || arg == "-v") mode = CliMode::Version;
    if (arg == "--fits") mode = CliMode::Fits;
    if (arg == "--render") mode = CliMode::Render;
    if (arg == "--report") mode = CliMode::Report;
    if (arg == "--convert") mode = CliMode::Convert;
    if (arg == "--polish") mode = CliMode::Polish;
    if (arg == "--export-nmodl") mode = CliMode::ExportNmodl;
    if (mode) {
      if (modeGiven) {
        command.error =
            "only one of --fits, --render, --report, --convert, --polish, --export-nmodl, "
            "--help, --version at a time";
        return command;
      }
      modeGiven = true;
      command.mode = *mode;
      continue;
    }
    const std::string name = arg.substr(0, arg.find('='));
    if (!TakesValue(name)) {
      command.error = "unknown option " + arg;
      return command;
    }
    const std::optional<std::string> value = OptionValue(args, &i);
    if (!value) {
      command.error = name + " needs a value";
      return command;
    }
    usedOptions = true;
    if (!IsImportOption(name) && name != "--trace-v" && name != "--command")
      onlyImportOptions = false;
    if (!IsNmodlOption(name)) onlyNmodlOptions = false;
    command.error = ParseOption(name, *value, &command);
    if (!command.error.empty()) return command;
  }
  command.error =
      CheckPositionals(&command, positionals, usedOptions, onlyImportOptions, onlyNmodlOptions);
  if (command.error.empty() && !command.also.empty()) {
    if (command.mode != CliMode::Polish && command.mode != CliMode::Fits &&
        command.mode != CliMode::Render)
      command.error = "--also belongs to --polish, --fits and --render";
    else if (command.also.size() + 1 > kMaxRecordings)
      command.error = "at most " + std::to_string(kMaxRecordings) + " recordings at a time";
    else if (command.mode == CliMode::Fits && command.output == kStandardOutput)
      command.error = "--fits with --also writes one table per recording: give OUT as a name";
  }
  if (command.error.empty() && command.recording > 1) {
    if (command.mode != CliMode::Render)
      command.error = "--recording belongs to --render";
    else if (static_cast<size_t>(command.recording) > command.also.size() + 1)
      command.error = "--recording " + std::to_string(command.recording) + ": only " +
                      std::to_string(command.also.size() + 1) + " recording(s) are given";
  }
  return command;
}

std::string CommandLineHelp() {
  return "Usage:\n"
         "  pavik [DATAFILE [PARAMFILE]]\n"
         "  pavik SESSION.pavik\n"
         "  pavik PARAMFILE.fit\n"
         "  pavik --fits OUT DATAFILE PARAMFILE [options] [--also DATAFILE [options]]...\n"
         "  pavik --render OUT DATAFILE [PARAMFILE] [options] [--select N]\n"
         "               [--also DATAFILE [options]]... [--recording N]\n"
         "               [--format pdf|svg|png] [--graphs data|data+residuals|curves|all]\n"
         "               [--style publication|window] [--size-mm W,H] [--dpi N]\n"
         "  pavik --report PARAMFILE\n"
         "  pavik --convert IN OUT.txt [import options]\n"
         "  pavik --polish DATAFILE PARAMFILE|SESSION.pavik --out OUT.fit [options]\n"
         "               [--free LIST] [--fix LIST] [--bounds P=LO:HI]... [--json]\n"
         "               [--also DATAFILE [recording options]]...\n"
         "  pavik --export-nmodl PARAMFILE OUTDIR [--currents LIST] [--density AREA_UM2]\n"
         "               [--q10 Q --celsius T]\n"
         "\n"
         "Fits Hodgkin-Huxley-type currents to voltage-clamp recordings.\n"
         "Without options the window opens, with the files given already read and, when both\n"
         "are given, the fit drawn.\n"
         "\n"
         "  --fits OUT        write the time, each measured trace and its summed fit as a\n"
         "                    tab-separated table to OUT (- for standard output)\n"
         "  --render OUT.png  draw the main panel at 1280x800 into a PNG file\n"
         "  --report          write the report of all ten currents to standard output\n"
         "  --header-lines N  header lines before the data file's layout line (13)\n"
         "  --xmin T, --xmax T  the analysis window in ms (the data file's times are in s)\n"
         "  --baseline X      offset added to every model current\n"
         "  --trace-v V1,...  step voltages (mV) instead of the traces' means: up to six\n"
         "                    for a text data file, one per sweep for an ABF or ATF file\n"
         "  --command MODE    single: each trace one step from the currents' Vhold at the\n"
         "                    window's start (text data files); steps: each trace's whole\n"
         "                    command from its first level (ABF and ATF files)\n"
         "  --select N        the current (1 to 10) whose curves --render draws\n"
         "  --format F        --render draws the graphs alone as a figure for a paper, as\n"
         "                    pdf, svg or png (by default from OUT's extension)\n"
         "  --graphs G        the figure's graphs: data, data+residuals, curves or all\n"
         "  --style S         publication (white, a legend, print-sized text; the default) or\n"
         "                    window (the graphs as the window draws them, 800 points wide)\n"
         "  --size-mm W,H     the publication figure's page (85 mm is one column, 180 two)\n"
         "  --dpi N           the publication PNG's resolution (300)\n"
         "  --residuals       --fits: a column of measured minus fit after each fit column\n"
         "  --exclude FROM:TO leave a stretch (ms) out of the RMS; may be repeated\n"
         "  --noise FROM:TO   a stretch (ms) whose spread is the noise: RMS/noise is reported\n"
         "                    (--fits prints the RMS per trace and overall to standard error)\n"
         "  --convert         write an ABF or ATF file as a text data file (13 header lines)\n"
         "  --polish          fit the currents in the fit (PARAMFILE's line 14) by least\n"
         "                    squares from PARAMFILE's values, write them to OUT.fit and print\n"
         "                    each parameter's start, result and standard error, the RMS\n"
         "                    before and after, the iterations and why it stopped\n"
         "  --out OUT.fit     --polish: the parameter file written; the input stays as it is\n"
         "  --free LIST       --polish: the parameters fitted, instead of the default set\n"
         "                    (Gmax and the kinetic parameters); LIST is comma-separated\n"
         "                    CURRENT.FIELD (1.Vm, 2.Gmax), CURRENT.* or baseline\n"
         "  --fix LIST        --polish: parameters taken out of the fitted set\n"
         "  --bounds P=LO:HI  --polish: the bounds of one parameter (1.Vtm=-60:-20); an empty\n"
         "                    LO or HI is no bound; may be repeated\n"
         "  --json            --polish: print the result as one JSON object\n"
         "  --also DATAFILE   --polish, --fits, --render: a further recording of the same\n"
         "                    currents; the import options, --command, --trace-v, --xmin,\n"
         "                    --xmax, --exclude, --noise and --header-lines after it are its\n"
         "                    own, those before the first --also the first recording's. --fits\n"
         "                    then writes OUT.1.tsv, OUT.2.tsv, ... (OUT without .tsv)\n"
         "  --recording N     --render: draw recording N (1 the first, 2 the first --also's)\n"
         "  --export-nmodl    write each current in the fit as a NEURON mechanism (NMODL),\n"
         "                    one OUTDIR/pavik_NAME.mod each, a point process (nA, uS)\n"
         "  --currents LIST   --export-nmodl: these currents (1,3) instead of those in the fit\n"
         "  --density AREA    --export-nmodl: density mechanisms (mA/cm2, S/cm2) for a\n"
         "                    membrane area in um2\n"
         "  --q10 Q --celsius T  --export-nmodl: time constants scaled by Q10 from the\n"
         "                    recording's temperature T (degC) to NEURON's celsius\n"
         "\n"
         "Import options, for an ABF or ATF data file (the window asks without them):\n"
         "  --sweeps LIST     sweep numbers from 1, e.g. 1,8,15,22,29,36, or all (at most\n"
         "                    64 traces; the parameter file keeps the first six voltages)\n"
         "  --channel N       the current channel, from 1 (the first in a current unit)\n"
         "  --voltage SOURCE  command (rebuilt from the protocol) or channel:N\n"
         "  --from MS --to MS the span kept, in ms from the sweep start (the step)\n"
         "  --trace-v V1,...  with an ABF or ATF file: the step voltages of the sweeps\n"
         "  --command-levels \"HOLD; START: LEVEL INC; ...\"  each sweep's command typed by\n"
         "                    hand: the holding level, then from START ms LEVEL mV plus INC\n"
         "                    mV per sweep, e.g. \"-80; 10: -60 +10; 60: -80\"\n"
         "  --leak hold       take the mean current before the step out of every trace\n"
         "  --leak FROM:TO    take out the leak g (V - E), g and E fitted over the holding and\n"
         "                    this stretch (ms), where no active current flows\n"
         "  --average         sweeps with the same command become one trace, their mean\n"
         "  --pn SWEEP        subtract this sweep (no channel opens in it), scaled by each\n"
         "                    sweep's step over its own: the capacitive transient and leak\n"
         "  -h, --help        this text\n"
         "  -v, --version     the program's version\n"
         "\n"
         "Exit status: 0 success (--polish: it converged with nothing to warn of), 1 a file\n"
         "could not be read or written, or the polish could not run on what the files hold\n"
         "(OUT.fit is then not written), 2 wrong usage, 3 --polish wrote OUT.fit but stopped\n"
         "at its iteration limit or has warnings (on standard error and in the summary).\n";
}

namespace {

bool IsAmplifierDataFile(const std::string& path) {
  return KindOfFile(path) == FileKind::Regular && IsAmplifierPath(path);
}

// "" or why the import options cannot apply: the data file is not an amplifier file.
std::string ImportOptionsMisplaced(const CliCommand& command) {
  // A file that is not there is for the reader to report as unreadable.
  if (!command.import.Any() || command.dataFile.empty() ||
      KindOfFile(command.dataFile) == FileKind::None || IsAmplifierDataFile(command.dataFile))
    return "";
  return "--sweeps, --channel, --voltage, --from, --to, --leak, --pn, --command-levels and "
         "--average apply to ABF and ATF files; " +
         command.dataFile + " is not one";
}

// "" or why the output may not be written: it is one of the command's own input files (also
// under another name, through a link), which writing would destroy.
std::string OutputNamesAnInput(const CliCommand& command) {
  struct stat output {};
  if (command.output == kStandardOutput || stat(command.output.c_str(), &output) != 0) return "";
  for (const std::string& input : {command.dataFile, command.paramFile}) {
    struct stat info {};
    if (!input.empty() && stat(input.c_str(), &info) == 0 && info.st_dev == output.st_dev &&
        info.st_ino == output.st_ino)
      return "the output " + command.output + " is the input file " + input +
             "; writing it would destroy that";
  }
  return "";
}

}  // namespace

int RunCommandLine(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  CliCommand command = ParseCommandLine(args);
  if (command.error.empty()) command.error = OutputNamesAnInput(command);
  if (command.error.empty() && command.mode != CliMode::Convert)
    command.error = ImportOptionsMisplaced(command);
  if (!command.error.empty()) return UsageError(command.error);
  switch (command.mode) {
    case CliMode::Help:
      return WriteToStandardOutput(CommandLineHelp(), "help");
    case CliMode::Version:
      return WriteToStandardOutput(std::string("Pavik ") + kVersion + " (" + kVersionDate + ")\n",
                                   "version");
    case CliMode::Report:
      return RunReport(command);
    case CliMode::Convert:
      return RunConvert(command);
    case CliMode::Fits:
      return RunFits(command);
    case CliMode::Render:
      return RunRender(command, argc, argv);
    case CliMode::Polish:
      return RunPolish(command);
    case CliMode::ExportNmodl:
      return RunExportNmodl(command);
    case CliMode::Window:
      break;
  }
  return RunWindow(command, argc, argv);
}
