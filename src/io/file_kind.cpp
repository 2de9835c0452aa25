// What stands at a path, and its name in a message.
#include "io/file_kind.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

std::string WhyNotAReadableFile(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    const int error = errno;
    struct stat link {};
    const bool isLink = lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (error == ENOENT && isLink) {
      std::string target(4096, '\0');
      const ssize_t length = readlink(path.c_str(), target.data(), target.size());
      target.resize(length > 0 ? static_cast<size_t>(length) : 0);
      return "it is a symbolic link to " + target + ", which does not exist";
    }
    if (error == ENOENT) return "it does not exist";
    if (error == ELOOP) {
      return std::string("it is a symbolic link in a loop (") + std::strerror(error) + ")";
    }
    return std::string("it cannot be looked at (") + std::strerror(error) + ")";
  }
  switch (KindOfFile(path)) {
    case FileKind::Folder:
      return "it is a folder";
    case FileKind::Device:
      return "it is a device, not a file";
    case FileKind::Other:
      return "it is a socket, not a file";
    case FileKind::Regular:
      return info.st_size == 0 ? "it is empty" : "";
    case FileKind::None:
    case FileKind::Pipe:
      break;
  }
  return "";
}
