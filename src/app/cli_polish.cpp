// The --polish job: the data file and the parameter file read without a window, the free
// parameters of the currents in the fit polished by least squares (on this thread: there is no
// window to keep responsive), the parameter file written again with the polished values and
// every other byte as read, and the fit summary on standard output. A fit that did not converge
// or has something to warn of is written all the same, its warnings go to standard error too,
// and the exit status says so.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/cli_jobs.h"
#include "app/session_file.h"
#include "fit/bounds_list.h"
#include "fit/fit_settings.h"
#include "fit/fit_summary.h"
#include "fit/free_list.h"
#include "fit/workspace_fit.h"
#include "io/io.h"
#include "model/model.h"
#include "model/session_recordings.h"

namespace {

bool AnyCurrentInFit(const ParamFileContents& file) {
  return std::any_of(std::begin(file.fitCurrent), std::end(file.fitCurrent),
                     [](int32_t flag) { return flag != 0; });
}

bool AnyFree(const PolishInput& input) {
  if (input.choice.baselineFree) return true;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!input.inFit[i]) continue;
    const std::array<bool, kRealFieldCount>& free = input.choice.currents[i].free;
    if (std::find(free.begin(), free.end(), true) != free.end()) return true;
  }
  return false;
}

bool AnySampleCounts(const PolishInput& input) {
  const int end = std::min(input.windowEnd, static_cast<int>(input.counted.size()));
  for (int n = std::max(input.windowStart, 0); n < end; ++n) {
    if (input.counted[n]) return true;
  }
  return false;
}

// The free flags and bounds the options make of the defaults; "" or why the options are wrong.
std::string ChooseParams(const CliCommand& command, PolishInput* input) {
  FreeChoice chosen = ApplyFreeAndFix(input->choice, input->currents, input->inFit,
                                      command.freeList, command.fixList);
  if (!chosen.error.empty()) return chosen.error;
  if (std::string why = ApplyBounds(command.bounds, input->currents, input->inFit, &chosen.choice);
      !why.empty())
    return why;
  input->choice = chosen.choice;
  if (!AnyFree(*input)) return "--free and --fix leave no parameter to polish";
  return "";
}

// The parameter file as read with the polished values put in: the baseline has no place in it,
// and the trace voltages and the fit flags stay as the file gave them.
std::string PolishedParamFile(const ParamFileContents& file, const PolishResult& result) {
  CurrentParams currents[kMaxCurrents];
  std::copy(std::begin(file.currents), std::end(file.currents), currents);
  for (const ParamEstimate& estimate : result.estimates) {
    if (estimate.param.IsBaseline()) continue;
    currents[estimate.param.current].*Descriptor(estimate.param.field).real = estimate.result;
  }
  FitStatus fit{};
  std::copy(std::begin(file.fitCurrent), std::end(file.fitCurrent), fit.fitCurrent);
  std::copy(std::begin(file.loadedV), std::end(file.loadedV), fit.traceV);
  return FormatParamFile(currents, file.dclamp, fit);
}

// A further recording's samples, read as the first one is (its own import options, window,
// regions and noise region); empty when its file could not be read (the reader said why).
std::optional<PolishSamples> AlsoSamples(const CliCommand& recording) {
  if (!LoadFurtherRecording(recording)) return std::nullopt;
  PolishSamples samples = WorkspacePolishInput(loadedRecording.excluded);
  samples.noiseSd = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).noiseSd;
  samples.name = std::filesystem::path(recording.dataFile).filename().string();
  // Its regions were its own: the next recording read starts without them, and without a
  // notice that they were dropped.
  ResetFitterState(&loadedRecording);
  return samples;
}

// Opens a session as the window does and reads the parameter file it names again, as read, for
// the output; false (and why, on standard error) when it holds no recording or parameter file.
bool LoadSession(const std::string& path, ParamFileContents* file, std::string* paramFile) {
  if (!ReadableOnCommandLine(path, "session")) return false;
  // A further recording read before must not pass for the session's own: a file the session
  // names that is missing leaves these at 0 (the session has said which).
  status.dataLoaded = 0;
  status.paramFileLoaded = 0;
  if (OpenSessionFile(path) != 1) return false;
  *paramFile = status.paramFileLoaded ? status.paramFile : "";
  if (!status.dataLoaded || paramFile->empty()) {
    std::fprintf(stderr, "pavik: the session %s has no %s to polish.\n", path.c_str(),
                 status.dataLoaded ? "parameter file" : "data file");
    return false;
  }
  if (const std::string why = ReadParamFileAt(*paramFile, file); !why.empty()) {
    std::fprintf(stderr, "pavik: the parameter file %s was not read: %s.\n", paramFile->c_str(),
                 why.c_str());
    return false;
  }
  return true;
}

int NotPolished(const CliCommand& command, const std::string& why) {
  std::fprintf(stderr, "pavik: the polish did not run to an end: %s. %s was not written.\n",
               why.c_str(), command.output.c_str());
  return kExitFileError;
}

}  // namespace

int RunPolish(const CliCommand& command) {
  InitParams();
  // The further recordings are read first: the first is the one the workspace keeps, for the
  // noise figure after the polish.
  std::vector<PolishSamples> also;
  for (const CliCommand& recording : command.also) {
    std::optional<PolishSamples> samples = AlsoSamples(recording);
    if (!samples) return kExitFileError;
    also.push_back(std::move(*samples));
  }
  ParamFileContents file{};
  std::string paramFile = command.paramFile;
  if (!command.sessionFile.empty()) {
    if (!LoadSession(command.sessionFile, &file, &paramFile)) return kExitFileError;
  } else {
    if (!LoadAndApply(command, &file)) return kExitFileError;
    ApplyRegions(command);
  }
  if (!AnyCurrentInFit(file))
    return NotPolished(command, paramFile + " puts no current in the fit (its line 14)");
  // A session's recordings that are not left out are polished together, as the window does.
  PolishInput input = command.sessionFile.empty() ? WorkspacePolishInput(loadedRecording.excluded)
                                                  : SessionPolishInput();
  // A session's free flags and bounds are the user's choice; the lists on the command line
  // change them as they change the defaults.
  if (!command.sessionFile.empty()) input.choice = EffectivePolishChoice();
  if (input.measured.empty())
    return NotPolished(command, "every recording of the session is left out of the polish");
  if (const std::string why = ChooseParams(command, &input); !why.empty()) return UsageError(why);
  if (!AnySampleCounts(input)) {
    const std::string why =
        "no sample counts: the analysis window holds none outside the excluded "
        "stretches";
    if (command.xMin || command.xMax || !command.excluded.empty()) return UsageError(why);
    return NotPolished(command, why);
  }

  // The noise region's spread is the measured current's alone, so it is known before the polish.
  if (command.sessionFile.empty() || RecordingCount() < 2) {
    input.noiseSd = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).noiseSd;
    input.name = std::filesystem::path(loadedRecording.name).filename().string();
  }
  input.also.insert(input.also.end(), std::make_move_iterator(also.begin()),
                    std::make_move_iterator(also.end()));
  const PolishResult result = Polish(input);
  if (!result.Applicable()) return NotPolished(command, result.reason);
  const int saved = SaveOutput(command.output, PolishedParamFile(file, result), "parameter file");
  if (saved != kExitSuccess) return saved;

  // The workspace takes the result as the window's polish does, for the noise figure.
  std::copy(result.currents.begin(), result.currents.end(), params);
  status.baseline = result.baseline;
  DoFit();
  const std::optional<double> noiseSd =
      WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).noiseSd;
  const int written = WriteToStandardOutput(
      command.json ? FitSummaryJson(result, noiseSd) : FitSummaryText(result, noiseSd),
      "fit summary");
  if (written != kExitSuccess || result.Good()) return written;
  // Written, but not a fit to take on trust: a script sees it in the exit status.
  if (result.outcome != PolishOutcome::Converged)
    std::fprintf(stderr, "pavik: warning: the polish %s.\n", result.reason.c_str());
  for (const std::string& warning : result.warnings)
    std::fprintf(stderr, "pavik: warning: %s.\n", warning.c_str());
  return kExitDoubtful;
}
