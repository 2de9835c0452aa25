// The writer's layout, pinned byte for byte against text written out by hand.
#include <cstdio>

#include "paramfile_support.h"

namespace {

class ParamFileLayout : public ::testing::Test {
 protected:
  void SetUp() override { ResetWorkspace(); }
  void TearDown() override { ResetWorkspace(); }
};

// The line of a current that still has its start-up values.
const std::string kStartCurrentLine =
    "1.000000 1.000000 1.000000 -80.000000 1.000000 1.000000 -1.000000 1.000000 1.000000 "
    "1.000000 -1.000000 1.000000 1.000000 1.000000 1.000000 1.000000 100.000000 0.000000 "
    "40.000000 -80.000000 100.000000 -100.000000 100.000000 0.000000\n";

// Current 1: every column different, so a column out of place shows.
void ChooseSodiumCurrent(CurrentParams* c) {
  c->Gmax = 120.0;
  c->p = 3;
  c->q = 1;
  c->Erev = 50.0;
  c->Vm = -40.0;
  c->Vh = -62.0;
  c->Km = -7.0;
  c->Kh = 6.0;
  c->Vtm = -38.0;
  c->Vth = -67.0;
  c->Ktm = -10.0;
  c->Kth = 12.0;
  c->Tmlo = 0.05;
  c->Tmhi = 0.3;
  c->Thlo = 0.5;
  c->Thhi = 8.5;
  c->Vhold = -70.0;
  for (int k = 0; k < kCurrentSettings; ++k) dclamp.currentSetting[k][0] = 11.0 + k;
}

// Current 2: rounding to six decimals, negative zero, large values, negative gate powers.
void ChooseAwkwardCurrent(CurrentParams* c) {
  c->Gmax = 0.0000004;
  c->p = -1;
  c->q = -2;
  c->Erev = -0.0000004;
  c->Vm = 0.0000006;
  c->Vh = 1e6;
  c->Km = 1e20;
  c->Kh = -123456789.25;
  c->Vtm = -0.0;
}

}  // namespace

// ---- the whole file ----

TEST_F(ParamFileLayout, ChosenWorkspaceGivesTheHandWrittenFile) {
  dclamp.globalSetting[0] = 1.5;
  dclamp.globalSetting[1] = -2.0;
  dclamp.globalSetting[2] = 0.0;
  dclamp.globalSetting[3] = 0.25;
  const int32_t ints[kIntSettings] = {1, 0, 0, 0, 0, 2};
  for (int k = 0; k < kIntSettings; ++k) dclamp.intSetting[k] = ints[k];
  ChooseSodiumCurrent(&params[0]);
  ChooseAwkwardCurrent(&params[1]);
  SetName(&params[0], "Na");
  SetName(&params[1], "K");
  SetName(&params[2], "");
  status.fitCurrent[2] = 1;
  status.fitCurrent[9] = 1;
  status.traceV[3] = -0.0000004;

  std::string expected =
      "1.500000 -2.000000 0.000000 0.250000 1 0 0 0 0 2\n"
      "120.000000 3.000000 1.000000 50.000000 -40.000000 -62.000000 -7.000000 6.000000 "
      "-38.000000 -67.000000 -10.000000 12.000000 0.050000 0.300000 0.500000 8.500000 "
      "11.000000 12.000000 13.000000 14.000000 15.000000 16.000000 17.000000 18.000000\n"
      "0.000000 -1.000000 -2.000000 -0.000000 0.000001 1000000.000000 "
      "100000000000000000000.000000 -123456789.250000 -0.000000 1.000000 -1.000000 1.000000 "
      "1.000000 1.000000 1.000000 1.000000 100.000000 0.000000 40.000000 -80.000000 "
      "100.000000 -100.000000 100.000000 0.000000\n";
  for (int i = 2; i < kMaxCurrents; ++i) expected += kStartCurrentLine;
  expected +=
      "-70.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 "
      "-60.000000 -60.000000 -60.000000 \n"
      "-30.000000 -10.000000 10.000000 -0.000000 30.000000 30.000000 \n"
      "1 0 1 0 0 0 0 0 0 1 \n"
      "Na,K,3,4,5,6,7,8,9,10";

  EXPECT_EQ(WorkspaceFileText(), expected);
}

// A fresh workspace still writes fifteen lines, the last without a line end.
TEST_F(ParamFileLayout, StartUpWorkspaceWritesFifteenLines) {
  std::string expected = "0.000000 100.000000 0.000000 0.250000 0 0 0 0 0 0\n";
  for (int i = 0; i < kMaxCurrents; ++i) expected += kStartCurrentLine;
  expected +=
      "-60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 -60.000000 "
      "-60.000000 -60.000000 -60.000000 \n"
      "-30.000000 -10.000000 10.000000 30.000000 30.000000 30.000000 \n"
      "1 0 0 0 0 0 0 0 0 0 \n"
      "1,2,3,4,5,6,7,8,9,10";
  EXPECT_EQ(WorkspaceFileText(), expected);
}

// ---- pieces of the layout ----

TEST_F(ParamFileLayout, EmptyNamesAreWrittenAsTheirNumbers) {
  SetName(&params[0], "A");
  SetName(&params[1], "B");
  for (int i = 2; i < kMaxCurrents; ++i) SetName(&params[i], "");
  const std::string text = WorkspaceFileText();
  const std::string tail = "\nA,B,3,4,5,6,7,8,9,10";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

// Very large values are written in full, never with an exponent.
TEST_F(ParamFileLayout, LargestRealIsWrittenInFixedPoint) {
  params[0].Gmax = 1.7976931348623157e308;
  const std::string text = WorkspaceFileText();
  const std::string line2 = text.substr(text.find('\n') + 1);
  const std::string gmax = line2.substr(0, line2.find(' '));
  EXPECT_EQ(gmax.size(), 309u + 7u);  // 309 digits, the point and six decimals
  EXPECT_EQ(gmax.find_first_of("eE"), std::string::npos);
  EXPECT_EQ(gmax.substr(0, 6), "179769");
  EXPECT_EQ(gmax.substr(gmax.size() - 7), ".000000");
}

// A long name goes into the file whole.
TEST_F(ParamFileLayout, LongNameIsWrittenWhole) {
  const std::string longName(kMaxNameLength, 'x');
  SetName(&params[9], longName);
  const std::string text = WorkspaceFileText();
  EXPECT_EQ(text.substr(text.size() - longName.size() - 1), "," + longName);
}

// The stream writer puts exactly the layout's bytes on the stream.
TEST_F(ParamFileLayout, WriteParamFileWritesTheLayoutToAStream) {
  SetName(&params[4], "Ca");
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(WriteParamFile(stream, params, dclamp, status));
  std::rewind(stream);
  std::string written;
  for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
    written += static_cast<char>(c);
  }
  std::fclose(stream);
  EXPECT_EQ(written, WorkspaceFileText());
}
