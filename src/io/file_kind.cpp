// What stands at a path, and its name in a message.
#include "io/file_kind.h"

#include <sys/stat.h>

FileKind KindOfFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return FileKind::None;
  if (S_ISREG(info.st_mode)) return FileKind::Regular;
  if (S_ISDIR(info.st_mode)) return FileKind::Folder;
  if (S_ISFIFO(info.st_mode)) return FileKind::Pipe;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return FileKind::Device;
  return FileKind::Other;
}

std::string FileKindWords(FileKind kind) {
  switch (kind) {
    case FileKind::None:
      return "nothing";
    case FileKind::Regular:
      return "a regular file";
    case FileKind::Folder:
      return "a folder";
    case FileKind::Pipe:
      return "a FIFO (named pipe)";
    case FileKind::Device:
      return "a device";
    case FileKind::Other:
      break;
  }
  return "a socket";
}

std::string WhyNotFromDialog(const std::string& path) {
  const FileKind kind = KindOfFile(path);
  if (kind == FileKind::Regular || kind == FileKind::None) return "";
  return "it is " + FileKindWords(kind) + ", not a regular file";
}
