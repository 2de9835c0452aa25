// Special files for tests of what Pavik reads and writes: a device node of the test's own, and
// a named pipe with a thread writing into it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// A character device at path that reads as zeros: a node of its own where the system allows
// making one (so that a fault under test could only destroy that), else a link to /dev/zero.
inline bool MakeDeviceNode(const std::string& path) {
  return mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0 ||
         symlink("/dev/zero", path.c_str()) == 0;
}

inline bool IsDevice(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// A named pipe with a thread writing into it, as a shell's "<(cat file)" gives one: the bytes
// once, or endlessly until the reader closes its end.
class FifoFeeder {
 public:
  FifoFeeder(std::string path, std::string bytes, bool endless = false) : path_(std::move(path)) {
    signal(SIGPIPE, SIG_IGN);  // a reader that stops early ends the writer with EPIPE instead
    made_ = mkfifo(path_.c_str(), 0600) == 0;
    if (!made_) return;
    writer_ = std::thread([this, bytes, endless] {
      const int fd = open(path_.c_str(), O_WRONLY);  // waits for the reader
      bool failed = fd < 0;
      do {
        for (size_t done = 0; !failed && done < bytes.size();) {
          const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
          failed = n <= 0;
          done += failed ? 0 : static_cast<size_t>(n);
        }
      } while (endless && !failed);
      if (fd >= 0) close(fd);
      finished_ = true;
    });
  }
  ~FifoFeeder() {
    if (!made_) return;
    // A reader that never came: open and drop read ends until the writer's open has returned
    // and a write has failed.
    while (!finished_) {
      const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (fd >= 0) close(fd);
    }
    writer_.join();
    unlink(path_.c_str());
  }
  FifoFeeder(const FifoFeeder&) = delete;
  FifoFeeder& operator=(const FifoFeeder&) = delete;

  bool made() const { return made_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool made_ = false;
  std::atomic<bool> finished_ = false;
  std::thread writer_;
};
