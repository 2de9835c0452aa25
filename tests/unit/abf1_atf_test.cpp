// The ABF 1 and ATF readers on files the tests write from the formats' descriptions, and the
// refusals of all three readers: a truncated, corrupt or unsupported file gets a message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/abf/abf_file.h"

namespace {

void Put(std::string* bytes, size_t offset, const void* value, size_t size) {
  if (bytes->size() < offset + size) bytes->resize(offset + size);
  std::memcpy(bytes->data() + offset, value, size);
}
void PutI16(std::string* b, size_t at, int16_t v) {
  Put(b, at, &v, sizeof v);
}
void PutI32(std::string* b, size_t at, int32_t v) {
  Put(b, at, &v, sizeof v);
}
void PutF32(std::string* b, size_t at, float v) {
  Put(b, at, &v, sizeof v);
}
void PutText(std::string* b, size_t at, const char* text) {
  Put(b, at, text, std::strlen(text));
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
  PutF32(&b, 4, 1.83f);
  PutI16(&b, 8, 5);                                     // episodic
  PutI32(&b, 10, kSweeps * kSweepSamples * kChannels);  // samples
  PutI32(&b, 16, kSweeps);                              // episodes
  PutI32(&b, 40, 12);                                   // data at block 12 = byte 6144
  PutI16(&b, 100, 0);                                   // 16-bit samples
  PutI16(&b, 120, kChannels);
  PutF32(&b, 122, 25.0f);  // µs between multiplexed samples
  PutI32(&b, 138, kSweepSamples * kChannels);
  PutF32(&b, 244, 10.0f);
  PutI32(&b, 252, 32768);
  for (int c = 0; c < 16; ++c) PutI16(&b, 410 + 2 * c, -1);
  PutI16(&b, 410, 1);
  PutI16(&b, 412, 0);
  PutText(&b, 442 + 10 * 0, "Vm");
  PutText(&b, 442 + 10 * 1, "Im");
  PutText(&b, 602 + 8 * 0, "mV");
  PutText(&b, 602 + 8 * 1, "pA");
  for (int c = 0; c < 16; ++c) {
    PutF32(&b, 730 + 4 * c, 1.0f);   // programmable gain
    PutF32(&b, 922 + 4 * c, 0.1f);   // instrument scale, V per user unit
    PutF32(&b, 1050 + 4 * c, 1.0f);  // signal gain
  }
  PutF32(&b, 922 + 4 * 1, 0.0005f);
  PutF32(&b, 1050 + 4 * 1, 2.0f);
  PutF32(&b, 986 + 4 * 0, 3.0f);   // instrument offset of Vm
  PutF32(&b, 1114 + 4 * 0, 1.0f);  // signal offset of Vm
  PutI16(&b, 4512 + 2 * 1, 1);     // telegraph of Im, gain 5
  PutF32(&b, 4576 + 4 * 1, 5.0f);
  PutText(&b, 1306, "Cmd 0");
  PutText(&b, 1346, "mV");
  PutF32(&b, 1394, -70.0f);
  PutI16(&b, 1440, 0);  // active output
  PutI16(&b, 2296, 1);  // waveform on, from the epoch table
  PutI16(&b, 2300, 1);
  PutI16(&b, 2308, 1);  // epoch A: step
  PutF32(&b, 2348, -80.0f);
  PutF32(&b, 2428, 10.0f);
  PutI32(&b, 2508, 40);
  PutI16(&b, 2310, 2);  // epoch B: ramp to 0 mV over 20 samples
  PutF32(&b, 2352, 0.0f);
  PutI32(&b, 2512, 20);
  for (int s = 0; s < kSweeps; ++s) {
    for (int i = 0; i < kSweepSamples; ++i) {
      for (int slot = 0; slot < kChannels; ++slot) {
        PutI16(&b, 6144 + 2 * ((s * kSweepSamples + i) * kChannels + slot),
               StoredSample(s, i, slot));
      }
    }
  }
  return b;
}

// A gap-free ABF 1.5 file (the 2048-byte header) of one channel of float samples.
std::string Abf1GapFree() {
  std::string b(2048, '\0');
  PutText(&b, 0, "ABF ");
  PutF32(&b, 4, 1.5f);
  PutI16(&b, 8, 3);
  PutI32(&b, 10, 10);
  PutI32(&b, 40, 4);
  PutI16(&b, 100, 1);
  PutI16(&b, 120, 1);
  PutF32(&b, 122, 100.0f);
  PutText(&b, 442, "IN 0");
  PutText(&b, 602, "nA");
  for (int i = 0; i < 10; ++i) PutF32(&b, 2048 + 4 * i, 0.25f * i - 1.0f);
  return b;
}

constexpr char kAtfTwoSignals[] =
    "ATF\t1.0\n"
    "2\t5\n"
    "\"AcquisitionMode=Episodic Stimulation\"\n"
    "\"Signals=\"\t\"IN 0\"\t\"IN 1\"\t\"IN 0\"\t\"IN 1\"\n"
    "\"Time (s)\"\t\"Trace #1 (pA)\"\t\"Trace #1 (mV)\"\t\"Trace #2 (pA)\"\t\"Trace #2 (mV)\"\r\n"
    "0\t-10.5\t-80\t-20.5\t-60\r\n"
    "5e-05\t-11.5\t-80\t-21.5\t-60\r\n"
    "0.0001\t-12.5\t-80\t-22.5\t-60\r\n";

constexpr char kAtfCurrentOnly[] =
    "ATF 1.0\n"
    "0 4\n"
    "\"Time (ms)\"\t\"Trace #1 (nA)\"\t\"Trace #2 (nA)\"\t\"Trace #3 (nA)\"\n"
    "1.0\t1\t2\t3\n"
    "1.1\t4\t5\t6\n";

std::string Sodium() {
  std::ifstream in(std::string(PAVIK_TEST_DATA) + "/myokit_abf-v2_INa_activation.abf",
                   std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

// ---------------------------------------------------------------- ABF 1

// Channels come in sampling order with their physical channel's names, units and scaling:
// value = stored x range / (resolution x instrument scale x gains) + instrument - signal offset.
TEST(ReadAbf1, EpisodicTwoChannelsScaledInSamplingOrder) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile(Abf1Episodic(), &file), "");
  EXPECT_EQ(file.format, "ABF 1.83");
  EXPECT_EQ(file.sweeps, kSweeps);
  EXPECT_EQ(file.sweepSamples, kSweepSamples);
  EXPECT_DOUBLE_EQ(file.sampleIntervalMs, 0.05);  // 25 µs x two channels
  ASSERT_EQ(file.channels.size(), 2u);
  EXPECT_EQ(file.channels[0].name, "Im");
  EXPECT_EQ(file.channels[0].unit, "pA");
  EXPECT_EQ(file.channels[1].name, "Vm");
  const double imFactor = 10.0 / (32768.0 * double(0.0005f) * 2.0 * 5.0);
  const double vmFactor = 10.0 / (32768.0 * double(0.1f));
  for (int s = 0; s < kSweeps; ++s) {
    for (int i = 0; i < kSweepSamples; i += 17) {
      EXPECT_DOUBLE_EQ(SweepSamples(file, s, 0)[i], StoredSample(s, i, 0) * imFactor);
      EXPECT_DOUBLE_EQ(SweepSamples(file, s, 1)[i], StoredSample(s, i, 1) * vmFactor + 2.0);
    }
  }
}

// Holding for 128/64 = 2 samples, the step for 40, the ramp for 20 (each sample at the middle
// of its interval), then holding again.
TEST(ReadAbf1, CommandRebuiltFromTheEpochTable) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile(Abf1Episodic(), &file), "");
  ASSERT_TRUE(file.protocol) << file.protocolNote;
  EXPECT_EQ(file.protocol->commandName, "Cmd 0");
  for (int s = 0; s < kSweeps; ++s) {
    const std::vector<double> command = CommandWaveform(*file.protocol, kSweepSamples, s);
    const double step = -80.0 + 10.0 * s;
    EXPECT_EQ(command[1], -70.0);
    EXPECT_EQ(command[2], step);
    EXPECT_EQ(command[41], step);
    EXPECT_DOUBLE_EQ(command[42], step - step * 0.5 / 20);
    EXPECT_DOUBLE_EQ(command[61], step - step * 19.5 / 20);
    EXPECT_EQ(command[62], -70.0);
  }
  EXPECT_EQ(StepEpoch(*file.protocol, kSweeps), 0);
}

TEST(ReadAbf1, OldHeaderGapFreeFloatSamples) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile(Abf1GapFree(), &file), "");
  EXPECT_TRUE(file.gapFree);
  EXPECT_EQ(file.sweeps, 1);
  EXPECT_EQ(file.sweepSamples, 10);
  EXPECT_DOUBLE_EQ(file.sampleIntervalMs, 0.1);
  EXPECT_EQ(file.channels[0].unit, "nA");
  EXPECT_EQ(SweepSamples(file, 0, 0)[9], 1.25);
  EXPECT_FALSE(file.protocol);
  EXPECT_EQ(file.protocolNote, "a gap-free recording is not played from an epoch table");
}

// ---------------------------------------------------------------- ATF

// Columns of one signal are its sweeps; the time column gives the interval and start.
TEST(ReadAtf, SignalsRecordGroupsColumnsIntoChannelsAndSweeps) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile(kAtfTwoSignals, &file), "");
  EXPECT_EQ(file.format, "ATF 1.0");
  EXPECT_EQ(file.sweeps, 2);
  EXPECT_EQ(file.sweepSamples, 3);
  EXPECT_DOUBLE_EQ(file.sampleIntervalMs, 0.05);
  ASSERT_EQ(file.channels.size(), 2u);
  EXPECT_EQ(file.channels[0].name, "IN 0");
  EXPECT_EQ(file.channels[0].unit, "pA");
  EXPECT_EQ(file.channels[1].unit, "mV");
  EXPECT_EQ(SweepSamples(file, 1, 0), (std::vector<double>{-20.5, -21.5, -22.5}));
  EXPECT_EQ(SweepSamples(file, 1, 1)[2], -60.0);
  EXPECT_FALSE(file.protocol);
}

TEST(ReadAtf, TraceTitlesWithoutSignalsAreSweepsOfOneChannel) {
  AmplifierFile file;
  ASSERT_EQ(ReadAmplifierFile(kAtfCurrentOnly, &file), "");
  EXPECT_EQ(file.sweeps, 3);
  ASSERT_EQ(file.channels.size(), 1u);
  EXPECT_EQ(file.channels[0].unit, "nA");
  EXPECT_DOUBLE_EQ(file.startTimeMs, 1.0);
  EXPECT_NEAR(file.sampleIntervalMs, 0.1, 1e-12);
  EXPECT_EQ(SweepSamples(file, 2, 0), (std::vector<double>{3, 6}));
}

// ---------------------------------------------------------------- refusals

// Every damaged or unsupported file gets a message that says what is wrong.
TEST(ReadAmplifierFile, RefusedFilesSayWhy) {
  const std::string sodium = Sodium();
  std::string newMajor = sodium;
  newMajor[7] = 3;
  std::string eventDriven = sodium;
  PutI16(&eventDriven, 512, 1);  // the protocol section starts at block 1
  std::string noChannels = Abf1Episodic();
  PutI16(&noChannels, 120, 0);
  std::string abf1Truncated = Abf1Episodic();
  abf1Truncated.resize(abf1Truncated.size() - 1);
  std::string abf1Future = Abf1Episodic();
  PutF32(&abf1Future, 4, 2.5f);
  std::string atfShortRow = kAtfTwoSignals;
  atfShortRow += "0.00015\t1\t2\n";
  const struct {
    std::string bytes;
    const char* expected;
  } cases[] = {
      {sodium.substr(0, 100), "truncated"},
      {sodium.substr(0, 600), "truncated"},
      {sodium.substr(0, 43000), "truncated: the data section"},
      {newMajor, "Unsupported ABF version 3.0"},
      {eventDriven, "variable-length event-driven"},
      {noChannels, "corrupt: it records 0 channels"},
      {abf1Truncated, "truncated: the data section"},
      {abf1Future, "Unsupported ABF version"},
      {atfShortRow, "line 9 holds 3 numbers; the file has 5 columns"},
      {"ATF\t2.0\n0\t2\n", "Unsupported ATF version"},
      {"ATF\t1.0\n0\t2\n\"Time (s)\"\t\"I (pA)\"\n0\t1\n", "at least two"},
      {"ATF\t1.0\n0\t2\n\"Time (s)\"\t\"I (pA)\"\n0\t1\n1e-4\t2\n5e-4\t3\n", "not evenly spaced"},
      {"PK\x03\x04", "not an ABF or ATF file"},
  };
  for (const auto& c : cases) {
    AmplifierFile file;
    EXPECT_NE(ReadAmplifierFile(c.bytes, &file).find(c.expected), std::string::npos)
        << "expected \"" << c.expected << "\", got \"" << ReadAmplifierFile(c.bytes, &file) << "\"";
  }
}

// A protocol the rebuild cannot follow leaves the samples readable and says why.
TEST(ReadAmplifierFile, UnfollowableProtocolIsNotedNotFatal) {
  std::string train = Abf1Episodic();
  PutI16(&train, 2310, 3);  // epoch B becomes a pulse train
  std::string pastTheEnd = Abf1Episodic();
  PutI32(&pastTheEnd, 2508, 200);
  std::string holdingNaN = Abf1Episodic();
  PutI16(&holdingNaN, 2296, 0);  // no waveform: the command would be the holding level alone
  PutF32(&holdingNaN, 1394, std::nanf(""));
  for (const auto& [bytes, expected] :
       {std::pair{train, "epoch B is of a kind (type 3)"},
        std::pair{pastTheEnd, "its epochs run past the end of sweep 1"},
        std::pair{holdingNaN, "its holding level is not a number"}}) {
    AmplifierFile file;
    ASSERT_EQ(ReadAmplifierFile(bytes, &file), "");
    EXPECT_FALSE(file.protocol);
    EXPECT_NE(file.protocolNote.find(expected), std::string::npos) << file.protocolNote;
  }
}
