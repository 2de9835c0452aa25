// Formatted reading of data files: what is and is no number, rows as a stream of numbers,
// whole lines, line ends, and the handles (rows over every separator: the data file tests).
#include "test_support.h"

namespace {

// Bytes open for scanning as a file, closed afterwards.
class ScannedFile {
 public:
  explicit ScannedFile(std::string bytes) : bytes_(std::move(bytes)) {
    handle_ = OpenBytes(bytes_.data(), bytes_.size());
  }
  ~ScannedFile() { CloseFile(handle_); }
  ScannedFile(const ScannedFile&) = delete;
  ScannedFile& operator=(const ScannedFile&) = delete;
  int handle() const { return handle_; }

 private:
  std::string bytes_;
  int handle_;
};

}  // namespace

// ---- numbers ----

// Exponents and signs as exported files write them; text, a number glued to text, "nan", "inf"
// and a value past the largest double are no number; one below the smallest reads as zero;
// thousands of digits are read with bounded room to the double they denote. Text in memory is
// scanned by the rules of a file.
TEST(ScanFile, WhatIsANumber) {
  const std::string zeros(5000, '0');
  const std::string ones(300, '1');
  const std::string longFraction = "3." + std::string(3000, '3');
  const struct {
    std::string text;
    int result;
    double value;
  } cases[] = {
      {"5e-05,", 1, 5e-05},
      {"-1.5E+02\t", 1, -150.0},
      {"+3", 1, 3.0},
      {".25", 1, 0.25},
      {"7.", 1, 7.0},
      {"1e3", 1, 1000.0},
      {"1e-400 ", 1, 0.0},
      {zeros + "42.5", 1, 42.5},
      {"0." + zeros + "15e5002", 1, 15.0},
      {ones, 1, std::strtod(ones.c_str(), nullptr)},
      {longFraction, 1, std::strtod(longFraction.c_str(), nullptr)},
      {"1" + zeros, 0, 0},  // 1e5000 is past the largest double
      {"", 0, 0},
  };
  for (const auto& c : cases) {
    ScannedFile file(c.text);
    double fromFile = -1, fromText = -1;
    EXPECT_EQ(ScanFile(file.handle(), "%s>%1f[x]", &fromFile), c.result) << c.text.substr(0, 20);
    EXPECT_EQ(Scan(c.text, "%s>%1f[x]", &fromText), c.result) << c.text.substr(0, 20);
    if (c.result == 1) {
      EXPECT_EQ(fromFile, c.value) << c.text.substr(0, 20);
    }
    EXPECT_EQ(fromText, fromFile) << c.text.substr(0, 20);
  }
  for (const char* text : {"abc", "12abc", "nan", "inf", "-", ".", "1e", "1e+", "1e999", "-1e400",
                           "1.5.5", "0x10", ";"}) {
    ScannedFile file(text);
    double value = 0;
    EXPECT_EQ(ScanFile(file.handle(), "%s>%1f", &value), 0) << text;
    EXPECT_EQ(Scan(text, "%s>%1f", &value), 0) << text;
  }
}

// Line ends are white space between numbers, so a row may span lines; without [x] the character
// ending a number stays, which white space passes and a comma does not. NumFmtdBytes says how far
// a scan of text went.
TEST(ScanFile, RowsAreAStreamOfNumbers) {
  ScannedFile file("1\t2\n3\t4\t5\n6\n");
  double row[4];
  ASSERT_EQ(ScanFile(file.handle(), "%s>%3f[x]", row), 1);
  EXPECT_EQ(row[2], 3.0);
  ASSERT_EQ(ScanFile(file.handle(), "%s>%3f[x]", row), 1);
  EXPECT_EQ(row[0], 4.0);
  EXPECT_EQ(row[2], 6.0);
  ScannedFile spaces("1 2\t3\r\n4\n");
  ASSERT_EQ(ScanFile(spaces.handle(), "%s>%4f", row), 1);
  EXPECT_EQ(row[3], 4.0);
  ScannedFile commas("1,2,3,4\n");
  EXPECT_EQ(ScanFile(commas.handle(), "%s>%4f", row), 0);

  ASSERT_EQ(Scan(" 1,2 3", "%s>%2f[x]", row), 1);
  EXPECT_EQ(NumFmtdBytes(), 5);
  EXPECT_EQ(row[1], 2.0);
  EXPECT_EQ(Scan("1e400 2", "%s>%1f", row), 0);
  EXPECT_EQ(NumFmtdBytes(), 5) << "the number past the largest double was taken whole";
}

// ---- lines ----

// Every kind of line end is removed and counted once; an empty line has length zero; the part
// of a line past maxChars is consumed, not left for the next read, and memory stays bounded.
TEST(ReadLine, LineEndsOfEveryKindAreRemoved) {
  ScannedFile file("unix\nwindows\r\nold mac\rlast\n\r\n" + std::string(3'000'000, 'x') + "\nnext");
  char line[201];
  for (const std::string text : {"unix", "windows", "old mac", "last", "", "xxxxxxxxxx", "next"}) {
    ASSERT_EQ(ReadLine(file.handle(), line, 10), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(line), text);
  }
  EXPECT_EQ(ReadLine(file.handle(), line, 10), -1);
}

// "%l>%s" takes one line per call, whatever its length, and says when the file has ended; the
// line number counts every kind of line end once and names the line on which reading stopped.
TEST(ScanFile, WholeLinesAndTheirNumbers) {
  ScannedFile file("first\r\n" + std::string(100000, 'y') + "\nthird\rd\n\n1 x");
  std::string text;
  EXPECT_EQ(GetFileLineNumber(file.handle()), 1);
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", &text), 1);
  EXPECT_EQ(text, "first");
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", static_cast<std::string*>(nullptr)), 1);
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", &text), 1);
  EXPECT_EQ(text, "third");
  ScanFile(file.handle(), "%l>%s", &text);
  EXPECT_EQ(GetFileLineNumber(file.handle()), 5);
  double row[2];
  EXPECT_EQ(ScanFile(file.handle(), "%s>%2f[x]", row), 0);
  EXPECT_EQ(GetFileLineNumber(file.handle()), 6) << "the line on which reading stopped";
  ScanFile(file.handle(), "%l>%s", &text);
  EXPECT_EQ(ScanFile(file.handle(), "%l>%s", &text), 0);
}

// ---- open and close ----

TEST(OpenFile, MissingFileAndTooManyOpenFiles) {
  EXPECT_EQ(OpenFile("/nonexistent/pavik/file.txt", VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII), -1);
  ScannedFile file("1\n");
  std::vector<int> handles;
  for (int i = 0; i < kMaxOpenFiles; ++i) {
    handles.push_back(OpenFile("/proc/self/cmdline", VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII));
  }
  EXPECT_EQ(handles.back(), -1) << "one slot is taken by the file opened first";
  for (int h : handles) {
    if (h > 0) {
      EXPECT_EQ(CloseFile(h), 0);
    }
  }
  EXPECT_LT(CloseFile(handles.front()), 0) << "closed twice";
}
