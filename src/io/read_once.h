// A file's bytes read in one pass and within a bound: a regular file in one allocation of its
// size, a pipe as its writer sends it, never waiting without end for a writer that is silent.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// How long a pipe may stay silent (no writer yet, or a writer that sends nothing) before the
// read gives up: a person typing the command sees an answer instead of a program that hangs.
constexpr int kPipeSilenceMs = 20000;
// The first bytes handed to the head check, before the rest is read.
constexpr size_t kHeadCheckBytes = 8192;

struct ReadOnceLimits {
  size_t maxBytes;  // more is refused, as soon as it is seen
  int pipeSilenceMs = kPipeSilenceMs;
  // Looks at the first bytes (up to kHeadCheckBytes, fewer when the file is shorter) before the
  // rest is read: "" to go on, or why the file is refused.
  std::function<std::string(std::string_view head)> checkHead = nullptr;
};

// Reads the file at path once into *bytes; "" or why not, in words for "it ..." ("it is a
// folder", "it is larger than 1024 MiB ...", "nothing came through the pipe for 20 s").
std::string ReadFileOnce(const std::string& path, const ReadOnceLimits& limits, std::string* bytes);

// Opens a pipe for reading once a writer has sent bytes or gone, waiting at most silenceMs;
// *descriptor then reads blocking, as an ordinary file does. "" or why not ("nothing came
// through the pipe for 20 s").
std::string OpenPipeWhenReady(const std::string& path, int silenceMs, int* descriptor);
