// An amplifier file made into a recording: the defaults, units, span and averaging, the
// messages that name what is missing, and the text data file that reads back the same samples.
#include <numeric>

#include "io/abf/repeats.h"
#include "test_support.h"

namespace {

Recording Imported(const AmplifierFile& file, const ImportChoices& choices) {
  Recording recording;
  EXPECT_EQ(ImportRecording(file, choices, "test.abf", &recording), "");
  return recording;
}

}  // namespace

// ---- defaults and units ----

// Six sweeps spread over the 37, the command (no voltage channel), the step epoch as the span:
// currents in nA, each trace's voltage the step level, the holding level from the protocol.
TEST(ImportRecording, SodiumDefaultsGiveTheStepFamily) {
  ImportChoices choices = DefaultImportChoices(SodiumAbf());
  choices.command = CommandMode::kSingle;  // the single step keeps the step alone
  EXPECT_EQ(choices.sweeps, (std::vector<int>{1, 8, 15, 23, 30, 37}));
  EXPECT_EQ(choices.voltageSource, VoltageSource::kCommand);
  const Recording recording = Imported(SodiumAbf(), choices);
  EXPECT_EQ(recording.traces, 6);
  ASSERT_EQ(recording.times.size(), 500u);  // samples 8 to 507: the 25 ms step
  EXPECT_DOUBLE_EQ(recording.times.front(), 0.4);
  EXPECT_DOUBLE_EQ(recording.times.back(), 25.35);
  const double steps[] = {-100, -65, -30, 10, 45, 80};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ((*recording.stepVoltages)[k], steps[k]);
    EXPECT_EQ(recording.voltages[k][0], steps[k]);
    EXPECT_DOUBLE_EQ(recording.currents[k][0],
                     SweepSamples(SodiumAbf(), choices.sweeps[k] - 1, 0)[8] / 1000);
  }
  EXPECT_EQ(recording.holdingLevel, -120.0);
  EXPECT_TRUE(recording.notices.empty());
}

// Every sweep of the family is a trace with its own step voltage; the notice says the parameter
// file keeps the first six.
TEST(ImportRecording, EverySweepOfTheFamily) {
  ImportChoices choices = DefaultImportChoices(SodiumAbf());
  choices.sweeps.resize(37);
  std::iota(choices.sweeps.begin(), choices.sweeps.end(), 1);
  const Recording recording = Imported(SodiumAbf(), choices);
  ASSERT_EQ(recording.traces, 37);
  EXPECT_EQ(recording.currents.size(), 37u);
  EXPECT_EQ((*recording.stepVoltages)[36], 80.0);
  EXPECT_EQ(recording.commandLevels[36][1].level, 80.0);
  EXPECT_EQ(recording.notices.back(),
            "37 traces are shown and fitted; the trace-voltage fields and the parameter file keep "
            "the step voltages of the first 6.");
}

// Sweeps 1 and 3 step to the same level, sweep 2 to another: averaged, they are two traces, the
// first the mean of both, and the notice says which sweeps went into each. Unlike commands
// (another level, a later start) stay apart.
TEST(ImportRecording, RepeatsOfOneCommandAveraged) {
  AmplifierFile file;
  ASSERT_EQ(
      ReadAmplifierFile("ATF\t1.0\n2\t7\n\"AcquisitionMode=Episodic Stimulation\"\n"
                        "\"Signals=\"\t\"IN 0\"\t\"IN 1\"\t\"IN 0\"\t\"IN 1\"\t\"IN 0\"\t\"IN 1\"\n"
                        "\"Time (s)\"\t\"Trace #1 (pA)\"\t\"Trace #1 (mV)\"\t\"Trace #2 (pA)\"\t"
                        "\"Trace #2 (mV)\"\t\"Trace #3 (pA)\"\t\"Trace #3 (mV)\"\n"
                        "0\t1\t-80\t10\t-80\t3\t-80.5\n5e-05\t2\t-80\t20\t-80\t4\t-80\n"
                        "0.0001\t3\t-20\t30\t0\t5\t-20.5\n0.00015\t4\t-20\t40\t0\t6\t-20\n",
                        &file),
      "");
  ImportChoices choices = DefaultImportChoices(file);
  choices.averageRepeats = true;
  const Recording recording = Imported(file, choices);
  ASSERT_EQ(recording.traces, 2);
  EXPECT_EQ(recording.currents[0], (std::vector<double>{0.002, 0.003, 0.004, 0.005}));
  EXPECT_EQ(recording.currents[1][3], 0.04);
  EXPECT_EQ(recording.commandLevels[1].back().level, 0.0);
  EXPECT_NE(std::find(recording.notices.begin(), recording.notices.end(),
                      "Sweeps with the same command were averaged: trace 1: mean of 2 sweeps "
                      "(1, 3); trace 2: sweep 2."),
            recording.notices.end());

  const std::vector<CommandLevel> step = {{0, -80}, {0.1, -20}};
  const struct {
    std::vector<CommandLevel> other;
    bool same;
  } cases[] = {
      {{{0, -80.4}, {0.1, -19.2}}, true},     // levels within 1 mV
      {{{0, -80}, {0.15, -20}}, true},        // a start one sample later
      {{{0, -80}, {0.2, -20}}, false},        // two samples later
      {{{0, -80}, {0.1, -22}}, false},        // another level
      {{{0, -80}, {0.1, -20, true}}, false},  // a ramp to it
      {{{0, -80}}, false},                    // no step
  };
  for (const auto& c : cases) EXPECT_EQ(SameCommand(step, c.other, 0.05), c.same);
}

// A span longer than a trace is averaged in groups of neighbours, the last group shorter, so
// that no sample is dropped; a recorded voltage gives the trace voltage as its mean.
TEST(ImportRecording, LongSpanAveragedWithoutDroppingSamples) {
  ImportChoices choices = DefaultImportChoices(SlowAbf());
  choices.command = CommandMode::kSingle;
  choices.fromMs = 0;
  choices.toMs = SweepEndMs(SlowAbf()) - 0.5;  // all but the last sample: 51611
  const Recording recording = Imported(SlowAbf(), choices);
  ASSERT_EQ(recording.times.size(), 4692u);  // in groups of 11: 4691 x 11 + 10
  const std::vector<double>& current = SweepSamples(SlowAbf(), 0, 0);
  double firstGroup = 0, lastGroup = 0;
  for (int i = 0; i < 11; ++i) firstGroup += current[i] / 1000;
  for (int i = 51601; i < 51611; ++i) lastGroup += current[i] / 1000;
  EXPECT_NEAR(recording.currents[0][0], firstGroup / 11, 1e-12);
  EXPECT_NEAR(recording.currents[0].back(), lastGroup / 10, 1e-12);
  EXPECT_DOUBLE_EQ(recording.times[0], 2.5);  // the middle of the first group's times
  ASSERT_EQ(recording.notices.size(), 1u);
  long double sum = 0;
  const std::vector<double> voltage = SweepSamples(SlowAbf(), 0, 1);
  for (int i = 0; i < 51611; ++i) sum += voltage[i];
  EXPECT_NEAR((*recording.stepVoltages)[0], static_cast<double>(sum / 51611), 1e-9);

  choices.average = false;
  Recording untouched;
  EXPECT_NE(ImportRecording(SlowAbf(), choices, "x", &untouched).find("at most 5000"),
            std::string::npos);
  EXPECT_TRUE(untouched.times.empty());
}

// The slow family records its command: the current and the voltage channel by default. Its step
// lasts 2 s in sweep 1 and 3 s in the others (a user list): the default span is sweep 1's step,
// and the user is told.
TEST(ImportRecording, SlowDefaultsFollowTheFirstSweepAndSaySo) {
  ImportChoices choices = DefaultImportChoices(SlowAbf());
  choices.command = CommandMode::kSingle;
  EXPECT_EQ(choices.sweeps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(choices.currentChannel, 1);
  EXPECT_EQ(choices.voltageSource, VoltageSource::kChannel);
  EXPECT_EQ(choices.voltageChannel, 2);
  const Recording recording = Imported(SlowAbf(), choices);
  EXPECT_DOUBLE_EQ(recording.times.front(), 2403.0);  // (806 + 4000) samples of 0.5 ms
  EXPECT_EQ(recording.times.size(), 4000u);
  ASSERT_EQ(recording.notices.size(), 1u);
  EXPECT_NE(recording.notices[0].find("span kept is that of sweep 1"), std::string::npos);
}

// What is missing or wrong is named, and the recording is left alone.
TEST(ImportRecording, RefusedChoicesNameWhatIsMissing) {
  const ImportChoices base = DefaultImportChoices(SodiumAbf());
  ImportChoices typedMissing = base;
  typedMissing.voltageSource = VoltageSource::kTyped;
  ImportChoices noSweep = base, twice = base, tooMany = base, outside = base, backwards = base;
  ImportChoices none = base;
  noSweep.sweeps = {38};
  twice.sweeps = {3, 3};
  none.sweeps.clear();
  tooMany.sweeps.resize(kMaxRecordingTraces + 1);
  std::iota(tooMany.sweeps.begin(), tooMany.sweeps.end(), 1);
  outside.fromMs = 30;
  outside.toMs = 40;
  backwards.fromMs = 10;
  backwards.toMs = 5;
  ImportChoices voltageAsCurrent = DefaultImportChoices(SlowAbf());
  voltageAsCurrent.currentChannel = 2;
  ImportChoices currentAsVoltage = DefaultImportChoices(SlowAbf());
  currentAsVoltage.voltageChannel = 1;
  const struct {
    const AmplifierFile& file;
    ImportChoices choices;
    const char* expected;
  } cases[] = {
      {SodiumAbf(), typedMissing, "step voltages are missing: type one for each of the 6"},
      {SodiumAbf(), noSweep, "Sweep 38 does not exist: the file has 37 sweeps"},
      {SodiumAbf(), twice, "Sweep 3 is chosen twice"},
      {SodiumAbf(), tooMany, "Choose at most 64 sweeps (65 are chosen)"},
      {SodiumAbf(), none, "Choose at least one sweep"},
      {SodiumAbf(), outside, "holds no sample: a sweep runs from 0 to 25.8 ms"},
      {SodiumAbf(), backwards, "must end after it starts"},
      {SlowAbf(), voltageAsCurrent, "current unit (pA, nA, µA, A); channel 2 (AO #0, mV)"},
      {SlowAbf(), currentAsVoltage, "voltage unit (mV, V, µV); channel 1 (IN 0, pA)"},
  };
  for (const auto& c : cases) {
    Recording recording;
    recording.name = "kept";
    const std::string problem = ImportRecording(c.file, c.choices, "x", &recording);
    EXPECT_NE(problem.find(c.expected), std::string::npos) << problem;
    EXPECT_EQ(recording.name, "kept");
  }
}

// A file with no voltage channel and no protocol (an ATF of currents) takes typed voltages,
// which also fill the voltage columns.
TEST(ImportRecording, TypedStepVoltagesWhenTheFileHasNone) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile("ATF\t1.0\n0\t3\n\"Time (s)\"\t\"Trace #1 (pA)\"\t\"Trace #2 (pA)\"\n"
                              "0\t-100\t-200\n0.0001\t-300\t-400\n",
                              &file),
            "");
  ImportChoices choices = DefaultImportChoices(file);
  EXPECT_EQ(choices.voltageSource, VoltageSource::kTyped);
  choices.typedVoltages = {-40, 20};
  const Recording recording = Imported(file, choices);
  EXPECT_EQ(recording.times, (std::vector<double>{0, 0.1}));
  EXPECT_EQ(recording.currents[1], (std::vector<double>{-0.2, -0.4}));
  EXPECT_EQ(recording.voltages[1], (std::vector<double>{20, 20}));
  EXPECT_EQ((*recording.stepVoltages)[5], 20);  // the unused slots repeat the last trace
  EXPECT_FALSE(recording.holdingLevel);
}

// ---- the text data file ----

// 13 header lines, a layout line of one time and a voltage and current per trace, then rows
// whose numbers read back as the very samples (times through the reader's x 1000).
TEST(FormatRecordingAsText, ReadsBackTheSameSamples) {
  ImportChoices longSpan = DefaultImportChoices(SlowAbf());
  longSpan.fromMs = 1.25;
  longSpan.toMs = 20000;
  for (const Recording& recording :
       {Imported(SodiumAbf(), DefaultImportChoices(SodiumAbf())), Imported(SlowAbf(), longSpan)}) {
    const std::vector<std::string> lines =
        Lines(FormatRecordingAsText(recording, "Converted from test.abf\nline 2"));
    EXPECT_EQ(lines[2].substr(0, 8), "Traces: ");
    const std::string& layout = lines[kConvertedHeaderLines];
    EXPECT_EQ(std::count(layout.begin(), layout.end(), '\t'), 2 * recording.traces);
    ASSERT_EQ(lines.size(), kConvertedHeaderLines + 1 + recording.times.size());
    for (size_t i = 0; i < recording.times.size(); ++i) {
      const std::vector<double> row = Numbers(lines[kConvertedHeaderLines + 1 + i]);
      ASSERT_EQ(row.size(), 1u + 2 * recording.traces);
      ASSERT_EQ(1000.0 * row[0], recording.times[i]) << "row " << i;
      for (int k = 0; k < recording.traces; ++k) {
        ASSERT_EQ(row[1 + 2 * k], recording.voltages[k][i]);
        ASSERT_EQ(row[2 + 2 * k], recording.currents[k][i]);
      }
    }
  }
}

// The header says where the recording came from and how it was made; a description longer than
// its room is folded onto its last line, so that it is always 13 lines.
TEST(FormatRecordingAsText, HeaderDescribesTheImportInThirteenLines) {
  const ImportChoices choices = DefaultImportChoices(SodiumAbf());
  const Recording recording = Imported(SodiumAbf(), choices);
  const std::string text =
      FormatRecordingAsText(recording, DescribeImport(SodiumAbf(), choices, "sodium.abf"));
  EXPECT_TRUE(text.starts_with(
      "Converted from sodium.abf (ABF 2.0.0.0, 37 sweeps of 25.8 ms, sample interval 0.05 ms)\n"
      "Sweeps: 1, 8, 15, 23, 30, 37\n"
      "Current: IN 0 (pA), written in nA\n"
      "Voltage: the command rebuilt from the protocol (Cmd 0)\n"
      "Span: 0 to 25.8 ms from the sweep start"))  // the whole sweep, following the command
      << text.substr(0, 400);
  EXPECT_NE(text.find("Step voltages (mV): -100 -65 -30 10 45 80\nHolding level (mV): -120\n"),
            std::string::npos);
  for (const char* description : {"", "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14"}) {
    const std::vector<std::string> lines = Lines(FormatRecordingAsText(recording, description));
    EXPECT_TRUE(lines[kConvertedHeaderLines].starts_with("Time (s)\tV1 (mV)\tI1 (nA)"))
        << description;
  }
}
