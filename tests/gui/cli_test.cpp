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

// The shared data file's two traces, at -40 and -20 mV, five samples 0.1 ms apart.
constexpr double kStepV[2] = {-40.0, -20.0};
constexpr int kSamples = 5;

CurrentParams TestCurrent(double vm, int p, int q) {
  CurrentParams c{};
  c.Vm = vm, c.Km = -8.0, c.Vh = -50.0, c.Kh = 6.0;
  c.Tmlo = 0.5, c.Tmhi = 3.0, c.Vtm = -30.0, c.Ktm = -10.0;
  c.Thlo = 2.0, c.Thhi = 9.0, c.Vth = -40.0, c.Kth = 7.0;
  c.Vhold = -90.0, c.Gmax = 20.0 + vm, c.Erev = 50.0, c.p = p, c.q = q;
  std::snprintf(c.name, sizeof c.name, "c%d", p);
  return c;
}

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

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    data = At("tiny.txt");
    param = At("tiny.fit");
    WriteDataFile(data.toStdString(), 2, kSamples);
    currents[0] = TestCurrent(-25.0, 3, 1);
    currents[1] = TestCurrent(-5.0, 1, 0);
    for (int i = 2; i < kMaxCurrents; ++i) currents[i] = TestCurrent(0.0, 1, 1);
    FitStatus fit{};
    fit.fitCurrent[0] = fit.fitCurrent[1] = 1;
    WriteBytes(param.toStdString(), FormatParamFile(currents, DclampSettings{}, fit));
  }

  QString At(const std::string& name) const { return QString::fromStdString(dir.File(name)); }

  TestFolder dir;
  QString data, param;
  CurrentParams currents[kMaxCurrents];
};

TEST_F(CliTest, FitsMatchModelInsideWindowAndBaselineOutside) {
  const ProgramRun run = Pavik({"--fits", "-", data, param, "--xmin", "0.05", "--xmax", "0.25",
                                "--baseline", "0.5", "--trace-v", "-25,15"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string header;
  const auto rows = Table(run.out, &header);
  EXPECT_EQ(header, "t\tI1\tfit1\tI2\tfit2");
  ASSERT_EQ(rows.size(), static_cast<size_t>(kSamples));
  const double typedV[2] = {-25.0, 15.0};
  // The window from 0.05 to 0.25 ms evaluates samples 2 and 3, timed from sample 2; every
  // current adds the baseline, inside the window and out.
  for (int n = 0; n < kSamples; ++n) {
    ASSERT_EQ(rows[n].size(), 5u);
    EXPECT_NEAR(rows[n][0], 0.1 * n, 1e-12);
    EXPECT_NEAR(rows[n][1], std::exp(-n / 500.0), 1e-5);
    EXPECT_NEAR(rows[n][3], 2 * std::exp(-n / 500.0), 1e-5);
    for (int k = 0; k < 2; ++k) {
      double expected = 2 * 0.5;
      const double t = rows[n][0] - rows[2][0];
      if (n == 2 || n == 3)
        expected +=
            ModelAt(currents[0], typedV[k], t, 0.0) + ModelAt(currents[1], typedV[k], t, 0.0);
      EXPECT_NEAR(rows[n][2 + 2 * k], expected, 1e-12 * (1 + std::fabs(expected)))
          << "sample " << n << " trace " << k + 1;
    }
  }
}

// Without options the file's voltages count and a freshly loaded file's window starts one sample
// in (sample 1 timed from itself); --residuals adds a column after each fit, and the RMS goes
// over the samples that count.
TEST_F(CliTest, ResidualColumnsAndTheRmsOverTheSamplesThatCount) {
  const ProgramRun plain = Pavik({"--fits", "-", data, param});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  // overlapping regions at the window's start (the window starts at sample 1)
  const ProgramRun run = Pavik({"--fits", "-", data, param, "--residuals", "--exclude", "0:0.1",
                                "--exclude", "0.05:0.25", "--noise", "0:0.35"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string plainHeader, header;
  const auto plainRows = Table(plain.out, &plainHeader);
  const auto rows = Table(run.out, &header);
  EXPECT_EQ(header, "t\tI1\tfit1\tres1\tI2\tfit2\tres2");
  ASSERT_EQ(rows.size(), plainRows.size());
  EXPECT_EQ(plainRows[0][4], 0.0);
  EXPECT_NEAR(plainRows[1][4],
              ModelAt(currents[0], kStepV[1], 0.0, 0.0) + ModelAt(currents[1], kStepV[1], 0.0, 0.0),
              1e-12);
  double squares = 0;
  int counted = 0;
  for (size_t n = 0; n < rows.size(); ++n) {
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ(rows[n][2 + 3 * k], plainRows[n][2 + 2 * k]) << "excluding changed a fit";
      EXPECT_EQ(rows[n][3 + 3 * k], rows[n][1 + 3 * k] - rows[n][2 + 3 * k]);
      if (rows[n][0] > 0.25) {
        squares += rows[n][3 + 3 * k] * rows[n][3 + 3 * k];
        ++counted;
      }
    }
  }
  ASSERT_EQ(counted, 4);
  EXPECT_NEAR(PrintedRms(run.err), std::sqrt(squares / counted), 1e-5 * std::sqrt(squares));
  EXPECT_TRUE(Contains(run.err, "RMS/noise: all ")) << run.err;
  EXPECT_TRUE(std::isfinite(PrintedRms(plain.err))) << plain.err;
  EXPECT_FALSE(Contains(plain.err, "RMS/noise"));  // no noise region, no ratio

  const ProgramRun whole = Pavik({"--fits", "-", data, param, "--exclude", "-1:1000"});
  EXPECT_EQ(whole.exitCode, 0);
  EXPECT_EQ(PrintedRms(whole.err), -1.0) << whole.err;
  EXPECT_FALSE(Contains(whole.err, "nan"));
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
      {{"--fits", out, At("missing.txt"), param}, "file open error", {}},
      {{"--fits", out, data, At("missing.fit")}, "was not read", {}},
      {{"--report", At("missing.fit")}, "was not read", {}},
      // a text file is no amplifier file to convert; a sweep the file lacks is no recording
      {{"--convert", data, out}, "was not converted", {}},
      {{"--convert", kSodium, out, "--sweeps", "99"}, "was not converted", {}},
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

// Wrong usage ends with status 2 and points to --help; an output that names one of its own
// inputs, also through a link, is wrong usage and overwrites nothing.
TEST_F(CliTest, WrongUsageExitsTwo) {
  std::filesystem::create_symlink(param.toStdString(), dir.File("param-link.fit"));
  ASSERT_EQ(link(data.toLocal8Bit().constData(), At("hard.txt").toLocal8Bit().constData()), 0);
  const std::string dataBefore = ReadBytes(data.toStdString());
  const std::string paramBefore = ReadBytes(param.toStdString());
  const std::vector<QStringList> wrong = {
      {"--bogus"},
      {"--fits", "-", data},
      {"--fits", "-", data, param, "--xmin", "soon"},
      {"--fits", "-", data, param, "--xmin", "nan"},
      {"--fits", "-", data, param, "--select", "2"},
      {"--fits", "-", data, param, "--trace-v", "1,2,3,4,5,6,7"},
      {"--fits", "-", data, param, "--header-lines", "-1"},
      {"--render", "x.png", data, "--select", "11"},
      {"--report"},
      {"--report", param, "--fits", "-"},
      {data, param, "extra"},
      {data, "--baseline", "1"},
      {"--fits", "-", data, param, "--exclude", "2"},
      {"--fits", "-", data, param, "--exclude", "3:1"},
      {"--fits", "-", data, param, "--noise", "0:1", "--noise", "1:2"},
      {"--render", "x.png", data, "--residuals"},
      {data, "--residuals"},
      {"--convert", kSodium},
      {"--convert", kSodium, "x.txt", "--xmin", "1"},
      {"--fits", "-", kSodium, param, "--sweeps", "0"},
      {"--fits", "-", kSodium, param, "--sweeps", "1,2,3,4,5,6,7"},
      {"--fits", "-", kSodium, param, "--voltage", "chan:1"},
      {"--fits", "-", kSodium, param, "--channel", "17"},
      {"--fits", "-", kSodium, param, "--from", "1"},
      {"--fits", "-", kSodium, param, "--sweeps", "1,2", "--trace-v", "-50"},
      {"--fits", "-", data, param, "--sweeps", "1"},
      {"--sweeps", "1"},
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
      {{"--render", panel, data, param, "--select", "2"},
       {},
       [&](const std::string&) { return QImage(panel).size() == QSize(1280, 800); }},
      {{"--render", graphs, data, param, "--format", "svg", "--graphs", "all", "--style", "window"},
       {},
       [&](const std::string&) {
         const std::string svg = ReadBytes(graphs.toStdString());
         return Contains(svg, "<svg") && Contains(svg, "Time constant (ms)");
       }},
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
