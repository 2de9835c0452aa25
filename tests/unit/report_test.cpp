// Copy and paste of one current, and the text report of the currents.
#include <algorithm>

#include "paramfile_support.h"
#include "platform/platform_test.h"

namespace {

class Report : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
};

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

// ---- the report ----

TEST_F(Report, StartUpCopyOfCurrentOneIsTheHandWrittenText) {
  CopyCurrent();
  EXPECT_EQ(CurrentReport(status.selCurrent - 1),
            "Current \"1\" (1)\n"
            "Vhold= -60.000000\n"
            "Gmax = 1.000000\n"
            "p    = 1\n"
            "q    = 1\n"
            "Erev = -80.000000\n"
            "Vm   = 1.000000\n"
            "Vh   = 1.000000\n"
            "Km   = -1.000000\n"
            "Kh   = 1.000000\n"
            "Vtm  = 1.000000\n"
            "Vth  = 1.000000\n"
            "Ktm  = -1.000000\n"
            "Kth  = 1.000000\n"
            "Tmlo = 1.000000\n"
            "Tmhi = 1.000000\n"
            "Thlo = 1.000000\n"
            "Thhi = 1.000000\n"
            "\n"
            "V[1-6]: -30.000000 -10.000000 10.000000 30.000000 30.000000 30.000000\n");
}

// Each line carries its own field: the limits low before high, whatever the record's order.
TEST_F(Report, LinesFollowTheFileOrder) {
  params[3].Tmlo = 0.25;
  params[3].Tmhi = 4.5;
  params[3].Thlo = 7.0;
  params[3].Thhi = 9.0;
  params[3].p = -2;
  const std::string report = CurrentReport(3);
  EXPECT_NE(report.find("Current \"4\" (4)\n"), std::string::npos);
  EXPECT_NE(report.find("p    = -2\nq    = 1\n"), std::string::npos);
  EXPECT_NE(report.find("Tmlo = 0.250000\nTmhi = 4.500000\nThlo = 7.000000\nThhi = 9.000000\n"),
            std::string::npos);
}

TEST_F(Report, AllCurrentsReportHasTenBlocksIn191Lines) {
  const std::string report = CurrentReport(-1);
  EXPECT_EQ(LineCount(report), 191);
  size_t previous = 0;
  for (int i = 0; i < kMaxCurrents; ++i) {
    const std::string title =
        "Current \"" + std::to_string(i + 1) + "\" (" + std::to_string(i + 1) + ")\n";
    const size_t at = report.find(title);
    ASSERT_NE(at, std::string::npos) << title;
    EXPECT_TRUE(i == 0 ? at == 0 : at > previous) << title;
    previous = at;
  }
  EXPECT_EQ(report.substr(report.rfind("V[1-6]")),
            "V[1-6]: -30.000000 -10.000000 10.000000 30.000000 30.000000 30.000000\n");
}

// Ten names of 255 characters come out whole.
TEST_F(Report, LongNamesComeOutWhole) {
  for (int i = 0; i < kMaxCurrents; ++i) {
    SetName(&params[i], std::string(kMaxNameLength, static_cast<char>('a' + i)));
  }
  const std::string report = CurrentReport(-1);
  for (int i = 0; i < kMaxCurrents; ++i) {
    const std::string title = "Current \"" +
                              std::string(kMaxNameLength, static_cast<char>('a' + i)) + "\" (" +
                              std::to_string(i + 1) + ")\n";
    EXPECT_NE(report.find(title), std::string::npos);
  }
  EXPECT_EQ(LineCount(report), 191);
}

TEST_F(Report, EmptyNamePrintsAsTwoQuotes) {
  SetName(&params[6], "");
  EXPECT_EQ(CurrentReport(6).substr(0, 15), "Current \"\" (7)\n");
}

TEST_F(Report, IndexOutsideTheCurrentsGivesNoReport) {
  EXPECT_EQ(CurrentReport(kMaxCurrents), "");
  EXPECT_EQ(CurrentReport(-2), "");
}

TEST_F(Report, CopyCurrToClipboardPutsTheReportThere) {
  SetName(&params[2], std::string(kMaxNameLength, 'c'));
  CopyCurrToClipboard(2);
  EXPECT_EQ(LastClipboardText(), CurrentReport(2));
}

// ---- copy and paste ----

// Current 2 pasted into current 5: everything of current 2 but 5's own holding potential.
TEST_F(Report, PasteKeepsTheTargetsHoldingPotential) {
  CurrentParams& source = params[1];
  source.Gmax = 36.0;
  source.Erev = -77.0;
  source.Km = -10.0;
  source.Tmlo = 0.7;
  source.p = 4;
  source.q = 0;
  SetName(&source, "K");
  params[4].Vhold = -40.0;
  status.selCurrent = 2;
  CopyCurrent();
  status.selCurrent = 5;
  PasteCurrent();

  constexpr double CurrentParams::*kCarried[] = {
      &CurrentParams::Vm,   &CurrentParams::Vh,   &CurrentParams::Km,   &CurrentParams::Kh,
      &CurrentParams::Tmhi, &CurrentParams::Tmlo, &CurrentParams::Thhi, &CurrentParams::Thlo,
      &CurrentParams::Vtm,  &CurrentParams::Vth,  &CurrentParams::Ktm,  &CurrentParams::Kth,
      &CurrentParams::Gmax, &CurrentParams::Erev};
  for (double CurrentParams::*field : kCarried) EXPECT_EQ(params[4].*field, source.*field);
  EXPECT_EQ(params[4].p, 4);
  EXPECT_EQ(params[4].q, 0);
  EXPECT_STREQ(params[4].name, "K");
  EXPECT_EQ(params[4].Vhold, -40.0);
  EXPECT_EQ(params[1].Vhold, -60.0);
  EXPECT_EQ(status.selCurrent, 5);
}

// The copy buffer's holding potential is never written.
TEST_F(Report, CopyLeavesTheBuffersHoldingPotential) {
  copyCurr.Vhold = 12.5;
  params[0].Vhold = -90.0;
  CopyCurrent();
  EXPECT_EQ(copyCurr.Vhold, 12.5);
  EXPECT_EQ(copyCurr.Erev, -80.0);
  EXPECT_STREQ(copyCurr.name, "1");
}
