// Opening an amplifier file (ABF, ATF) as the data file: asking how it becomes a recording (the
// import dialog, or the command line's choices) and handing the recording to the one take-over.
// Nothing changes until the recording is whole.
#include <filesystem>
#include <optional>
#include <string>

#include "app/amplifier_open.h"

#include "app/pavik.h"
#include "io/abf/import.h"
#include "io/abf/import_options.h"
#include "io/io.h"
#include "platform/import_dialog.h"
#include "platform/platform.h"

namespace {

std::optional<ImportChoices> importChoices;  // of the data file in use

void TellNotRead(const std::string& path, const std::string& why) {
  const std::string message = "The data file\n" + path + "\nwas not read: " + why;
  MessagePopup("Error", message.c_str());
}

}  // namespace

int LoadAmplifierFile(const std::string& path, const ImportOptions* options) {
  AmplifierFile file;
  if (const std::string why = ReadAmplifierPath(path, &file); !why.empty()) {
    TellNotRead(path, why);
    return 0;
  }
  std::optional<ImportChoices> choices;
  if (options != nullptr) {
    choices = ApplyImportOptions(file, *options);
  } else {
    const std::string name = std::filesystem::path(path).filename().string();
    choices = ShowImportDialog(ImportDialogInputFor(file, name));
  }
  if (!choices) return 0;  // cancelled: the loaded data stays
  Recording recording;
  if (const std::string why = ImportRecording(file, *choices, path, &recording); !why.empty()) {
    TellNotRead(path, why);
    return 0;
  }
  recording.import = *choices;
  recording.notices.insert(recording.notices.begin(), file.notices.begin(), file.notices.end());
  if (!CommitRecording(recording)) return 0;
  importChoices = choices;
  return 1;
}

const std::optional<ImportChoices>& DataFileImportChoices() {
  return importChoices;
}

void ForgetDataFileImportChoices() {
  importChoices.reset();
}
