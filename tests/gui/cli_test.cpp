// The command line run as a separate program: exit statuses and messages, the table of fits
// against the model's formulas, residuals, outputs that must not be replaced, the report and the
// offscreen render.
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <QStringList>
#include <algorithm>
#include <functional>

#include "../unit/device_nodes.h"
#include "program_fixture.h"

namespace {

const QString kSodium = QStringLiteral(PAVIK_TEST_DATA "/myokit_abf-v2_INa_activation.abf");

constexpr int kSamples = 5;  // in the shared data file, 0.1 ms apart, of two traces

// The rows of a table of fits, after its header line.
std::vector<std::vector<double>> Table(const std::string& text, std::string* header) {
  std::istringstream in(text);
  std::getline(in, *header);
  std::vector<std::vector<double>> rows;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    rows.emplace_back();
    for (double x; fields >> x;) rows.back().push_back(x);
  }
  return rows;
}

// A data file of two traces and a parameter file of two currents in the fit, named c3 and c1.
class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    data = At("tiny.txt");
    param = At("tiny.fit");
    WriteDataFile(data.toStdString(), 2, kSamples);
    CurrentParams currents[kMaxCurrents];
    for (int i = 0; i < kMaxCurrents; ++i) {
      const int p = i == 1 ? 1 : 3;
      currents[i] = {-25.0 + 20 * i, -50, -8, 6, 3, 0.5, 9, 2, -30, -40, -10, 7, -90, 20, 50, p,
                     p == 3,         ""};
      std::snprintf(currents[i].name, sizeof currents[i].name, "c%d", p);
    }
    FitStatus fit{};
    fit.fitCurrent[0] = fit.fitCurrent[1] = 1;
    WriteBytes(param.toStdString(), FormatParamFile(currents, DclampSettings{}, fit));
  }

  QString At(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

  TestFolder dir;
  QString data, param;
};

// --residuals adds a column of measured minus fit after each fit; the RMS on standard error goes
// over the samples that count (here the regions overlap at the window's start, which is sample 1),
// and is "not available", never NaN, when a region covers the whole window.
TEST_F(CliTest, ResidualColumnsAndTheRmsOverTheSamplesThatCount) {
  const ProgramRun run = Pavik({"--fits", "-", data, param, "--residuals", "--exclude", "0:0.1",
                                "--exclude", "0.05:0.25", "--noise", "0:0.35"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string header;
  const auto rows = Table(run.out, &header);
  EXPECT_EQ(header, "t\tI1\tfit1\tres1\tI2\tfit2\tres2");
  double squares = 0;
  int counted = 0;
  for (const std::vector<double>& row : rows) {
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ(row[3 + 3 * k], row[1 + 3 * k] - row[2 + 3 * k]);
      if (row[0] > 0.25) squares += row[3 + 3 * k] * row[3 + 3 * k], ++counted;
    }
  }
  ASSERT_EQ(counted, 4);
  EXPECT_NEAR(PrintedRms(run.err), std::sqrt(squares / counted), 1e-5 * std::sqrt(squares));
  EXPECT_TRUE(Contains(run.err, "RMS/noise: all ")) << run.err;

  const ProgramRun whole = Pavik({"--fits", "-", data, param, "--exclude", "-1:1000"});
  EXPECT_EQ(whole.exitCode, 0);
  EXPECT_EQ(PrintedRms(whole.err), -1.0) << whole.err;
  EXPECT_FALSE(Contains(whole.err, "nan"));
  EXPECT_FALSE(Contains(whole.err, "RMS/noise"));  // no noise region, no ratio
}

// What the window tells about a file it has read is told on standard error too.
TEST_F(CliTest, NoticesAboutAReadFileGoToStandardError) {
  const std::pair<std::string, const char*> cases[] = {
      {ReadBytes(WriteDataFile(dir.File("seven.txt"), 7, 3)),
       "The rows of this file hold 15 numbers; the time and the first six"},
      {std::string(13, '\n') + "t\tV1\tI1\tV2\tI2\n0\t-20\t0,1\t10\t-0,2\n",
       "Line 15 holds 7 numbers"},
  };
  for (const auto& [text, notice] : cases) {
    const QString file = At("notice.txt");
    WriteBytes(file.toStdString(), text);
    const ProgramRun run = Pavik({"--fits", "-", file, param});
    EXPECT_EQ(run.exitCode, 0) << notice << ": " << run.err;
    EXPECT_TRUE(Contains(run.err, notice)) << run.err;
  }
}

// A file that cannot be read or an output that cannot be written ends with status 1 and the
// program's own words, standard output included; nothing is left behind.
TEST_F(CliTest, UnreadableFilesAndFailedWritesExitOne) {
  const QString out = At("out.tsv");
  const struct {
    QStringList args;
    const char* message;
    QString stdoutFile;
  } cases[] = {
      {{"--fits", out, At("missing.txt"), param},
       "missing.txt was not read: it does not exist",
       {}},
      {{"--fits", out, data, At("missing.fit")}, "was not read", {}},
      {{"--report", At("missing.fit")}, "was not read", {}},
      // a text file is no amplifier file to convert; a sweep the file lacks is no recording
      {{"--convert", data, out}, "was not converted", {}},
      {{"--convert", kSodium, out, "--sweeps", "99"}, "was not converted", {}},
      // seven voltages are only for an amplifier file's sweeps
      {{"--fits", out, data, param, "--trace-v", "1,2,3,4,5,6,7"}, "at most 6 traces", {}},
      {{"--fits", At("no/such/dir/fits.tsv"), data, param}, "could not be saved", {}},
      {{"--report", param}, "standard output", "/dev/full"},
      {{"--fits", "-", data, param}, "standard output", "/dev/full"},
      {{"--help"}, "standard output", "/dev/full"},
      {{"--version"}, "standard output", "/dev/full"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Pavik(c.args, c.stdoutFile);
    EXPECT_EQ(run.exitCode, 1) << c.args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, c.message)) << run.err;
  }
  EXPECT_EQ(dir.Entries().size(), 2u);
}

// A file that is not a readable file is named, with what it really is, by --convert and --fits
// alike (both once said "not an ABF or ATF file" or a bare "file open error").
TEST_F(CliTest, SpecialInputsAreNamedForWhatTheyAre) {
  std::filesystem::create_directories(dir.File("folder"));
  std::filesystem::create_symlink(dir.File("gone"), dir.File("dangling"));
  std::filesystem::create_symlink(dir.File("loop"), dir.File("loop"));
  std::filesystem::create_symlink("/dev/zero", dir.File("zero-link"));
  WriteBytes(dir.File("empty.abf"), "");
  const std::pair<const char*, const char*> cases[] = {
      {"missing.abf", "does not exist"},
      {"dangling", "symbolic link to"},
      {"loop", "symbolic link in a loop (Too many levels of symbolic links)"},
      {"folder", "is a folder"},
      {"zero-link", "is a device, not a file"},
      {"empty.abf", "is empty"},
  };
  for (const auto& [name, reason] : cases) {
    for (const QStringList& args : {QStringList{"--convert", At(name), At("out.txt")},
                                    QStringList{"--fits", At("out.tsv"), At(name), param}}) {
      const ProgramRun run = Pavik(args);
      EXPECT_EQ(run.exitCode, 1) << name;
      EXPECT_TRUE(Contains(run.err, dir.File(name)) && Contains(run.err, reason)) << run.err;
    }
  }
  EXPECT_TRUE(Contains(Pavik({"--convert", "/dev/zero", At("out.txt")}).err, "is a device"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.txt")));
}

// An ABF file through a FIFO is read once and converted as from the disk; the writer may finish
// before the program reads.
TEST_F(CliTest, ConvertReadsAPipeOnce) {
  const QString fifo = At("fifo");
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  ASSERT_EQ(Pavik({"--convert", kSodium, At("direct.txt")}).exitCode, 0);
  QProcess writer;
  writer.start("sh", {"-c", "cat \"$0\" > \"$1\"", kSodium, fifo});
  const ProgramRun run = Pavik({"--convert", fifo, At("piped.txt")});
  writer.waitForFinished();
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto rows = [](const std::string& text) { return text.substr(text.find("\nTime")); };
  EXPECT_EQ(rows(ReadBytes(dir.File("piped.txt"))), rows(ReadBytes(dir.File("direct.txt"))));
}

// What an output must not replace is refused with the save-failure message and stays as it was;
// the reason given is the true one (a failed rename once said "Success").
TEST_F(CliTest, OutputsThatMustNotBeReplacedAreRefused) {
  const QString folder = At("folder"), fifo = At("fifo"), device = At("device");
  const QString readOnly = At("read-only.tsv");
  std::filesystem::create_directories(dir.File("folder/inside"));
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  ASSERT_TRUE(MakeDeviceNode(device.toStdString()));
  WriteBytes(readOnly.toStdString(), "kept");
  ASSERT_EQ(chmod(readOnly.toLocal8Bit().constData(), 0444), 0);
  const std::vector<QStringList> runs = {{"--fits", folder, data, param},
                                         {"--fits", fifo, data, param},
                                         {"--fits", device, data, param},
                                         {"--fits", readOnly, data, param},
                                         {"--render", fifo, data}};
  for (const QStringList& args : runs) {
    const ProgramRun run = Pavik(args);
    EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, "could not be saved")) << run.err;
    EXPECT_FALSE(Contains(run.err, "(Success)")) << run.err;
  }
  struct stat info {};
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
  EXPECT_TRUE(lstat(fifo.toLocal8Bit().constData(), &info) == 0 && S_ISFIFO(info.st_mode));
  EXPECT_TRUE(IsDevice(device.toStdString()));
  EXPECT_EQ(ReadBytes(readOnly.toStdString()), "kept");
  EXPECT_EQ(dir.Entries().size(), 6u);  // no temporary file left
}

// Outputs go through a link to its target, and file names are bytes, not necessarily UTF-8.
TEST_F(CliTest, OutputsGoThroughLinksAndKeepTheirNamesByteForByte) {
  std::filesystem::create_symlink(dir.File("target.tsv"), dir.File("link.tsv"));
  ProgramRun run = Pavik({"--fits", At("link.tsv"), data, param});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.tsv")));
  EXPECT_TRUE(Contains(ReadBytes(dir.File("target.tsv")), "t\tI1\tfit1"));

  // The names are made by the shell, since arguments given here would pass through UTF-8.
  const QString script =
      "cd \"$1\" && d=$(printf 'd\\377.txt') && cp tiny.txt \"$d\" && "
      "\"$0\" --fits \"$(printf 'f\\377.tsv')\" \"$d\" tiny.fit && "
      "\"$0\" --render \"$(printf 'r\\377.png')\" \"$d\" tiny.fit";
  run = RunProgram("/bin/sh", {"-c", script, kProgram, At("")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(dir.Entries(),
            (std::vector<std::string>{"d\xff.txt", "f\xff.tsv", "link.tsv", "r\xff.png",
                                      "target.tsv", "tiny.fit", "tiny.txt"}));
}

// Wrong usage ends with status 2 and points to --help (what each refusal says: the command line
// reader's tests); an output that names one of its own inputs, also through a link, is wrong
// usage and overwrites nothing, as are import options on a text data file.
TEST_F(CliTest, WrongUsageExitsTwo) {
  std::filesystem::create_symlink(param.toStdString(), dir.File("param-link.fit"));
  ASSERT_EQ(link(data.toLocal8Bit().constData(), At("hard.txt").toLocal8Bit().constData()), 0);
  const std::string dataBefore = ReadBytes(data.toStdString());
  const std::string paramBefore = ReadBytes(param.toStdString());
  const std::vector<QStringList> wrong = {{"--bogus"},
                                          {"--fits", "-", data, param, "--sweeps", "1"},
                                          {"--fits", data, data, param},
                                          {"--fits", param, data, param},
                                          {"--fits", At("hard.txt"), data, param},
                                          {"--fits", At("param-link.fit"), data, param},
                                          {"--render", data, data}};
  for (const QStringList& args : wrong) {
    const ProgramRun run = Pavik(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, "--help")) << run.err;
  }
  EXPECT_EQ(ReadBytes(data.toStdString()), dataBefore);
  EXPECT_EQ(ReadBytes(param.toStdString()), paramBefore);
}

// Help, version, the report (also of a pipe given on purpose) and the renders exit 0 with what
// they promise: the panel at 1280 x 800, an SVG of all three graphs, the data graph at 2x.
TEST_F(CliTest, SuccessfulRunsExitZero) {
  QByteArray paramBytes = QByteArray::fromStdString(ReadBytes(param.toStdString()));
  const QString panel = At("panel.png"), graphs = At("graphs.svg"), dataGraph = At("data.png");
  const struct {
    QStringList args;
    QByteArray input;
    std::function<bool(const std::string&)> holds;
  } cases[] = {
      {{"--help"}, {}, [](const std::string& out) { return Contains(out, "--fits OUT DATAFILE"); }},
      {{"--version"}, {}, [](const std::string& out) { return Contains(out, kVersion); }},
      {{"--report", param}, {}, [](const std::string& out) { return Contains(out, "c3"); }},
      {{"--report", "/dev/stdin"},
       paramBytes,
       [](const std::string& out) { return Contains(out, "c3"); }},
      // a data file through a pipe is read whole within a bound of time, then parsed as text
      {{"--fits", "-", "/dev/stdin", param},
       QByteArray::fromStdString(ReadBytes(data.toStdString())),
       [](const std::string& out) { return out.starts_with("t\tI1\tfit1"); }},
      {{"--render", panel, data, param, "--select", "2"},
       {},
       [&](const std::string&) { return QImage(panel).size() == QSize(1280, 800); }},
      {{"--render", graphs, data, param, "--format", "svg", "--graphs", "all", "--style", "window"},
       {},
       [&](const std::string&) {
         const std::string svg = ReadBytes(graphs.toStdString());
         return Contains(svg, "<svg") && Contains(svg, "Time constant (ms)");
       }},
      {{"--fits", "-", kSodium, param, "--sweeps", "1,2,3,4,5,6,7,8", "--trace-v",
        "-90,-80,-70,-60,-50,-40,-30,-20"},
       {},
       [](const std::string& out) { return Contains(out, "I8\t"); }},
      {{"--render", dataGraph, data, "--graphs", "data"},
       {},
       // For a paper by default: one column, 85 x 60 mm at 300 dpi.
       [&](const std::string&) { return QImage(dataGraph).size() == QSize(1004, 709); }},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Pavik(c.args, {}, c.input);
    EXPECT_EQ(run.exitCode, 0) << c.args.join(' ').toStdString() << ": " << run.err;
    EXPECT_TRUE(c.holds(run.out)) << c.args.join(' ').toStdString();
  }
}

// The test seams (queued dialog answers, recorded messages, ...) are built into tests only.
TEST(ProgramBinary, HoldsNoTestSeams) {
  const std::string program = ReadBytes(kProgram.toStdString());
  ASSERT_GT(program.size(), 100000u);
  for (const char* seam : {"QueueFileSelectAnswer", "RecordedMessages", "SetUnattended",
                           "GraphPlotHandles", "DragGraphCursor", "DeliveredEvents"})
    EXPECT_FALSE(Contains(program, seam)) << seam;
}

}  // namespace
