// Reading a file once within a bound: what is refused before any byte or after the head alone,
// and a pipe whose writer stays silent, which must not hold the program forever.
#include <sys/stat.h>

#include <thread>

#include "io/read_once.h"
#include "test_support.h"

// A file larger than the bound is refused from its size; a head the check refuses stops the
// read there; a pipe is read to its end, through the same head check.
TEST(ReadFileOnce, RefusesEarlyAndReadsPipesToTheEnd) {
  const TestFolder folder;
  const std::string big = folder.Write("big", std::string(3 * kHeadCheckBytes, 'x'));
  std::string bytes;
  EXPECT_EQ(ReadFileOnce(big, {kHeadCheckBytes}, &bytes), "it is larger than 0 MiB");
  EXPECT_TRUE(bytes.empty());

  size_t seen = 0;
  ReadOnceLimits limits{size_t{1} << 20};
  limits.checkHead = [&seen](std::string_view head) {
    seen = head.size();
    return std::string("declares too much");
  };
  EXPECT_EQ(ReadFileOnce(big, limits, &bytes), "declares too much");
  EXPECT_EQ(seen, kHeadCheckBytes);

  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] { WriteBytes(fifo, std::string(200000, 'y')); });
  limits.checkHead = [&seen](std::string_view head) {
    seen = head.size();
    return std::string();
  };
  EXPECT_EQ(ReadFileOnce(fifo, limits, &bytes), "");
  writer.join();
  EXPECT_EQ(bytes, std::string(200000, 'y'));
  EXPECT_EQ(seen, kHeadCheckBytes);
}

// No writer ever comes: the read gives up after the silence allowed, with a message.
TEST(ReadFileOnce, SilentPipeIsGivenUpOn) {
  const TestFolder folder;
  const std::string fifo = folder.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ReadOnceLimits limits{1024};
  limits.pipeSilenceMs = 200;
  std::string bytes;
  EXPECT_EQ(ReadFileOnce(fifo, limits, &bytes), "nothing came through the pipe for 200 ms");
}
