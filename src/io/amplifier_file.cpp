// An amplifier file (ABF, ATF) on disk: recognising it by its first bytes, reading it within a
// bound, applying the command line's import choices, and converting it to a text data file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "io/abf/import.h"
#include "io/abf/import_options.h"
#include "io/io.h"

namespace {

constexpr size_t kReadChunk = 1 << 16;
constexpr size_t kHeadBytes = 8;  // enough for every format's mark

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ImportChoices ApplyImportOptions(const AmplifierFile& file, const ImportOptions& options) {
  ImportChoices choices = DefaultImportChoices(file);
  if (options.sweeps) choices.sweeps = *options.sweeps;
  if (options.currentChannel) choices.currentChannel = *options.currentChannel;
  if (options.voltageSource) {
    choices.voltageSource = *options.voltageSource;
    choices.voltageChannel = options.voltageChannel;
  }
  if (!options.typedVoltages.empty()) {
    choices.voltageSource = VoltageSource::kTyped;
    choices.typedVoltages = options.typedVoltages;
  }
  if (options.fromMs) choices.fromMs = options.fromMs;
  if (options.toMs) choices.toMs = options.toMs;
  if (options.average) choices.average = *options.average;
  if (options.command) choices.command = *options.command;
  if (options.leak) {
    choices.leak = *options.leak;
    choices.leakFromMs = options.leakFromMs;
    choices.leakToMs = options.leakToMs;
  }
  if (options.pnSweep) choices.pnSweep = *options.pnSweep;
  return choices;
}

bool IsAmplifierPath(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return false;
  char head[kHeadBytes] = {};
  const size_t got = std::fread(head, 1, sizeof head, stream);
  std::fclose(stream);
  return IsAmplifierFile({head, got});
}

std::string ReadAmplifierPath(const std::string& path, AmplifierFile* file) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return std::string("it cannot be opened (") + std::strerror(errno) + ").";
  std::string bytes;
  std::string chunk(kReadChunk, '\0');
  size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), stream)) > 0) {
    bytes.append(chunk, 0, got);
    if (bytes.size() > kMaxAmplifierFileBytes) {
      std::fclose(stream);
      return "it is larger than " + std::to_string(kMaxAmplifierFileBytes >> 20) +
             " MiB, more than an amplifier file of up to " +
             std::to_string(kMaxAmplifierSamples >> 20) + " Mi samples holds.";
    }
  }
  const bool failed = std::ferror(stream) != 0;
  const int error = errno;
  std::fclose(stream);
  if (failed) return std::string("it could not be read (") + std::strerror(error) + ").";
  return ReadAmplifierFile(bytes, file);
}

std::string ConvertAmplifierFile(const std::string& path, const ImportOptions& options,
                                 std::string* text) {
  AmplifierFile file;
  if (!IsAmplifierPath(path)) return "it is not an ABF or ATF file.";
  if (std::string why = ReadAmplifierPath(path, &file); !why.empty()) return why;
  const ImportChoices choices = ApplyImportOptions(file, options);
  Recording recording;
  const std::string name = FileNameOf(path);
  if (std::string why = ImportRecording(file, choices, name, &recording); !why.empty()) return why;
  *text = FormatRecordingAsText(recording, DescribeImport(file, choices, name));
  return "";
}
