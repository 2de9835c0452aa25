// The folder the file dialogs start in, and the default extension of saved files.
#include "io/dialog_folder.h"

#include <cstring>
#include <filesystem>

#include "model/model.h"

namespace {
std::string lastFolder;     // of the last file read or written in this run
std::string lastParamFile;  // the parameter file last saved or read
}  // namespace

std::string DialogFolder() {
  if (!lastFolder.empty()) return lastFolder;
  const std::string data(status.dataFile, strnlen(status.dataFile, sizeof status.dataFile));
  if (data.empty()) return {};
  return std::filesystem::path(data).parent_path().string();
}

void RememberFileUsed(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) lastFolder = folder.string();
}

void RememberParamFile(const std::string& path) {
  lastParamFile = path;
  RememberFileUsed(path);
}

std::string LastParamFile() {
  return lastParamFile;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
  const std::filesystem::path name = std::filesystem::path(path).filename();
  if (name.empty() || name.has_extension() || name.string().front() == '.') return path;
  return path + extension;
}
