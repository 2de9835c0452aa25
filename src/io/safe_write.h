// The one routine by which Pavik writes a file: the parameter file, the command line's table of
// fits and its image of the main panel. The new contents go into a temporary file beside the
// target, are flushed to disk, and replace the target by a rename only when all of them were
// written; then the folder is flushed too. What must not be replaced (a read-only file, a
// folder, a FIFO, a device) is refused, and a symbolic link is written through to its file.
#pragma once

#include <string>
#include <string_view>

struct SaveResult {
  std::string why;        // "" when the file was saved; otherwise why not, for a message
  bool replaced = false;  // the target was replaced all the same: only the folder's flush failed
};

SaveResult SaveFileSafely(const std::string& path, std::string_view bytes);
// "The <what> could not be saved to <path> because <why>", and what became of a file there.
std::string SaveFailureMessage(const std::string& what, const std::string& path,
                               const SaveResult& result);
