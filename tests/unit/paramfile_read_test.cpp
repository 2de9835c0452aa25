// The reader: the names line, line ends, numbers in their order, and the messages of files that
// are refused.
#include <map>

#include "test_support.h"

namespace {

using ParamFileRead = WorkspaceTest;

// The start-up file up to and including line 14's line end, then the given names line.
std::string FileWithNamesLine(const std::string& names) {
  const std::string text = WorkspaceFileText();
  return text.substr(0, text.rfind('\n') + 1) + names;
}

// Parses text into a scratch copy of the workspace; "" or why it was refused.
std::string ParseError(const std::string& text, ParamFileContents* contents = nullptr) {
  ParamFileContents scratch = WorkspaceParamFileContents();
  return ParseParamText(text, contents ? contents : &scratch);
}

ParamFileContents Parsed(const std::string& text) {
  ParamFileContents contents = WorkspaceParamFileContents();
  EXPECT_EQ(ParseError(text, &contents), "");
  return contents;
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

// ---- the names line ----

// Carriage return and line feed count as one line end everywhere, also in the 3-character rule.
// The tenth comma ends the names; a line end after the last one is not part of it; the line is
// read whole and each name cut at 255 characters, never ending in a carriage return; names the
// text does not reach keep their values; after the tenth flag, three or more characters are the
// names text, and a file that ends after line 14 names current 1 from the rest of that line.
TEST_F(ParamFileRead, NamesLine) {
  SetName(&params[5], "Ca");
  std::string longNames;
  for (int i = 0; i < kMaxCurrents; ++i)
    longNames += (i ? "," : "") + std::string(20, static_cast<char>('a' + i));
  std::string twoSpaces = FileWithNamesLine("Na,K");
  twoSpaces.insert(twoSpaces.rfind('\n'), " ");
  std::string joined = WorkspaceFileText();
  joined.erase(joined.rfind('\n'), 1);
  const std::string cutAtReturn = std::string(kMaxNameLength - 1, 'n') + "\r\rtail";
  std::string crlf;
  for (char c : FileWithNamesLine("Na,b,c,d,e,f,g,h,i,Leak\n"))
    crlf += c == '\n' ? "\r\n" : std::string(1, c);
  const struct {
    const char* what;
    std::string text;
    std::map<int, std::string> names;
  } cases[] = {
      {"two names", FileWithNamesLine("Na,K"), {{0, "Na"}, {1, "K"}, {2, "3"}, {5, "Ca"}}},
      {"twelve names", FileWithNamesLine("a,b,c,d,e,f,g,h,i,j,k,l"), {{0, "a"}, {9, "j"}}},
      {"line feed", FileWithNamesLine("a,b,c,d,e,f,g,h,i,Leak\n"), {{9, "Leak"}}},
      {"CR LF", FileWithNamesLine("a,b,c,d,e,f,g,h,i,Leak\r\n"), {{9, "Leak"}}},
      {"CR", FileWithNamesLine("a,b,c,d,e,f,g,h,i,Leak\r"), {{9, "Leak"}}},
      {"longer than 99", FileWithNamesLine(longNames), {{9, std::string(20, 'j')}}},
      {"longer than 255",
       FileWithNamesLine(std::string(300, 'n') + ",K"),
       {{0, std::string(kMaxNameLength, 'n')}, {1, "K"}}},
      {"carriage returns",
       FileWithNamesLine("Na\r,K\r\r,A\rB," + cutAtReturn),
       {{0, "Na"}, {1, "K"}, {2, "A\rB"}, {3, std::string(kMaxNameLength - 1, 'n')}}},
      {"two spaces after the tenth flag", twoSpaces, {{0, "  "}, {1, "2"}}},
      {"names on line 14", joined, {{0, " 1"}, {9, "10"}}},
      {"no names line", FileWithNamesLine(""), {{0, " "}, {1, "2"}}},
      {"CR LF throughout", crlf, {{0, "Na"}, {9, "Leak"}}},
  };
  for (const auto& c : cases) {
    const ParamFileContents contents = Parsed(c.text);
    for (const auto& [index, name] : c.names) {
      EXPECT_EQ(contents.currents[index].name, name) << c.what << ", current " << index + 1;
    }
  }
  // Names past the tenth write nothing beyond the ten records.
  const ParamFileContents ten = Parsed(FileWithNamesLine("a,b,c,d,e,f,g,h,i,j"));
  const ParamFileContents more = Parsed(cases[1].text);
  EXPECT_EQ(std::memcmp(&more.dclamp, &ten.dclamp, sizeof ten.dclamp), 0);
  EXPECT_EQ(std::memcmp(more.fitCurrent, ten.fitCurrent, sizeof ten.fitCurrent), 0);
  EXPECT_EQ(std::memcmp(more.loadedV, ten.loadedV, sizeof ten.loadedV), 0);
}

// ---- numbers ----

// Gate powers are the floor of the real read, as long as a 32-bit integer holds it.
TEST_F(ParamFileRead, GatePowersAreTheFloorOfTheRealRead) {
  const std::string text = WorkspaceFileText();
  const ParamFileContents contents =
      Parsed(WithNumber(WithNumber(text, kFirstP, "2.999999"), kFirstP + 1, "-0.5"));
  EXPECT_EQ(contents.currents[0].p, 2);
  EXPECT_EQ(contents.currents[0].q, -1);
  EXPECT_EQ(Parsed(WithNumber(text, kFirstP, "2147483647.9")).currents[0].p, INT32_MAX);
}

// Every refusal names the line, the number and the field, and says what is wrong with it.
TEST_F(ParamFileRead, RefusedFilesSayWhereAndWhy) {
  const std::string text = WorkspaceFileText();
  size_t line9 = 0;
  for (int line = 1; line < 9; ++line) line9 = text.find('\n', line9) + 1;
  const std::string p1 = "line 2, number 12 of 276 (p of current 1): \"";
  const std::string power =
      "\" is not usable as a gate power (a whole number that fits in 32 bits)";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {WithNumber(text, kFirstP, "nan"), p1 + "nan" + power},
      {WithNumber(text, kFirstP, "inf"), p1 + "inf" + power},
      {WithNumber(text, kFirstP, "2147483648"), p1 + "2147483648" + power},
      {WithNumber(text, kFirstP, "-2147483649.5"), p1 + "-2147483649.5" + power},
      {WithNumber(text, 1, "nan"),
       "line 1, number 1 of 276 (dynamic-clamp global setting 1): \"nan\" is not a finite number"},
      {WithNumber(text, 11, "-nan"),
       "line 2, number 11 of 276 (Gmax of current 1): \"-nan\" is not a finite number"},
      {WithNumber(text, 65, "inf"),
       "line 4, number 65 of 276 (Km of current 3): \"inf\" is not a finite number"},
      {WithNumber(text, 250, "-inf"),
       "line 11, number 250 of 276 (dynamic-clamp setting 8 of current 10): \"-inf\" is not a "
       "finite number"},
      {WithNumber(text, 251, "+Infinity"),
       "line 12, number 251 of 276 (Vhold of current 1): \"+Infinity\" is not a finite number"},
      {WithNumber(text, 266, "INF"),
       "line 13, number 266 of 276 (trace voltage 6): \"INF\" is not a finite number"},
      {WithNumber(text, 5, "99999999999"),
       "line 1, number 5 of 276 (dynamic-clamp integer setting 1): \"99999999999\" is out of "
       "range"},
      {WithNumber(text, 267, "1.0"),
       "line 14, number 267 of 276 (fit flag of current 1): \"1.0\" is not a whole number that "
       "fits in 32 bits"},
      {WithNumber(text, 65, "-1.0x"),
       "line 4, number 65 of 276 (Km of current 3): \"-1.0x\" is not a number"},
      {text.substr(0, line9),
       "the file ends on line 9 after 178 of its 276 numbers; Gmax of current 8 is missing"},
      {"",
       "the file ends on line 1 after 0 of its 276 numbers; dynamic-clamp global setting 1 is "
       "missing"},
      {FileWithNamesLine(std::string("Na\0K", 4)),
       "line 15: the names hold a zero byte, which no text file does"},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseError(c.text), c.error);
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
