// The command line: reads the arguments, then opens the window on the given files, or loads and
// evaluates without a window and writes the table of fits, a render of the main panel or the
// report of every current.
#include "cli.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "display.h"
#include "io.h"
#include "model.h"
#include "panels.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "platform/platform_test.h"

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

// Reads one "--name VALUE" option; "" or why it is wrong.
std::string ParseOption(const std::string& name, const std::string& value, CliCommand* command) {
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
         name == "--trace-v" || name == "--select";
}

std::string CheckPositionals(CliCommand* command, const std::vector<std::string>& positionals,
                             bool usedOptions) {
  const size_t n = positionals.size();
  switch (command->mode) {
    case CliMode::Window:
      if (usedOptions) return "the options need --fits or --render";
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
  bool onlyFiles = false;  // after "--" every argument is a file name
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
    if (mode) {
      if (modeGiven) {
        command.error = "only one of --fits, --render, --report, --help, --version at a time";
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
    command.error = ParseOption(name, value, &command);
    if (!command.error.empty()) return command;
  }
  command.error = CheckPositionals(&command, positionals, usedOptions);
  return command;
}

std::string CommandLineHelp() {
  return "Usage:\n"
         "  pavik [DATAFILE [PARAMFILE]]\n"
         "  pavik --fits OUT DATAFILE PARAMFILE [options]\n"
         "  pavik --render OUT.png DATAFILE [PARAMFILE] [options] [--select N]\n"
         "  pavik --report PARAMFILE\n"
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
         "  --xmin T, --xmax T  the analysis window, in the data file's time units\n"
         "  --baseline X      offset added to every model current\n"
         "  --trace-v V1,...  up to six step voltages (mV) instead of the traces' means\n"
         "  --select N        the current (1 to 10) whose curves --render draws\n"
         "  -h, --help        this text\n"
         "  -v, --version     the program's version\n"
         "\n"
         "Exit status: 0 success, 1 a file could not be read or written, 2 wrong usage.\n";
}

namespace {

// The text of the message the last failed read showed.
std::string LastMessage() {
  const auto& messages = RecordedMessages();
  return messages.empty() ? std::string("The file could not be read.") : messages.back().message;
}

bool OpenDataFile(const std::string& path) {
  if (!LoadDataFile(path)) return false;
  ClearGraph(PANEL_GRAPH, -1);
  ShowData();
  return true;
}

// Reads the command's files as the menu's open commands do, then applies the options as if
// they were typed; false (the reason on standard error) when a file could not be read.
bool LoadAndApply(const CliCommand& command) {
  ClearRecordedMessages();
  if (command.headerLines) status.headerLines = *command.headerLines;
  if (!OpenDataFile(command.dataFile) ||
      (!command.paramFile.empty() && !LoadParamFile(command.paramFile))) {
    std::fprintf(stderr, "%s\n", LastMessage().c_str());
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
  const int points = std::clamp(NumPoints, 0, kMaxPoints);
  const int traces = std::clamp(NumTraces, 0, kMaxTraces);
  static double fits[kMaxTraces][kMaxPoints];  // too large for the stack
  for (int k = 0; k < traces; ++k) SumIncludedCurrents(k, points, fits[k]);
  char number[64];
  for (int n = 0; n < points; ++n) {
    std::snprintf(number, sizeof number, "%.17g", timevals[n]);
    table += number;
    for (int k = 0; k < traces; ++k) {
      std::snprintf(number, sizeof number, "\t%.17g\t%.17g", ydata[k][n], fits[k][n]);
      table += number;
    }
    table += '\n';
  }
  return table;
}

std::string TempPathBeside(const std::string& path) {
  return path + ".writing-" + std::to_string(getpid());
}

void TellWriteFailure(const std::string& what, const std::string& path, const std::string& why) {
  std::fprintf(stderr,
               "The %s could not be saved to\n%s\nbecause %s.\nA file already there is "
               "unchanged.\n",
               what.c_str(), path.c_str(), why.c_str());
}

std::string RenameOver(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  if (!error) return "";
  std::filesystem::remove(from, error);
  return "the new file could not replace it (" + error.message() + ")";
}

int WriteFits(const std::string& path) {
  const std::string table = FitsTable();
  if (path == kStdout) {
    const bool ok = std::fwrite(table.data(), 1, table.size(), stdout) == table.size() &&
                    std::fflush(stdout) == 0;
    if (ok) return kExitSuccess;
    std::fprintf(stderr, "The table of fits could not be written to standard output.\n");
    return kExitFileError;
  }
  const std::string temp = TempPathBeside(path);
  std::FILE* stream = std::fopen(temp.c_str(), "wb");
  if (stream == nullptr) {
    TellWriteFailure(
        "table of fits", path,
        std::string("a file could not be created in its folder (") + std::strerror(errno) + ")");
    return kExitFileError;
  }
  bool ok = std::fwrite(table.data(), 1, table.size(), stream) == table.size();
  const int error = errno;
  ok = (std::fclose(stream) == 0) && ok;
  std::string why =
      ok ? RenameOver(temp, path) : "writing it failed (" + std::string(std::strerror(error)) + ")";
  if (!ok) std::remove(temp.c_str());
  if (why.empty()) return kExitSuccess;
  TellWriteFailure("table of fits", path, why);
  return kExitFileError;
}

int RunFits(const CliCommand& command) {
  InitParams();
  if (!LoadAndApply(command)) return kExitFileError;
  DoFit();
  return WriteFits(command.output);
}

int RunReport(const CliCommand& command) {
  InitParams();
  ClearRecordedMessages();
  if (!LoadParamFile(command.paramFile)) {
    std::fprintf(stderr, "%s\n", LastMessage().c_str());
    return kExitFileError;
  }
  const std::string report = CurrentReport(-1);
  std::fwrite(report.data(), 1, report.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitSuccess : kExitFileError;
}

int RunRender(const CliCommand& command, int argc, char* argv[]) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // kept when the caller chose a platform
  if (StartPavik(argc, argv) != 0) {
    std::fprintf(stderr, "The panels could not be loaded from the resource file.\n");
    return kExitFileError;
  }
  if (!LoadAndApply(command)) return kExitFileError;
  if (!command.paramFile.empty()) DoFit();
  if (command.select != 0) {
    currbutCB(panelHandle, PANEL_CURRBUT1 + command.select - 1, EVENT_COMMIT, nullptr, 0, 0);
  }
  const std::string temp = TempPathBeside(command.output);
  std::string why;
  if (SavePanelImage(panelHandle, temp.c_str(), kRenderWidth, kRenderHeight) != 0) {
    std::remove(temp.c_str());
    why = "the image could not be written there";
  } else {
    why = RenameOver(temp, command.output);
  }
  if (why.empty()) return kExitSuccess;
  TellWriteFailure("image of the main panel", command.output, why);
  return kExitFileError;
}

int RunWindow(const CliCommand& command, int argc, char* argv[]) {
  if (StartPavik(argc, argv) != 0) return -1;
  DisplayPanel(panelHandle);
  bool dataRead = false;
  bool paramRead = false;
  if (!command.dataFile.empty()) dataRead = OpenDataFile(command.dataFile);
  if (!command.paramFile.empty()) paramRead = LoadParamFile(command.paramFile) != 0;
  if (dataRead && paramRead) DoFit();
  RunUserInterface();
  return 0;
}

}  // namespace

int RunCommandLine(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const CliCommand command = ParseCommandLine(args);
  if (!command.error.empty()) {
    std::fprintf(stderr, "pavik: %s\nTry 'pavik --help' for more information.\n",
                 command.error.c_str());
    return kExitUsage;
  }
  switch (command.mode) {
    case CliMode::Help:
      std::fputs(CommandLineHelp().c_str(), stdout);
      return kExitSuccess;
    case CliMode::Version:
      std::printf("Pavik %s (%s)\n", kVersion, kVersionDate);
      return kExitSuccess;
    case CliMode::Report:
      return RunReport(command);
    case CliMode::Fits:
      return RunFits(command);
    case CliMode::Render:
      return RunRender(command, argc, argv);
    case CliMode::Window:
      break;
  }
  return RunWindow(command, argc, argv);
}
