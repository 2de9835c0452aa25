// The reader: numbers in their order, the names text rule, and files that must change nothing.
#include <cmath>
#include <cstring>

#include "paramfile_support.h"

namespace {

class ParamFileRead : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
};

// The start-up file up to and including line 14's line end, then the given names line.
std::string FileWithNamesLine(const std::string& names) {
  const std::string text = WorkspaceFileText();
  return text.substr(0, text.rfind('\n') + 1) + names;
}

std::string ToCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

// Parses text into a scratch copy of the workspace; fails the test on a parse error.
ParamFileContents Parsed(const std::string& text) {
  ParamFileContents contents = WorkspaceParamFileContents();
  const std::string error = ParseParamText(text, &contents);
  EXPECT_EQ(error, "");
  return contents;
}

std::string ParseError(const std::string& text) {
  ParamFileContents contents = WorkspaceParamFileContents();
  return ParseParamText(text, &contents);
}

std::string NameOf(const ParamFileContents& contents, int index) {
  return contents.currents[index].name;
}

// Replaces the n-th number (1-based, in file order) of text with replacement.
std::string WithNumber(const std::string& text, int n, const std::string& replacement) {
  size_t start = 0;
  for (int i = 0;; ++i) {
    start = text.find_first_not_of(" \r\n", start);
    const size_t end = text.find_first_of(" \r\n", start);
    if (i + 1 == n) return text.substr(0, start) + replacement + text.substr(end);
    start = end;
  }
}

// The gate power p of current 1 is number 12: ten numbers on line 1, then Gmax.
constexpr int kFirstP = 12;

}  // namespace

// ---------------------------------------------------------------- the names text

TEST_F(ParamFileRead, TwoNamesNameTwoCurrentsAndLeaveTheRest) {
  SetName(&params[5], "Ca");
  const ParamFileContents contents = Parsed(FileWithNamesLine("Na,K"));
  EXPECT_EQ(NameOf(contents, 0), "Na");
  EXPECT_EQ(NameOf(contents, 1), "K");
  EXPECT_EQ(NameOf(contents, 2), "3");
  EXPECT_EQ(NameOf(contents, 5), "Ca");
}

// The tenth comma ends the names: an eleventh and a twelfth name go nowhere, and nothing
// beyond the ten records is written.
TEST_F(ParamFileRead, EleventhNameIsIgnored) {
  const ParamFileContents ten = Parsed(FileWithNamesLine("a,b,c,d,e,f,g,h,i,j"));
  const ParamFileContents more = Parsed(FileWithNamesLine("a,b,c,d,e,f,g,h,i,j,eleventh,twelfth"));
  EXPECT_EQ(NameOf(more, 0), "a");
  EXPECT_EQ(NameOf(more, 9), "j");
  EXPECT_EQ(std::memcmp(&more.dclamp, &ten.dclamp, sizeof ten.dclamp), 0);
  EXPECT_EQ(std::memcmp(more.fitCurrent, ten.fitCurrent, sizeof ten.fitCurrent), 0);
  EXPECT_EQ(std::memcmp(more.loadedV, ten.loadedV, sizeof ten.loadedV), 0);
}

// A line end after the last name, as an editor leaves it, is not part of that name.
TEST_F(ParamFileRead, LineEndAfterNamesIsNotPartOfTheLastName) {
  for (const char* ending : {"\n", "\r\n", "\r"}) {
    const ParamFileContents contents =
        Parsed(FileWithNamesLine(std::string("a,b,c,d,e,f,g,h,i,Leak") + ending));
    EXPECT_EQ(NameOf(contents, 9), "Leak") << "ending " << static_cast<int>(ending[0]);
  }
}

// The names line is read whole: later names are not cut at 99 characters.
TEST_F(ParamFileRead, NamesLineLongerThan99CharactersIsReadWhole) {
  std::string names;
  for (int i = 0; i < kMaxCurrents; ++i) {
    names += (i ? "," : "") + std::string(20, static_cast<char>('a' + i));
  }
  const ParamFileContents contents = Parsed(FileWithNamesLine(names));
  EXPECT_EQ(NameOf(contents, 9), std::string(20, 'j'));
}

TEST_F(ParamFileRead, NameLongerThan255CharactersIsCutAt255) {
  const ParamFileContents contents = Parsed(FileWithNamesLine(std::string(300, 'n') + ",K"));
  EXPECT_EQ(NameOf(contents, 0), std::string(kMaxNameLength, 'n'));
  EXPECT_EQ(NameOf(contents, 1), "K");
}

// A name ending in a carriage return (typed so, or cut at 255 there) would lose it when the
// file is written and read again, the last name standing at the end of the file.
TEST_F(ParamFileRead, NamesNeverEndInACarriageReturn) {
  const std::string cutAtReturn = std::string(kMaxNameLength - 1, 'n') + "\r\rtail";
  const ParamFileContents contents = Parsed(FileWithNamesLine("Na\r,K\r\r,A\rB," + cutAtReturn));
  EXPECT_EQ(NameOf(contents, 0), "Na");
  EXPECT_EQ(NameOf(contents, 1), "K");
  EXPECT_EQ(NameOf(contents, 2), "A\rB");
  EXPECT_EQ(NameOf(contents, 3), std::string(kMaxNameLength - 1, 'n'));
}

// Three or more characters after the tenth flag are the names text; line 15 is not read.
TEST_F(ParamFileRead, TwoSpacesAfterTheTenthFlagAreTheNames) {
  std::string text = FileWithNamesLine("Na,K");
  const size_t line14End = text.rfind('\n');
  text.insert(line14End, " ");
  const ParamFileContents contents = Parsed(text);
  EXPECT_EQ(NameOf(contents, 0), "  ");
  EXPECT_EQ(NameOf(contents, 1), "2");
}

// Names that follow the tenth flag on its own line are taken from there.
TEST_F(ParamFileRead, NamesOnLine14AreTaken) {
  std::string text = WorkspaceFileText();
  text.erase(text.rfind('\n'), 1);  // line 15 joined to line 14
  const ParamFileContents contents = Parsed(text);
  EXPECT_EQ(NameOf(contents, 0), " 1");  // the space after the flag belongs to the name
  EXPECT_EQ(NameOf(contents, 9), "10");
}

// A file that ends after line 14 keeps the start-up rule: the rest of line 14 is the name.
TEST_F(ParamFileRead, FileWithoutNamesLineNamesCurrentOneFromTheRestOfLine14) {
  const ParamFileContents contents = Parsed(FileWithNamesLine(""));
  EXPECT_EQ(NameOf(contents, 0), " ");
  EXPECT_EQ(NameOf(contents, 1), "2");
}

TEST_F(ParamFileRead, ZeroByteInTheNamesIsRefused) {
  EXPECT_EQ(ParseError(FileWithNamesLine(std::string("Na\0K", 4))),
            "line 15: the names hold a zero byte, which no text file does");
}

// ---------------------------------------------------------------- line ends

// Carriage return and line feed count as one line end everywhere, also in the 3-character rule.
TEST_F(ParamFileRead, CrLfFileReadsLikeLfFile) {
  params[3].Km = -4.25;
  SetName(&params[0], "Na");
  SetName(&params[9], "Leak");
  const std::string lf = WorkspaceFileText() + "\n";
  ResetWorkspace();
  const ParamFileContents fromLf = Parsed(lf);
  const ParamFileContents fromCrLf = Parsed(ToCrLf(lf));
  EXPECT_EQ(fromCrLf.currents[3].Km, -4.25);
  for (int i = 0; i < kMaxCurrents; ++i) EXPECT_EQ(NameOf(fromCrLf, i), NameOf(fromLf, i));
  EXPECT_EQ(NameOf(fromCrLf, 0), "Na");
  EXPECT_EQ(NameOf(fromCrLf, 9), "Leak");
}

// ---------------------------------------------------------------- numbers

TEST_F(ParamFileRead, GatePowersAreTheFloorOfTheRealRead) {
  std::string text = WithNumber(WorkspaceFileText(), kFirstP, "2.999999");
  text = WithNumber(text, kFirstP + 1, "-0.5");
  const ParamFileContents contents = Parsed(text);
  EXPECT_EQ(contents.currents[0].p, 2);
  EXPECT_EQ(contents.currents[0].q, -1);
}

TEST_F(ParamFileRead, GatePowerThatNoIntegerHoldsIsRefused) {
  const std::string text = WorkspaceFileText();
  for (const char* bad : {"nan", "inf", "2147483648", "-2147483649.5"}) {
    EXPECT_EQ(ParseError(WithNumber(text, kFirstP, bad)),
              std::string("line 2, number 12 of 276 (p of current 1): \"") + bad +
                  "\" is not usable as a gate power (a whole number that fits in 32 bits)");
  }
  EXPECT_EQ(ParseError(WithNumber(text, kFirstP, "2147483647.9")), "");  // its floor still fits
}

// nan and inf in any real field refuse the file with the line and number, as other bad numbers
// do: the model would evaluate them, and the dynamic-clamp program would read them.
TEST_F(ParamFileRead, NonFiniteRealsAreRefused) {
  struct Case {
    const char* spelling;
    int number;
    const char* where;
  };
  const Case cases[] = {
      {"nan", 1, "line 1, number 1 of 276 (dynamic-clamp global setting 1)"},
      {"-nan", 11, "line 2, number 11 of 276 (Gmax of current 1)"},
      {"inf", 65, "line 4, number 65 of 276 (Km of current 3)"},
      {"-inf", 250, "line 11, number 250 of 276 (dynamic-clamp setting 8 of current 10)"},
      {"+Infinity", 251, "line 12, number 251 of 276 (Vhold of current 1)"},
      {"INF", 266, "line 13, number 266 of 276 (trace voltage 6)"},
  };
  const std::string text = WorkspaceFileText();
  for (const Case& c : cases) {
    EXPECT_EQ(ParseError(WithNumber(text, c.number, c.spelling)),
              std::string(c.where) + ": \"" + c.spelling + "\" is not a finite number");
  }
}

TEST_F(ParamFileRead, IntegerSettingThatOverflowsIsRefused) {
  EXPECT_EQ(ParseError(WithNumber(WorkspaceFileText(), 5, "99999999999")),
            "line 1, number 5 of 276 (dynamic-clamp integer setting 1): \"99999999999\" is out "
            "of range");
}

TEST_F(ParamFileRead, RealInAnIntegerPlaceIsRefused) {
  EXPECT_EQ(ParseError(WithNumber(WorkspaceFileText(), 267, "1.0")),
            "line 14, number 267 of 276 (fit flag of current 1): \"1.0\" is not a whole number "
            "that fits in 32 bits");
}

TEST_F(ParamFileRead, LetterInTheMiddleSaysWhereItStands) {
  // Number 10 + 24 * 2 + 7 is Km of current 3, on line 4.
  EXPECT_EQ(ParseError(WithNumber(WorkspaceFileText(), 65, "-1.0x")),
            "line 4, number 65 of 276 (Km of current 3): \"-1.0x\" is not a number");
}

TEST_F(ParamFileRead, TruncatedFileSaysHowFarItGot) {
  const std::string text = WorkspaceFileText();
  const size_t line9 = [&] {
    size_t at = 0;
    for (int line = 1; line < 9; ++line) at = text.find('\n', at) + 1;
    return at;
  }();
  EXPECT_EQ(ParseError(text.substr(0, line9)),
            "the file ends on line 9 after 178 of its 276 numbers; Gmax of current 8 is missing");
  EXPECT_EQ(ParseError(""),
            "the file ends on line 1 after 0 of its 276 numbers; dynamic-clamp global setting 1 "
            "is missing");
}

// Every cut of a good file either parses (once all numbers are in) or says why; none crashes.
TEST_F(ParamFileRead, EveryPrefixOfAFileIsHandled) {
  const std::string text = WorkspaceFileText();
  const size_t afterNumbers = text.rfind("0 \n") + 1;  // just past the tenth flag
  for (size_t length = 0; length <= text.size(); ++length) {
    const std::string error = ParseError(text.substr(0, length));
    EXPECT_EQ(error.empty(), length >= afterNumbers) << "prefix of " << length << " bytes";
  }
}

TEST_F(ParamFileRead, ArbitraryBytesAreHandled) {
  std::string bytes;
  uint32_t state = 12345;
  for (int round = 0; round < 200; ++round) {
    bytes.clear();
    for (int i = 0; i < 600; ++i) {
      state = state * 1664525u + 1013904223u;
      const char* alphabet = "0123456789.-+eE \n\r,xn";
      bytes += round % 2 ? static_cast<char>(state >> 24) : alphabet[(state >> 24) % 21];
    }
    ParamFileContents contents = WorkspaceParamFileContents();
    ParseParamText(bytes, &contents);
    for (const CurrentParams& c : contents.currents) EXPECT_LT(strnlen(c.name, kNameSize), 256u);
  }
}
