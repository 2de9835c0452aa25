// The command line's polish run as a separate program on the potassium example from a rough
// start: it reaches the bundled fit's RMS, writes the parameter file with only the polished
// values changed, honours --fix, --free, --bounds and --json, and refuses what it cannot do
// without writing anything; on the example's own model it exits 0.
#include <QFile>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "program_fixture.h"

namespace {

ParamFileContents ReadParams(const QString& path) {
  ParamFileContents contents{};
  EXPECT_EQ(ReadParamFileAt(path.toStdString(), &contents), "") << path.toStdString();
  return contents;
}

std::string Format(const ParamFileContents& contents) {
  FitStatus fit{};
  std::copy(std::begin(contents.fitCurrent), std::end(contents.fitCurrent), fit.fitCurrent);
  std::copy(std::begin(contents.loadedV), std::end(contents.loadedV), fit.traceV);
  return FormatParamFile(contents.currents, contents.dclamp, fit);
}

// The overall RMS that --fits prints on standard error.
double FitsRms(const QString& data, const QString& param) {
  const ProgramRun run = Pavik({"--fits", "-", data, param});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return PrintedRms(run.err);
}

// The rows (current, parameter) of the table the polish printed.
std::vector<std::pair<int, std::string>> TableRows(const std::string& out) {
  std::vector<std::pair<int, std::string>> rows;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);  // the column names
  while (std::getline(in, line) && !line.empty()) {
    std::istringstream fields(line);
    int current = 0;
    std::string name;
    fields >> current >> name;
    rows.emplace_back(current, name);
  }
  return rows;
}

double& Field(ParamFileContents& contents, int current, const std::string& name) {
  for (const ParamDescriptor& d : kParamTable) {
    if (d.real && d.name == name) return contents.currents[current - 1].*d.real;
  }
  ADD_FAILURE() << "no field " << name;
  static double none = 0.0;
  return none;
}

class CliPolish : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ParamFileContents rough = ReadParams(bundled);
    Roughen(rough.currents[0]);
    // trace voltages unlike the recording's, which the fit uses but the output must not take
    for (int j = 0; j < kMaxTraces; ++j) rough.loadedV[j] = -100.0 + j;
    std::ofstream(roughFile.toStdString()) << Format(rough);
  }

  QTemporaryDir dir;
  const QString data = QStringLiteral(PAVIK_EXAMPLES "/hh-potassium.txt");
  const QString bundled = QStringLiteral(PAVIK_EXAMPLES "/hh-potassium.fit");
  const QString roughFile = dir.filePath("rough.fit");
  const QString out = dir.filePath("out.fit");
};

TEST_F(CliPolish, ReachesTheBundledRmsAndChangesOnlyThePolishedValues) {
  // The examples' sigmoidal time constant cannot follow Hodgkin and Huxley's exactly: the RMS
  // stays well above the noise, so the fit is written and exits 3 with its warnings.
  const ProgramRun run = Pavik({"--polish", data, roughFile, "--out", out});
  ASSERT_EQ(run.exitCode, 3) << run.err;
  EXPECT_TRUE(Contains(run.err, "pavik: warning: the RMS is ")) << run.err;
  for (const char* part : {"current\tparameter\tstart\tresult\tstandard error\t", "RMS before\t",
                           "RMS after\t", "verdict\tdoubtful", "warning\tthe RMS is "})
    EXPECT_TRUE(Contains(run.out, part)) << run.out;
  const double bundledRms = FitsRms(data, bundled);
  const double polishedRms = FitsRms(data, out);
  EXPECT_LT(polishedRms, FitsRms(data, roughFile));
  EXPECT_LE(polishedRms, bundledRms * (1 + 1e-4)) << "bundled " << bundledRms;

  // The rough file with the polished values put in is the output, byte for byte.
  ParamFileContents expected = ReadParams(roughFile);
  ParamFileContents polished = ReadParams(out);
  const double roughVm = Field(expected, 1, "Vm");
  const auto rows = TableRows(run.out);
  ASSERT_FALSE(rows.empty()) << run.out;
  for (const auto& [current, name] : rows)
    Field(expected, current, name) = Field(polished, current, name);
  EXPECT_EQ(ReadBytes(out.toStdString()), Format(expected));
  EXPECT_NE(Field(polished, 1, "Vm"), roughVm);
}

// On the example's own model with noise like the recording's, the polish from the truth converges
// without a warning: the one case that exits 0.
TEST_F(CliPolish, OwnModelWithItsNoiseExitsZeroWithoutWarnings) {
  const ProgramRun fits = Pavik({"--fits", "-", data, bundled});
  ASSERT_EQ(fits.exitCode, 0) << fits.err;
  std::istringstream example(ReadBytes(data.toStdString()));
  std::istringstream curves(fits.out);
  std::string line;
  std::string text;
  for (int h = 0; h < 14 && std::getline(example, line); ++h) text += line + "\n";  // to "t V1"
  std::getline(curves, line);                                                       // names
  std::mt19937 random(19520001);
  std::normal_distribution<double> noise(0.0, 0.03);  // nA, as the example's
  while (std::getline(example, line) && std::getline(curves, line)) {
    std::istringstream columns(line);  // t, then each trace's measured current and fit
    double t = 0;
    columns >> t;
    char row[32];
    std::snprintf(row, sizeof row, "%.6f", t / 1000);  // the file is in seconds
    text += row;
    for (int k = 0; k < kMaxTraces; ++k) {
      double measured = 0;
      double fit = 0;
      columns >> measured >> fit;
      std::snprintf(row, sizeof row, "\t%.3f\t%.5f", -40.0 + 20.0 * k, fit + noise(random));
      text += row;
    }
    text += "\n";
  }
  const QString own = dir.filePath("own.txt");
  WriteBytes(own.toStdString(), text);
  const ProgramRun run = Pavik({"--polish", own, bundled, "--out", out, "--json"});
  EXPECT_EQ(run.exitCode, 0) << run.err << run.out;
  EXPECT_FALSE(Contains(run.err, "warning")) << run.err;
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(json.is_object()) << run.out;
  EXPECT_EQ(json["verdict"], "good");
  EXPECT_TRUE(json["warnings"].empty());
}

// --fix keeps a parameter and --bounds holds one (a start outside them is moved onto them, and
// said so); --json prints the summary as one object.
TEST_F(CliPolish, FixBoundsAndJson) {
  const ProgramRun run = Pavik({"--polish", data, roughFile, "--out", out, "--fix", "1.Vm",
                                "--bounds", "1.Vtm=-64:-60", "--json"});
  ASSERT_EQ(run.exitCode, 3) << run.err;
  ParamFileContents rough = ReadParams(roughFile);
  ParamFileContents result = ReadParams(out);
  EXPECT_EQ(Field(result, 1, "Vm"), Field(rough, 1, "Vm"));
  EXPECT_NE(Field(result, 1, "Km"), Field(rough, 1, "Km"));
  EXPECT_GE(Field(result, 1, "Vtm"), -64.0);
  EXPECT_LE(Field(result, 1, "Vtm"), -60.0);
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(json.is_object()) << run.out;
  EXPECT_LT(json["rmsAfter"].get<double>(), json["rmsBefore"].get<double>());
  EXPECT_FALSE(json["warnings"].empty());
  EXPECT_EQ(json["noiseEstimate"]["source"], "the sample-to-sample differences");
  for (const auto& p : json["parameters"]) EXPECT_NE(p["parameter"], "Vm");
  ASSERT_EQ(json["notices"].size(), 1u);
  EXPECT_NE(json["notices"][0].get<std::string>().find("1.Vtm"), std::string::npos);
}

// A further recording (--also) is read with its own options and regions: the polish counts the
// samples of each and names each in the summary; a further file that cannot be read writes nothing.
TEST_F(CliPolish, FurtherRecordingsKeepTheirOwnOptions) {
  const ProgramRun run = Pavik(
      {"--polish", data, roughFile, "--out", out, "--json", "--also", data, "--exclude", "0:10"});
  ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.err;
  EXPECT_EQ(run.err.find("back to their defaults"), std::string::npos) << run.err;
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(json.is_object()) << run.out;
  EXPECT_EQ(json["weighting"], "equal");
  ASSERT_EQ(json["recordings"].size(), 2u);
  EXPECT_GT(json["recordings"][0]["counted"].get<int>(),
            json["recordings"][1]["counted"].get<int>());
  EXPECT_EQ(json["recordings"][1]["name"], "recording 2 (hh-potassium.txt)");
  const QString unwritten = dir.filePath("unwritten.fit");
  EXPECT_EQ(
      Pavik({"--polish", data, roughFile, "--out", unwritten, "--also", dir.filePath("none.txt")})
          .exitCode,
      1);
  EXPECT_FALSE(QFile::exists(unwritten));
}

// A session stands in for the data file and the parameter file: its window, regions, free flags
// and bounds are the polish's; one whose data file is missing writes nothing.
TEST_F(CliPolish, ASessionStandsInForItsFiles) {
  const auto session = [&](const QString& dataFile) {
    const QString path = dir.filePath("day.pavik");
    std::ofstream(path.toStdString())
        << R"({"version": 1, "dataFile": ")" << dataFile.toStdString() << R"(", "paramFile": ")"
        << bundled.toStdString() << R"(", "xMin": 0, "xMax": 40, "excludedRegions": [[0, 0.5]],
              "fitter": {"1.Vm": {"free": false, "lower": -100, "upper": 100}}})";
    return path;
  };
  const ProgramRun run = Pavik({"--polish", session(data), "--out", out, "--json"});
  ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.err;
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(json.is_object()) << run.out;
  EXPECT_EQ(json["counted"], 6 * (1000 - 26));  // 0 to 0.5 ms, both ends, left out of each trace
  for (const auto& p : json["parameters"]) EXPECT_NE(p["parameter"], "Vm");
  const QString unwritten = dir.filePath("unwritten.fit");
  const ProgramRun missing =
      Pavik({"--polish", session(dir.filePath("gone.txt")), "--out", unwritten});
  EXPECT_EQ(missing.exitCode, 1) << missing.err;
  EXPECT_FALSE(QFile::exists(unwritten));
}

// Wrong usage exits 2, a file that cannot be read or polished 1; neither writes the output.
// (What each usage refusal says is the command line reader's tests, what is wrong in a list the
// list readers'.)
TEST_F(CliPolish, RefusalsWriteNothing) {
  ParamFileContents contents = ReadParams(roughFile);
  const QString noneInFit = dir.filePath("none-in-fit.fit");
  contents.fitCurrent[0] = 0;
  std::ofstream(noneInFit.toStdString()) << Format(contents);
  const QString zeroSlope = dir.filePath("zero-slope.fit");
  contents = ReadParams(roughFile);
  contents.currents[0].Km = 0.0;
  std::ofstream(zeroSlope.toStdString()) << Format(contents);

  const QStringList polish = {"--polish", data, roughFile, "--out", out};
  const std::pair<QStringList, int> cases[] = {
      {{"--polish", data, roughFile}, 2},
      {polish + QStringList{"--free", "1.Bogus"}, 2},
      {polish + QStringList{"--exclude", "-1000:1000"}, 2},
      {{"--polish", dir.filePath("missing.txt"), roughFile, "--out", out}, 1},
      {{"--polish", data, noneInFit, "--out", out}, 1},
      {{"--polish", data, zeroSlope, "--out", out}, 1},
      {{"--polish", data, roughFile, "--out", dir.filePath("no/such/folder/out.fit")}, 1},
  };
  const std::string roughBytes = ReadBytes(roughFile.toStdString());
  for (const auto& [args, status] : cases) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const ProgramRun run = Pavik(args);
    EXPECT_EQ(run.exitCode, status) << run.err;
    EXPECT_EQ(Contains(run.err, "--help"), status == 2) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(QFile::exists(out));
  }
  EXPECT_EQ(ReadBytes(roughFile.toStdString()), roughBytes);
}

}  // namespace
