// The table of a fit: the header, a row against the arrays it comes from, and the workspace's
// table matching the sum the data graph draws.
#include "io/fit_table.h"
#include "model/evaluation.h"
#include "model/recording.h"
#include "test_support.h"

TEST(FitTable, HeaderAndRowFollowTheArrays) {
  const std::vector<double> time = {0.0, 0.05};
  const std::vector<double> measured1 = {-0.1, 1.0 / 3.0}, measured2 = {0.2, -5e-7};
  const std::vector<double> na1 = {0.0, 0.7}, na2 = {0.0, 0.1};
  const std::vector<double> k1 = {0.0, 0.2}, k2 = {0.0, 1e-20};
  FitTable table;
  table.time = time;
  table.measured = {measured1, measured2};
  table.currents.push_back({2, "Na, fast", {na1, na2}});
  table.currents.push_back({5, "", {k1, k2}});

  const std::vector<std::string> lines = Lines(FormatFitTable(table));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "time (ms),"
            "trace 1 measured (nA),trace 1 fit (nA),trace 1 residual (nA),"
            "trace 2 measured (nA),trace 2 fit (nA),trace 2 residual (nA),"
            "\"Na, fast (current 2) trace 1 (nA)\",\"Na, fast (current 2) trace 2 (nA)\","
            "current 5 trace 1 (nA),current 5 trace 2 (nA)");
  const double fit1 = 0.7 + 0.2;
  const double fit2 = 0.1 + 1e-20;
  const std::vector<double> expected = {
      0.05, 1.0 / 3.0, fit1, 1.0 / 3.0 - fit1, -5e-7, fit2, -5e-7 - fit2, 0.7, 0.1, 0.2, 1e-20};
  EXPECT_EQ(Numbers(lines[2]), expected);  // exact: every number reads back to its double
  EXPECT_EQ(lines[2].substr(0, 25), "0.05,0.3333333333333333,0");  // shortest, with a point
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

  const std::vector<std::string> lines = Lines(FormatFitTable(FitTableOf(
      ViewedRecording(), Evaluate(ViewedRecording(), params, InFitOf(status), status.baseline))));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find(",K (current 4) trace 2 (nA)"), std::string::npos);
  EXPECT_EQ(lines[0].find("current 2"), std::string::npos);
  // Trace 2, sample 2: the fit as the data graph sums it, from zero in current order.
  const double fit = (0.0 + yfits[0][1][2]) + yfits[3][1][2];
  const std::vector<double> cells = Numbers(lines[3]);
  ASSERT_EQ(cells.size(), 1u + 2 * 3 + 2 * 2);
  EXPECT_EQ(cells[0], timevals[2]);
  EXPECT_EQ(cells[4], ydata[1][2]);
  EXPECT_EQ(cells[5], fit);
  EXPECT_EQ(cells[6], ydata[1][2] - fit);
  EXPECT_EQ(cells[10], yfits[3][1][2]);
  ResetWorkspace();
}
