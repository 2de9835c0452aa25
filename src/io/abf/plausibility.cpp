// Values in an ABF header that no amplifier produces: the file is read as it says, but the user
// is told, naming the field and its value, so that a misread is never silent.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "io/abf/abf_internal.h"

namespace {

// Gains and scales of a real recording chain lie far inside these; a header beyond them is
// damaged or made by hand.
constexpr double kSmallestGain = 1e-9;
constexpr double kLargestGain = 1e9;
constexpr double kShortestIntervalUs = 0.1;  // 10 MHz, beyond every digitiser of a rig
constexpr double kLargestLevel = 1e4;        // 10 V in mV, 10 uA in pA: beyond any command output

std::string Value(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

void Note(const std::string& what, double value, const std::string& consequence,
          AmplifierFile* file) {
  const std::string notice = "The ABF file gives " + what + " as " + Value(value) +
                             ", which no amplifier produces; it was read as it says, so " +
                             consequence + ".";
  // The ADC's range and resolution are the file's, not a channel's: told once.
  if (std::find(file->notices.begin(), file->notices.end(), notice) == file->notices.end())
    file->notices.push_back(notice);
}

bool OutsideGains(double value) {
  return !(std::fabs(value) >= kSmallestGain && std::fabs(value) <= kLargestGain) || value < 0;
}

}  // namespace

void NoteImplausibleScaling(const std::string& channel, const ChannelScaling& s,
                            AmplifierFile* file) {
  if (s.adcResolution < 0)
    Note("the ADC resolution", s.adcResolution, "every sample's sign is flipped", file);
  if (s.adcRange < 0) Note("the ADC range", s.adcRange, "every sample's sign is flipped", file);
  const std::pair<const char*, double> gains[] = {{"instrument scale", s.instrumentScale},
                                                  {"signal gain", s.signalGain},
                                                  {"programmable gain", s.programmableGain},
                                                  {"telegraphed gain", s.telegraphGain}};
  for (const auto& [name, value] : gains) {
    if (OutsideGains(value)) {
      Note(std::string("channel ") + channel + "'s " + name, value,
           "the samples of " + channel + " are scaled by it", file);
    }
  }
}

void NoteImplausibleInterval(double intervalUs, AmplifierFile* file) {
  if (intervalUs < kShortestIntervalUs)
    Note("the sample interval (us)", intervalUs, "the times of the samples follow it", file);
}

void NoteImplausibleProtocol(const Protocol& protocol, AmplifierFile* file) {
  const std::string unit = protocol.commandUnit.empty() ? "" : " (" + protocol.commandUnit + ")";
  if (std::fabs(protocol.holdingLevel) > kLargestLevel)
    Note("the holding level" + unit, protocol.holdingLevel, "the command holds it", file);
  for (size_t e = 0; e < protocol.epochs.size(); ++e) {
    for (int sweep = 0; sweep < file->sweeps; ++sweep) {
      const double level = EpochLevel(protocol.epochs[e], sweep);
      if (std::fabs(level) <= kLargestLevel) continue;
      Note("the level of enabled epoch " + std::to_string(e + 1) + " of the command" + unit +
               " in sweep " + std::to_string(sweep + 1),
           level, "the rebuilt command steps to it", file);
      break;
    }
  }
}
