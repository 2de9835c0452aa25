// The NMODL text of fitted currents: the names NEURON will accept, the gates that exist, the
// units of a density mechanism, and the currents that cannot be written. That NEURON runs the
// files as Pavik's model is checked in NEURON itself (tests/neuron/check_mechanisms.py).
#include <gtest/gtest.h>

#include <cstring>

#include "io/nmodl.h"

namespace {

NmodlCurrent Current(int number, const char* name, int p = 3, int q = 1) {
  NmodlCurrent current{number, {}};
  CurrentParams& c = current.params;
  c = {-40, -62, -9.5, 8, 0.14, 0.51, 14, 1, -12, -59, -12, 9.5, -80, 120, 50, p, q, ""};
  std::strncpy(c.name, name, sizeof c.name - 1);
  return current;
}

const NmodlSource kSource{"Pavik 3.2", "na.fit", "na.txt", "2026-05-01", 0.033};

}  // namespace

TEST(MechanismNames, AreIdentifiersUniqueInAnyCase) {
  const auto names = MechanismNames({Current(1, "INa"), Current(2, "I(h) slow, 2 µ"),
                                     Current(3, ""), Current(4, "ina"), Current(5, "***")});
  EXPECT_EQ(names, (std::vector<std::string>{"pavik_INa", "pavik_I_h_slow_2", "pavik_3",
                                             "pavik_ina_4", "pavik_5"}));
}

TEST(MakeNmodlFiles, GatesOfPowerZeroHaveNoStateAndOhmicCurrentsNoSolve) {
  const NmodlExport result =
      MakeNmodlFiles({Current(1, "IK", 4, 0), Current(2, "leak", 0, 0)}, {}, kSource);
  ASSERT_EQ(result.error, "");
  ASSERT_EQ(result.files.size(), 2u);
  const std::string& k = result.files[0].text;
  EXPECT_EQ(result.files[0].fileName, "pavik_IK.mod");
  EXPECT_NE(k.find("POINT_PROCESS pavik_IK"), std::string::npos);
  EXPECT_NE(k.find("STATE {\n  m\n}"), std::string::npos);
  EXPECT_NE(k.find("g = gmax * m^4\n"), std::string::npos);
  EXPECT_EQ(k.find("Vh ="), std::string::npos);  // the absent gate's parameters are left out
  EXPECT_NE(k.find("gmax = 0.12 (uS)"), std::string::npos);
  EXPECT_NE(k.find("fit RMS 0.033 nA"), std::string::npos);
  const std::string& leak = result.files[1].text;
  EXPECT_EQ(leak.find("STATE"), std::string::npos);
  EXPECT_EQ(leak.find("SOLVE"), std::string::npos);
}

TEST(MakeNmodlFiles, DensityMechanismsScaleByTheAreaAndQ10ScalesTimeConstants) {
  NmodlOptions options;
  options.areaUm2 = 100.0;
  options.q10 = 3.0;
  options.recordingCelsius = 6.3;
  const NmodlExport result = MakeNmodlFiles({Current(1, "INa")}, options, kSource);
  ASSERT_EQ(result.error, "");
  const std::string& text = result.files[0].text;
  EXPECT_NE(text.find("SUFFIX pavik_INa"), std::string::npos);
  // 120 nS over 100 um2 is 120 mS/cm2, Hodgkin and Huxley's sodium conductance.
  EXPECT_NE(text.find("gmax = 0.12 (S/cm2)"), std::string::npos);
  EXPECT_NE(text.find("i (mA/cm2)"), std::string::npos);
  EXPECT_NE(text.find("trec = 6.3 (degC)"), std::string::npos);
  EXPECT_NE(text.find("tauh = tauh / tadj"), std::string::npos);
}

TEST(MakeNmodlFiles, RefusesWhatTheEquationsCannotEvaluate) {
  NmodlCurrent flat = Current(2, "flat");
  flat.params.Ktm = 0.0;
  EXPECT_NE(MakeNmodlFiles({Current(1, "INa"), flat}, {}, kSource).error.find("Ktm = 0"),
            std::string::npos);
  flat.params.p = 0;  // the gate that divides by it is gone
  EXPECT_EQ(MakeNmodlFiles({flat}, {}, kSource).error, "");
  NmodlOptions noArea;
  noArea.areaUm2 = 0.0;
  EXPECT_TRUE(MakeNmodlFiles({Current(1, "INa")}, noArea, kSource).files.empty());
}
