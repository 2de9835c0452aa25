// The paths a session stores: relative to the session's folder when they lie below it,
// absolute otherwise, and resolved back against that folder when a session is read.
#include "io/session_paths.h"

#include <system_error>

namespace fs = std::filesystem;

fs::path SessionFolder(const std::string& sessionPath) {
  std::error_code error;
  fs::path full = fs::absolute(sessionPath, error);
  if (error) full = sessionPath;
  return full.lexically_normal().parent_path();
}

std::string StoredSessionPath(const std::string& path, const fs::path& folder) {
  if (path.empty()) return path;
  std::error_code error;
  fs::path full = fs::absolute(path, error);
  if (error) return path;
  full = full.lexically_normal();
  const fs::path below = full.lexically_relative(folder);
  if (below.empty() || below == "." || *below.begin() == "..") return full.generic_string();
  return below.generic_string();
}

std::string ResolvedSessionPath(const std::string& stored, const fs::path& folder) {
  if (stored.empty()) return stored;
  const fs::path path(stored);
  if (path.is_absolute()) return stored;
  return (folder / path).lexically_normal().string();
}
