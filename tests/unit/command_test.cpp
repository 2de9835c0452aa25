// A trace's whole command: the levels read from a sampled voltage, and the model following a
// prepulse protocol, checked against an independent integration of the gate equations.
#include <algorithm>
#include <random>

#include "fit/polish.h"
#include "io/abf/import_command.h"
#include "model/command.h"
#include "model/evaluation.h"
#include "model/typed_command.h"
#include "test_support.h"

namespace {

// A sodium-like current, m^3 h, inactivating within a few ms.
CurrentParams SodiumLike() {
  return {-35, -65, -7, 6, 0.6, 0.1, 9, 1, -50, -60, 10, 10, -90, 120, 50, 3, 1, {}};
}

// The gates integrated by classical Runge-Kutta in steps far below any time constant, from their
// steady state at the first level, sample after sample: an evaluation that shares nothing with
// the closed form.
std::vector<double> IntegratedTrace(const CurrentParams& c, const std::vector<CommandLevel>& levels,
                                    const std::vector<double>& times) {
  const auto inf = [](double v, double half, double k) {
    return 1 / (1 + std::exp((v - half) / k));
  };
  const auto tau = [](double v, double hi, double lo, double mid, double k) {
    return lo + (hi - lo) / (1 + std::exp((v - mid) / k));
  };
  const auto rk4 = [](double x, double x8, double tx, double dt) {
    const double k1 = (x8 - x) / tx, k2 = (x8 - (x + dt / 2 * k1)) / tx;
    const double k3 = (x8 - (x + dt / 2 * k2)) / tx, k4 = (x8 - (x + dt * k3)) / tx;
    return x + dt / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  };
  double m = inf(levels[0].level, c.Vm, c.Km), h = inf(levels[0].level, c.Vh, c.Kh);
  double at = levels[0].startMs;
  size_t i = 0;
  const auto advance = [&](double to) {  // within level i
    const int count = static_cast<int>(std::ceil((to - at) / 1e-3));
    const double v = levels[i].level, dt = (to - at) / std::max(count, 1);
    for (int n = 0; n < count; ++n) {
      m = rk4(m, inf(v, c.Vm, c.Km), tau(v, c.Tmhi, c.Tmlo, c.Vtm, c.Ktm), dt);
      h = rk4(h, inf(v, c.Vh, c.Kh), tau(v, c.Thhi, c.Thlo, c.Vth, c.Kth), dt);
    }
    at = to;
  };
  std::vector<double> current;
  for (double t : times) {
    while (i + 1 < levels.size() && levels[i + 1].startMs <= t) {
      advance(levels[i + 1].startMs);
      ++i;
    }
    advance(t);
    current.push_back(0.001 * c.Gmax * m * m * m * h * (levels[i].level - c.Erev));
  }
  return current;
}

// A steady-state inactivation family: from -90 mV a 20 ms prepulse to one of ten levels, then a
// 5 ms test step to -10 mV and back; 0.05 ms samples.
Recording PrepulseFamily() {
  Recording family;
  for (int n = 0; n < 600; ++n) family.times.push_back(0.05 * n);
  family.traces = family.pairsStored = 10;
  for (int k = 0; k < 10; ++k)
    family.commands.push_back({-10, -90, {{0, -90}, {1, -120.0 + 10 * k}, {21, -10}, {26, -90}}});
  family.window = {0, 600};
  family.commandMode = CommandMode::kSteps;
  return family;
}

}  // namespace

// ---- the levels of a sampled voltage ----

// Noise within the tolerance never makes a level; a jump beyond it does, at the first sample
// that holds the new level, and the level holds its samples' mean.
TEST(LevelsFromVoltages, SplitsAtJumpsNotAtNoise) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-0.9, 0.9);
  const struct {
    std::vector<double> plan;  // level every 10 samples
    double noise;
    std::vector<double> starts;  // where levels start (ms)
  } cases[] = {
      {{-80, -20, -80}, 0, {0, 1, 2}},
      {{-80, -20, -80}, 1, {0, 1, 2}},
      {{-80, -78.5, -80}, 0, {0}},              // 1.5 mV: within the tolerance
      {{-80, -77, -74, -71}, 0, {0, 1, 2, 3}},  // 3 mV steps each start a level
      {{-35, -35, -145, 0}, 1, {0, 2, 3}},
  };
  for (const auto& c : cases) {
    std::vector<double> times, volts;
    for (size_t k = 0; k < c.plan.size(); ++k) {
      for (int n = 0; n < 10; ++n) {
        times.push_back(0.1 * static_cast<double>(times.size()));
        volts.push_back(c.plan[k] + c.noise * noise(random));
      }
    }
    const std::vector<CommandLevel> levels = LevelsFromVoltages(times, volts);
    ASSERT_EQ(levels.size(), c.starts.size()) << DescribeLevels(levels);
    for (size_t i = 0; i < levels.size(); ++i) {
      EXPECT_NEAR(levels[i].startMs, c.starts[i], 1e-12);
      const size_t first = static_cast<size_t>(std::lround(c.starts[i] * 10));
      EXPECT_NEAR(levels[i].level, volts[first], 2.0);
    }
  }
}

// The level that differs, read where the cursor lies in a later common level: the prepulse of a
// prepulse family in its test step, the step of a tail family in its tail; nothing in the level
// itself, for a plain step family, or when the levels do not line up.
TEST(ConditioningLevels, PrepulseAndTailFamilies) {
  const auto family = [](std::vector<std::vector<double>> plans) {
    std::vector<TraceCommand> commands;
    for (const std::vector<double>& plan : plans) {
      TraceCommand command;
      for (size_t i = 0; i < plan.size(); ++i)
        command.levels.push_back({10.0 * static_cast<double>(i), plan[i]});
      commands.push_back(command);
    }
    return commands;
  };
  const auto prepulse = family({{-90, -120, -10, -90}, {-90, -70, -10, -90}, {-90, -30, -10, -90}});
  const auto tail = family({{-35, -145, 0}, {-35, -115, 0}});
  const auto steps = family({{-120, -60}, {-120, 0}});
  auto shifted = prepulse;
  shifted[1].levels[2].startMs = 21;
  EXPECT_EQ(ConditioningLevels(prepulse, 25), (std::vector<double>{-120, -70, -30}));
  EXPECT_EQ(ConditioningLevels(prepulse, 35), (std::vector<double>{-120, -70, -30}));
  EXPECT_EQ(ConditioningLevels(tail, 22), (std::vector<double>{-145, -115}));
  for (const auto& [commands, t] : {std::pair{prepulse, 15.0}, {steps, 15.0}, {shifted, 25.0}})
    EXPECT_FALSE(ConditioningLevels(commands, t)) << t;
}

// ---- the model following the command ----

// A prepulse family (10 prepulse levels, then one test step) evaluated along the whole command
// agrees with the integrated gate equations, in the prepulse and in the test step; the single
// step, with the levels known, still gives exactly what it gave without them.
TEST(Evaluate, StepsFollowAPrepulseFamily) {
  const CurrentParams sodium = SodiumLike();
  std::array<CurrentParams, kMaxCurrents> currents{};
  currents[0] = sodium;
  InFit inFit{};
  inFit[0] = true;
  Recording family = PrepulseFamily();
  const Evaluation steps = Evaluate(family, currents, inFit, 0);
  for (int k = 0; k < 10; ++k) {
    const std::vector<double> integrated =
        IntegratedTrace(sodium, family.commands[k].levels, family.times);
    for (int n : {10, 25, 399, 420, 421, 450, 519, 520, 599}) {
      EXPECT_NEAR(steps.summed[k][n], integrated[n], 1e-8)
          << "trace " << k << ", " << family.times[n] << " ms";
    }
  }
  family.commandMode = CommandMode::kSingle;
  const Evaluation singleWithLevels = Evaluate(family, currents, inFit, 0.25);
  for (TraceCommand& command : family.commands) command.levels.clear();
  EXPECT_EQ(singleWithLevels.summed, Evaluate(family, currents, inFit, 0.25).summed);
}

// The family made by the integration, with noise, is fitted back by the polish following the
// whole command, from a start an eye would give, to within three standard errors.
TEST(Polish, RecoversAPrepulseFamilyWithinThreeStandardErrors) {
  const CurrentParams truth = SodiumLike();
  const Recording family = PrepulseFamily();
  PolishInput in;
  in.currents[0] = truth;
  in.inFit[0] = true;
  in.times = family.times;
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 0.05);
  for (int k = 0; k < family.traces; ++k) {
    in.traceV.push_back(family.commands[k].step);
    in.commands.push_back(family.commands[k].levels);
    std::vector<double> trace = IntegratedTrace(truth, family.commands[k].levels, family.times);
    for (double& y : trace) y += noise(random);
    in.measured.push_back(trace);
  }
  in.windowStart = 0;
  in.windowEnd = family.Samples();
  in.counted.assign(family.times.size(), 1);
  in.choice = DefaultChoice(in.currents);
  in.currents[0].Vm += 3;
  in.currents[0].Vh -= 3;
  in.currents[0].Gmax *= 0.9;
  in.currents[0].Thhi *= 1.15;
  const PolishResult r = Polish(in);
  ASSERT_TRUE(r.Applicable()) << r.reason;
  EXPECT_NEAR(*r.rmsAfter, 0.05, 0.05 * 0.05);
  for (const ParamEstimate& e : r.estimates) {
    ASSERT_TRUE(e.standardError) << ParamName(e.param);
    const double expected = truth.*Descriptor(e.param.field).real;
    EXPECT_LE(std::abs(e.result - expected), 3.0 * *e.standardError) << ParamName(e.param);
  }
}

// An activation family held at -70 mV, where a third of the h gates are closed, sees only
// Gmax times h at the holding level; a steady-state inactivation family of the same current
// pins h. Fitted together, both made by the integration with noise, Gmax, Vh and Kh come back
// within two standard errors; the activation family alone leaves them open.
TEST(Polish, AnInactivationFamilyPinsWhatAnActivationFamilyLeavesOpen) {
  const CurrentParams truth = SodiumLike();
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0.0, 0.05);
  const auto samplesOf = [&](const std::vector<double>& times,
                             const std::vector<std::vector<CommandLevel>>& commands) {
    PolishSamples samples;
    samples.times = times;
    for (const std::vector<CommandLevel>& levels : commands) {
      samples.traceV.push_back(levels[1].level);
      samples.commands.push_back(levels);
      std::vector<double> trace = IntegratedTrace(truth, levels, times);
      for (double& y : trace) y += noise(random);
      samples.measured.push_back(trace);
    }
    samples.windowEnd = static_cast<int>(times.size());
    samples.counted.assign(times.size(), 1);
    samples.noiseSd = 0.05;
    return samples;
  };
  std::vector<double> times;
  for (int n = 0; n < 300; ++n) times.push_back(0.05 * n);
  std::vector<std::vector<CommandLevel>> activation;
  for (int k = 0; k < 8; ++k) activation.push_back({{0, -70}, {1, -50.0 + 10 * k}, {11, -70}});
  const Recording prepulse = PrepulseFamily();
  std::vector<std::vector<CommandLevel>> inactivation;
  for (const TraceCommand& command : prepulse.commands) inactivation.push_back(command.levels);

  PolishInput in;
  static_cast<PolishSamples&>(in) = samplesOf(times, activation);
  in.currents[0] = truth;
  in.inFit[0] = true;
  in.choice = DefaultChoice(in.currents);
  in.choice.currents[0].free = {};
  const std::vector<ParamField> free = {ParamField::Gmax, ParamField::Vh, ParamField::Kh,
                                        ParamField::Vm, ParamField::Km};
  for (ParamField field : free) in.choice.currents[0].free[static_cast<int>(field)] = true;
  in.currents[0].Gmax *= 0.8;
  in.currents[0].Vh -= 4;
  in.currents[0].Kh *= 1.2;
  in.currents[0].Vm += 3;

  const PolishResult alone = Polish(in);
  ASSERT_TRUE(alone.Applicable()) << alone.reason;
  EXPECT_FALSE(alone.Good());
  const auto pinnedByInactivation = [](const ParamEstimate& e) {
    return e.param.field == ParamField::Gmax || e.param.field == ParamField::Vh ||
           e.param.field == ParamField::Kh;
  };
  EXPECT_TRUE(
      std::any_of(alone.estimates.begin(), alone.estimates.end(), [&](const ParamEstimate& e) {
        return pinnedByInactivation(e) && e.determination != Determination::Determined;
      }));

  in.also.push_back(samplesOf(prepulse.times, inactivation));
  const PolishResult joint = Polish(in);
  ASSERT_TRUE(joint.Applicable()) << joint.reason;
  ASSERT_EQ(joint.recordings.size(), 2u);
  EXPECT_TRUE(joint.weightedByNoise);
  for (const RecordingFit& fit : joint.recordings) EXPECT_NEAR(*fit.rmsAfter, 0.05, 0.005);
  for (const ParamEstimate& e : joint.estimates) {
    ASSERT_TRUE(e.standardError) << ParamName(e.param);
    const double expected = truth.*Descriptor(e.param.field).real;
    EXPECT_LE(std::abs(e.result - expected), 2.0 * *e.standardError) << ParamName(e.param);
  }
}

// ---- the command of an amplifier file ----

// The slow family's sweeps each follow their own epochs: hold at -35 mV, ramps, a step whose
// duration comes from a user list (2 s in sweep 1, 3 s after), 0.6 s at -145 mV (one level with
// sweep 1's step), the 0 mV tail and the ramps again, the last one ending at the holding level;
// the trace voltage is the step, not the mean over the whole sweep.
TEST(ImportRecording, StepsKeepEachSweepsWholeCommand) {
  Recording slow;
  ASSERT_EQ(ImportRecording(SlowAbf(), DefaultImportChoices(SlowAbf()), "slow.abf", &slow), "");
  ASSERT_EQ(slow.commandLevels.size(), 3u);
  EXPECT_EQ(slow.commandMode, CommandMode::kSteps);
  EXPECT_EQ(slow.times.size(), 4692u);  // the whole sweep, in groups of 11 samples
  const double stepLevels[] = {-145, -130, -115};
  for (int k = 0; k < 3; ++k) {
    const std::vector<CommandLevel>& levels = slow.commandLevels[k];
    EXPECT_EQ(levels.front().level, -35);
    EXPECT_TRUE(std::any_of(levels.begin(), levels.end(), [](auto& l) { return l.ramp; }));
    const auto step = std::find_if(levels.begin(), levels.end(),
                                   [&](auto& l) { return l.level == stepLevels[k]; });
    ASSERT_NE(step, levels.end()) << DescribeLevels(levels);
    EXPECT_NEAR(step[1].startMs - step[0].startMs, k == 0 ? 2600 : 3000, 1e-9)
        << DescribeLevels(levels);
    EXPECT_TRUE(levels.back().level == -35 && !levels.back().ramp) << DescribeLevels(levels);
    EXPECT_EQ((*slow.stepVoltages)[k], stepLevels[k]);
  }
  EXPECT_NE(slow.notices[0].find("whole command"), std::string::npos);
}

// The sodium family converted with its rebuilt command and read back as a text data file gives
// the very levels (times and voltages) the amplifier file gave.
TEST(ImportRecording, ConvertedCommandReadsBackAsTheSameLevels) {
  const ImportChoices choices = DefaultImportChoices(SodiumAbf());
  Recording sodium;
  ASSERT_EQ(ImportRecording(SodiumAbf(), choices, "sodium.abf", &sodium), "");
  const DataFileRead read = ReadDataText(FormatRecordingAsText(sodium, ""), 13);
  ASSERT_EQ(read.error, "");
  for (int k = 0; k < sodium.traces; ++k) {
    const std::vector<CommandLevel> back = CommandLevelsOf(read.recording, k);
    ASSERT_EQ(back.size(), sodium.commandLevels[k].size()) << DescribeLevels(back);
    for (size_t i = 0; i < back.size(); ++i) {
      EXPECT_EQ(back[i].startMs, sodium.commandLevels[k][i].startMs);
      EXPECT_EQ(back[i].level, sodium.commandLevels[k][i].level);
    }
  }
}

// ---- a command typed by hand ----

// Rows of start, level and increment; each fault named with its row, nothing read.
TEST(TypedCommand, ReadsRowsOrNamesTheFault) {
  const SweepShape sweep{100, 0.1};
  std::vector<TypedCommandRow> rows;
  ASSERT_EQ(ParseTypedCommand(" -80; 10: -60 +10;60:-80 -2.5e0 ;", sweep, &rows), "");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(TypedRowLevel(rows[1], 3), -40);
  EXPECT_EQ(TypedRowLevel(rows[2], 3), -85);
  EXPECT_EQ(rows[2].startMs, 60);
  EXPECT_EQ(TypedRowSample({10.04, 0, 0}, 0.1), 101);  // a level starts on the next sample
  const struct {
    const char* text;
    const char* says;
  } faults[] = {
      {"", "no holding level"},
      {"-80 +5", "holding level (row 1) takes no increment"},
      {"0: -80", "takes no time"},
      {"-80; -60", "row 2 needs a start time"},
      {"-80; 10: -6O", "\"-6O\" in row 2 is not a finite number"},
      {"-80; 10: -60 1e999", "\"1e999\" in row 2 is not a finite number"},
      {"-80; 10: -60 +10 5", "more than a level and its increment"},
      {"-80; 10: 1e5", "beyond 10000 mV"},
      {"-80; 10: -60; 10: -80", "row 3 starts at 10 ms, not after row 2 (10 ms)"},
      {"-80; 10.01: -60; 10.05: -80", "same sample as row 2"},
      {"-80; 0: -60", "row 2 starts at 0 ms, outside the sweep"},
      {"-80; 100: -60", "outside the sweep (after 0 and before 100 ms)"},
      {"-80; 99.95: -60", "after the sweep's last sample"},
  };
  for (const auto& fault : faults) {
    rows = {{1, 2, 3}};
    const std::string why = ParseTypedCommand(fault.text, sweep, &rows);
    EXPECT_NE(why.find(fault.says), std::string::npos) << fault.text << ": " << why;
    EXPECT_EQ(rows.size(), 1u) << fault.text;
  }
}

// The sodium family as an ATF of its currents alone, with its command typed, gives what the
// amplifier file's rebuilt command gives: the same levels, trace voltages and currents.
TEST(ImportRecording, ATypedCommandGivesTheProtocolsCommand) {
  const AmplifierFile& abf = SodiumAbf();
  const std::vector<int> sweeps = {9, 13, 17, 21, 25, 29};
  std::string atf = "ATF\t1.0\n0\t7\n\"Time (s)\"";
  for (size_t k = 1; k <= sweeps.size(); ++k) atf += "\t\"Trace #" + std::to_string(k) + " (pA)\"";
  atf += "\n";
  char number[32];
  for (int64_t i = 0; i < abf.sweepSamples; ++i) {
    std::snprintf(number, sizeof number, "%.17g", SampleTimeMs(abf, i) / 1000);
    atf += number;
    for (int sweep : sweeps) {
      std::snprintf(number, sizeof number, "\t%.17g", SampleAt(abf, sweep - 1, 0, i));
      atf += number;
    }
    atf += "\n";
  }
  AmplifierFile typedFile;
  ASSERT_EQ(ReadAmplifierFile(atf, &typedFile), "");
  ImportChoices typed = DefaultImportChoices(typedFile);
  typed.typedCommand = "-120; 0.4: -60 +20; 25.4: -120";
  ImportChoices rebuilt = DefaultImportChoices(abf);
  rebuilt.sweeps = sweeps;
  Recording fromTyped, fromProtocol;
  ASSERT_EQ(ImportRecording(typedFile, typed, "sodium.atf", &fromTyped), "");
  ASSERT_EQ(ImportRecording(abf, rebuilt, "sodium.abf", &fromProtocol), "");
  EXPECT_EQ(fromTyped.holdingLevel, fromProtocol.holdingLevel);
  EXPECT_EQ(*fromTyped.stepVoltages, *fromProtocol.stepVoltages);
  EXPECT_EQ(fromTyped.voltages, fromProtocol.voltages);
  EXPECT_EQ(fromTyped.currents, fromProtocol.currents);
  for (size_t k = 0; k < sweeps.size(); ++k) {
    ASSERT_EQ(fromTyped.commandLevels[k].size(), 3u) << DescribeLevels(fromTyped.commandLevels[k]);
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_DOUBLE_EQ(fromTyped.commandLevels[k][i].startMs,
                       fromProtocol.commandLevels[k][i].startMs);
      EXPECT_EQ(fromTyped.commandLevels[k][i].level, fromProtocol.commandLevels[k][i].level);
    }
  }
  EXPECT_NE(fromTyped.notices[0].find("typed by hand"), std::string::npos);
  typed.typedCommand = "-120; 0.4: -60 +20; 30: -120";  // past the sweep's 25.8 ms: refused
  EXPECT_NE(ImportRecording(typedFile, typed, "sodium.atf", &fromTyped).find("row 3 starts at 30"),
            std::string::npos);
  EXPECT_EQ(fromTyped.name, "sodium.atf");  // untouched
}
