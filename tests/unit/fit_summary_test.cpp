// The command line's --free, --fix and --bounds lists, and the fit summary as text and as JSON.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "fit/bounds_list.h"
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

// ---- --bounds ----

TEST(ApplyBounds, SetsOneParametersBoundsOrSaysWhyAndChangesNothing) {
  const Workspace w;
  const ParamChoice defaults = DefaultChoice(w.currents);
  struct Case {
    const char* item;
    ParamRef param;
    ParamBounds bounds;  // when accepted
    const char* says;    // "" when accepted
  };
  const Case cases[] = {
      {"1.Vtm=-60:-20", {0, ParamField::Vtm}, {-60, -20}, ""},
      {"2.gmax=:+50", {1, ParamField::Gmax}, {-kUnbounded, 50}, ""},
      {"1.Km=-30:", {}, {}, "keep one sign"},
      {"1.Km=:-0.5", {0, ParamField::Km}, {-kUnbounded, -0.5}, ""},
      {"1.Km=0:30", {}, {}, "keep one sign"},  // 0 itself is no slope, as for a time constant
      {"baseline=-1:1e-1", {}, {-1, 0.1}, ""},
      {"1.Tmhi=0:10", {}, {}, "above 0"},
      {"1.Vm=5:5", {}, {}, "below the upper"},
      {"1.Vm=a:5", {}, {}, "LO and HI are numbers"},
      {"1.Vm=-60", {}, {}, "CURRENT.FIELD=LO:HI"},
      {"1.*=0:1", {}, {}, "one parameter at a time"},
      {"3.Vm=0:1", {}, {}, "current 3 is not in the fit"},
  };
  for (const Case& c : cases) {
    ParamChoice choice = defaults;
    const std::string error = ApplyBounds({"1.Vm=-70:-10", c.item}, w.currents, w.inFit, &choice);
    if (*c.says != '\0') {
      EXPECT_NE(error.find(c.says), std::string::npos) << c.item << ": " << error;
      EXPECT_EQ(choice.currents[0].bounds[0].lower, defaults.currents[0].bounds[0].lower);
      continue;
    }
    ASSERT_EQ(error, "") << c.item;
    EXPECT_EQ(choice.currents[0].bounds[0].lower, -70.0) << c.item;  // the first item too
    const ParamBounds& set =
        c.param.IsBaseline()
            ? choice.baselineBounds
            : choice.currents[c.param.current].bounds[static_cast<int>(c.param.field)];
    EXPECT_EQ(set.lower, c.bounds.lower) << c.item;
    EXPECT_EQ(set.upper, c.bounds.upper) << c.item;
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
  r.estimates = {
      {{0, ParamField::Vm}, -30.0, -25.123456789, 0.0421, false, 0.0842, Determination::Determined},
      {{0, ParamField::Thlo}, 1.2, 0.001, std::nullopt, true, std::nullopt, Determination::Not},
      {{}, 0.0, 0.0125, 0.0003, false, 0.0006, Determination::Determined}};
  r.warnings = {"1.Thlo is on its bound (0.001)", "1.Thlo is not determined by the data"};
  r.lag1 = 0.5;
  r.correlated = {{{0, ParamField::Km}, {0, ParamField::Gmax}, -0.9975}};
  r.iterations = 7;
  r.counted = 30000;
  r.rmsBefore = 0.1722;
  r.rmsAfter = 0.03;

  const std::string text = FitSummaryText(r, 0.025);
  for (const char* part :
       {"1\tVm\t-30\t-25.123457\t0.0421\t0.0842\tdetermined\n",
        "1\tThlo\t1.2\t0.001\tnot determined\t\tnot determined\n",
        "\tbaseline\t0\t0.0125\t0.0003\t0.0006\tdetermined\n", "noise ratio\t1.2\n",
        "iterations\t7\n", "1.Km and 1.Gmax (r = -0.998)", "on its bound\t1.Thlo",
        "lag-1 autocorrelation\t0.5 (the corrected errors count 10000 of 30000",
        "verdict\tdoubtful: 2 warnings\n", "warning\t1.Thlo is not determined by the data\n"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << " in\n" << text;
  }

  const nlohmann::json json = nlohmann::json::parse(FitSummaryJson(r, std::nullopt));
  EXPECT_EQ(json["outcome"], "converged");
  EXPECT_TRUE(json["noiseRatio"].is_null());
  EXPECT_EQ(json["parameters"][0]["result"], -25.123456789);  // every digit
  EXPECT_FALSE(json["parameters"][1]["determined"]);
  EXPECT_EQ(json["parameters"][1]["determination"], "not determined");
  EXPECT_EQ(json["parameters"][0]["correctedError"], 0.0842);
  EXPECT_EQ(json["verdict"], "doubtful: 2 warnings");
  EXPECT_EQ(json["warnings"].size(), 2u);
  EXPECT_TRUE(json["parameters"][2]["current"].is_null());
  EXPECT_EQ(json["correlated"][0]["first"], "1.Km");

  r.outcome = PolishOutcome::Cancelled;
  r.reason = "cancelled";
  EXPECT_EQ(FitSummaryText(r, std::nullopt), "The polish cancelled: cancelled\n");
  EXPECT_EQ(nlohmann::json::parse(FitSummaryJson(r, std::nullopt))["outcome"], "cancelled");
}
