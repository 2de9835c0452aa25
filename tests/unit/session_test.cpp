// Sessions: every field written and read back exactly, the paths relative below the session's
// folder, unknown and missing keys, and texts that are refused without changing anything.
#include <cfloat>
#include <limits>

#include "io/abf/import_choices_json.h"
#include "io/abf/import_options.h"
#include "io/session.h"
#include "test_support.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const std::string kSessionPath = "/lab/cells/cell7.pavik";

Session FullSession() {
  Session s;
  s.dataFile = "/lab/cells/data/cell7-na.txt";
  s.dataImport = {{"sweeps", {1, 2, 5}},
                  {"channel", 0},
                  {"voltageSource", "command"},
                  {"span", {{"from", 0.5}, {"to", 120.0}}}};
  s.paramFile = "/lab/fits/na.fit";
  s.command = CommandMode::kSteps;
  s.xMin = 0.1 + 0.2;  // not a short decimal: any rounding shows
  s.xMax = 280.000000000001;
  s.baseline = -0.0123456789012345;
  s.yMin = -DBL_MAX;
  s.yMax = 5e-324;
  s.excluded = {{1.5, 2.25}, {100.0, 1e-300}};
  s.noise = SessionRegion{250.0, 279.9};
  s.fitter["1.Vm"] = {true, -80.0, 1.0 / 3.0};
  s.fitter["10.Gmax"] = {false, 0.0, kInf};
  s.fitter["2.Km"] = {true, -kInf, -0.1};
  s.selCurrent = 7;
  s.autoUpdate = true;
  s.colorTraces = true;
  s.vMin = -120.0;
  s.vMax = 60.0;
  s.cursor = 12.05;
  return s;
}

// A list nested levels deep, as a hostile file might hold.
std::string Nested(int levels) {
  return std::string(levels, '[') + std::string(levels, ']');
}

std::string Text(const Session& session, const std::string& path = kSessionPath) {
  std::string text;
  EXPECT_EQ(FormatSession(session, path, &text), "");
  return text;
}

}  // namespace

// ---- round trip ----

// Every field reads back exactly, numbers written with a point; none stays none over a record
// that held something.
TEST(Session, EveryFieldReadsBackExactly) {
  Session read;
  const std::string text = Text(FullSession());
  ASSERT_EQ(ParseSession(text, kSessionPath, &read), "");
  EXPECT_TRUE(read == FullSession());
  EXPECT_NE(text.find("\"xMax\": 280.000000000001,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"vMin\": -120.0,"), std::string::npos) << text;

  Session none;
  none.noise.reset();
  none.dataImport = nullptr;
  none.cursor.reset();
  ASSERT_EQ(ParseSession(Text(none), kSessionPath, &read), "");
  EXPECT_TRUE(read == none);
}

// ---- paths ----

// Paths below the session's folder are stored relative and resolve against the folder the
// session is read from, so that a session moved together with its data finds the data.
TEST(Session, PathsBelowTheSessionFolderAreStoredRelative) {
  const struct {
    const char* path;
    const char* stored;
  } cases[] = {
      {"/lab/cells/na.txt", "na.txt"},
      {"/lab/cells/data/./2024/../na.txt", "data/na.txt"},
      {"/lab/fits/na.fit", "/lab/fits/na.fit"},
      {"/lab/cells-old/na.txt", "/lab/cells-old/na.txt"},  // a name that only starts alike
      {"/lab/cells", "/lab/cells"},
      {"", ""},
  };
  for (const auto& c : cases) {
    Session session;
    session.dataFile = c.path;
    EXPECT_EQ(nlohmann::json::parse(Text(session))["dataFile"], c.stored) << c.path;
  }
  Session session;
  session.dataFile = "/lab/cells/data/na.txt";
  session.paramFile = "/lab/fits/na.fit";
  const std::string text = Text(session);
  ASSERT_EQ(ParseSession(text, "/backup/cells/cell7.pavik", &session), "");
  EXPECT_EQ(session.dataFile, "/backup/cells/data/na.txt");
  EXPECT_EQ(session.paramFile, "/lab/fits/na.fit");
  ASSERT_EQ(ParseSession(text, "cell7.pavik", &session), "");  // relative to the working folder
  EXPECT_EQ(session.dataFile, (std::filesystem::current_path() / "data/na.txt").string());
}

// ---- keys and versions ----

TEST(Session, UnknownKeysAreIgnoredAndMissingKeysKeepTheirValues) {
  Session session = FullSession();
  const std::string text = R"({"version": 1, "xMin": 12.5, "futureKey": )" + Nested(100000) +
                           R"(, "fitter": {"3.Vh": {"free": true, "later": 1}}})";
  ASSERT_EQ(ParseSession(text, kSessionPath, &session), "");
  Session expected = FullSession();
  expected.xMin = 12.5;
  expected.fitter = {{"3.Vh", {true, -kInf, kInf}}};  // a map read replaces the map
  EXPECT_TRUE(session == expected);
}

TEST(Session, RefusedTextsChangeNothing) {
  const struct {
    std::string text;
    const char* reason;  // a part of the message
  } cases[] = {
      {"", "not JSON"},
      {R"({"version": 1, "xMin": 1,)", "not JSON"},
      {"[1, 2]", "not a JSON object"},
      {R"({"xMin": 1})", "no \"version\""},
      {R"({"version": "1"})", "\"version\""},
      {R"({"version": 0})", "\"version\""},
      {R"({"version": 2})", "newer version"},
      {R"({"version": 1, "xMin": "3"})", "\"xMin\" must be a finite number"},
      {R"({"version": 1, "vMax": 1e999})", "1e999"},
      {R"({"version": 1, "selCurrent": 11})", "\"selCurrent\""},
      {R"({"version": 1, "selCurrent": 2.5})", "\"selCurrent\""},
      {R"({"version": 1, "autoUpdate": 1})", "\"autoUpdate\""},
      {R"({"version": 1, "dataFile": 5})", "\"dataFile\""},
      {R"({"version": 1, "paramFile": "a\u0000b.fit"})", "\"paramFile\""},
      {R"({"version": 1, "dataImport": [1]})", "\"dataImport\""},
      {R"({"version": 1, "excludedRegions": [[1, 2], [3]]})", "\"excludedRegions\""},
      {R"({"version": 1, "noiseRegion": [1, "2"]})", "\"noiseRegion\""},
      {R"({"version": 1, "fitter": {"1.Vm": {"lower": 1}}})", "\"1.Vm\""},
      {R"({"version": 1, "fitter": {"1.Vm": {"free": true, "upper": "x"}}})", "\"1.Vm\""},
      {R"({"version": 1, "xMax": 5, "colorTraces": "yes"})", "\"colorTraces\""},
      {R"({"version": 1, "cursor": [3]})", "\"cursor\""},
      {R"({"version": 1, "dataImport": {"a": )" + Nested(100000) + "}}", "\"dataImport\""},
      {std::string(kMaxSessionBytes + 1, ' '), "too large"},
  };
  for (const auto& c : cases) {
    Session session = FullSession();
    const std::string error = ParseSession(c.text, kSessionPath, &session);
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.text.substr(0, 80) << ": " << error;
    EXPECT_TRUE(session == FullSession()) << c.text.substr(0, 80);
  }
}

// ---- the writer ----

TEST(Session, ValuesJsonCannotHoldAreRefusedByTheWriter) {
  Session nan = FullSession();
  nan.baseline = std::nan("");
  Session badName = FullSession();
  badName.dataFile = "/lab/\xff\xfe.txt";
  for (const Session& session : {nan, badName}) {
    std::string text = "untouched";
    EXPECT_NE(FormatSession(session, kSessionPath, &text), "");
    EXPECT_EQ(text, "untouched");
  }
}

// ---- the import choices it keeps ----

// Typed step voltages come back as typed; choices a session cannot give are named and leave the
// options as they were (the window then asks).
TEST(Session, ImportChoicesReadBackOrSayWhyNot) {
  ImportChoices typed;
  typed.sweeps = {2, 5};
  typed.voltageSource = VoltageSource::kTyped;
  typed.typedVoltages = {-40.5, 10};
  typed.fromMs = 1.5;
  typed.toMs = 9;
  typed.command = CommandMode::kSingle;
  typed.leak = LeakSubtraction::kRange;
  typed.leakFromMs = 2.5;
  typed.leakToMs = 4;
  typed.pnSweep = 3;
  typed.averageRepeats = true;
  typed.typedCommand = "-80; 10: -60 +10";
  ImportOptions read;
  ASSERT_EQ(ImportOptionsFromJson(ImportChoicesToJson(typed), &read), "");
  EXPECT_EQ(read.sweeps, typed.sweeps);
  EXPECT_EQ(read.typedVoltages, typed.typedVoltages);
  EXPECT_EQ(read.toMs, 9.0);
  EXPECT_EQ(read.command, CommandMode::kSingle);
  EXPECT_EQ(read.leak, LeakSubtraction::kRange);
  EXPECT_EQ(read.leakToMs, 4.0);
  EXPECT_EQ(read.pnSweep, 3);
  EXPECT_EQ(read.averageRepeats, true);
  EXPECT_EQ(read.typedCommand, typed.typedCommand);
  const struct {
    const char* json;
    const char* says;
  } cases[] = {
      {R"([1])", "not an object"},
      {R"({"sweeps": []})", "not a list of sweep numbers"},
      {R"({"sweeps": [0]})", "not a whole number from 1"},
      {R"({"sweeps": [1], "currentChannel": 0})", "current channel"},
      {R"({"sweeps": [1], "voltage": "channel"})", "voltage channel"},
      {R"({"sweeps": [1, 2], "voltage": "typed", "typedVoltages": [1]})", "one number per sweep"},
      {R"({"sweeps": [1], "voltage": "typed", "typedVoltages": ["x"]})", "not a finite number"},
      {R"({"sweeps": [1], "voltage": "bath"})", "command, channel or typed"},
      {R"({"sweeps": [1], "fromMs": "a", "toMs": 2})", "fromMs of the span"},
      {R"({"sweeps": [1], "fromMs": 1})", "start without an end"},
      {R"({"sweeps": [1], "average": 1})", "true or false"},
      {R"({"sweeps": [1], "command": "all"})", "single or steps"},
      {R"({"sweeps": [1], "leak": {"fromMs": 1}})", "leak stretch"},
      {R"({"sweeps": [1], "pnSweep": -2})", "P/N control sweep"},
      {R"({"sweeps": [1], "averageRepeats": "yes"})", "averaging of repeats"},
      {R"({"sweeps": [1], "typedCommand": -80})", "typed command is not text"},
  };
  for (const auto& c : cases) {
    ImportOptions options;
    options.currentChannel = 9;
    const std::string why = ImportOptionsFromJson(nlohmann::json::parse(c.json), &options);
    EXPECT_NE(why.find(c.says), std::string::npos) << c.json << ": " << why;
    EXPECT_EQ(options.currentChannel, 9) << c.json;
  }
}
