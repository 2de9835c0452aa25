// The data file reader: the layouts a file may have, what is taken from it, and that a file
// which cannot be read changes nothing of what was loaded before.
#include <sys/stat.h>

#include <random>
#include <utility>

#include "device_nodes.h"
#include "test_support.h"

namespace {

class LoadDataFileTest : public WorkspaceTest {
 protected:
  // Loads a six-trace file of 300 rows, as the state a failed load must leave alone.
  void LoadPrevious() {
    WrittenRecording previous{.rows = 300};
    ASSERT_EQ(LoadDataFile(folder_.Write("previous.txt", previous.Text())), 1);
    ClearRecordedMessages();
  }

  TestFolder folder_;
};

// The workspace after rec was loaded from path with the first `skipped` rows taken as the layout
// line: the samples, the voltages of every stored pair (a lone voltage without its current
// included), the trace voltages as the plain mean of each voltage column (the traces beyond the
// stored pairs take the last one's), the ranges scaled by 1.1 from running extremes that start
// at +-10000, and the window over the whole recording that the drawing after the take-over sets.
void ExpectLoaded(const WrittenRecording& rec, const std::string& path, int traces, int points,
                  int skipped = 0) {
  const std::string what = path.substr(path.rfind('/') + 1);
  ASSERT_EQ(NumTraces, traces) << what;
  ASSERT_EQ(NumPoints, points) << what;
  const int pairs = std::min(kMaxTraces, rec.columns / 2);
  double low = 10000, high = -10000;
  for (int n = 0; n < points; ++n) {
    const std::vector<double>& row = rec.values[n + skipped];
    ASSERT_EQ(timevals[n], 1000.0 * row[0]) << what << " row " << n;
    for (int k = 0; k < pairs; ++k) {
      ASSERT_EQ(ydata[k][kVoltageOffset + n], row[2 * k + 1]) << what << " row " << n;
      ASSERT_EQ(ydata[k][n], k < traces ? row[2 * k + 2] : 0.0) << what << " row " << n;
      if (k < traces) low = std::min(low, row[2 * k + 2]), high = std::max(high, row[2 * k + 2]);
    }
  }
  if (points < kMaxPoints) {
    EXPECT_EQ(timevals[points], 0.0) << what << ": the rest of the arrays is cleared";
  }
  for (int k = 0; k < kMaxTraces; ++k) {
    const int column = 2 * std::min(k, pairs - 1) + 1;
    double sum = 0;
    for (int n = 0; n < points; ++n) sum += rec.values[n + skipped][column];
    EXPECT_EQ(status.traceV[k], sum / points) << what << " trace " << k + 1;
  }
  EXPECT_EQ(status.dataTMin, 1000.0 * rec.values[skipped][0]) << what;
  EXPECT_EQ(status.dataTMax, 1000.0 * rec.values[skipped + points - 1][0]) << what;
  EXPECT_EQ(status.xMin, status.dataTMin);
  EXPECT_EQ(status.xMax, status.dataTMax);
  EXPECT_DOUBLE_EQ(status.dataYMin, 1.1 * low) << what;
  EXPECT_DOUBLE_EQ(status.dataYMax, 1.1 * high) << what;
  EXPECT_EQ(status.yMin, status.dataYMin);
  EXPECT_EQ(status.yMax, status.dataYMax);
  EXPECT_EQ(status.windowStart, 1);
  EXPECT_EQ(status.windowEnd, points);
  EXPECT_EQ(status.dataLoaded, 1);
  EXPECT_STREQ(status.dataFile, path.c_str());
}

}  // namespace

// ---- layouts that load ----

// Every row of three to thirteen columns over every separator (traces = columns / 2 rounded
// down, pairs stored rounded up), both line ends, a long layout line whose delimiters lie past
// its 200th character, a layout line taken from the first row (only counted), more rows than
// the arrays hold, and currents beyond the running extremes' start or all positive.
TEST_F(LoadDataFileTest, Layouts) {
  std::string longLayout = "time";
  for (int c = 1; c < 13; ++c) longLayout += "\tcolumn number " + std::to_string(c) + " (pA or mV)";
  ASSERT_GT(longLayout.find('\t', 200), longLayout.size() / 2);
  // The voltages tell the plain double mean, which agrees to the last bit with any other program
  // that averages the same way, from a wider sum.
  WrittenRecording probe;
  probe.Text();
  double plain = 0;
  long double wide = 0;
  for (const std::vector<double>& row : probe.values) plain += row[3], wide += row[3];
  ASSERT_NE(plain / probe.rows, static_cast<double>(wide / probe.rows));
  std::vector<std::pair<std::string, WrittenRecording>> cases = {
      {"crlf", {.lineEnd = "\r\n"}},
      {"titles", {.layoutLine = longLayout}},
      {"nolayout", {.headerLines = 12}},  // the reader expects 13
      {"long", {.rows = 6000}},
      {"large", {.currentScale = -100.0, .currentOffset = 20000.0}},
      {"positive", {.columns = 5, .currentScale = -1.0, .currentOffset = 2.0}},
  };
  const char* separators[] = {" ", "\t", ", ", ",", "  "};
  for (int columns = 3; columns <= 13; ++columns)
    cases.push_back(
        {std::to_string(columns), {.columns = columns, .separator = separators[columns % 5]}});
  for (auto& [what, rec] : cases) {
    const std::string path = folder_.Write(what + ".txt", rec.Text());
    ClearRecordedMessages();
    ASSERT_EQ(LoadDataFile(path), 1) << what;
    EXPECT_TRUE(RecordedMessages().empty()) << what;
    const int skipped = 13 - rec.headerLines;
    ExpectLoaded(rec, path, (rec.columns - 1) / 2, std::min(rec.rows - skipped, kMaxPoints),
                 skipped);
    const DataFileRead fromText = ReadDataText(rec.Text(), status.headerLines);  // alike in memory
    EXPECT_EQ(fromText.recording.times.size(), static_cast<size_t>(NumPoints)) << what;
  }
}

// Two commas together count once, so "t,,V1,I1,V2,I2" is read as five columns.
TEST_F(LoadDataFileTest, TwoCommasTogetherCountOnce) {
  WrittenRecording rec{.columns = 5, .separator = ",", .layoutLine = "t,,V1,I1,V2,I2"};
  const std::string path = folder_.Write("commas.csv", rec.Text());
  ASSERT_EQ(LoadDataFile(path), 1);
  ExpectLoaded(rec, path, 2, rec.rows);
}

// Rows wider than thirteen numbers: each row is read whole, the first six traces kept, and the
// user is told.
TEST_F(LoadDataFileTest, WiderRowsKeepTheFirstSixTraces) {
  WrittenRecording rec{.columns = 31};
  const std::string path = folder_.Write("wide.txt", rec.Text());
  ASSERT_EQ(LoadDataFile(path), 1);
  ExpectLoaded(rec, path, 6, rec.rows);
  EXPECT_NE(OnlyMessage().message.find("31 numbers"), std::string::npos);
}

// Lines that do not hold one row's numbers are still read as one stream of numbers, but the
// user is told the first such line and what it holds, or where reading stopped. Separators at a
// line's end, blank lines and the last line without its line end fit the rows: no notice.
TEST_F(LoadDataFileTest, LinesThatDoNotHoldOneRowAreNamed) {
  const struct {
    const char* rows;  // after the layout line "t V I" on line 1
    int points;
    const char* notice;  // "": none
  } cases[] = {
      {"0,001\t-20,5\t-1,5\n0,002\t-20,5\t-1,25\n", 4,
       "Line 2 holds 6 numbers, but the layout line announces rows of 3: \"0,001 -20,5 -1,5\". "
       "The numbers are read on as one stream, so the rows from there on may be misread."},
      {"1\t\t-1\n2\t-20\t-2\n3\t-20\t-3\n", 2, "Line 2 holds 2 numbers"},
      {"1 2 3 4 5\n6 7 8 9 10\n", 3, "Line 2 holds 5 numbers"},
      {"1 -20\n-1\n2 -20\n-2\n", 2, "Line 2 holds 2 numbers"},
      {"1 -20 -1\n2 -20\n", 1, "Line 3 holds 2 numbers"},
      {"1 -20 -1 # first\n2 -20 -2 # second\n", 1,
       "Reading stopped at line 2, which holds \"# first\" where a number should stand; 1 row "
       "was read."},
      {"1 -20 -1\n2 -20 -2\n1e400 -20 -3\n", 2,
       "Reading stopped at line 4, which holds \"1e400 -20 -3\", and \"1e400\" is beyond the "
       "range of a double; 2 rows were read."},
      {"1\t-20\t-1\t\n2\t-20\t-2\t\n", 2, ""},
      {"1 -20 -1  \r\n\r\n2 -20 -2\r\n", 2, ""},
      {"1,-20,-1,\n2,-20,-2,\n\n\n", 2, ""},
      {"1, -20, -1\n2, -20, -2", 2, ""},
  };
  status.headerLines = 0;
  for (const auto& c : cases) {
    ClearRecordedMessages();
    ASSERT_EQ(LoadDataFile(folder_.Write("rows.txt", std::string("t V I\n") + c.rows)), 1)
        << c.rows;
    EXPECT_EQ(NumPoints, c.points) << c.rows;
    if (*c.notice == '\0') {
      EXPECT_TRUE(RecordedMessages().empty()) << c.rows << RecordedMessages()[0].message;
      continue;
    }
    const RecordedMessage m = OnlyMessage();
    EXPECT_EQ(m.title, "Data file") << c.rows;
    EXPECT_NE(m.message.find(c.notice), std::string::npos) << c.rows << ": " << m.message;
  }
}

// ---- files that change nothing ----

// Every file that cannot be read leaves the previous load whole and says why.
TEST_F(LoadDataFileTest, UnreadableFilesChangeNothing) {
  std::string garbage;
  std::mt19937 random(7);
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>(random() % 256));
  const std::string header(13, '\n');
  const struct {
    const char* name;
    std::string bytes;
    std::string message;  // a part of it
  } cases[] = {
      {"empty", "", "only 0 lines"},
      {"short header", "one\ntwo\nthree\n", "only 3 lines"},
      {"header only", header, "layout line"},
      {"text", WrittenRecording{}.Text().substr(0, 200) + "\nthis is a letter, not a recording\n",
       "holds \""},
      {"no rows", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\nt\tV\tI\n", "the file ends"},
      {"two columns", header + "t\tV\n1\t2\n", "needs at least three"},
      {"binary", garbage, ""},
      {"a number too large", header + "t\tV\tI\n1e400\t-20\t-1\n",
       "line 15 holds \"1e400 -20 -1\", and \"1e400\" is beyond the range of a double."},
      {"a number of two million digits",
       header + "t\tV\tI\n" + std::string(2000000, '1') + "\t-20\t-1\n",
       "line 15 is longer than 1048576 characters; it begins \"111"},
      {"voltages beyond a sum", header + "t\tV\tI\n0\t1e308\t1\n1\t1e308\t1\n",
       "The voltages in column 2 cannot be averaged"},
      {"one short row", header + "t\tV\tI\n1\t2\n",
       "the file ends on line 16. Line 15 holds 2 numbers, but the layout line announces rows of "
       "3: \"1 2\"."},
      {"no readable row", header + "t\tV\tI\n\n0.1\t-20\t\x01stop\n",
       "No data row could be read (a row is 3 numbers): line 16 holds \"?stop\" where a number "
       "should stand."},
  };
  const std::pair<std::string, std::string> paths[] = {
      {folder_.File("absent.txt"), "file open error"},
      {"/" + std::string(kDataFileSize, 'p') + ".txt", "at most 259"},  // the field's room
      {"/dev/zero", "is a device"},
      {"/dev/full", "is a device"},
      {folder_.Path().string(), "is a folder"},
  };
  LoadPrevious();
  const std::string before = WorkspaceBytes();
  auto expectRefused = [&](const std::string& path, const std::string& message) {
    ClearRecordedMessages();
    EXPECT_EQ(LoadDataFile(path), 0) << path;
    EXPECT_TRUE(WorkspaceBytes() == before) << path;
    const RecordedMessage m = OnlyMessage();
    EXPECT_EQ(m.title, "Error") << path;
    EXPECT_NE(m.message.find(message), std::string::npos) << path << ": " << m.message;
  };
  for (const auto& c : cases) expectRefused(folder_.Write(c.name, c.bytes), c.message);
  for (const auto& [path, message] : paths) expectRefused(path, message);
}

// The dialog: a cancel keeps everything and says nothing, only regular files are taken, and a
// chosen file loads; a header or layout line without end is refused after a bounded read; the
// command line may read a pipe.
TEST_F(LoadDataFileTest, DialogAndSpecialFilesNeverBlockOrRunForever) {
  LoadPrevious();
  const std::string before = WorkspaceBytes();
  QueueFileSelectAnswer(VAL_NO_FILE_SELECTED, "");
  EXPECT_EQ(ReadDataFile(), 0);
  EXPECT_TRUE(RecordedMessages().empty());
  const std::string fifo = folder_.File("fifo.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), folder_.Path().string(), fifo}) {
    ClearRecordedMessages();
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    EXPECT_EQ(ReadDataFile(), 0) << path;
    EXPECT_NE(OnlyMessage().message.find("not a regular file"), std::string::npos) << path;
  }
  for (int headerLines : {13, 0}) {  // an endless header line, an endless layout line
    status.headerLines = headerLines;
    ClearRecordedMessages();
    const FifoFeeder endless(folder_.File("endless"), std::string(4096, 'x'), true);
    EXPECT_EQ(LoadDataFile(endless.path()), 0);
    EXPECT_NE(OnlyMessage().message.find("longer than"), std::string::npos) << headerLines;
  }
  status.headerLines = 13;
  EXPECT_EQ(WorkspaceBytes(), before);

  WrittenRecording rec{.columns = 7};
  const FifoFeeder pipe(folder_.File("pipe"), rec.Text());
  EXPECT_EQ(LoadDataFile(pipe.path()), 1);
  EXPECT_EQ(NumTraces, 3);
  EXPECT_EQ(NumPoints, rec.rows);
  rec.columns = 5;
  QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, folder_.Write("chosen.txt", rec.Text()));
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
  good.ResizePairs(1);
  good.voltages[0] = {-80, 0, 0};
  good.currents[0] = {1, 2, 3};
  good.stepVoltages = std::vector<double>{-10, -10, -10, -10, -10, -10};
  good.name = "imported.abf";
  ASSERT_TRUE(CommitRecording(good));
  EXPECT_EQ(NumPoints, 3);
  EXPECT_EQ(status.traceV[0], -10.0);  // not the column's mean
  EXPECT_STREQ(status.dataFile, "imported.abf");

  LoadPrevious();
  const std::string before = WorkspaceBytes();
  Recording shortCurrents = good;
  shortCurrents.currents[0].pop_back();
  Recording longName = good;
  longName.name = std::string(kDataFileSize, 'n');
  Recording noTraces = good;
  noTraces.traces = 0;
  Recording missingPair = good;
  missingPair.currents.clear();
  for (const Recording* refused : {&shortCurrents, &longName, &noTraces, &missingPair}) {
    EXPECT_FALSE(CommitRecording(*refused));
    EXPECT_EQ(WorkspaceBytes(), before);
  }
  EXPECT_EQ(RecordedMessages().size(), 4u);
}
