// The amplifier-file readers: ABF 2 on two real recordings (the sodium activation family of
// 16-bit samples with the command only in its protocol, and a slow family of float samples with
// its command recorded and step durations from a user list), ABF 1 and ATF on files written here
// from the formats' descriptions, and the refusals of all three.
#include "test_support.h"

namespace {

// Writes value's bytes at offset, growing the file as needed.
template <typename T>
void Put(std::string* bytes, size_t offset, T value) {
  if (bytes->size() < offset + sizeof value) bytes->resize(offset + sizeof value);
  std::memcpy(bytes->data() + offset, &value, sizeof value);
}
void PutI16(std::string* b, size_t at, int v) {
  Put(b, at, static_cast<int16_t>(v));
}
void PutText(std::string* b, size_t at, const char* text) {
  b->replace(at, std::strlen(text), text);
}
// bytes with value written at offset.
template <typename T>
std::string With(std::string bytes, size_t offset, T value) {
  Put(&bytes, offset, value);
  return bytes;
}

// An episodic ABF 1.83 file of two channels sampled in the order physical 1, then physical 0:
// Im (pA) behind an instrument scale, signal gain and telegraph gain, and Vm (mV) with offsets.
// Its output 0 holds -70 mV, steps to -80 mV + 10 mV per sweep for 40 samples, then ramps to 0.
constexpr int kSweeps = 3, kSweepSamples = 128, kChannels = 2;
int16_t StoredSample(int sweep, int i, int slot) {
  return static_cast<int16_t>(slot == 0 ? 100 * sweep - 3 * i : 2000 + i);
}
std::string Abf1Episodic() {
  std::string b(6144, '\0');
  PutText(&b, 0, "ABF ");
  Put<float>(&b, 4, 1.83f);
  PutI16(&b, 8, 5);                                           // episodic
  Put<int32_t>(&b, 10, kSweeps * kSweepSamples * kChannels);  // samples
  Put<int32_t>(&b, 16, kSweeps);                              // episodes
  Put<int32_t>(&b, 40, 12);                                   // data at block 12 = byte 6144
  PutI16(&b, 100, 0);                                         // 16-bit samples
  PutI16(&b, 120, kChannels);
  Put<float>(&b, 122, 25.0f);  // µs between multiplexed samples
  Put<int32_t>(&b, 138, kSweepSamples * kChannels);
  Put<float>(&b, 244, 10.0f);
  Put<int32_t>(&b, 252, 32768);
  for (int c = 0; c < 16; ++c) PutI16(&b, 410 + 2 * c, -1);
  PutI16(&b, 410, 1);
  PutI16(&b, 412, 0);
  PutText(&b, 442 + 10 * 0, "Vm");
  PutText(&b, 442 + 10 * 1, "Im");
  PutText(&b, 602 + 8 * 0, "mV");
  PutText(&b, 602 + 8 * 1, "pA");
  for (int c = 0; c < 16; ++c) {
    Put<float>(&b, 730 + 4 * c, 1.0f);   // programmable gain
    Put<float>(&b, 922 + 4 * c, 0.1f);   // instrument scale, V per user unit
    Put<float>(&b, 1050 + 4 * c, 1.0f);  // signal gain
  }
  Put<float>(&b, 922 + 4 * 1, 0.0005f);
  Put<float>(&b, 1050 + 4 * 1, 2.0f);
  Put<float>(&b, 986 + 4 * 0, 3.0f);   // instrument offset of Vm
  Put<float>(&b, 1114 + 4 * 0, 1.0f);  // signal offset of Vm
  PutI16(&b, 4512 + 2 * 1, 1);         // telegraph of Im, gain 5
  Put<float>(&b, 4576 + 4 * 1, 5.0f);
  PutText(&b, 1306, "Cmd 0");
  PutText(&b, 1346, "mV");
  Put<float>(&b, 1394, -70.0f);
  PutI16(&b, 1440, 0);  // active output
  PutI16(&b, 2296, 1);  // waveform on, from the epoch table
  PutI16(&b, 2300, 1);
  PutI16(&b, 2308, 1);  // epoch A: step
  Put<float>(&b, 2348, -80.0f);
  Put<float>(&b, 2428, 10.0f);
  Put<int32_t>(&b, 2508, 40);
  PutI16(&b, 2310, 2);  // epoch B: ramp to 0 mV over 20 samples
  Put<float>(&b, 2352, 0.0f);
  Put<int32_t>(&b, 2512, 20);
  for (int s = 0; s < kSweeps; ++s) {
    for (int i = 0; i < kSweepSamples; ++i) {
      for (int slot = 0; slot < kChannels; ++slot) {
        Put(&b, 6144 + 2 * ((s * kSweepSamples + i) * kChannels + slot), StoredSample(s, i, slot));
      }
    }
  }
  return b;
}

// A gap-free ABF 1.5 file (the 2048-byte header) of one channel of float samples.
std::string Abf1GapFree() {
  std::string b(2048, '\0');
  PutText(&b, 0, "ABF ");
  Put<float>(&b, 4, 1.5f);
  PutI16(&b, 8, 3);
  Put<int32_t>(&b, 10, 10);
  Put<int32_t>(&b, 40, 4);
  PutI16(&b, 100, 1);
  PutI16(&b, 120, 1);
  Put<float>(&b, 122, 100.0f);
  PutText(&b, 442, "IN 0");
  PutText(&b, 602, "nA");
  for (int i = 0; i < 10; ++i) Put<float>(&b, 2048 + 4 * i, 0.25f * i - 1.0f);
  return b;
}

// Columns of one signal are its sweeps; the time column gives the interval and start.
constexpr char kAtfTwoSignals[] =
    "ATF\t1.0\n"
    "2\t5\n"
    "\"AcquisitionMode=Episodic Stimulation\"\n"
    "\"Signals=\"\t\"IN 0\"\t\"IN 1\"\t\"IN 0\"\t\"IN 1\"\n"
    "\"Time (s)\"\t\"Trace #1 (pA)\"\t\"Trace #1 (mV)\"\t\"Trace #2 (pA)\"\t\"Trace #2 (mV)\"\r\n"
    "0\t-10.5\t-80\t-20.5\t-60\r\n"
    "5e-05\t-11.5\t-80\t-21.5\t-60\r\n"
    "0.0001\t-12.5\t-80\t-22.5\t-60\r\n";

// Trace titles without a signals record are the sweeps of one channel.
constexpr char kAtfCurrentOnly[] =
    "ATF 1.0\n"
    "0 4\n"
    "\"Time (ms)\"\t\"Trace #1 (nA)\"\t\"Trace #2 (nA)\"\t\"Trace #3 (nA)\"\n"
    "1.0\t1\t2\t3\n"
    "1.1\t4\t5\t6\n";

AmplifierFile Read(const std::string& bytes) {
  AmplifierFile file;
  EXPECT_EQ(ReadAmplifierFile(bytes, &file), "");
  return file;
}

// What a file is, in one line: the format, the sweeps, the sampling, the channels in their
// order and the protocol's holding level or why there is none.
std::string Shape(const AmplifierFile& f) {
  std::ostringstream s;
  s << f.format << (f.gapFree ? " gap-free, " : ", ") << f.sweeps << " x " << f.sweepSamples
    << " every " << f.sampleIntervalMs << " ms from " << f.startTimeMs << ":";
  for (const AmplifierChannel& c : f.channels) s << " " << c.name << " (" << c.unit << ")";
  if (f.protocol) {
    s << "; " << f.protocol->commandName << " holds " << f.protocol->holdingLevel << " "
      << f.protocol->commandUnit;
  } else {
    s << "; " << (f.protocolNote.empty() ? "no protocol" : f.protocolNote);
  }
  return s.str();
}

// Rows of the converted table of the sodium family: t (s), then V (mV) and I (pA) of sweeps 9,
// 13, 17, 21, 25 and 29, rounded to four digits.
const int kTableSweeps[] = {9, 13, 17, 21, 25, 29};
std::vector<std::vector<double>> ConvertedTable() {
  const std::vector<std::string> lines =
      Lines(ReadBytes(TestDataPath("myokit_INa_6sweeps_13hdr.tsv")));
  std::vector<std::vector<double>> rows;
  for (size_t i = 14; i < lines.size(); ++i) rows.push_back(Numbers(lines[i]));
  return rows;
}

}  // namespace

// Channels come in sampling order with their physical channel's names and units, at the
// interval between two samples of one channel.
TEST(ReadAmplifierFile, ShapeOfEveryKindOfFile) {
  const struct {
    const AmplifierFile& file;
    const char* shape;
  } cases[] = {
      {SodiumAbf(), "ABF 2.0.0.0, 37 x 516 every 0.05 ms from 0: IN 0 (pA); Cmd 0 holds -120 mV"},
      {SlowAbf(),
       "ABF 2.0.0.0, 3 x 51612 every 0.5 ms from 0: IN 0 (pA) AO #0 (mV); Cmd 0 holds -35 mV"},
      {Read(Abf1Episodic()),
       "ABF 1.83, 3 x 128 every 0.05 ms from 0: Im (pA) Vm (mV); Cmd 0 "
       "holds -70 mV"},
      {Read(Abf1GapFree()),
       "ABF 1.50 gap-free, 1 x 10 every 0.1 ms from 0: IN 0 (nA); gap-free: no protocol"},
      {Read(kAtfTwoSignals),
       "ATF 1.0, 2 x 3 every 0.05 ms from 0: IN 0 (pA) IN 1 (mV); no protocol"},
      {Read(kAtfCurrentOnly), "ATF 1.0, 3 x 2 every 0.1 ms from 1: Trace (nA); no protocol"},
  };
  for (const auto& c : cases) EXPECT_EQ(Shape(c.file), c.shape);
}

// The import dialog says what a file is in plain words, a gap-free one included.
TEST(ImportDialogInputFor, SaysWhatTheFileIs) {
  const ImportDialogInput gapFree = ImportDialogInputFor(Read(Abf1GapFree()), "g.abf");
  EXPECT_EQ(gapFree.summary,
            "ABF 1.50 file: one gap-free recording of 1 ms, no protocol, sampled at 10 kHz, "
            "1 channel");
  EXPECT_EQ(gapFree.commandNote, "gap-free: no protocol");
  EXPECT_EQ(ImportDialogInputFor(SodiumAbf(), "s.abf").summary,
            "ABF 2.0.0.0 file: 37 sweeps of 25.8 ms, sampled at 20 kHz, 1 channel");
}

// ---- samples ----

// value = stored x range / (resolution x instrument scale x gains) + instrument - signal offset;
// float samples are taken as they are; the ABF 2 family matches its converted table.
TEST(ReadAmplifierFile, SamplesAreScaledToTheirUnits) {
  const AmplifierFile abf1 = Read(Abf1Episodic());
  const double imFactor = 10.0 / (32768.0 * double(0.0005f) * 2.0 * 5.0);
  const double vmFactor = 10.0 / (32768.0 * double(0.1f));
  for (int s = 0; s < kSweeps; ++s) {
    for (int i = 0; i < kSweepSamples; i += 17) {
      EXPECT_DOUBLE_EQ(SweepSamples(abf1, s, 0)[i], StoredSample(s, i, 0) * imFactor);
      EXPECT_DOUBLE_EQ(SweepSamples(abf1, s, 1)[i], StoredSample(s, i, 1) * vmFactor + 2.0);
    }
  }
  EXPECT_EQ(SweepSamples(Read(Abf1GapFree()), 0, 0)[9], 1.25);
  const AmplifierFile atf = Read(kAtfTwoSignals);
  EXPECT_EQ(SweepSamples(atf, 1, 0), (std::vector<double>{-20.5, -21.5, -22.5}));
  EXPECT_EQ(SweepSamples(atf, 1, 1)[2], -60.0);
  EXPECT_EQ(SweepSamples(Read(kAtfCurrentOnly), 2, 0), (std::vector<double>{3, 6}));

  const std::vector<std::vector<double>> rows = ConvertedTable();
  ASSERT_EQ(rows.size(), 516u);
  for (int k = 0; k < 6; ++k) {
    const std::vector<double>& current = SweepSamples(SodiumAbf(), kTableSweeps[k] - 1, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
      ASSERT_NEAR(current[i], rows[i][2 + 2 * k], 0.05 + 5e-4 * std::fabs(rows[i][2 + 2 * k]))
          << "sweep " << kTableSweeps[k] << " sample " << i;
    }
  }
}

// ---- the command ----

// Holding for 128/64 = 2 samples, the step for 40, the ramp for 20 (each sample at the middle
// of its interval), then holding again; a user list of step levels shorter than the sweeps holds
// its last entry past its end, or starts again when it repeats.
TEST(CommandWaveform, Abf1RebuiltFromTheEpochTable) {
  const struct {
    const char* list;  // epoch A's levels; "": none, -80 mV + 10 mV per sweep
    int repeat;
    std::vector<std::optional<double>> steps;
  } cases[] = {
      {"", 0, {-80.0, -70.0, -60.0}},
      {"-50, -40", 0, {-50.0, -40.0, -40.0}},
      {"-50, -40", 1, {-50.0, -40.0, -50.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("list \"") + c.list + "\", repeat " + std::to_string(c.repeat));
    std::string bytes = Abf1Episodic();
    if (*c.list) {
      PutI16(&bytes, 3360, 1);   // user list 1 on
      PutI16(&bytes, 3368, 21);  // for epoch A's level
      PutText(&bytes, 3376, c.list);
      PutI16(&bytes, 4400, c.repeat);
    }
    const AmplifierFile file = Read(bytes);
    ASSERT_TRUE(file.protocol) << file.protocolNote;
    EXPECT_EQ(SweepStepVoltages(file), c.steps);
    for (int s = 0; s < kSweeps; ++s) {
      const std::vector<double> command = CommandWaveform(*file.protocol, kSweepSamples, s);
      const double step = *c.steps[s];
      EXPECT_EQ(command[1], -70.0);
      EXPECT_EQ(command[2], step);
      EXPECT_EQ(command[41], step);
      EXPECT_DOUBLE_EQ(command[42], step - step * 0.5 / 20);
      EXPECT_DOUBLE_EQ(command[61], step - step * 19.5 / 20);
      EXPECT_EQ(command[62], -70.0);
    }
    EXPECT_EQ(StepEpoch(*file.protocol, kSweeps), 0);
  }
}

// The command of all 37 sweeps: -120 mV for 8 samples (1/64 of the sweep), the step to
// -100 + 5 (s - 1) mV for 500 samples, then -120 mV again; the table's voltages agree.
TEST(CommandWaveform, SodiumOfEverySweepRebuiltFromTheProtocol) {
  const AmplifierFile& file = SodiumAbf();
  for (int s = 0; s < file.sweeps; ++s) {
    const std::vector<double> command = CommandWaveform(*file.protocol, file.sweepSamples, s);
    for (int i = 0; i < 516; ++i) {
      const double expected = i >= 8 && i < 508 ? -100.0 + 5.0 * s : -120.0;
      ASSERT_EQ(command[i], expected) << "sweep " << s + 1 << " sample " << i;
    }
  }
  const std::vector<std::vector<double>> rows = ConvertedTable();
  for (int k = 0; k < 6; ++k) {
    const std::vector<double> command =
        CommandWaveform(*file.protocol, file.sweepSamples, kTableSweeps[k] - 1);
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(command[i], rows[i][1 + 2 * k]);
  }
  const std::vector<std::optional<double>> steps = SweepStepVoltages(file);
  for (int s = 0; s < file.sweeps; ++s) EXPECT_EQ(steps[s], -100.0 + 5.0 * s);
}

// Ramps, steps and the user list of step durations rebuild the command the amplifier recorded.
TEST(CommandWaveform, SlowRebuiltMatchesTheRecordedCommand) {
  const AmplifierFile& file = SlowAbf();
  ASSERT_TRUE(file.protocol) << file.protocolNote;
  for (int s = 0; s < file.sweeps; ++s) {
    const std::vector<double> command = CommandWaveform(*file.protocol, file.sweepSamples, s);
    const std::vector<double>& recorded = SweepSamples(file, s, 1);
    double worst = 0;
    for (int64_t i = 0; i < file.sweepSamples; ++i) {
      worst = std::max(worst, std::fabs(command[i] - recorded[i]));
    }
    EXPECT_LT(worst, 1e-4) << "sweep " << s + 1;
  }
  EXPECT_EQ(SweepStepVoltages(file), (std::vector<std::optional<double>>{-145.0, -130.0, -115.0}));
}

// ---- refusals ----

// Every damaged or unsupported file gets a message that says what is wrong; a protocol the
// rebuild cannot follow leaves the samples readable and says why.
TEST(ReadAmplifierFile, RefusedFilesSayWhy) {
  const std::string sodium = ReadBytes(TestDataPath("myokit_abf-v2_INa_activation.abf"));
  const std::string abf1 = Abf1Episodic();
  const std::string atfHead = "ATF\t1.0\n0\t2\n\"Time (s)\"\t\"I (pA)\"\n0\t1\n";
  const struct {
    std::string bytes;
    const char* expected;
  } cases[] = {
      {sodium.substr(0, 100), "truncated"},
      {sodium.substr(0, 600), "truncated"},
      {sodium.substr(0, 43000), "truncated: the data section"},
      {With<uint8_t>(sodium, 7, 3), "Unsupported ABF version 3.0"},
      {With<int16_t>(sodium, 512, 1), "variable-length event-driven"},  // the protocol: block 1
      {With<int16_t>(sodium, 512, 9), "corrupt: its recording mode 9 is unknown"},
      {With<uint32_t>(sodium, 240, 1), "corrupt: its data section has entries of 1 byte"},
      {With<float>(sodium, 514, 0.0f), "corrupt: its sample interval is not a positive number"},
      {abf1.substr(0, abf1.size() - 1), "truncated: the data section"},
      {With<float>(abf1, 4, 2.5f), "Unsupported ABF version"},
      {With<int16_t>(abf1, 38, 1), "old Microsoft binary format"},
      {With<int16_t>(abf1, 8, 9), "corrupt: its recording mode 9 is unknown"},
      {With<int16_t>(abf1, 120, 0), "corrupt: it records 0 channels"},
      {With<int16_t>(abf1, 100, 2), "corrupt: its sample type 2 is unknown"},
      {With<float>(abf1, 122, 0.0f), "corrupt: its sample interval is not a positive number"},
      {With<float>(abf1, 126, 50.0f), "changes its sample rate within a sweep"},
      {With<int32_t>(abf1, 16, 4), "4 sweeps of 256 samples are not the 768 samples it holds"},
      {With<int16_t>(abf1, 410, 20), "corrupt: its sampling sequence names channel 20"},
      {With<float>(abf1, 1050, 0.0f), "channel Vm: its scaling"},  // no signal gain
      {With<int32_t>(abf1, 40, 0), "data section pointer is wrong"},
      {With<int32_t>(abf1, 40, 4), "starts at byte 2048, inside its 6144-byte header"},
      {With<uint32_t>(sodium, 236, 0), "starts at byte 0, inside its 512-byte header"},
      {std::string(kAtfTwoSignals) + "0.00015\t1\t2\n", "line 9 holds 3 numbers; the file has 5"},
      {"ATF\t2.0\n0\t2\n", "Unsupported ATF version"},
      {atfHead, "at least two"},
      {atfHead + "1e-4\t2\n5e-4\t3\n", "not evenly spaced"},
      {"PK\x03\x04", "not an ABF or ATF file"},
  };
  for (const auto& c : cases) {
    AmplifierFile file;
    const std::string problem = ReadAmplifierFile(c.bytes, &file);
    EXPECT_NE(problem.find(c.expected), std::string::npos) << c.expected << ": " << problem;
  }

  std::string holdingNaN = With<int16_t>(abf1, 2296, 0);  // no waveform: the holding level alone
  Put<float>(&holdingNaN, 1394, std::nanf(""));
  for (const auto& [bytes, expected] :
       {std::pair{With<int16_t>(abf1, 2310, 3), "epoch B is a train of rectangular pulses"},
        std::pair{With<int32_t>(abf1, 2508, 200), "its epochs run past the end of sweep 1"},
        std::pair{With<int16_t>(abf1, 1440, 2), "its active output 2 has no epoch table"},
        std::pair{With<int16_t>(abf1, 2300, 2), "comes from a stimulus file"},
        std::pair{holdingNaN, "its holding level is not a number"}}) {
    const AmplifierFile file = Read(bytes);
    EXPECT_FALSE(file.protocol);
    EXPECT_NE(file.protocolNote.find(expected), std::string::npos) << file.protocolNote;
  }
}

// Values no amplifier produces are read as the file says, each with a notice naming the field
// and its value; the real recordings and the written files get none.
TEST(ReadAmplifierFile, ImplausibleValuesAreToldNotHidden) {
  const std::string abf1 = Abf1Episodic();
  const std::pair<std::string, const char*> cases[] = {
      {With<int32_t>(abf1, 252, -32768), "the ADC resolution as -32768"},
      {With<float>(abf1, 922 + 4 * 1, 1e-45f), "channel Im's instrument scale as 1.4013e-45"},
      {With<float>(abf1, 2348, 1e38f), "enabled epoch 1 of the command (mV) in sweep 1 as 1e+38"},
      {With<float>(abf1, 1394, -1e6f), "the holding level (mV) as -1e+06"},
      {With<float>(abf1, 122, 1e-30f), "the sample interval (us) as 1e-30"},
  };
  for (const auto& [bytes, notice] : cases) {
    const AmplifierFile file = Read(bytes);
    ASSERT_EQ(file.notices.size(), 1u) << notice;
    EXPECT_NE(file.notices[0].find(notice), std::string::npos) << file.notices[0];
  }
  for (const AmplifierFile& file :
       {Read(abf1), Read(Abf1GapFree()), SodiumAbf(), SlowAbf(), Read(kAtfTwoSignals)})
    EXPECT_EQ(file.notices, std::vector<std::string>{}) << file.format;
}
