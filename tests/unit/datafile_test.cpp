// The data file reader: the layouts a file may have, what is taken from it, and that a file
// which cannot be read changes nothing of what was loaded before.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/pavik.h"
#include "device_nodes.h"
#include "io/io.h"
#include "model/model.h"
#include "platform/platform.h"
#include "platform/platform_test.h"

namespace {

// A recording written the way the test wants it, with the values it holds kept beside it (as
// read back from the written text, so that every comparison below is exact).
struct WrittenRecording {
  int headerLines = 13;
  int columns = 13;  // the time and (columns - 1) / 2 voltage/current pairs
  int rows = 200;
  std::string separator = "\t";
  std::string lineEnd = "\n";
  std::string layoutLine;  // empty: column titles joined by the separator
  double currentScale = 100.0;
  double currentOffset = 0.0;

  std::vector<std::vector<double>> values;  // [row][column]

  double Value(int row, int column) const {
    if (column == 0) return row * 5e-05;
    const int pair = (column - 1) / 2;
    if (column % 2 == 1) return -80.0 + 20.0 * pair + (row % 4) * 0.25;  // a voltage
    return currentOffset - currentScale * (pair + 1) * std::exp(-row / 40.0) + (row % 7);
  }

  std::string Text() {
    std::string text;
    for (int i = 0; i < headerLines; ++i) text += "header line " + std::to_string(i) + lineEnd;
    if (layoutLine.empty()) {
      for (int c = 0; c < columns; ++c) {
        if (c > 0) text += separator;
        text += c == 0 ? "t_s" : (c % 2 ? "V" : "I") + std::to_string((c + 1) / 2);
      }
    } else {
      text += layoutLine;
    }
    text += lineEnd;
    values.assign(rows, std::vector<double>(columns));
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        char number[32];
        std::snprintf(number, sizeof number, "%.10g", Value(r, c));
        values[r][c] = std::strtod(number, nullptr);
        if (c > 0) text += separator;
        text += number;
      }
      text += lineEnd;
    }
    return text;
  }

  double MeanOfColumn(int column, int loadedRows) const {
    double sum = 0;
    for (int r = 0; r < loadedRows; ++r) sum += values[r][column];
    return sum / loadedRows;
  }
};

// Everything a load may change, for comparing before and after.
struct Snapshot {
  int32_t points, traces;
  std::vector<double> times, data;
  FitStatus fit;

  static Snapshot Take() {
    Snapshot s;
    s.points = NumPoints;
    s.traces = NumTraces;
    s.times.assign(timevals, timevals + kMaxPoints);
    s.data.assign(&ydata[0][0], &ydata[0][0] + kTraceRows * kTraceRowLength);
    std::memcpy(&s.fit, &status, sizeof status);
    return s;
  }
  bool SameAsWorkspace() const {
    const Snapshot now = Take();
    return points == now.points && traces == now.traces && times == now.times && data == now.data &&
           std::memcmp(&fit, &now.fit, sizeof fit) == 0;
  }
};

class LoadDataFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NumTraces = 0;
    NumPoints = 0;
    InitParams();
    status.dataLoaded = 0;
    ClearRecordedMessages();
    folder_ = std::filesystem::temp_directory_path() /
              ("pavik-data-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
               std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // Loads a six-trace file of 300 rows, as the state a failed load must leave alone.
  WrittenRecording LoadPrevious() {
    WrittenRecording previous;
    previous.rows = 300;
    EXPECT_EQ(LoadDataFile(Write("previous.txt", previous.Text())), 1);
    ClearRecordedMessages();
    return previous;
  }

  // The last message, with the expectation that there is exactly one.
  static RecordedMessage OnlyMessage() {
    EXPECT_EQ(RecordedMessages().size(), 1u);
    return RecordedMessages().empty() ? RecordedMessage{} : RecordedMessages().back();
  }

  std::filesystem::path folder_;
};

}  // namespace

// ---- layouts that load ----

// The usual file: 13 header lines, a tab-separated layout line, rows of 13 numbers.
TEST_F(LoadDataFileTest, SixTraceTabFile) {
  WrittenRecording rec;
  const std::string path = Write("six.txt", rec.Text());
  ASSERT_EQ(LoadDataFile(path), 1);
  EXPECT_TRUE(RecordedMessages().empty());
  EXPECT_EQ(NumTraces, 6);
  EXPECT_EQ(NumPoints, rec.rows);
  for (int n = 0; n < rec.rows; ++n) {
    EXPECT_EQ(timevals[n], 1000.0 * rec.values[n][0]);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(ydata[k][n], rec.values[n][2 * k + 2]);
      EXPECT_EQ(ydata[k][kVoltageOffset + n], rec.values[n][2 * k + 1]);
    }
  }
  EXPECT_EQ(timevals[rec.rows], 0.0) << "the rest of the arrays is cleared";
  double low = 10000, high = -10000;
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(status.traceV[k], rec.MeanOfColumn(2 * k + 1, rec.rows), 1e-12);
    for (int n = 0; n < rec.rows; ++n) {
      low = std::min(low, rec.values[n][2 * k + 2]);
      high = std::max(high, rec.values[n][2 * k + 2]);
    }
  }
  EXPECT_EQ(status.dataTMin, 0.0);
  EXPECT_EQ(status.dataTMax, 1000.0 * rec.values[rec.rows - 1][0]);
  EXPECT_EQ(status.xMin, status.dataTMin);
  EXPECT_EQ(status.xMax, status.dataTMax);
  EXPECT_DOUBLE_EQ(status.dataYMin, 1.1 * low);
  EXPECT_DOUBLE_EQ(status.dataYMax, 1.1 * high);
  EXPECT_EQ(status.yMin, status.dataYMin);
  EXPECT_EQ(status.yMax, status.dataYMax);
  // The drawing that follows the take-over sets the window over the whole recording.
  EXPECT_EQ(status.windowStart, 1);
  EXPECT_EQ(status.windowEnd, rec.rows);
  EXPECT_EQ(status.dataLoaded, 1);
  EXPECT_STREQ(status.dataFile, path.c_str());
}

// "t, V1, I1, V2, I2": a comma and a space between fields count once each; two traces.
TEST_F(LoadDataFileTest, CommaAndSpaceFileWithFourDelimiters) {
  WrittenRecording rec;
  rec.columns = 5;
  rec.separator = ", ";
  ASSERT_EQ(LoadDataFile(Write("cs.csv", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 2);
  EXPECT_EQ(NumPoints, rec.rows);
  EXPECT_EQ(ydata[1][7], rec.values[7][4]);
  EXPECT_NEAR(status.traceV[1], rec.MeanOfColumn(3, rec.rows), 1e-12);
  for (int k = 2; k < 6; ++k) EXPECT_EQ(status.traceV[k], status.traceV[1]);
}

// Four columns: one trace, and a second voltage whose pair has no current column.
TEST_F(LoadDataFileTest, FourColumnFileKeepsTheLoneVoltage) {
  WrittenRecording rec;
  rec.columns = 4;
  ASSERT_EQ(LoadDataFile(Write("four.txt", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 1);
  EXPECT_EQ(NumPoints, rec.rows);
  for (int n = 0; n < rec.rows; ++n) EXPECT_EQ(ydata[1][n], 0.0);
  EXPECT_NEAR(status.traceV[1], rec.MeanOfColumn(3, rec.rows), 1e-12);
  for (int k = 2; k < 6; ++k) EXPECT_EQ(status.traceV[k], status.traceV[1]);
}

// Every layout of the table: traces = r / 2, pairs stored = r / 2 rounded up.
TEST_F(LoadDataFileTest, EveryRowLayoutOfFourToThirteenColumns) {
  for (int columns = 4; columns <= 13; ++columns) {
    WrittenRecording rec;
    rec.columns = columns;
    rec.rows = 20;
    rec.separator = columns % 2 ? "," : "\t";
    ASSERT_EQ(LoadDataFile(Write("layout.txt", rec.Text())), 1) << columns;
    const int r = columns - 1;
    EXPECT_EQ(NumTraces, r / 2) << columns;
    EXPECT_EQ(NumPoints, 20);
    const int pairs = (r + 1) / 2;
    for (int k = 0; k < pairs; ++k) {
      EXPECT_EQ(ydata[k][kVoltageOffset + 19], rec.values[19][2 * k + 1]);
      EXPECT_EQ(ydata[k][19], 2 * k + 2 < columns ? rec.values[19][2 * k + 2] : 0.0);
    }
    for (int k = pairs; k < 6; ++k) EXPECT_EQ(status.traceV[k], status.traceV[pairs - 1]);
  }
}

// Windows line ends load exactly what Unix ones do.
TEST_F(LoadDataFileTest, CrlfLineEndsLoadTheSame) {
  WrittenRecording rec;
  ASSERT_EQ(LoadDataFile(Write("same.txt", rec.Text())), 1);
  const Snapshot unix = Snapshot::Take();
  rec.lineEnd = "\r\n";
  ASSERT_EQ(LoadDataFile(Write("same.txt", rec.Text())), 1);
  EXPECT_TRUE(unix.SameAsWorkspace());
}

// The line after the header is the layout line even when it holds numbers.
TEST_F(LoadDataFileTest, FirstRowRightAfterTheHeaderIsOnlyCounted) {
  WrittenRecording rec;
  const std::string text = rec.Text();
  const size_t layoutStart = text.find("t_s");
  const size_t layoutEnd = text.find('\n', layoutStart);
  ASSERT_EQ(
      LoadDataFile(Write("nolayout.txt", text.substr(0, layoutStart) + text.substr(layoutEnd + 1))),
      1);
  EXPECT_EQ(NumTraces, 6);
  EXPECT_EQ(NumPoints, rec.rows - 1);
  EXPECT_EQ(timevals[0], 1000.0 * rec.values[1][0]);
}

TEST_F(LoadDataFileTest, SixThousandRowsLoadFiveThousand) {
  WrittenRecording rec;
  rec.rows = 6000;
  ASSERT_EQ(LoadDataFile(Write("long.txt", rec.Text())), 1);
  EXPECT_EQ(NumPoints, kMaxPoints);
  EXPECT_EQ(timevals[kMaxPoints - 1], 1000.0 * rec.values[kMaxPoints - 1][0]);
  EXPECT_NEAR(status.traceV[0], rec.MeanOfColumn(1, kMaxPoints), 1e-12);
}

// Currents between 2 and 10: the lower limit lies above the smallest current.
TEST_F(LoadDataFileTest, PositiveCurrentsScaleBothLimitsUp) {
  std::string text = "t\tV\tI\tV\tI\n";
  for (int n = 0; n <= 8; ++n) {
    text += std::to_string(n) + "\t-10\t" + std::to_string(2 + n) + "\t10\t5\n";
  }
  status.headerLines = 0;
  ASSERT_EQ(LoadDataFile(Write("positive.txt", text)), 1);
  EXPECT_DOUBLE_EQ(status.yMin, 2.2);
  EXPECT_DOUBLE_EQ(status.yMax, 11.0);
}

// The running extremes start at +-10000, so they cap the range of very large currents.
TEST_F(LoadDataFileTest, CurrentsAboveTenThousandKeepTheStartingMinimum) {
  WrittenRecording rec;
  rec.currentScale = -100.0;
  rec.currentOffset = 20000.0;
  ASSERT_EQ(LoadDataFile(Write("large.txt", rec.Text())), 1);
  double high = 0;
  for (const auto& row : rec.values) {
    for (int k = 0; k < 6; ++k) high = std::max(high, row[2 * k + 2]);
  }
  EXPECT_DOUBLE_EQ(status.yMin, 1.1 * 10000);
  EXPECT_DOUBLE_EQ(status.yMax, 1.1 * high);
}

// Long column titles put delimiters past the 200th character; all of them count.
TEST_F(LoadDataFileTest, LongLayoutLineIsCountedWhole) {
  WrittenRecording rec;
  std::string layout = "time";
  for (int c = 1; c < 13; ++c) layout += "\tcolumn number " + std::to_string(c) + " (pA or mV)";
  ASSERT_GT(layout.find('\t', 200), layout.size() / 2);
  rec.layoutLine = layout;
  ASSERT_EQ(LoadDataFile(Write("titles.txt", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 6);
  EXPECT_EQ(ydata[5][3], rec.values[3][12]);
}

// Without tabs or commas the space-separated titles are the columns.
TEST_F(LoadDataFileTest, SpaceSeparatedLayoutCountsItsFields) {
  WrittenRecording rec;
  rec.columns = 7;
  rec.separator = "  ";
  ASSERT_EQ(LoadDataFile(Write("spaces.txt", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 3);
  EXPECT_EQ(ydata[2][9], rec.values[9][6]);
}

// Two commas together count once, so "t,,V1,I1,V2,I2" is read as five columns.
TEST_F(LoadDataFileTest, TwoCommasTogetherCountOnce) {
  WrittenRecording rec;
  rec.columns = 5;
  rec.separator = ",";
  rec.layoutLine = "t,,V1,I1,V2,I2";
  ASSERT_EQ(LoadDataFile(Write("commas.csv", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 2);
  EXPECT_EQ(NumPoints, rec.rows);
}

// Time, voltage, current: one trace.
TEST_F(LoadDataFileTest, ThreeColumnsAreOneTrace) {
  WrittenRecording rec;
  rec.columns = 3;
  ASSERT_EQ(LoadDataFile(Write("three.txt", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 1);
  EXPECT_EQ(NumPoints, rec.rows);
  EXPECT_EQ(ydata[0][5], rec.values[5][2]);
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(status.traceV[k], rec.MeanOfColumn(1, rec.rows), 1e-12);
}

// Rows wider than thirteen numbers: each row is read whole, the first six traces kept, and the
// user is told.
TEST_F(LoadDataFileTest, WiderRowsKeepTheFirstSixTraces) {
  WrittenRecording rec;
  rec.columns = 31;
  ASSERT_EQ(LoadDataFile(Write("wide.txt", rec.Text())), 1);
  EXPECT_EQ(NumTraces, 6);
  EXPECT_EQ(NumPoints, rec.rows);
  EXPECT_EQ(timevals[rec.rows - 1], 1000.0 * rec.values[rec.rows - 1][0]);
  EXPECT_EQ(ydata[5][rec.rows - 1], rec.values[rec.rows - 1][12]);
  const RecordedMessage note = OnlyMessage();
  EXPECT_NE(note.message.find("31 numbers"), std::string::npos) << note.message;
}

TEST_F(LoadDataFileTest, SmallTimesAreScaledToMilliseconds) {
  status.headerLines = 0;
  ASSERT_EQ(LoadDataFile(Write("t.txt", "t\tV\tI\n0.0001\t-20\t-1\n5e-05\t-20\t-2\n")), 1);
  EXPECT_DOUBLE_EQ(timevals[0], 0.1);
  EXPECT_DOUBLE_EQ(timevals[1], 0.05);
}

// Reading stops at the first row that is not all numbers; the rows before it stay.
TEST_F(LoadDataFileTest, RowsEndAtText) {
  status.headerLines = 1;
  ASSERT_EQ(LoadDataFile(Write("end.txt", "h\nt\tV\tI\n1\t2\t3\n4\t5\t6\n7\t8\tend\n10\t11\t12\n")),
            1);
  EXPECT_EQ(NumPoints, 2);
  EXPECT_EQ(ydata[0][1], 6.0);
}

// Each trace voltage is the plain double sum of its column divided by the row count, so that
// fits agree to the last bit with any other program that averages the same way.
TEST_F(LoadDataFileTest, TraceVoltageIsThePlainDoubleMean) {
  std::string text = "t\tV\tI\n";
  double sum = 0;
  long double wideSum = 0;
  const int rows = 200;
  for (int n = 0; n < rows; ++n) {
    char voltage[32];
    std::snprintf(voltage, sizeof voltage, "%.10g", -30.0 + 0.1 * (n % 9) + 1e-3 * (n % 13));
    sum += std::strtod(voltage, nullptr);
    wideSum += std::strtod(voltage, nullptr);
    text += std::to_string(n) + "\t" + voltage + "\t-1\n";
  }
  ASSERT_NE(sum / rows, static_cast<double>(wideSum / rows)) << "the column must tell them apart";
  status.headerLines = 0;
  ASSERT_EQ(LoadDataFile(Write("mean.txt", text)), 1);
  EXPECT_EQ(status.traceV[0], sum / rows);
}

// Lines that do not hold one row's numbers are still read as one stream of numbers, but the
// user is told the first such line and what it holds, or where reading stopped.
TEST_F(LoadDataFileTest, LinesThatDoNotHoldOneRowAreNamed) {
  struct Case {
    const char* name;
    const char* rows;  // after the layout line "t V I" on line 1
    int points;
    const char* notice;
  };
  const Case cases[] = {
      {"decimal commas", "0,001\t-20,5\t-1,5\n0,002\t-20,5\t-1,25\n", 4,
       "Line 2 holds 6 numbers, but the layout line announces rows of 3: \"0,001 -20,5 -1,5\". "
       "The numbers are read on as one stream, so the rows from there on may be misread."},
      {"an empty cell", "1\t\t-1\n2\t-20\t-2\n3\t-20\t-3\n", 2, "Line 2 holds 2 numbers"},
      {"five numbers a row", "1 2 3 4 5\n6 7 8 9 10\n", 3, "Line 2 holds 5 numbers"},
      {"rows wrapped", "1 -20\n-1\n2 -20\n-2\n", 2, "Line 2 holds 2 numbers"},
      {"last row cut short", "1 -20 -1\n2 -20\n", 1, "Line 3 holds 2 numbers"},
      {"a comment after each row", "1 -20 -1 # first\n2 -20 -2 # second\n", 1,
       "Reading stopped at line 2, which holds \"# first\" where a number should stand; 1 row "
       "was read."},
      {"a number too large", "1 -20 -1\n2 -20 -2\n1e400 -20 -3\n", 2,
       "Reading stopped at line 4, which holds \"1e400 -20 -3\", and \"1e400\" is beyond the "
       "range of a double; 2 rows were read."},
  };
  status.headerLines = 0;
  for (const Case& c : cases) {
    ClearRecordedMessages();
    ASSERT_EQ(LoadDataFile(Write("rows.txt", std::string("t V I\n") + c.rows)), 1) << c.name;
    EXPECT_EQ(NumPoints, c.points) << c.name;
    const RecordedMessage m = OnlyMessage();
    EXPECT_EQ(m.title, "Data file") << c.name;
    EXPECT_NE(m.message.find(c.notice), std::string::npos) << c.name << ": " << m.message;
  }
}

// Separators at a line's end, blank lines and the last line without its line end fit the rows.
TEST_F(LoadDataFileTest, RowsThatFitTheirLinesLoadWithoutANotice) {
  status.headerLines = 0;
  for (const char* rows : {"1\t-20\t-1\t\n2\t-20\t-2\t\n", "1 -20 -1  \r\n\r\n2 -20 -2\r\n",
                           "1,-20,-1,\n2,-20,-2,\n\n\n", "1, -20, -1\n2, -20, -2"}) {
    ClearRecordedMessages();
    ASSERT_EQ(LoadDataFile(Write("fit.txt", std::string("t V I\n") + rows)), 1) << rows;
    EXPECT_EQ(NumPoints, 2) << rows;
    EXPECT_TRUE(RecordedMessages().empty()) << rows << RecordedMessages()[0].message;
  }
}

// ---- files that change nothing ----

// Every file that cannot be read leaves the previous load whole and says why.
TEST_F(LoadDataFileTest, UnreadableFilesChangeNothing) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* messagePart;
  };
  std::string garbage;
  std::mt19937 random(7);
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>(random() % 256));
  const std::vector<Case> cases = {
      {"empty", "", "only 0 lines"},
      {"short header", "one\ntwo\nthree\n", "only 3 lines"},
      {"header only", std::string(13, '\n'), "layout line"},
      {"text", WrittenRecording{}.Text().substr(0, 200) + "\nthis is a letter, not a recording\n",
       "holds \""},
      {"no rows", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\nt\tV\tI\n", "the file ends"},
      {"two columns", std::string(13, '\n') + "t\tV\n1\t2\n", "needs at least three"},
      {"binary", garbage, ""},
      {"a number too large", std::string(13, '\n') + "t\tV\tI\n1e400\t-20\t-1\n",
       "line 15 holds \"1e400 -20 -1\", and \"1e400\" is beyond the range of a double."},
      {"a number of two million digits",
       std::string(13, '\n') + "t\tV\tI\n" + std::string(2000000, '1') + "\t-20\t-1\n",
       "line 15 is longer than 1048576 characters; it begins \"111"},
      {"voltages beyond a sum", std::string(13, '\n') + "t\tV\tI\n0\t1e308\t1\n1\t1e308\t1\n",
       "The voltages in column 2 cannot be averaged"},
      {"one short row", std::string(13, '\n') + "t\tV\tI\n1\t2\n",
       "the file ends on line 16. Line 15 holds 2 numbers, but the layout line announces rows of "
       "3: \"1 2\"."},
  };
  const WrittenRecording previous = LoadPrevious();
  const Snapshot before = Snapshot::Take();
  for (const Case& c : cases) {
    ClearRecordedMessages();
    EXPECT_EQ(LoadDataFile(Write("bad.txt", c.bytes)), 0) << c.name;
    EXPECT_TRUE(before.SameAsWorkspace()) << c.name;
    const RecordedMessage m = OnlyMessage();
    EXPECT_EQ(m.title, "Error") << c.name;
    EXPECT_NE(m.message.find(c.messagePart), std::string::npos) << c.name << ": " << m.message;
  }
  EXPECT_EQ(NumPoints, previous.rows);
}

// The first bad row is named by its line: 13 header lines, the layout line, then line 15.
TEST_F(LoadDataFileTest, NoReadableRowNamesTheLine) {
  std::string text;
  for (int i = 0; i < 13; ++i) text += "h\n";
  text += "t\tV\tI\n\n0.1\t-20\t\x01stop\n";
  EXPECT_EQ(LoadDataFile(Write("line.txt", text)), 0);
  EXPECT_EQ(OnlyMessage().message,
            "No data row could be read (a row is 3 numbers): line 16 holds \"?stop\" where a "
            "number should stand.");
}

TEST_F(LoadDataFileTest, MissingFileGivesTheOpenErrorAndChangesNothing) {
  LoadPrevious();
  const Snapshot before = Snapshot::Take();
  EXPECT_EQ(LoadDataFile((folder_ / "absent.txt").string()), 0);
  EXPECT_TRUE(before.SameAsWorkspace());
  const RecordedMessage m = OnlyMessage();
  EXPECT_EQ(m.title, "Error");
  EXPECT_EQ(m.message, "file open error");
}

// The record holds 259 characters of path: a longer one is refused, not cut.
TEST_F(LoadDataFileTest, PathLongerThanTheRecordIsRefused) {
  LoadPrevious();
  const Snapshot before = Snapshot::Take();
  const std::string longPath = "/" + std::string(kDataFileSize, 'p') + ".txt";
  EXPECT_EQ(LoadDataFile(longPath), 0);
  EXPECT_TRUE(before.SameAsWorkspace());
  EXPECT_NE(OnlyMessage().message.find("at most 259"), std::string::npos);
}

// Arbitrary bytes shaped like numbers and separators never break the reader or its limits.
TEST_F(LoadDataFileTest, RandomBytesAreHandledSafely) {
  const std::string alphabet = std::string("0123456789\t\t,,  \n\n\r.-+eE5x") + '\0' + '\xff';
  std::mt19937 random(2024);
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const int length = static_cast<int>(random() % 3000);
    for (int i = 0; i < length; ++i) bytes.push_back(alphabet[random() % alphabet.size()]);
    status.headerLines = static_cast<int>(random() % 4);
    if (LoadDataFile(Write("random.txt", bytes)) == 1) {
      EXPECT_GE(NumTraces, 1);
      EXPECT_LE(NumTraces, kMaxTraces);
      EXPECT_GE(NumPoints, 1);
      EXPECT_LE(NumPoints, kMaxPoints);
      EXPECT_EQ(status.windowEnd, NumPoints);
    }
  }
}

// ---- special files ----

// The dialog takes regular files only; the command line may read a pipe but never a device, and
// a header or layout line without end is refused after a bounded read.
TEST_F(LoadDataFileTest, SpecialFilesNeverBlockOrRunForever) {
  LoadPrevious();
  const Snapshot before = Snapshot::Take();
  const std::string fifo = (folder_ / "fifo.txt").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), folder_.string(), fifo}) {
    ClearRecordedMessages();
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    EXPECT_EQ(ReadDataFile(), 0) << path;
    EXPECT_NE(OnlyMessage().message.find("not a regular file"), std::string::npos) << path;
  }
  // A folder is named as such, not read as a file of no lines.
  const std::pair<std::string, const char*> refused[] = {
      {"/dev/zero", "is a device"}, {"/dev/full", "is a device"}, {folder_, "is a folder"}};
  for (const auto& [path, why] : refused) {
    ClearRecordedMessages();
    EXPECT_EQ(LoadDataFile(path), 0) << path;
    EXPECT_NE(OnlyMessage().message.find(why), std::string::npos) << path;
  }
  for (int headerLines : {13, 0}) {  // an endless header line, an endless layout line
    status.headerLines = headerLines;
    ClearRecordedMessages();
    const FifoFeeder endless((folder_ / "endless").string(), std::string(4096, 'x'), true);
    EXPECT_EQ(LoadDataFile(endless.path()), 0);
    EXPECT_NE(OnlyMessage().message.find("longer than"), std::string::npos) << headerLines;
  }
  status.headerLines = 13;
  EXPECT_TRUE(before.SameAsWorkspace());

  WrittenRecording rec;
  rec.columns = 7;
  const FifoFeeder pipe((folder_ / "pipe").string(), rec.Text());
  EXPECT_EQ(LoadDataFile(pipe.path()), 1);
  EXPECT_EQ(NumTraces, 3);
  EXPECT_EQ(NumPoints, rec.rows);
}

// ---- the dialog ----

// A cancelled dialog keeps the loaded file; a chosen file loads.
TEST_F(LoadDataFileTest, ReadDataFileCancelledKeepsEverything) {
  LoadPrevious();
  const Snapshot before = Snapshot::Take();
  ClearFileSelectAnswers();
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  EXPECT_EQ(ReadDataFile(), 0);
  EXPECT_TRUE(before.SameAsWorkspace());
  EXPECT_TRUE(RecordedMessages().empty());

  WrittenRecording rec;
  rec.columns = 5;
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, Write("chosen.txt", rec.Text()));
  EXPECT_EQ(ReadDataFile(), 1);
  EXPECT_EQ(NumTraces, 2);
}

// ---- the take-over of a recording ----

// A recording from any reader: its step voltages are taken as given; one whose arrays fall short
// of its counts, or whose name the data-file field cannot hold, is refused and changes nothing.
TEST_F(LoadDataFileTest, CommitRecordingTakesWholeRecordingsOnly) {
  Recording good;
  good.times = {0.0, 0.05, 0.1};
  good.traces = good.pairsStored = 1;
  good.voltages[0] = {-80, 0, 0};
  good.currents[0] = {1, 2, 3};
  good.stepVoltages = std::array<double, kMaxTraces>{-10, -10, -10, -10, -10, -10};
  good.name = "imported.abf";
  ASSERT_TRUE(CommitRecording(good));
  EXPECT_EQ(NumPoints, 3);
  EXPECT_EQ(status.traceV[0], -10.0);  // not the column's mean
  EXPECT_STREQ(status.dataFile, "imported.abf");

  LoadPrevious();
  const std::string before(reinterpret_cast<const char*>(&status), sizeof status);
  Recording shortCurrents = good;
  shortCurrents.currents[0].pop_back();
  Recording longName = good;
  longName.name = std::string(kDataFileSize, 'n');
  Recording noTraces = good;
  noTraces.traces = 0;
  for (const Recording* refused : {&shortCurrents, &longName, &noTraces}) {
    EXPECT_FALSE(CommitRecording(*refused));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&status), sizeof status), before);
    EXPECT_EQ(NumPoints, 300);
  }
  EXPECT_EQ(RecordedMessages().size(), 3u);
}
