// The parameter file on disk: the save and open dialogs, the safe replacement of a saved file,
// and a read that takes the file over only when all of it parsed.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io.h"
#include "io/dialog_folder.h"
#include "io/file_kind.h"
#include "io/safe_write.h"
#include "panels.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr const char* kMessageTitle = "Parameter File";
constexpr const char* kFileSpec = "*.fit";
constexpr const char* kExtension = ".fit";  // given to a saved file whose name has none
constexpr const char* kFileTypes = "*.fit;*.V0*";
constexpr size_t kReadChunk = 8192;

std::string SystemError(int error) {
  return std::strerror(error);
}

// ---------------------------------------------------------------- reading

// The whole file into text; "" or why it could not be read.
std::string ReadWholeFile(const std::string& path, std::string* text) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return "it cannot be opened (" + SystemError(errno) + ")";
  char chunk[kReadChunk];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
    text->append(chunk, got);
    if (text->size() > static_cast<size_t>(kMaxParamFileBytes)) {
      std::fclose(stream);
      return "it is larger than " + std::to_string(kMaxParamFileBytes / 1024) +
             " kB, far more than a parameter file holds";
    }
  }
  const bool failed = std::ferror(stream) != 0;
  const int error = errno;
  std::fclose(stream);
  if (failed) return "it could not be read (" + SystemError(error) + ")";
  return {};
}

void TakeOver(const ParamFileContents& contents, const std::string& path) {
  for (int i = 0; i < kMaxCurrents; ++i) params[i] = contents.currents[i];
  dclamp = contents.dclamp;
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = contents.fitCurrent[i];
  for (int j = 0; j < kMaxTraces; ++j) status.loadedV[j] = contents.loadedV[j];
  status.selCurrent = 1;
  std::memcpy(status.paramFile, path.c_str(), path.size() + 1);  // length checked by the caller
  status.paramFileLoaded = 1;
}

void RefreshPanels() {
  SetPanelParams(status.selCurrent - 1);
  ShowCurrentNames();  // the file's names in the name boxes too
  SetFitCurrents();    // also switches current 1 on when the file enables none
  UpdateFitMessage();
  SetDclampParams(0);
  SetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, 1);  // the panel now shows current 1's settings
}

void Tell(const std::string& message) {
  MessagePopup(kMessageTitle, message.c_str());
}

}  // namespace

int SaveParamFile(const std::string& path) {
  const SaveResult result = SaveFileSafely(path, FormatParamFile(params, dclamp, status));
  if (result.why.empty()) {
    RememberParamFile(path);
    return 1;
  }
  Tell(SaveFailureMessage("parameter file", path, result));
  return 0;
}

int LoadParamFile(const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    Tell("The parameter file was not read: its path holds a zero byte.");
    return 0;
  }
  if (path.size() > static_cast<size_t>(kParamFileSize - 1)) {
    Tell("The parameter file was not read: its path is longer than " +
         std::to_string(kParamFileSize - 1) + " characters, more than Pavik can keep.\n" + path);
    return 0;
  }
  // A pipe given on purpose (the command line's "<(cat file)") is read; a device never is.
  std::string why =
      KindOfFile(path) == FileKind::Device ? "it is a device, not a file" : std::string();
  std::string text;
  if (why.empty()) why = ReadWholeFile(path, &text);
  ParamFileContents scratch = WorkspaceParamFileContents();
  if (why.empty()) why = ParseParamText(text, &scratch);
  if (!why.empty()) {
    Tell("The parameter file\n" + path + "\nwas not read: " + why + ".\nNothing was changed.");
    return 0;
  }
  TakeOver(scratch, path);
  RefreshPanels();
  RememberParamFile(path);
  return 1;
}

int Save_Current_Values() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kFileSpec, kFileTypes,
                                     "Save Parameter File", VAL_SAVE_BUTTON, 0, 0, 1, 1, &path);
  if (chosen <= 0) return 0;  // cancelled, or the dialog failed: write nothing anywhere
  path = WithDefaultExtension(path, kExtension);
  return SaveParamFile(path);
}

int Read_Last_Values() {
  std::string path;
  const int chosen = FileSelectPopup(DialogFolder().c_str(), kFileSpec, kFileTypes,
                                     "Open Parameter File", VAL_SELECT_BUTTON, 0, 0, 1, 1, &path);
  if (chosen != VAL_EXISTING_FILE_SELECTED) return 0;
  if (const std::string why = WhyNotFromDialog(path); !why.empty()) {
    Tell("The parameter file\n" + path + "\nwas not read: " + why + ".\nNothing was changed.");
    return 0;
  }
  return LoadParamFile(path);
}
