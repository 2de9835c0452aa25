// Numbers under a desktop locale that writes decimal commas: the application starts under it,
// and the data file, the parameter file and the report are still read and written with a point.
#include <QProcess>

#include <clocale>
#include <cstdlib>

#include "program_fixture.h"

namespace {

const char* const kCommaLocale = "de_DE.UTF-8";

std::string PrintedOneAndAHalf() {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  return text;
}

// Switches the C library to the comma locale: the system's, or else one compiled once into the
// build tree from the sources of the locales package and found through LOCPATH. False when
// neither can be had. (The C library remembers a failed look-up, so none is tried before the
// locale exists.)
bool SwitchToCommaLocale() {
  if (std::setlocale(LC_ALL, kCommaLocale)) return true;
  const std::filesystem::path folder = PAVIK_BUILD_DIR "/test-locales";
  const std::filesystem::path built = folder / kCommaLocale;
  std::error_code ignored;
  if (!std::filesystem::exists(built / "LC_NUMERIC")) {
    std::filesystem::create_directories(folder, ignored);
    // Built under a name of its own and then renamed, so a concurrent run never finds half of it.
    const std::filesystem::path building =
        folder / ("building-" + std::to_string(QCoreApplication::applicationPid()));
    QProcess::execute("localedef",
                      {"-i", "de_DE", "-f", "UTF-8", QString::fromStdString(building.string())});
    std::filesystem::rename(building, built, ignored);
    std::filesystem::remove_all(building, ignored);
  }
  setenv("LOCPATH", folder.c_str(), 1);
  return std::setlocale(LC_ALL, kCommaLocale) != nullptr;
}

class CommaLocale : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    saved_ = std::setlocale(LC_ALL, nullptr);
    if (!SwitchToCommaLocale() || PrintedOneAndAHalf() != "1,5")
      GTEST_SKIP() << "no decimal-comma locale here (the locales package provides de_DE)";
    InitRunTime(0, nullptr);  // the run-time starts under the desktop's locale
  }
  void TearDown() override {
    std::setlocale(LC_ALL, saved_.c_str());
    StartedProgram::TearDown();
  }

 private:
  std::string saved_;
};

}  // namespace

// Reported, read, saved and read back: the window's report is the command line's, and the saved
// file is the example byte for byte.
TEST_F(CommaLocale, ReportAndFilesKeepThePoint) {
  const std::string example = kExamples + "hh-sodium.fit";
  OpenThroughMenu(MENU_OPENPARAM, example);
  TriggerMenu(MENU_CLIPBOARD);
  EXPECT_EQ(LastClipboardText(), Pavik({"--report", QString::fromStdString(example)}).out);

  OpenThroughMenu(MENU_OPENDATA, kExamples + "hh-sodium.txt");  // its trace voltages
  const std::string saved = ScratchPath("saved.fit");
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, saved);
  TriggerMenu(MENU_SAVEPARAM);
  EXPECT_EQ(ReadBytes(saved), ReadBytes(example));
  OpenThroughMenu(MENU_OPENPARAM, saved);
  EXPECT_TRUE(RecordedMessages().empty()) << RecordedMessages()[0].message;
}
