// The parameter file on disk: the safe replacement of a saved file, and the reading of a whole
// file into a scratch record that is taken over only when all of it parsed.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/dialog_folder.h"
#include "io/file_kind.h"
#include "io/io.h"
#include "io/read_once.h"
#include "io/safe_write.h"
#include "platform/platform.h"

namespace {

constexpr const char* kMessageTitle = "Parameter File";
constexpr size_t kReadChunk = 8192;

std::string SystemError(int error) {
  return std::strerror(error);
}

// The whole file into text; "" or why it could not be read.
std::string ReadWholeFile(const std::string& path, std::string* text) {
  // A pipe within a bound of time: a FIFO that no writer opens would hold the open for ever.
  if (KindOfFile(path) == FileKind::Pipe) {
    std::string why = ReadFileOnce(path, {static_cast<size_t>(kMaxParamFileBytes)}, text);
    if (why.starts_with("it is larger than")) why += ", far more than a parameter file holds";
    return why;
  }
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

std::string ReadParamFileAt(const std::string& path, ParamFileContents* contents) {
  // A pipe given on purpose (the command line's "<(cat file)") is read; a device never is.
  if (KindOfFile(path) == FileKind::Device) return "it is a device, not a file";
  std::string text;
  std::string why = ReadWholeFile(path, &text);
  if (why.empty()) why = ParseParamText(text, contents);
  return why;
}
