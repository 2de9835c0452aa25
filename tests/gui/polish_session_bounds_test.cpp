// A bound a session sets holds in the window's polish; the bounds it leaves at their defaults keep
// following the parameters.
#include "app/session_file.h"
#include "program_fixture.h"

using SessionBounds = StartedProgram;

TEST_F(SessionBounds, SessionBoundHoldsInTheWindowsPolish) {
  const std::string session = ScratchPath("bounded.pavik");
  // The bundled fit's Gmax is about 32.9 nS: the session caps it below that.
  WriteBytes(session, R"({"version": 1, "dataFile": ")" + kExamples +
                          R"(hh-potassium.txt", "paramFile": ")" + kExamples +
                          R"(hh-potassium.fit", "fitter": {"1.Gmax": {"free": true, "lower": 0,
                             "upper": 30}}})");
  ASSERT_EQ(OpenSessionFile(session), 1);
  EXPECT_TRUE(fitSettings.userBounds[0][static_cast<int>(ParamField::Gmax)]);
  EXPECT_FALSE(fitSettings.userBounds[0][static_cast<int>(ParamField::Vm)]);
  ASSERT_TRUE(StartPolish());
  for (int waited = 0; PolishRunning() && waited < 120000; waited += 10) QTest::qWait(10);
  ASSERT_FALSE(PolishRunning());
  EXPECT_LE(params[0].Gmax, 30.0);
}
