// The command line: reads the arguments, then opens the window on the given files, or loads and
// evaluates without a window and writes the table of fits, a render of the main panel or the
// report of every current.
#include "cli.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display.h"
#include "io.h"
#include "io/file_kind.h"
#include "io/safe_write.h"
#include "model.h"
#include "panels.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

const char* const kStdout = "-";
constexpr int kRenderWidth = 1280;
constexpr int kRenderHeight = 800;
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
  return voltages->size() <= static_cast<size_t>(kMaxTraces);
}

std::optional<std::vector<int>> ParseSweeps(const std::string& text) {
  std::vector<int> sweeps;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const auto sweep = ParseCount(text.substr(start, comma - start), kMaxAmplifierSweeps);
    if (!sweep || *sweep < 1) return std::nullopt;
    sweeps.push_back(*sweep);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (sweeps.size() > static_cast<size_t>(kMaxTraces)) return std::nullopt;
  return sweeps;
}

// The options that say how an amplifier file becomes a recording; "" or why one is wrong.
std::string ParseImportOption(const std::string& name, const std::string& value,
                              ImportOptions* import) {
  const std::string channels = std::to_string(kMaxAmplifierChannels);
  if (name == "--sweeps") {
    import->sweeps = ParseSweeps(value);
    if (!import->sweeps)
      return "--sweeps takes one to " + std::to_string(kMaxTraces) +
             " sweep numbers from 1, separated by commas";
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
  } else {
    const auto ms = ParseNumber(value);
    if (!ms) return name + " takes a time in ms, not \"" + value + "\"";
    (name == "--from" ? import->fromMs : import->toMs) = ms;
  }
  return "";
}

bool IsImportOption(const std::string& name) {
  return name == "--sweeps" || name == "--channel" || name == "--voltage" || name == "--from" ||
         name == "--to";
}

// Reads one "--name VALUE" option; "" or why it is wrong.
std::string ParseOption(const std::string& name, const std::string& value, CliCommand* command) {
  if (IsImportOption(name)) return ParseImportOption(name, value, &command->import);
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
      return "--trace-v takes one to " + std::to_string(kMaxTraces) +
             " numbers separated by commas";
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
         name == "--trace-v" || name == "--select" || IsImportOption(name);
}

std::string CheckPositionals(CliCommand* command, const std::vector<std::string>& positionals,
                             bool usedOptions, bool onlyImportOptions) {
  const size_t n = positionals.size();
  const ImportOptions& import = command->import;
  if (import.fromMs.has_value() != import.toMs.has_value()) return "--from and --to go together";
  if (import.sweeps && !command->traceV.empty() && import.sweeps->size() != command->traceV.size())
    return "--trace-v needs one voltage for each sweep of --sweeps";
  switch (command->mode) {
    case CliMode::Window:
      if (usedOptions && !onlyImportOptions) return "the options need --fits or --render";
      if (usedOptions && n == 0) return "the import options need a data file";
      if (n > 2) return "at most a data file and a parameter file can be opened";
      if (n > 0) command->dataFile = positionals[0];
      if (n > 1) command->paramFile = positionals[1];
      return "";
    case CliMode::Fits:
      if (n != 3) return "--fits needs OUT, DATAFILE and PARAMFILE";
      if (command->select != 0) return "--select belongs to --render";
      break;
    case CliMode::Render:
      if (n != 2 && n != 3) return "--render needs OUT.png, DATAFILE and perhaps PARAMFILE";
      break;
    case CliMode::Convert:
      if (!onlyImportOptions) return "--convert takes only the import options and --trace-v";
      if (n != 2) return "--convert needs IN and OUT.txt";
      command->dataFile = positionals[0];
      command->output = positionals[1];
      command->import.typedVoltages = command->traceV;
      return "";
    case CliMode::Report:
      if (usedOptions || n != 1) return "--report needs one PARAMFILE and nothing else";
      command->paramFile = positionals[0];
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

}  // namespace

CliCommand ParseCommandLine(const std::vector<std::string>& args) {
  CliCommand command;
  std::vector<std::string> positionals;
  bool modeGiven = false;
  bool usedOptions = false;
  bool onlyImportOptions = true;  // every option used says how a data file's traces are made
  bool onlyFiles = false;         // after "--" every argument is a file name
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg == kStdout || arg.rfind('-', 0) != 0) {
      positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
      continue;
    }
    std::optional<CliMode> mode;
    if (arg == "--help" || arg == "-h") mode = CliMode::Help;
    if (arg == "--version" || arg == "-v") mode = CliMode::Version;
    if (arg == "--fits") mode = CliMode::Fits;
    if (arg == "--render") mode = CliMode::Render;
    if (arg == "--report") mode = CliMode::Report;
    if (arg == "--convert") mode = CliMode::Convert;
    if (mode) {
      if (modeGiven) {
        command.error =
            "only one of --fits, --render, --report, --convert, --help, --version at a time";
        return command;
      }
      modeGiven = true;
      command.mode = *mode;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (!TakesValue(name)) {
      command.error = "unknown option " + arg;
      return command;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      command.error = name + " needs a value";
      return command;
    }
    usedOptions = true;
    if (!IsImportOption(name) && name != "--trace-v") onlyImportOptions = false;
    command.error = ParseOption(name, value, &command);
    if (!command.error.empty()) return command;
  }
  command.error = CheckPositionals(&command, positionals, usedOptions, onlyImportOptions);
  return command;
}

std::string CommandLineHelp() {
  return "Usage:\n"
         "  pavik [DATAFILE [PARAMFILE]]\n"
         "  pavik --fits OUT DATAFILE PARAMFILE [options]\n"
         "  pavik --render OUT.png DATAFILE [PARAMFILE] [options] [--select N]\n"
         "  pavik --report PARAMFILE\n"
         "  pavik --convert IN OUT.txt [import options]\n"
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
         "  --trace-v V1,...  up to six step voltages (mV) instead of the traces' means\n"
         "  --select N        the current (1 to 10) whose curves --render draws\n"
         "  --convert         write an ABF or ATF file as a text data file (13 header lines)\n"
         "\n"
         "Import options, for an ABF or ATF data file (the window asks without them):\n"
         "  --sweeps LIST     up to six sweep numbers from 1, e.g. 1,8,15,22,29,36\n"
         "  --channel N       the current channel, from 1 (the first in a current unit)\n"
         "  --voltage SOURCE  command (rebuilt from the protocol) or channel:N\n"
         "  --from MS --to MS the span kept, in ms from the sweep start (the step)\n"
         "  --trace-v V1,...  with an ABF or ATF file: the step voltages of the sweeps\n"
         "  -h, --help        this text\n"
         "  -v, --version     the program's version\n"
         "\n"
         "Exit status: 0 success, 1 a file could not be read or written, 2 wrong usage.\n";
}

namespace {

// The import choices for an amplifier data file: --trace-v gives its step voltages by hand.
ImportOptions ImportOptionsOf(const CliCommand& command) {
  ImportOptions options = command.import;
  options.typedVoltages = command.traceV;
  return options;
}

bool IsAmplifierDataFile(const std::string& path) {
  return KindOfFile(path) == FileKind::Regular && IsAmplifierPath(path);
}

// "" or why the import options cannot apply: the data file is not an amplifier file.
std::string ImportOptionsMisplaced(const CliCommand& command) {
  // A file that is not there is for the reader to report as unreadable.
  if (!command.import.Any() || command.dataFile.empty() ||
      KindOfFile(command.dataFile) == FileKind::None || IsAmplifierDataFile(command.dataFile))
    return "";
  return "--sweeps, --channel, --voltage, --from and --to apply to ABF and ATF files; " +
         command.dataFile + " is not one";
}

// importOptions: nullptr asks with the import dialog.
bool OpenDataFile(const std::string& path, const ImportOptions* importOptions) {
  if (!LoadDataFile(path, importOptions)) return false;
  ClearGraph(PANEL_GRAPH, -1);
  ShowData();
  return true;
}

// Reads the command's files as the menu's open commands do, then applies the options as if
// they were typed; false when a file could not be read (the reader's message, which goes to
// standard error without a window, said why).
bool LoadAndApply(const CliCommand& command) {
  if (command.headerLines) status.headerLines = *command.headerLines;
  const ImportOptions importOptions = ImportOptionsOf(command);
  if (!OpenDataFile(command.dataFile, &importOptions) ||
      (!command.paramFile.empty() && !LoadParamFile(command.paramFile))) {
    return false;
  }
  for (size_t k = 0; k < command.traceV.size(); ++k) status.traceV[k] = command.traceV[k];
  if (command.baseline) status.baseline = *command.baseline;
  if (command.xMin) status.xMin = *command.xMin;
  if (command.xMax) status.xMax = *command.xMax;
  SetDataAxis();
  // The fields show what was applied, as they would after typing (no-ops without a window).
  const int voltageFields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3,
                                         PANEL_V4, PANEL_V5, PANEL_V6};
  for (int k = 0; k < kMaxTraces; ++k) SetCtrlVal(panelHandle, voltageFields[k], status.traceV[k]);
  SetCtrlVal(panelHandle, PANEL_BASELINE, status.baseline);
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  return true;
}

std::string FitsTable() {
  std::string table = "t";
  for (int k = 0; k < NumTraces; ++k) {
    table += "\tI" + std::to_string(k + 1) + "\tfit" + std::to_string(k + 1);
  }
  table += '\n';
  char number[64];
  for (int n = 0; n < NumPoints && n < kMaxPoints; ++n) {
    std::snprintf(number, sizeof number, "%.17g", timevals[n]);
    table += number;
    for (int k = 0; k < NumTraces && k < kMaxTraces; ++k) {
      double sum = 0.0;  // summed in the order the data graph sums them
      for (int i = 0; i < kMaxCurrents; ++i) {
        if (status.fitCurrent[i]) sum += yfits[i][k][n];
      }
      std::snprintf(number, sizeof number, "\t%.17g\t%.17g", ydata[k][n], sum);
      table += number;
    }
    table += '\n';
  }
  return table;
}

// Writes text to standard output; the exit status, and on failure the reason on standard error.
int WriteToStandardOutput(const std::string& text, const char* what) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return kExitSuccess;
  const int error = errno != 0 ? errno : EIO;
  std::fprintf(stderr, "pavik: the %s could not be written to standard output (%s).\n", what,
               std::strerror(error));
  return kExitFileError;
}

int SaveOutput(const std::string& path, const std::string& bytes, const char* what) {
  const SaveResult result = SaveFileSafely(path, bytes);
  if (result.why.empty()) return kExitSuccess;
  std::fprintf(stderr, "%s\n", SaveFailureMessage(what, path, result).c_str());
  return kExitFileError;
}

int WriteFits(const std::string& path) {
  const std::string table = FitsTable();
  if (path == kStdout) return WriteToStandardOutput(table, "table of fits");
  return SaveOutput(path, table, "table of fits");
}

// "" or why the output may not be written: it is one of the command's own input files (also
// under another name, through a link), which writing would destroy.
std::string OutputNamesAnInput(const CliCommand& command) {
  struct stat output {};
  if (command.output == kStdout || stat(command.output.c_str(), &output) != 0) return "";
  for (const std::string& input : {command.dataFile, command.paramFile}) {
    struct stat info {};
    if (!input.empty() && stat(input.c_str(), &info) == 0 && info.st_dev == output.st_dev &&
        info.st_ino == output.st_ino)
      return "the output " + command.output + " is the input file " + input +
             "; writing it would destroy that";
  }
  return "";
}

int RunFits(const CliCommand& command) {
  InitParams();
  if (!LoadAndApply(command)) return kExitFileError;
  DoFit();
  return WriteFits(command.output);
}

int RunConvert(const CliCommand& command) {
  std::string text;
  if (const std::string why =
          ConvertAmplifierFile(command.dataFile, ImportOptionsOf(command), &text);
      !why.empty()) {
    std::fprintf(stderr, "pavik: %s was not converted: %s\n", command.dataFile.c_str(),
                 why.c_str());
    return kExitFileError;
  }
  if (command.output == kStdout) return WriteToStandardOutput(text, "converted data file");
  return SaveOutput(command.output, text, "converted data file");
}

int RunReport(const CliCommand& command) {
  InitParams();
  if (!LoadParamFile(command.paramFile)) return kExitFileError;
  return WriteToStandardOutput(CurrentReport(-1), "report");
}

int RunRender(const CliCommand& command, int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // kept when the caller chose a platform
  if (StartPavik(argc, argv) != 0) return kExitFileError;
  if (!LoadAndApply(command)) return kExitFileError;
  if (!command.paramFile.empty()) DoFit();
  if (command.select != 0) {
    currbutCB(panelHandle, PANEL_CURRBUT1 + command.select - 1, EVENT_COMMIT, nullptr, 0, 0);
  }
  std::string png;
  if (RenderPanelImage(panelHandle, kRenderWidth, kRenderHeight, &png) != 0) {
    std::fprintf(stderr, "The image of the main panel could not be drawn.\n");
    return kExitFileError;
  }
  return SaveOutput(command.output, png, "image of the main panel");
}

int RunWindow(const CliCommand& command, int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  bool dataRead = false;
  bool paramRead = false;
  // Without import options on the command line an amplifier file asks with the import dialog.
  const ImportOptions importOptions = ImportOptionsOf(command);
  const bool givenChoices = command.import.Any() || !command.traceV.empty();
  if (!command.dataFile.empty())
    dataRead = OpenDataFile(command.dataFile, givenChoices ? &importOptions : nullptr);
  if (dataRead && !command.traceV.empty()) {
    for (size_t k = 0; k < command.traceV.size(); ++k) status.traceV[k] = command.traceV[k];
    const int voltageFields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3,
                                           PANEL_V4, PANEL_V5, PANEL_V6};
    for (int k = 0; k < kMaxTraces; ++k)
      SetCtrlVal(panelHandle, voltageFields[k], status.traceV[k]);
  }
  if (!command.paramFile.empty()) paramRead = LoadParamFile(command.paramFile) != 0;
  if (dataRead && paramRead) DoFit();
  RunUserInterface();
  return 0;
}

}  // namespace

int RunCommandLine(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  CliCommand command = ParseCommandLine(args);
  if (command.error.empty()) command.error = OutputNamesAnInput(command);
  if (command.error.empty() && command.mode != CliMode::Convert)
    command.error = ImportOptionsMisplaced(command);
  if (!command.error.empty()) {
    std::fprintf(stderr, "pavik: %s\nTry 'pavik --help' for more information.\n",
                 command.error.c_str());
    return kExitUsage;
  }
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
    case CliMode::Window:
      break;
  }
  return RunWindow(command, argc, argv);
}
