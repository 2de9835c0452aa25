// The command line's --free and --fix lists, and the fit summary as text and as JSON.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "fit/fit_summary.h"
#include "fit/free_list.h"
#include "model/model.h"

namespace {

struct Workspace {
  std::array<CurrentParams, kMaxCurrents> currents{};
  std::array<bool, kMaxCurrents> inFit{};
  Workspace() {
    for (CurrentParams& c : currents) c.p = c.q = 1, c.Km = -5, c.Kh = 5, c.Ktm = -5, c.Kth = 5;
    currents[1].q = 0;  // current 2 does not inactivate
    inFit[0] = inFit[1] = true;
  }
};

bool IsFree(const ParamChoice& choice, int current, ParamField field) {
  return choice.currents[current].free[static_cast<int>(field)];
}

int FreeCount(const ParamChoice& choice) {
  int count = choice.baselineFree ? 1 : 0;
  for (const CurrentChoice& c : choice.currents) {
    for (bool free : c.free) count += free;
  }
  return count;
}

}  // namespace

// ---- --free and --fix ----

TEST(ApplyFreeAndFix, FreeReplacesTheDefaultsAndFixRemovesFromThem) {
  const Workspace w;
  const ParamChoice defaults = DefaultChoice(w.currents);
  const FreeChoice freed = ApplyFreeAndFix(defaults, w.currents, w.inFit,
                                           std::string("1.Vm, 2.gmax,baseline"), std::nullopt);
  ASSERT_EQ(freed.error, "");
  EXPECT_EQ(FreeCount(freed.choice), 3);
  EXPECT_TRUE(IsFree(freed.choice, 1, ParamField::Gmax));
  EXPECT_TRUE(freed.choice.baselineFree);

  // 2.* skips the h gate that current 2 raises to the power 0.
  const FreeChoice all =
      ApplyFreeAndFix(defaults, w.currents, w.inFit, std::string("2.*"), std::string("2.Erev"));
  ASSERT_EQ(all.error, "");
  EXPECT_EQ(FreeCount(all.choice), 8);  // Vm Km Tmhi Tmlo Vtm Ktm Vhold Gmax
  EXPECT_FALSE(IsFree(all.choice, 1, ParamField::Vh));

  const FreeChoice fixed =
      ApplyFreeAndFix(defaults, w.currents, w.inFit, std::nullopt, std::string("1.Vm,1.Km"));
  ASSERT_EQ(fixed.error, "");
  EXPECT_EQ(FreeCount(fixed.choice), FreeCount(defaults) - 2);
  EXPECT_FALSE(IsFree(fixed.choice, 0, ParamField::Km));
}

TEST(ApplyFreeAndFix, ABadListSaysWhyAndChangesNothing) {
  const Workspace w;
  const ParamChoice defaults = DefaultChoice(w.currents);
  struct Case {
    const char* list;
    const char* says;
  };
  const Case cases[] = {
      {"1.Vx", "Vx is not a parameter"},
      {"3.Vm", "current 3 is not in the fit"},
      {"11.Vm", "there is no current 11"},
      {"x.Vm", "not a current number"},
      {"1.p", "gate powers are never fitted"},
      {"Vm", "is not CURRENT.FIELD"},
      {"1.Vm,,1.Km", "empty item"},
      {"", "the list is empty"},
  };
  for (const Case& c : cases) {
    const FreeChoice result =
        ApplyFreeAndFix(defaults, w.currents, w.inFit, std::nullopt, std::string(c.list));
    EXPECT_EQ(result.error.rfind("--fix: ", 0), 0u) << c.list;
    EXPECT_NE(result.error.find(c.says), std::string::npos) << result.error;
    EXPECT_EQ(FreeCount(result.choice), FreeCount(defaults)) << c.list;
  }
}

// ---- the summary ----

// Every figure in the text and in JSON, "not determined" for an estimate without a standard
// error; a polish that did not finish says so.
TEST(FitSummary, TextAndJsonCarryEveryFigureAndSayNotDetermined) {
  PolishResult r;
  r.outcome = PolishOutcome::Converged;
  r.reason = "converged: the sum of squares stopped falling";
  std::snprintf(r.currents[0].name, sizeof r.currents[0].name, "%s", "Na");
  r.estimates = {{{0, ParamField::Vm}, -30.0, -25.123456789, 0.0421, false},
                 {{0, ParamField::Thlo}, 1.2, 0.001, std::nullopt, true},
                 {{}, 0.0, 0.0125, 0.0003, false}};
  r.correlated = {{{0, ParamField::Km}, {0, ParamField::Gmax}, -0.9975}};
  r.iterations = 7;
  r.counted = 29994;
  r.rmsBefore = 0.1722;
  r.rmsAfter = 0.03;

  const std::string text = FitSummaryText(r, 0.025);
  for (const char* part :
       {"1\tVm\t-30\t-25.123457\t0.0421\n", "1\tThlo\t1.2\t0.001\tnot determined\n",
        "\tbaseline\t0\t0.0125\t0.0003\n", "noise ratio\t1.2\n", "iterations\t7\n",
        "1.Km and 1.Gmax (r = -0.998)", "on its bound\t1.Thlo"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
  }

  const nlohmann::json json = nlohmann::json::parse(FitSummaryJson(r, std::nullopt));
  EXPECT_EQ(json["outcome"], "converged");
  EXPECT_EQ(json["iterations"], 7);
  EXPECT_TRUE(json["noiseRatio"].is_null());
  ASSERT_EQ(json["parameters"].size(), 3u);
  EXPECT_EQ(json["parameters"][0]["name"], "Na");
  EXPECT_EQ(json["parameters"][0]["result"], -25.123456789);
  EXPECT_TRUE(json["parameters"][1]["standardError"].is_null());
  EXPECT_FALSE(json["parameters"][1]["determined"]);
  EXPECT_TRUE(json["parameters"][2]["current"].is_null());
  EXPECT_EQ(json["correlated"][0]["first"], "1.Km");

  r.outcome = PolishOutcome::Cancelled;
  r.reason = "cancelled";
  EXPECT_EQ(FitSummaryText(r, std::nullopt), "The polish cancelled: cancelled\n");
  EXPECT_EQ(nlohmann::json::parse(FitSummaryJson(r, std::nullopt))["outcome"], "cancelled");
}
