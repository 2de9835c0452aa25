// Formatted reading of numbers from text by the rules the data file reader keeps (what is and is
// no number, rows as a stream of numbers, how far a scan went), and the limit on open files.
#include "test_support.h"

// Exponents and signs as exported files write them; text, a number glued to text, "nan", "inf"
// and a value past the largest double are no number; one below the smallest reads as zero;
// thousands of digits are read with bounded room to the double they denote.
TEST(Scan, WhatIsANumber) {
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
    double value = -1;
    EXPECT_EQ(Scan(c.text, "%s>%1f[x]", &value), c.result) << c.text.substr(0, 20);
    if (c.result == 1) {
      EXPECT_EQ(value, c.value) << c.text.substr(0, 20);
    }
  }
  for (const char* text : {"abc", "12abc", "nan", "inf", "-", ".", "1e", "1e+", "1e999", "-1e400",
                           "1.5.5", "0x10", ";"}) {
    double value = 0;
    EXPECT_EQ(Scan(text, "%s>%1f", &value), 0) << text;
  }
}

// Line ends are white space between numbers, so a row may span lines; without [x] the character
// ending a number stays, which white space passes and a comma does not. NumFmtdBytes says how far
// a scan went.
TEST(Scan, RowsAreAStreamOfNumbers) {
  double row[4];
  ASSERT_EQ(Scan("1 2\t3\r\n4\n", "%s>%4f", row), 1);
  EXPECT_EQ(row[3], 4.0);
  EXPECT_EQ(Scan("1,2,3,4\n", "%s>%4f", row), 0);
  ASSERT_EQ(Scan(" 1,2 3", "%s>%2f[x]", row), 1);
  EXPECT_EQ(NumFmtdBytes(), 5);
  EXPECT_EQ(row[1], 2.0);
  EXPECT_EQ(Scan("1e400 2", "%s>%1f", row), 0);
  EXPECT_EQ(NumFmtdBytes(), 5) << "the number past the largest double was taken whole";
}

TEST(OpenFile, MissingFileAndTooManyOpenFiles) {
  EXPECT_EQ(OpenFile("/nonexistent/pavik/file.txt", VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII), -1);
  std::vector<int> handles;
  for (int i = 0; i <= kMaxOpenFiles; ++i) {
    handles.push_back(OpenFile("/proc/self/cmdline", VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_ASCII));
  }
  EXPECT_EQ(handles.back(), -1) << "every slot is taken";
  for (int h : handles) {
    if (h > 0) {
      EXPECT_EQ(CloseFile(h), 0);
    }
  }
  EXPECT_LT(CloseFile(handles.front()), 0) << "closed twice";
}
