// The table of a fit: the header, a row against the arrays it comes from, and the workspace's
// table matching the sum the data graph draws.
#include "io/fit_table.h"
#include "model/evaluation.h"
#include "model/recording.h"
#include "test_support.h"

// Columns named by their trace's step voltage and unit, excluded samples marked, the window's
// rows only, every number exact, and a time without the units its conversion from seconds left.
TEST(FitTable, HeaderAndRowsFollowTheArrays) {
  const std::vector<double> time = {0.0, 0.00015 * 1000, 0.3};  // 0.15000000000000002
  const std::vector<double> measured1 = {-0.1, 1.0 / 3.0, 2}, measured2 = {0.2, -5e-7, 3};
  const std::vector<double> na1 = {0.0, 0.7, 0}, na2 = {0.0, 0.1, 0};
  const std::vector<double> k1 = {0.0, 0.2, 0}, k2 = {0.0, 1e-20, 0};
  FitTable table;
  table.time = time;
  table.measured = {measured1, measured2};
  table.stepVoltages = {-60.0, 2.5};
  table.currents.push_back({2, "Na, fast", {na1, na2}});
  table.currents.push_back({5, "", {k1, k2}});
  table.excluded = {0, 1, 0};
  table.rows = {1, 2};

  const std::vector<std::string> lines = Lines(FormatFitTable(table));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "time [ms],excluded,"
            "I(-60 mV) [nA],fit(-60 mV) [nA],residual(-60 mV) [nA],"
            "I(2.5 mV) [nA],fit(2.5 mV) [nA],residual(2.5 mV) [nA],"
            "\"Na, fast(-60 mV) [nA]\",\"Na, fast(2.5 mV) [nA]\","
            "current 5(-60 mV) [nA],current 5(2.5 mV) [nA]");
  const double fit1 = 0.7 + 0.2;
  const double fit2 = 0.1 + 1e-20;
  const std::vector<double> expected = {
      0.15, 1, 1.0 / 3.0, fit1, 1.0 / 3.0 - fit1, -5e-7, fit2, -5e-7 - fit2, 0.7, 0.1, 0.2, 1e-20};
  EXPECT_EQ(Numbers(lines[1]), expected);  // exact: every number reads back to its double
  EXPECT_EQ(lines[1].substr(0, 26), "0.15,1,0.3333333333333333,");  // shortest, with a point
}

TEST(FitTable, WorkspaceTableSumsTheCurrentsInTheFit) {
  ResetWorkspace();
  NumTraces = 2;
  NumPoints = 3;
  for (int n = 0; n < NumPoints; ++n) {
    timevals[n] = 0.1 * n;
    for (int k = 0; k < NumTraces; ++k) {
      ydata[k][n] = 1.0 + n + 10 * k;
    }
  }
  for (int32_t& flag : status.fitCurrent) flag = 0;
  status.fitCurrent[0] = 1;
  status.fitCurrent[3] = 1;
  std::strcpy(params[3].name, "K");
  status.windowEnd = NumPoints;
  DoFit();  // the table evaluates the same way: its curves are yfits

  const std::vector<std::string> lines = Lines(FormatFitTable(
      FitTableOf(ViewedRecording(),
                 Evaluate(ViewedRecording(), params, InFitOf(status), status.baseline), true)));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find(",K(-10 mV) [nA]"), std::string::npos);  // trace 2 at -10 mV
  EXPECT_EQ(lines[0].find("current 2"), std::string::npos);
  // Trace 2, sample 2: the fit as the data graph sums it, from zero in current order.
  const double fit = (0.0 + yfits[0][1][2]) + yfits[3][1][2];
  const std::vector<double> cells = Numbers(lines[3]);
  ASSERT_EQ(cells.size(), 2u + 2 * 3 + 2 * 2);
  EXPECT_EQ(cells[0], timevals[2]);
  EXPECT_EQ(cells[5], ydata[1][2]);
  EXPECT_EQ(cells[6], fit);
  EXPECT_EQ(cells[7], ydata[1][2] - fit);
  EXPECT_EQ(cells[11], yfits[3][1][2]);
  ResetWorkspace();
}
