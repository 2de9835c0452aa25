// An amplifier file (ABF, ATF) on disk: recognising it by its first bytes, reading it within a
// bound, applying the command line's import choices, and converting it to a text data file.
#include <cstdio>
#include <string>

#include "io/abf/import.h"
#include "io/abf/import_options.h"
#include "io/io.h"
#include "io/read_once.h"

namespace {

constexpr size_t kHeadBytes = 8;  // enough for every format's mark

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// why as a sentence: the reading's reasons are phrases ("it is a folder"), the header check's a
// sentence already.
std::string Sentence(const std::string& why) {
  return why.ends_with('.') ? why : why + ".";
}

// The file read once (a pipe cannot be read again), its header's declared size checked first.
std::string ReadAmplifierBytes(const std::string& path, std::string* bytes) {
  ReadOnceLimits limits{kMaxAmplifierFileBytes};
  limits.checkHead = [](std::string_view head) { return CheckDeclaredSize(head); };
  std::string why = ReadFileOnce(path, limits, bytes);
  if (why.starts_with("it is larger than")) {
    why += ", more than an amplifier file of up to " + std::to_string(kMaxAmplifierSamples >> 20) +
           " Mi samples holds";
  }
  return why;
}

}  // namespace

ImportChoices ApplyImportOptions(const AmplifierFile& file, const ImportOptions& options) {
  ImportChoices choices = DefaultImportChoices(file);
  if (options.sweeps) choices.sweeps = *options.sweeps;
  if (options.sweeps && options.sweeps->empty())
    for (int s = 1; s <= file.sweeps; ++s) choices.sweeps.push_back(s);
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
  if (options.averageRepeats) choices.averageRepeats = *options.averageRepeats;
  if (options.typedCommand) choices.typedCommand = *options.typedCommand;
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
  std::string bytes;
  if (std::string why = ReadAmplifierBytes(path, &bytes); !why.empty()) return Sentence(why);
  return ReadAmplifierFile(bytes, file);
}

std::string ConvertAmplifierFile(const std::string& path, const ImportOptions& options,
                                 std::string* text, std::vector<std::string>* notices) {
  std::string bytes;
  if (std::string why = ReadAmplifierBytes(path, &bytes); !why.empty()) return Sentence(why);
  if (!IsAmplifierFile(bytes)) return "it is not an ABF or ATF file.";
  AmplifierFile file;
  if (std::string why = ReadAmplifierFile(bytes, &file); !why.empty()) return why;
  std::string().swap(bytes);  // the samples are read: the file's bytes are not needed again
  const ImportChoices choices = ApplyImportOptions(file, options);
  Recording recording;
  const std::string name = FileNameOf(path);
  if (std::string why = ImportRecording(file, choices, name, &recording); !why.empty()) return why;
  *text = FormatRecordingAsText(recording, DescribeImport(file, choices, name));
  *notices = file.notices;
  notices->insert(notices->end(), recording.notices.begin(), recording.notices.end());
  return "";
}
