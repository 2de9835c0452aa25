// The --convert job: an amplifier file (ABF, ATF) written as the program's own text data file,
// with the import choices the command gives, without a window.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli_jobs.h"
#include "io/abf/import_options.h"
#include "io/io.h"

int RunConvert(const CliCommand& command) {
  std::string text;
  std::vector<std::string> notices;
  if (const std::string why =
          ConvertAmplifierFile(command.dataFile, ImportOptionsOf(command), &text, &notices);
      !why.empty()) {
    std::fprintf(stderr, "pavik: %s was not converted: %s\n", command.dataFile.c_str(),
                 why.c_str());
    return kExitFileError;
  }
  for (const std::string& notice : notices)
    std::fprintf(stderr, "pavik: %s: %s\n", command.dataFile.c_str(), notice.c_str());
  if (command.output == kStandardOutput) return WriteToStandardOutput(text, "converted data file");
  return SaveOutput(command.output, text, "converted data file");
}
