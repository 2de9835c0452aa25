// Saving a file safely: follow links to the real target, refuse what must not be replaced,
// write and flush a temporary file beside it, rename it over the target, flush the folder.
#include "io/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "io/file_kind.h"

namespace {

constexpr int kMaxLinkHops = 40;        // links in a row, as the system itself allows
constexpr int kTempNameAttempts = 100;  // names tried before giving up on a temporary file

std::string Reason(const std::string& what, int error) {
  return what + " (" + std::strerror(error) + ")";
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that path leads to through any symbolic links (itself when it is none, or when
// nothing is there yet); false with why when a link cannot be followed.
bool FollowLinks(const std::string& path, std::string* target, std::string* why) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *target = current;
      return true;
    }
    std::vector<char> text(PATH_MAX + 1);
    const ssize_t length = readlink(current.c_str(), text.data(), text.size());
    if (length < 0 || static_cast<size_t>(length) >= text.size()) {
      *why = Reason("the link to it cannot be read", length < 0 ? errno : ENAMETOOLONG);
      return false;
    }
    const std::string next(text.data(), static_cast<size_t>(length));
    current = next.front() == '/' ? next : FolderOf(current) + "/" + next;
  }
  *why = Reason("it is reached through too many symbolic links", ELOOP);
  return false;
}

// "" when the file at target may be replaced; existing tells whether one is there.
std::string WhyNotReplace(const std::string& target, struct stat* existing, bool* exists) {
  *exists = stat(target.c_str(), existing) == 0;
  if (!*exists) return "";  // a new file; creating it beside will say what is wrong, if anything
  const FileKind kind = KindOfFile(target);
  if (kind != FileKind::Regular) return "it is " + FileKindWords(kind) + ", not a regular file";
  // The mode as well: a rename would replace a read-only file, and root may write anything.
  if ((existing->st_mode & 0222) == 0) return "it is read-only";
  if (access(target.c_str(), W_OK) != 0) {
    return errno == EACCES || errno == EROFS ? "it is read-only"
                                             : Reason("it cannot be written", errno);
  }
  return "";
}

// A new file in folder that no one else has opened, under a short name (so that a target's
// name near the system's limit still leaves room); -1 with errno on failure.
int CreateTempIn(const std::string& folder, std::string* tempPath) {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    *tempPath = folder + "/.pavik-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Writes, flushes and closes fd; "" or why not. fd is closed either way.
std::string FillAndClose(int fd, std::string_view bytes) {
  const bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  const int error = errno;
  const bool closed = close(fd) == 0;
  if (!ok) return Reason("writing it failed", error);
  if (!closed) return Reason("writing it failed", errno);
  return "";
}

// Flushes a folder's entries (the rename) to disk. A folder that cannot be opened, or a file
// system that cannot flush folders, leaves nothing to do.
int FlushFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  const int result = fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  close(fd);
  return result;
}

}  // namespace

SaveResult SaveFileSafely(const std::string& path, std::string_view bytes) {
  SaveResult result;
  std::string target;
  if (path.empty()) {
    result.why = "no file name was given";
    return result;
  }
  if (!FollowLinks(path, &target, &result.why)) return result;
  struct stat existing {};
  bool exists = false;
  result.why = WhyNotReplace(target, &existing, &exists);
  if (!result.why.empty()) return result;

  const std::string folder = FolderOf(target);
  std::string tempPath;
  const int fd = CreateTempIn(folder, &tempPath);
  if (fd < 0) {
    result.why = Reason("a file could not be created in its folder", errno);
    return result;
  }
  if (exists) {  // the replaced file's owner and permissions; an owner may only be kept by root
    if (fchown(fd, existing.st_uid, existing.st_gid) != 0) errno = 0;
    fchmod(fd, existing.st_mode & 07777);
  }
  result.why = FillAndClose(fd, bytes);
  if (result.why.empty() && rename(tempPath.c_str(), target.c_str()) != 0) {
    result.why = Reason("the new file could not replace it", errno);  // before unlink sets errno
  }
  if (!result.why.empty()) {
    unlink(tempPath.c_str());
    return result;
  }
  if (const int error = FlushFolder(folder); error != 0) {
    result.why = Reason("its folder could not be flushed to disk", error);
    result.replaced = true;
  }
  return result;
}

std::string SaveFailureMessage(const std::string& what, const std::string& path,
                               const SaveResult& result) {
  return "The " + what + " could not be saved to\n" + path + "\nbecause " + result.why + ".\n" +
         (result.replaced ? "The new file has taken the old one's place, but may not survive a "
                            "crash of the system."
                          : "A file already there is unchanged.");
}
