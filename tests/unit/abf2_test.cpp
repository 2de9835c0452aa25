// The ABF 2 reader on two real recordings: the sodium activation family (16-bit samples, command
// only in the protocol) and a slow family saved as float samples with its command recorded, whose
// step duration comes from a user list.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/abf/abf_file.h"
#include "io/abf/import.h"

namespace {

std::string ReadBytes(const std::string& name) {
  std::ifstream in(std::string(PAVIK_TEST_DATA) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

const AmplifierFile& Sodium() {
  static const AmplifierFile file = [] {
    AmplifierFile read;
    EXPECT_EQ(ReadAmplifierFile(ReadBytes("myokit_abf-v2_INa_activation.abf"), &read), "");
    return read;
  }();
  return file;
}

const AmplifierFile& Slow() {
  static const AmplifierFile file = [] {
    AmplifierFile read;
    EXPECT_EQ(ReadAmplifierFile(ReadBytes("pyabf_user-list-durations_HCN-act.abf"), &read), "");
    return read;
  }();
  return file;
}

// Rows of the converted table: t (s), then V (mV) and I (pA) of six sweeps.
std::vector<std::vector<double>> ConvertedTable() {
  std::istringstream in(ReadBytes("myokit_INa_6sweeps_13hdr.tsv"));
  std::string line;
  for (int i = 0; i < 14; ++i) std::getline(in, line);
  std::vector<std::vector<double>> rows;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    for (double v; fields >> v;) row.push_back(v);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

// ---------------------------------------------------------------- the sodium family

TEST(ReadAbf2, SodiumFamilyShape) {
  const AmplifierFile& file = Sodium();
  EXPECT_EQ(file.format, "ABF 2.0.0.0");
  EXPECT_FALSE(file.gapFree);
  EXPECT_EQ(file.sweeps, 37);
  EXPECT_EQ(file.sweepSamples, 516);
  EXPECT_DOUBLE_EQ(file.sampleIntervalMs, 0.05);  // 20 kHz
  ASSERT_EQ(file.channels.size(), 1u);
  EXPECT_EQ(file.channels[0].name, "IN 0");
  EXPECT_EQ(file.channels[0].unit, "pA");
  ASSERT_TRUE(file.protocol) << file.protocolNote;
  EXPECT_EQ(file.protocol->commandUnit, "mV");
  EXPECT_EQ(file.protocol->holdingLevel, -120.0);
}

// The scaled currents match the converted table (rounded to four digits) sample by sample.
TEST(ReadAbf2, SodiumCurrentsMatchTheConvertedTable) {
  const std::vector<std::vector<double>> rows = ConvertedTable();
  ASSERT_EQ(rows.size(), 516u);
  const int sweeps[] = {9, 13, 17, 21, 25, 29};
  for (int k = 0; k < 6; ++k) {
    const std::vector<double>& current = SweepSamples(Sodium(), sweeps[k] - 1, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
      ASSERT_NEAR(current[i], rows[i][2 + 2 * k], 0.05 + 5e-4 * std::fabs(rows[i][2 + 2 * k]))
          << "sweep " << sweeps[k] << " sample " << i;
    }
  }
}

// The command of all 37 sweeps: -120 mV for 8 samples (1/64 of the sweep), the step to
// -100 + 5 (s - 1) mV for 500 samples, then -120 mV again; the table's voltages agree.
TEST(ReadAbf2, SodiumCommandOfEverySweepRebuiltFromTheProtocol) {
  const AmplifierFile& file = Sodium();
  for (int s = 0; s < file.sweeps; ++s) {
    const std::vector<double> command = CommandWaveform(*file.protocol, file.sweepSamples, s);
    for (int i = 0; i < 516; ++i) {
      const double expected = i >= 8 && i < 508 ? -100.0 + 5.0 * s : -120.0;
      ASSERT_EQ(command[i], expected) << "sweep " << s + 1 << " sample " << i;
    }
  }
  const std::vector<std::vector<double>> rows = ConvertedTable();
  const int sweeps[] = {9, 13, 17, 21, 25, 29};
  for (int k = 0; k < 6; ++k) {
    const std::vector<double> command =
        CommandWaveform(*file.protocol, file.sweepSamples, sweeps[k] - 1);
    for (size_t i = 0; i < rows.size(); ++i) ASSERT_EQ(command[i], rows[i][1 + 2 * k]);
  }
  const std::vector<std::optional<double>> steps = SweepStepVoltages(file);
  for (int s = 0; s < file.sweeps; ++s) EXPECT_EQ(steps[s], -100.0 + 5.0 * s);
}

// ---------------------------------------------------------------- the slow family

TEST(ReadAbf2, SlowFamilyShape) {
  const AmplifierFile& file = Slow();
  EXPECT_EQ(file.sweeps, 3);
  EXPECT_EQ(file.sweepSamples, 51612);
  EXPECT_DOUBLE_EQ(file.sampleIntervalMs, 0.5);  // 2 kHz
  ASSERT_EQ(file.channels.size(), 2u);
  EXPECT_EQ(file.channels[0].unit, "pA");
  EXPECT_EQ(file.channels[1].name, "AO #0");
  EXPECT_EQ(file.channels[1].unit, "mV");
  const ImportChoices choices = DefaultImportChoices(file);
  EXPECT_EQ(choices.sweeps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(choices.currentChannel, 1);
  EXPECT_EQ(choices.voltageSource, VoltageSource::kChannel);
  EXPECT_EQ(choices.voltageChannel, 2);
}

// Ramps, steps and the user list of step durations rebuild the command the amplifier recorded.
TEST(ReadAbf2, SlowCommandRebuiltMatchesTheRecordedCommand) {
  const AmplifierFile& file = Slow();
  ASSERT_TRUE(file.protocol) << file.protocolNote;
  EXPECT_EQ(file.protocol->holdingLevel, -35.0);
  for (int s = 0; s < file.sweeps; ++s) {
    const std::vector<double> command = CommandWaveform(*file.protocol, file.sweepSamples, s);
    const std::vector<double>& recorded = SweepSamples(file, s, 1);
    double worst = 0;
    for (int64_t i = 0; i < file.sweepSamples; ++i) {
      worst = std::max(worst, std::fabs(command[i] - recorded[i]));
    }
    EXPECT_LT(worst, 1e-4) << "sweep " << s + 1;
  }
  const std::vector<std::optional<double>> steps = SweepStepVoltages(file);
  EXPECT_EQ(steps, (std::vector<std::optional<double>>{-145.0, -130.0, -115.0}));
}
