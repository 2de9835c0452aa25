// NEURON mechanisms for use outside Pavik: the currents taken from the workspace, the files
// written into a folder, and the menu's questions that choose the kind of mechanism.
#include "app/export_nmodl.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/export.h"
#include "app/pavik.h"
#include "fit/fit_settings.h"
#include "fit/workspace_fit.h"
#include "io/dialog_folder.h"
#include "io/safe_write.h"
#include "model/model.h"
#include "platform/platform.h"

namespace {

constexpr const char* kNmodlTitle = "Export NEURON Mechanisms";
enum KindAnswer { kPointProcesses = 0, kDensityMechanisms = 1 };
enum TemperatureAnswer { kAsFitted = 0, kByQ10 = 1 };

// A number typed with a point, whatever the desktop's locale; none when it is not one.
std::optional<double> NumberIn(const std::string& text, size_t* used = nullptr) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data() + start, end, value);
  if (result.ec != std::errc()) return std::nullopt;
  if (used) *used = static_cast<size_t>(result.ptr - text.data());
  return value;
}

std::optional<double> OneNumber(const std::string& text) {
  size_t used = 0;
  const auto value = NumberIn(text, &used);
  if (!value || text.find_first_not_of(" \t", used) != std::string::npos) return std::nullopt;
  return value;
}

// The kind of mechanism and the temperature scaling, as the person answers; false: cancelled.
bool AskOptions(NmodlOptions* options) {
  const int kind = QuestionPopup(
      kNmodlTitle, "Which kind of NEURON mechanism should each current become?",
      {"Point Processes (nA)", "Density Mechanisms (mA/cm2)...", "Cancel"}, kPointProcesses);
  if (kind != kPointProcesses && kind != kDensityMechanisms) return false;
  std::string text;
  if (kind == kDensityMechanisms) {
    if (PromptPopup(kNmodlTitle, "The membrane area of the recorded cell in um2:", &text) != 1)
      return false;
    options->areaUm2 = OneNumber(text);
    if (!options->areaUm2 || !CheckNmodlOptions(*options).empty()) {
      MessagePopup(kNmodlTitle, ("\"" + text +
                                 "\" is not a membrane area: give a number of um2 "
                                 "above 0. Nothing was written.")
                                    .c_str());
      return false;
    }
  }
  const int temperature = QuestionPopup(
      kNmodlTitle, "Should the time constants change with NEURON's temperature (celsius)?",
      {"No, As Fitted", "By a Q10...", "Cancel"}, kAsFitted);
  if (temperature != kAsFitted && temperature != kByQ10) return false;
  if (temperature == kByQ10) {
    if (PromptPopup(kNmodlTitle,
                    "The Q10 and the temperature of the recording in degrees Celsius, "
                    "separated by a space (for example 3 6.3):",
                    &text) != 1)
      return false;
    size_t used = 0;
    options->q10 = NumberIn(text, &used);
    const auto celsius = options->q10 ? OneNumber(text.substr(used)) : std::nullopt;
    if (!options->q10 || !celsius || !CheckNmodlOptions(*options).empty()) {
      MessagePopup(kNmodlTitle, ("\"" + text +
                                 "\" is not a Q10 and a temperature, such as "
                                 "3 6.3. Nothing was written.")
                                    .c_str());
      return false;
    }
    options->recordingCelsius = *celsius;
  }
  return true;
}

}  // namespace

std::vector<NmodlCurrent> WorkspaceNmodlCurrents(const std::vector<int>& numbers) {
  std::vector<NmodlCurrent> currents;
  for (int i = 0; i < kMaxCurrents; ++i) {
    const bool wanted = numbers.empty()
                            ? status.fitCurrent[i] != 0
                            : std::find(numbers.begin(), numbers.end(), i + 1) != numbers.end();
    if (wanted) currents.push_back({i + 1, params[i]});
  }
  return currents;
}

std::string TodaysDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[sizeof "YYYY-MM-DD"] = "";
  if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

std::string WriteNmodlFiles(const std::string& folder, const NmodlExport& mechanisms,
                            std::vector<std::string>* written) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder))
    return "The folder " + folder + " could not be made" +
           (error ? " (" + error.message() + ")" : std::string(": something else is there")) +
           ", so no mechanism was written.";
  for (const NmodlFile& file : mechanisms.files) {
    const std::string path = (std::filesystem::path(folder) / file.fileName).string();
    const SaveResult result = SaveFileSafely(path, file.text);
    if (!result.why.empty()) return SaveFailureMessage("mechanism", path, result);
    written->push_back(path);
  }
  return "";
}

int Export_Nmodl() {
  NmodlOptions options;
  if (!AskOptions(&options)) return 0;
  std::string folder;
  if (DirSelectPopup(DialogFolder().c_str(), kNmodlTitle, 1, 1, &folder) != 1) return 0;

  NmodlSource source{std::string("Pavik ") + kVersion, LastParamFile(), "", TodaysDate(), {}};
  if (source.paramFile.empty()) source.paramFile = "none saved (the values in the window)";
  if (status.dataLoaded) {
    source.dataFile = status.dataFile;
    DoFit();  // the RMS of the parameters as they stand
    source.rms = WorkspaceGoodness(loadedRecording.excluded, loadedRecording.noise).rms;
  }
  const NmodlExport mechanisms = MakeNmodlFiles(WorkspaceNmodlCurrents({}), options, source);
  std::vector<std::string> written;
  std::string message = mechanisms.error;
  if (message.empty()) message = WriteNmodlFiles(folder, mechanisms, &written);
  if (!message.empty()) {
    MessagePopup(kNmodlTitle, message.c_str());
    return 0;
  }
  message = "Written into " + folder + ":";
  for (const NmodlFile& file : mechanisms.files) message += "\n" + file.fileName;
  MessagePopup(kNmodlTitle, message.c_str());
  RememberFileUsed(written.front());
  return 1;
}
