// The command line run as a separate program: exit statuses and messages, the table of fits
// against the model's formulas, the report and the offscreen render.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../unit/device_nodes.h"
#include "io/io.h"
#include "model/model.h"

namespace {

struct ProgramRun {
  int exitCode;
  std::string out, err;
};

const QString kProgram = QStringLiteral(PAVIK_BUILD_DIR "/pavik");
const QString kSodium = QStringLiteral(PAVIK_TEST_DATA "/myokit_abf-v2_INa_activation.abf");

// Runs the program; stdoutFile, when given, receives its standard output, and input is what it
// reads from standard input (a pipe).
ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const QString& stdoutFile = {}, const QByteArray& input = {}) {
  QProcess process;
  if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
  process.start(program, args);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(30000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

ProgramRun Pavik(const QStringList& args, const QString& stdoutFile = {},
                 const QByteArray& input = {}) {
  return RunProgram(kProgram, args, stdoutFile, input);
}

std::string Bytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Two traces of five samples, one millisecond apart, in the data file's seconds.
constexpr double kStepV[2] = {-20.0, 10.0};
constexpr int kSamples = 5;

CurrentParams TestCurrent(double vm, int p, int q) {
  CurrentParams c{};
  c.Vm = vm;
  c.Km = -8.0;
  c.Vh = -50.0;
  c.Kh = 6.0;
  c.Tmlo = 0.5;
  c.Tmhi = 3.0;
  c.Vtm = -30.0;
  c.Ktm = -10.0;
  c.Thlo = 2.0;
  c.Thhi = 9.0;
  c.Vth = -40.0;
  c.Kth = 7.0;
  c.Vhold = -90.0;
  c.Gmax = 20.0 + vm;
  c.Erev = 50.0;
  c.p = p;
  c.q = q;
  std::snprintf(c.name, sizeof c.name, "c%d", p);
  return c;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    data = dir.filePath("tiny.txt");
    param = dir.filePath("tiny.fit");
    std::ofstream d(data.toStdString());
    for (int i = 0; i < 13; ++i) d << "header " << i << "\n";
    d << "t\tV1\tI1\tV2\tI2\n";
    for (int n = 0; n < kSamples; ++n)
      d << 0.001 * n << "\t" << kStepV[0] << "\t" << 0.1 * n << "\t" << kStepV[1] << "\t"
        << -0.2 * n << "\n";
    currents[0] = TestCurrent(-25.0, 3, 1);
    currents[1] = TestCurrent(-5.0, 1, 0);
    for (int i = 2; i < kMaxCurrents; ++i) currents[i] = TestCurrent(0.0, 1, 1);
    FitStatus fit{};
    fit.fitCurrent[0] = fit.fitCurrent[1] = 1;
    DclampSettings settings{};
    std::ofstream(param.toStdString()) << FormatParamFile(currents, settings, fit);
  }

  // The current of c at step voltage v, t after the window's start, as the model defines it.
  static double ModelCurrent(const CurrentParams& c, double v, double t) {
    auto boltzmann = [](double x, double half, double slope) {
      return 1.0 / (std::exp((x - half) / slope) + 1.0);
    };
    auto tau = [](double x, double lo, double hi, double mid, double slope) {
      return (lo - hi) / (std::exp(-(x - mid) / slope) + 1.0) + hi;
    };
    const double minf = boltzmann(v, c.Vm, c.Km), minf0 = boltzmann(c.Vhold, c.Vm, c.Km);
    const double hinf = boltzmann(v, c.Vh, c.Kh), hinf0 = boltzmann(c.Vhold, c.Vh, c.Kh);
    const double m = minf + (minf0 - minf) * std::exp(-t / tau(v, c.Tmlo, c.Tmhi, c.Vtm, c.Ktm));
    const double h = hinf + (hinf0 - hinf) * std::exp(-t / tau(v, c.Thlo, c.Thhi, c.Vth, c.Kth));
    return 0.001 * c.Gmax * std::pow(m, c.p) * std::pow(h, c.q) * (v - c.Erev);
  }

  static std::vector<std::vector<double>> Table(const std::string& text, std::string* header) {
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

  QTemporaryDir dir;
  QString data, param;
  CurrentParams currents[kMaxCurrents];
};

TEST_F(CliTest, FitsMatchModelInsideWindowAndBaselineOutside) {
  const ProgramRun run = Pavik({"--fits", "-", data, param, "--xmin", "1", "--xmax", "3",
                                "--baseline", "0.5", "--trace-v", "-25,15"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string header;
  const auto rows = Table(run.out, &header);
  EXPECT_EQ(header, "t\tI1\tfit1\tI2\tfit2");
  ASSERT_EQ(rows.size(), static_cast<size_t>(kSamples));
  const double typedV[2] = {-25.0, 15.0};
  // The window from 1 to 3 ms evaluates samples 2 and 3, timed from sample 2; every current
  // adds the baseline, inside the window and out.
  for (int n = 0; n < kSamples; ++n) {
    ASSERT_EQ(rows[n].size(), 5u);
    EXPECT_DOUBLE_EQ(rows[n][0], n);
    EXPECT_DOUBLE_EQ(rows[n][1], 0.1 * n);
    EXPECT_DOUBLE_EQ(rows[n][3], -0.2 * n);
    for (int k = 0; k < 2; ++k) {
      double expected = 2 * 0.5;
      if (n == 2 || n == 3)
        expected += ModelCurrent(currents[0], typedV[k], n - 2.0) +
                    ModelCurrent(currents[1], typedV[k], n - 2.0);
      EXPECT_NEAR(rows[n][2 + 2 * k], expected, 1e-12 * (1 + std::fabs(expected)))
          << "sample " << n << " trace " << k + 1;
    }
  }
}

TEST_F(CliTest, FitsWithoutOptionsUseFileVoltagesAndWriteTheFile) {
  const QString out = dir.filePath("fits.tsv");
  const ProgramRun run = Pavik({"--fits", out, data, param});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  QFile file(out);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  std::string header;
  const auto rows = Table(file.readAll().toStdString(), &header);
  ASSERT_EQ(rows.size(), static_cast<size_t>(kSamples));
  // A freshly loaded file's window starts one sample in: sample 1 is timed from itself.
  const double expected =
      ModelCurrent(currents[0], kStepV[1], 0.0) + ModelCurrent(currents[1], kStepV[1], 0.0);
  EXPECT_NEAR(rows[1][4], expected, 1e-12);
  EXPECT_EQ(rows[0][4], 0.0);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);  // no temporary file left
}

TEST_F(CliTest, UnreadableFilesExitOneWithTheProgramsMessage) {
  const QString out = dir.filePath("fits.tsv");
  ProgramRun run = Pavik({"--fits", out, dir.filePath("missing.txt"), param});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.err.empty());
  run = Pavik({"--fits", out, data, dir.filePath("missing.fit")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("was not read"), std::string::npos) << run.err;
  EXPECT_FALSE(QFile::exists(out));
  run = Pavik({"--report", dir.filePath("missing.fit")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("was not read"), std::string::npos) << run.err;
  // A text file is no amplifier file to convert; a sweep the file lacks is no recording.
  for (const QStringList& args : {QStringList{"--convert", data, out},
                                  QStringList{"--convert", kSodium, out, "--sweeps", "99"}}) {
    run = Pavik(args);
    EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_NE(run.err.find("was not converted"), std::string::npos) << run.err;
  }
  EXPECT_FALSE(QFile::exists(out));
}

// What the window tells about a file it has read is told on standard error too.
TEST_F(CliTest, NoticesAboutAReadFileGoToStandardError) {
  struct Case {
    const char* name;
    std::string layoutAndRows;
    const char* notice;
  };
  std::string wide = "t";
  for (int c = 1; c < 15; ++c) wide += "\tc" + std::to_string(c);
  wide += "\n";
  for (int n = 0; n < 3; ++n) {
    wide += std::to_string(0.001 * n);
    for (int c = 1; c < 15; ++c) wide += c % 2 ? "\t-20" : "\t0.5";
    wide += "\n";
  }
  const Case cases[] = {
      {"fifteen columns", wide,
       "The rows of this file hold 15 numbers; the time and the first six"},
      {"decimal commas", "t\tV1\tI1\tV2\tI2\n0\t-20\t0,1\t10\t-0,2\n", "Line 15 holds 7 numbers"},
  };
  for (const Case& c : cases) {
    const QString file = dir.filePath("notice.txt");
    std::ofstream(file.toStdString()) << std::string(13, '\n') << c.layoutAndRows;
    const ProgramRun run = Pavik({"--fits", "-", file, param});
    EXPECT_EQ(run.exitCode, 0) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find(c.notice), std::string::npos) << c.name << ": " << run.err;
  }
}

TEST_F(CliTest, UnwritableOutputExitsOneAndLeavesNothing) {
  const ProgramRun run = Pavik({"--fits", dir.filePath("no/such/dir/fits.tsv"), data, param});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("could not be saved"), std::string::npos) << run.err;
}

// What an output must not replace is refused with the save-failure message and stays as it was;
// the reason given is the true one (a failed rename once said "Success").
TEST_F(CliTest, OutputsThatMustNotBeReplacedAreRefused) {
  const QString folder = dir.filePath("folder");
  ASSERT_TRUE(QDir(dir.path()).mkpath("folder/inside"));
  const QString fifo = dir.filePath("fifo");
  ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  const QString device = dir.filePath("device");
  ASSERT_TRUE(MakeDeviceNode(device.toStdString()));
  const QString readOnly = dir.filePath("read-only.tsv");
  std::ofstream(readOnly.toStdString()) << "kept";
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
  EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
  EXPECT_TRUE(lstat(fifo.toLocal8Bit().constData(), &info) == 0 && S_ISFIFO(info.st_mode));
  EXPECT_TRUE(IsDevice(device.toStdString()));
  EXPECT_EQ(Bytes(readOnly), "kept");
  EXPECT_EQ(QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden)
                .size(),
            6);  // no temporary file left
}

// Outputs go through a link to its target, and file names are bytes, not necessarily UTF-8.
TEST_F(CliTest, OutputsGoThroughLinksAndKeepTheirNamesByteForByte) {
  const QString target = dir.filePath("target.tsv");
  ASSERT_TRUE(QFile::link(target, dir.filePath("link.tsv")));
  ProgramRun run = Pavik({"--fits", dir.filePath("link.tsv"), data, param});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(QFileInfo(dir.filePath("link.tsv")).isSymLink());
  EXPECT_TRUE(Contains(Bytes(target), "t\tI1\tfit1"));

  // The names are made by the shell, since arguments given here would pass through UTF-8.
  const QString script =
      "cd \"$1\" && d=$(printf 'd\\377.txt') && cp tiny.txt \"$d\" && "
      "\"$0\" --fits \"$(printf 'f\\377.tsv')\" \"$d\" tiny.fit && "
      "\"$0\" --render \"$(printf 'r\\377.png')\" \"$d\" tiny.fit";
  run = RunProgram("/bin/sh", {"-c", script, kProgram, dir.path()});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString()))
    names.push_back(entry.path().filename().native());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"d\xff.txt", "f\xff.tsv", "link.tsv", "r\xff.png",
                                             "target.tsv", "tiny.fit", "tiny.txt"}));
}

// An output that names one of its own inputs, also through a link, would overwrite it.
TEST_F(CliTest, OutputNamingAnInputIsWrongUsage) {
  ASSERT_TRUE(QFile::link(param, dir.filePath("param-link.fit")));
  ASSERT_EQ(
      link(data.toLocal8Bit().constData(), dir.filePath("hard.txt").toLocal8Bit().constData()), 0);
  const std::string dataBefore = Bytes(data), paramBefore = Bytes(param);
  const std::vector<QStringList> runs = {{"--fits", data, data, param},
                                         {"--fits", param, data, param},
                                         {"--fits", dir.filePath("hard.txt"), data, param},
                                         {"--fits", dir.filePath("param-link.fit"), data, param},
                                         {"--render", data, data}};
  for (const QStringList& args : runs) {
    const ProgramRun run = Pavik(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, "--help")) << run.err;
  }
  EXPECT_EQ(Bytes(data), dataBefore);
  EXPECT_EQ(Bytes(param), paramBefore);
}

// A write to standard output that fails is said and ends with status 1.
TEST_F(CliTest, FailedWritesToStandardOutputExitOne) {
  for (const QStringList& args : std::vector<QStringList>{
           {"--report", param}, {"--fits", "-", data, param}, {"--help"}, {"--version"}}) {
    const ProgramRun run = Pavik(args, "/dev/full");
    EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
    EXPECT_TRUE(Contains(run.err, "standard output")) << run.err;
  }
}

// A pipe given on purpose, here standard input, is read.
TEST_F(CliTest, ParameterFileFromStandardInput) {
  QFile file(param);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const ProgramRun run = Pavik({"--report", "/dev/stdin"}, {}, file.readAll());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "c3"));
}

// The test seams (queued dialog answers, recorded messages, ...) are built into tests only.
TEST(ProgramBinary, HoldsNoTestSeams) {
  const std::string program = Bytes(kProgram);
  ASSERT_GT(program.size(), 100000u);
  for (const char* seam : {"QueueFileSelectAnswer", "RecordedMessages", "SetUnattended",
                           "GraphPlotHandles", "DragGraphCursor", "DeliveredEvents"})
    EXPECT_FALSE(Contains(program, seam)) << seam;
}

TEST_F(CliTest, WrongUsageExitsTwo) {
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
      {"--sweeps", "1"}};
  for (const QStringList& args : wrong) {
    const ProgramRun run = Pavik(args);
    EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_NE(run.err.find("--help"), std::string::npos);
  }
}

// The overall RMS figure --fits printed on standard error, or NaN when it printed none.
double PrintedRms(const std::string& err) {
  const size_t at = err.find("samples that count: all ");
  if (at == std::string::npos) return NAN;
  const std::string rest = err.substr(at + 24);
  return rest.rfind("not available", 0) == 0 ? -1.0 : std::strtod(rest.c_str(), nullptr);
}

TEST_F(CliTest, ResidualColumnsAndTheRmsOverTheSamplesThatCount) {
  const ProgramRun plain = Pavik({"--fits", "-", data, param});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  // overlapping regions at the window's start (the window starts at sample 1)
  const ProgramRun run = Pavik({"--fits", "-", data, param, "--residuals", "--exclude", "0:1",
                                "--exclude", "0.5:2", "--noise", "0:3"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string plainHeader, header;
  const auto plainRows = Table(plain.out, &plainHeader);
  const auto rows = Table(run.out, &header);
  EXPECT_EQ(header, "t\tI1\tfit1\tres1\tI2\tfit2\tres2");
  ASSERT_EQ(rows.size(), plainRows.size());
  double squares = 0;
  int counted = 0;
  for (size_t n = 0; n < rows.size(); ++n) {
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ(rows[n][2 + 3 * k], plainRows[n][2 + 2 * k]) << "excluding changed a fit";
      EXPECT_EQ(rows[n][3 + 3 * k], rows[n][1 + 3 * k] - rows[n][2 + 3 * k]);
      if (rows[n][0] > 2) {
        squares += rows[n][3 + 3 * k] * rows[n][3 + 3 * k];
        ++counted;
      }
    }
  }
  EXPECT_NEAR(PrintedRms(run.err), std::sqrt(squares / counted), 1e-5 * std::sqrt(squares));
  EXPECT_NE(run.err.find("RMS/noise: all "), std::string::npos) << run.err;
  EXPECT_TRUE(std::isfinite(PrintedRms(plain.err))) << plain.err;
  EXPECT_EQ(plain.err.find("RMS/noise"), std::string::npos);  // no noise region, no ratio

  const ProgramRun whole = Pavik({"--fits", "-", data, param, "--exclude", "-1:1000"});
  EXPECT_EQ(whole.exitCode, 0);
  EXPECT_EQ(PrintedRms(whole.err), -1.0) << whole.err;  // "not available"
  EXPECT_EQ(whole.err.find("nan"), std::string::npos);
}

TEST_F(CliTest, HelpAndVersionExitZero) {
  ProgramRun run = Pavik({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("--fits OUT DATAFILE PARAMFILE"), std::string::npos);
  run = Pavik({"--version"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("3.2"), std::string::npos);
}

TEST_F(CliTest, ReportHasAllTenCurrents) {
  const ProgramRun run = Pavik({"--report", param});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  int lines = 0;
  for (char c : run.out) lines += c == '\n';
  EXPECT_EQ(lines, 191);
  EXPECT_NE(run.out.find("c3"), std::string::npos);
}

TEST_F(CliTest, RenderWritesA1280By800Png) {
  const QString out = dir.filePath("panel.png");
  const ProgramRun run = Pavik({"--render", out, data, param, "--select", "2"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const QImage image(out);
  EXPECT_EQ(image.size(), QSize(1280, 800));
}

// --format and --graphs draw the graphs alone: an SVG of all three, a PNG of the data graph at 2x.
TEST_F(CliTest, RenderDrawsTheGraphsInTheFormatAsked) {
  const QString svg = dir.filePath("graphs.svg");
  ProgramRun run = Pavik({"--render", svg, data, param, "--format", "svg", "--graphs", "all"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("<svg") && text.contains("Time constant (ms)"));
  const QString png = dir.filePath("data.png");
  run = Pavik({"--render", png, data, "--graphs", "data"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(QImage(png).size(), QSize(1600, 900));
}

}  // namespace
