// Formatted reading of data files: rows of numbers over every separator, whole lines, line ends,
// and what is no number.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

// A file with the given bytes, open for scanning, closed and removed afterwards.
class ScannedFile {
 public:
  explicit ScannedFile(const std::string& bytes) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = (std::filesystem::temp_directory_path() /
             ("pavik-scan-" + std::string(test->name()) + "-" + std::to_string(getpid())))
                .string();
    std::ofstream(path_, std::ios::binary) << bytes;
    handle_ = OpenFile(path_.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII);
  }
  ~ScannedFile() {
    CloseFile(handle_);
    std::filesystem::remove(path_);
  }
  ScannedFile(const ScannedFile&) = delete;
  ScannedFile& operator=(const ScannedFile&) = delete;
  int handle() const { return handle_; }

 private:
  std::string path_;
  int handle_;
};

// The rows 1 2 3 ..., n numbers each, joined with the separator and the line end given.
std::string Rows(int rows, int n, const std::string& separator, const std::string& lineEnd) {
  std::string text;
  for (int r = 0; r < rows; ++r) {
    for (int i = 0; i < n; ++i) {
      if (i > 0) text += separator;
      text += std::to_string(r * 100 + i) + ".5";
    }
    text += lineEnd;
  }
  return text;
}

std::string RowFormat(int n) {
  return "%s>%" + std::to_string(n) + "f[x]";
}

double ScanOne(const std::string& bytes, int* result) {
  ScannedFile file(bytes);
  double value = -12345;
  *result = ScanFile(file.handle(), "%s>%1f", &value);
  return value;
}

}  // namespace

// ---------------------------------------------------------------- rows of numbers

// Every row width the data reader uses, over every separator and both line ends.
TEST(ScanFile, RowsOfFourToThirteenOverEverySeparator) {
  for (const std::string separator : {"\t", ",", ", ", " ", "  "}) {
    for (const std::string lineEnd : {"\n", "\r\n"}) {
      for (int n = 4; n <= 13; ++n) {
        ScannedFile file(Rows(3, n, separator, lineEnd));
        const std::string format = RowFormat(n);
        for (int r = 0; r < 3; ++r) {
          double row[13] = {};
          ASSERT_EQ(ScanFile(file.handle(), format.c_str(), row), 1)
              << "n=" << n << " row " << r << " separator '" << separator << "'";
          for (int i = 0; i < n; ++i) EXPECT_EQ(row[i], r * 100 + i + 0.5);
        }
        double row[13];
        EXPECT_LE(ScanFile(file.handle(), format.c_str(), row), 0) << "past the last row";
      }
    }
  }
}

// Exported files write small times with an exponent.
TEST(ScanFile, NumbersWithExponentsAndSigns) {
  ScannedFile file("5e-05\t-1.5E+02\t+3\t.25\t7.\t1e3\n");
  double row[6];
  ASSERT_EQ(ScanFile(file.handle(), "%s>%6f[x]", row), 1);
  EXPECT_EQ(row[0], 5e-05);
  EXPECT_EQ(row[1], -150.0);
  EXPECT_EQ(row[2], 3.0);
  EXPECT_EQ(row[3], 0.25);
  EXPECT_EQ(row[4], 7.0);
  EXPECT_EQ(row[5], 1000.0);
}

// Without [x] the character ending a number stays: white space is passed, a comma is not.
TEST(ScanFile, WithoutTakingTheTerminatorOnlyWhiteSpaceSeparates) {
  {
    ScannedFile file("1 2\t3\r\n4\n");
    double row[4];
    ASSERT_EQ(ScanFile(file.handle(), "%s>%4f", row), 1);
    EXPECT_EQ(row[3], 4.0);
  }
  {
    ScannedFile file("1,2,3,4\n");
    double row[4];
    EXPECT_EQ(ScanFile(file.handle(), "%s>%4f", row), 0);
  }
}

// Line ends are white space between numbers: a row may span lines.
TEST(ScanFile, RowsAreAStreamOfNumbers) {
  ScannedFile file("1\t2\n3\t4\t5\n6\n");
  double row[3];
  ASSERT_EQ(ScanFile(file.handle(), "%s>%3f[x]", row), 1);
  EXPECT_EQ(row[2], 3.0);
  ASSERT_EQ(ScanFile(file.handle(), "%s>%3f[x]", row), 1);
  EXPECT_EQ(row[0], 4.0);
  EXPECT_EQ(row[2], 6.0);
}

// Text, a number glued to text, "nan", "inf" and a value past the largest double are no number.
TEST(ScanFile, WhatIsNoNumber) {
  int result = 1;
  for (const char* text : {"abc", "12abc", "nan", "inf", "-", ".", "1e", "1e+", "1e999", "-1e400",
                           "1.5.5", "0x10", ";"}) {
    ScanOne(text, &result);
    EXPECT_EQ(result, 0) << text;
  }
  EXPECT_EQ(ScanOne("", &result), -12345);
  EXPECT_EQ(result, 0) << "end of file";
}

// A value below the smallest double reads as zero, as any tiny measurement would.
TEST(ScanFile, UnderflowReadsAsZero) {
  int result = 0;
  EXPECT_EQ(ScanOne("1e-400", &result), 0.0);
  EXPECT_EQ(result, 1);
}

// Numbers of thousands of digits are read with bounded room, to the double they denote.
TEST(ScanFile, NumbersOfThousandsOfDigits) {
  int result = 0;
  const std::string zeros(5000, '0');
  EXPECT_EQ(ScanOne(zeros + "42.5", &result), 42.5);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ScanOne("0." + zeros + "15e5002", &result), 15.0);
  EXPECT_EQ(result, 1);
  const std::string ones(300, '1');
  EXPECT_EQ(ScanOne(ones, &result), std::strtod(ones.c_str(), nullptr));
  const std::string longFraction = "3." + std::string(3000, '3');
  EXPECT_EQ(ScanOne(longFraction, &result), std::strtod(longFraction.c_str(), nullptr));
  ScanOne("1" + zeros, &result);
  EXPECT_EQ(result, 0) << "1e5000 is past the largest double";
}

// Text in memory is scanned by the rules of a file; NumFmtdBytes says how far a scan went.
TEST(Scan, TextIsScannedByTheRulesOfAFile) {
  for (const char* text :
       {"5e-05,", "-1.5E+02\t", "+3", "1e-400 ", "abc", "12abc", "nan", "1e999", ",", ""}) {
    ScannedFile file(text);
    double fromFile = -1, fromText = -1;
    EXPECT_EQ(Scan(text, "%s>%1f[x]", &fromText), ScanFile(file.handle(), "%s>%1f[x]", &fromFile))
        << text;
    EXPECT_EQ(fromText, fromFile) << text;
  }
  double row[2];
  ASSERT_EQ(Scan(" 1,2 3", "%s>%2f[x]", row), 1);
  EXPECT_EQ(NumFmtdBytes(), 5);
  EXPECT_EQ(row[1], 2.0);
  EXPECT_EQ(Scan("1e400 2", "%s>%1f", row), 0);
  EXPECT_EQ(NumFmtdBytes(), 5) << "the number past the largest double was taken whole";
  EXPECT_LT(Scan("1", "%s>%f", row), 0);
}

TEST(ScanFile, MalformedFormatsAndHandlesAreRefused) {
  ScannedFile file("1 2 3\n");
  double row[3];
  for (const char* format :
       {"%s>%f", "%s>%0f", "%s>%3d", "%3f", "%s>%3f[y]", "%s>%3fx", "%s>%99999999999f"}) {
    EXPECT_LT(ScanFile(file.handle(), format, row), 0) << format;
  }
  EXPECT_LT(ScanFile(file.handle(), "%s>%3f", static_cast<double*>(nullptr)), 0);
  EXPECT_LT(ScanFile(0, "%s>%3f", row), 0);
  EXPECT_LT(ScanFile(kMaxOpenFiles + 1, "%s>%3f", row), 0);
  EXPECT_LT(ScanFile(file.handle(), "%s", static_cast<std::string*>(nullptr)), 0);
}

// ---------------------------------------------------------------- lines

TEST(ReadLine, LineEndsOfEveryKindAreRemoved) {
  ScannedFile file("unix\nwindows\r\nold mac\rlast");
  char line[201];
  const std::vector<std::string> expected = {"unix", "windows", "old mac", "last"};
  for (const std::string& text : expected) {
    ASSERT_EQ(ReadLine(file.handle(), line, 200), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(line), text);
  }
  EXPECT_EQ(ReadLine(file.handle(), line, 200), -1);
}

// The part past maxChars is consumed, not left for the next read; memory stays bounded.
TEST(ReadLine, LongLineIsCutAndTheRestConsumed) {
  const std::string longLine(3'000'000, 'x');
  ScannedFile file(longLine + "\nnext\n");
  char line[11];
  EXPECT_EQ(ReadLine(file.handle(), line, 10), 10);
  EXPECT_EQ(std::string(line), "xxxxxxxxxx");
  EXPECT_EQ(ReadLine(file.handle(), line, 10), 4);
  EXPECT_EQ(std::string(line), "next");
}

TEST(ReadLine, EmptyLinesAreLinesOfLengthZero) {
  ScannedFile file("\n\r\n");
  char line[8];
  EXPECT_EQ(ReadLine(file.handle(), line, 7), 0);
  EXPECT_EQ(ReadLine(file.handle(), line, 7), 0);
  EXPECT_EQ(ReadLine(file.handle(), line, 7), -1);
}

// "%l>%s" takes one line per call, whatever its length, and says when the file has ended.
TEST(ScanFile, WholeLinesThenEndOfFile) {
  ScannedFile file("first\r\n" + std::string(100000, 'y') + "\nthird");
  std::string text;
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", &text), 1);
  EXPECT_EQ(text, "first");
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", static_cast<std::string*>(nullptr)), 1);
  ASSERT_EQ(ScanFile(file.handle(), "%l>%s", &text), 1);
  EXPECT_EQ(text, "third");
  EXPECT_EQ(ScanFile(file.handle(), "%l>%s", &text), 0);
}

TEST(GetFileLineNumber, CountsEveryKindOfLineEndOnce) {
  ScannedFile file("a\nb\r\nc\rd\n\n1 x");
  std::string text;
  EXPECT_EQ(GetFileLineNumber(file.handle()), 1);
  for (int i = 0; i < 4; ++i) ScanFile(file.handle(), "%l>%s", &text);
  EXPECT_EQ(GetFileLineNumber(file.handle()), 5);
  double row[2];
  EXPECT_EQ(ScanFile(file.handle(), "%s>%2f[x]", row), 0);
  EXPECT_EQ(GetFileLineNumber(file.handle()), 6) << "the line on which reading stopped";
}

// ---------------------------------------------------------------- open and close

TEST(OpenFile, MissingFileAndTooManyOpenFiles) {
  EXPECT_EQ(OpenFile("/nonexistent/pavik/file.txt", VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII), -1);
  ScannedFile file("1\n");
  const std::string path = "/proc/self/cmdline";
  std::vector<int> handles;
  for (int i = 0; i < kMaxOpenFiles; ++i) {
    handles.push_back(OpenFile(path.c_str(), VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII));
  }
  EXPECT_EQ(handles.back(), -1) << "one slot is taken by the file opened first";
  for (int h : handles) {
    if (h > 0) {
      EXPECT_EQ(CloseFile(h), 0);
    }
  }
  EXPECT_LT(CloseFile(handles.front()), 0) << "closed twice";
}
