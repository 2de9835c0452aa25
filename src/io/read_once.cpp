// A file's bytes read in one pass, within a bound, without waiting forever on a pipe.
#include "io/read_once.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "io/file_kind.h"

namespace {

constexpr size_t kPipeChunk = 1 << 16;  // also what a file that grew is read on in

std::string SystemReason(const char* what, int error) {
  return std::string(what) + " (" + std::strerror(error) + ")";
}

std::string TooLarge(size_t maxBytes) {
  return "it is larger than " + std::to_string(maxBytes >> 20) + " MiB";
}

// Waits until the pipe has bytes or its writer has gone; "" or why not.
std::string AwaitPipe(int fd, int silenceMs) {
  pollfd wait{fd, POLLIN, 0};
  for (;;) {
    const int ready = poll(&wait, 1, silenceMs);
    if (ready > 0) return "";
    if (ready == 0) {
      const std::string silence = silenceMs % 1000 == 0 ? std::to_string(silenceMs / 1000) + " s"
                                                        : std::to_string(silenceMs) + " ms";
      return "nothing came through the pipe for " + silence;
    }
    if (errno != EINTR) return SystemReason("it could not be read", errno);
  }
}

// Appends what the descriptor gives until its end; "" or why not.
std::string ReadRest(int fd, bool pipe, const ReadOnceLimits& limits, size_t upTo,
                     std::string* bytes) {
  std::string chunk(pipe ? kPipeChunk : 0, '\0');
  for (;;) {
    if (pipe) {
      if (std::string why = AwaitPipe(fd, limits.pipeSilenceMs); !why.empty()) return why;
    }
    char* into = nullptr;
    size_t room = 0;
    const size_t had = bytes->size();
    if (pipe) {
      into = chunk.data();
      room = chunk.size();
    } else {
      // A regular file is read into the room reserved for its size, its head first, so that a
      // header declaring too much stops the read there; the end is seen in the reserve's spare
      // byte, without moving the bytes. A file that grew since it was looked at is read on in
      // chunks, up to the bound.
      const size_t spare = bytes->capacity() - had;
      room = had < kHeadCheckBytes ? kHeadCheckBytes - had
             : had < upTo          ? upTo - had
             : spare > 0           ? spare
                                   : kPipeChunk;
      bytes->resize(had + room);
      into = bytes->data() + had;
    }
    const ssize_t got = read(fd, into, room);
    if (!pipe) bytes->resize(had + (got > 0 ? static_cast<size_t>(got) : 0));
    if (got == 0) return "";
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return SystemReason("it could not be read", errno);
    }
    if (pipe) bytes->append(chunk.data(), static_cast<size_t>(got));
    if (bytes->size() > limits.maxBytes) return TooLarge(limits.maxBytes);
    if (limits.checkHead && had < kHeadCheckBytes && bytes->size() >= kHeadCheckBytes) {
      if (std::string why = limits.checkHead(std::string_view(*bytes).substr(0, kHeadCheckBytes));
          !why.empty())
        return why;
    }
  }
}

}  // namespace

std::string ReadFileOnce(const std::string& path, const ReadOnceLimits& limits,
                         std::string* bytes) {
  bytes->clear();
  if (std::string why = WhyNotAReadableFile(path); !why.empty()) return why;
  // Non-blocking, so that opening a pipe without a writer returns at once; the waiting is
  // AwaitPipe's, with its bound.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return SystemReason("it cannot be opened", errno);
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    return SystemReason("it cannot be looked at", error);
  }
  const bool pipe = S_ISFIFO(info.st_mode);
  std::string why;
  if (!pipe && !S_ISREG(info.st_mode)) {
    why = "it is not a file";  // changed since it was looked at
  } else if (!pipe && static_cast<uint64_t>(info.st_size) > limits.maxBytes) {
    why = TooLarge(limits.maxBytes);  // refused before a byte is read
  } else {
    const size_t size = pipe ? 0 : static_cast<size_t>(info.st_size);
    bytes->reserve(pipe ? kPipeChunk : size + 1);
    why = ReadRest(fd, pipe, limits, size, bytes);
  }
  close(fd);
  if (why.empty() && limits.checkHead && bytes->size() < kHeadCheckBytes)
    why = limits.checkHead(*bytes);
  if (!why.empty()) {
    bytes->clear();
    bytes->shrink_to_fit();
  }
  return why;
}
