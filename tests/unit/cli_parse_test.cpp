// Reading the command line: the window's files, the options of the headless forms.
#include <gtest/gtest.h>

#include "app/cli.h"
#include "platform/platform.h"

TEST(ParseCommandLine, FilesAloneOpenTheWindow) {
  const CliCommand none = ParseCommandLine({});
  EXPECT_EQ(none.mode, CliMode::Window);
  EXPECT_TRUE(none.dataFile.empty());
  const CliCommand both = ParseCommandLine({"a.txt", "b.fit"});
  EXPECT_TRUE(both.error.empty());
  EXPECT_EQ(both.mode, CliMode::Window);
  EXPECT_EQ(both.dataFile, "a.txt");
  EXPECT_EQ(both.paramFile, "b.fit");
}

TEST(ParseCommandLine, FitsTakesEveryOption) {
  const CliCommand c =
      ParseCommandLine({"--fits", "-", "a.txt", "b.fit", "--header-lines", "3", "--xmin=1.5",
                        "--xmax", "9", "--baseline", "-0.25", "--trace-v", "-40,0,40"});
  ASSERT_TRUE(c.error.empty()) << c.error;
  EXPECT_EQ(c.mode, CliMode::Fits);
  EXPECT_EQ(c.output, "-");
  EXPECT_EQ(c.paramFile, "b.fit");
  EXPECT_EQ(*c.headerLines, 3);
  EXPECT_EQ(*c.xMin, 1.5);
  EXPECT_EQ(*c.xMax, 9.0);
  EXPECT_EQ(*c.baseline, -0.25);
  EXPECT_EQ(c.traceV, (std::vector<double>{-40.0, 0.0, 40.0}));
}

TEST(ParseCommandLine, RenderParamFileIsOptional) {
  const CliCommand c = ParseCommandLine({"--render", "p.png", "a.txt", "--select", "3"});
  ASSERT_TRUE(c.error.empty()) << c.error;
  EXPECT_TRUE(c.paramFile.empty());
  EXPECT_EQ(c.select, 3);
}

// A lone .pavik file is a session; --format and --graphs belong to --render alone.
TEST(ParseCommandLine, SessionAndFigureOptions) {
  const CliCommand session = ParseCommandLine({"day.pavik"});
  ASSERT_TRUE(session.error.empty()) << session.error;
  EXPECT_EQ(session.sessionFile, "day.pavik");
  EXPECT_TRUE(session.dataFile.empty());
  const CliCommand render =
      ParseCommandLine({"--render", "f.pdf", "a.txt", "--format", "pdf", "--graphs=all"});
  ASSERT_TRUE(render.error.empty()) << render.error;
  EXPECT_EQ(render.figureFormat, FIGURE_PDF);
  EXPECT_EQ(render.allGraphs, true);
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--render", "f", "a", "--format", "jpg"},
        {"--render", "f", "a", "--graphs", "some"},
        {"--fits", "-", "a", "b", "--format", "svg"}})
    EXPECT_FALSE(ParseCommandLine(wrong).error.empty()) << wrong.back();
}

// --polish writes --out; lists of one kind join; its options belong to it alone (the program's
// refusals are tested in cli_polish_test).
TEST(ParseCommandLine, PolishTakesItsOptions) {
  const CliCommand c =
      ParseCommandLine({"--polish", "a.txt", "b.fit", "--out", "c.fit", "--fix", "1.Vm", "--json",
                        "--fix=1.Km", "--bounds", "1.Vtm=-60:-20", "--xmax", "9"});
  ASSERT_TRUE(c.error.empty()) << c.error;
  EXPECT_EQ(c.mode, CliMode::Polish);
  EXPECT_EQ(c.dataFile, "a.txt");
  EXPECT_EQ(c.paramFile, "b.fit");
  EXPECT_EQ(c.output, "c.fit");
  EXPECT_EQ(c.fixList, "1.Vm,1.Km");
  EXPECT_FALSE(c.freeList.has_value());
  EXPECT_EQ(c.bounds, std::vector<std::string>{"1.Vtm=-60:-20"});
  EXPECT_TRUE(c.json);
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--polish", "a", "b", "--out", "c", "--out", "d"},
        {"a", "b", "--free", "1.Vm"}})
    EXPECT_FALSE(ParseCommandLine(wrong).error.empty()) << wrong.back();
}

TEST(ParseCommandLine, ValuesThatDoNotReadWhollyAreRefused) {
  EXPECT_FALSE(ParseCommandLine({"--fits", "-", "a", "b", "--xmin", "1e999"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--fits", "-", "a", "b", "--xmax", "3ms"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--fits", "-", "a", "b", "--trace-v", "1,,2"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--fits", "-", "a", "b", "--header-lines"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--fits", "--report", "a"}).error.empty());
}

TEST(ParseCommandLine, DoubleDashEndsOptions) {
  const CliCommand c = ParseCommandLine({"--", "--odd-name.txt"});
  ASSERT_TRUE(c.error.empty());
  EXPECT_EQ(c.dataFile, "--odd-name.txt");
}

// The analysis window is given in the program's time unit, ms, not in the file's seconds.
TEST(CommandLineHelp, GivesTheWindowInMilliseconds) {
  EXPECT_NE(CommandLineHelp().find("--xmin T, --xmax T  the analysis window in ms"),
            std::string::npos);
}
