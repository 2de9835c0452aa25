// The Axon Binary Format 1 reader (pCLAMP 9 and before): one fixed header of 2048 bytes, or of
// 6144 bytes from version 1.6 on with the extended fields of two outputs, then the data section.
#include <cmath>
#include <cstdio>

#include "io/abf/abf_internal.h"

namespace {

constexpr uint64_t kOldHeaderSize = 2048;
constexpr uint64_t kExtendedHeaderSize = 6144;
constexpr float kFirstExtendedVersion = 1.6f;  // the 6144-byte header and its extended fields
constexpr int kPhysicalChannels = 16;          // per-channel arrays are in physical order
constexpr int kOldEpochs = 10;
constexpr int kExtendedOutputs = 2;  // the extended epoch tables describe two outputs
constexpr int kUserLists = 4;
constexpr uint64_t kUserListLength = 256;

// Offsets of the header fields read.
constexpr uint64_t kVersion = 4, kMode = 8, kAcqLength = 10, kPointsIgnored = 14, kEpisodes = 16;
constexpr uint64_t kMsBinFormat = 38, kDataSectionPtr = 40, kDataFormat = 100;
constexpr uint64_t kChannelCount = 120, kSampleInterval = 122, kSecondInterval = 126;
constexpr uint64_t kSamplesPerEpisode = 138, kAdcRange = 244, kAdcResolution = 252;
constexpr uint64_t kAutosampleEnable = 262, kAutosampleChannel = 264, kAutosampleGain = 268;
constexpr uint64_t kSamplingSequence = 410, kChannelNames = 442, kChannelUnits = 602;
constexpr uint64_t kProgrammableGain = 730, kInstrumentScale = 922, kInstrumentOffset = 986;
constexpr uint64_t kSignalGain = 1050, kSignalOffset = 1114;
constexpr uint64_t kDacNames = 1306, kDacUnits = 1346, kDacHolding = 1394;
constexpr uint64_t kOldWaveformSource = 1438, kActiveDac = 1440, kOldInterEpisode = 1442;
constexpr uint64_t kOldEpochType = 1444, kOldEpochLevel = 1464, kOldEpochLevelInc = 1504;
constexpr uint64_t kOldEpochDuration = 1544, kOldEpochDurationInc = 1564, kOldListEnable = 1966;
constexpr uint64_t kWaveformEnable = 2296, kWaveformSource = 2300, kInterEpisode = 2304;
constexpr uint64_t kEpochType = 2308, kEpochLevel = 2348, kEpochLevelInc = 2428;
constexpr uint64_t kEpochDuration = 2508, kEpochDurationInc = 2588;
constexpr uint64_t kListEnable = 3360, kListParameter = 3368, kListValues = 3376;
constexpr uint64_t kListRepeat = 4400, kTelegraphEnable = 4512, kTelegraphGain = 4576;
constexpr uint64_t kChannelNameLength = 10, kUnitLength = 8;

std::string Truncated(const std::string& what) {
  return "The ABF file is truncated: " + what + " lies beyond its end.";
}

std::string Corrupt(const std::string& what) {
  return "The ABF file is corrupt: " + what + ".";
}

// The protocol of an episodic recording; "" or why its command cannot be rebuilt.
std::string ReadProtocol(ByteReader& in, bool extended, Protocol* protocol) {
  const int dac = in.I16(kActiveDac);
  if (dac < 0 || dac >= 4)
    return Corrupt("its active output " + std::to_string(dac) + " is unknown");
  protocol->holdingLevel = in.F32(kDacHolding + 4 * dac);
  protocol->commandName = in.Text(kDacNames + kChannelNameLength * dac, kChannelNameLength);
  protocol->commandUnit = in.Text(kDacUnits + kUnitLength * dac, kUnitLength);
  if (protocol->commandName.empty()) protocol->commandName = "Cmd " + std::to_string(dac);
  if (extended && dac >= kExtendedOutputs) {
    return "its active output " + std::to_string(dac) + " has no epoch table";
  }

  const int source = extended ? in.I16(kWaveformSource + 2 * dac) : in.I16(kOldWaveformSource);
  const bool enabled = extended ? in.I16(kWaveformEnable + 2 * dac) != 0 : source != 0;
  if (!enabled) return "";  // no waveform: the output stays at its holding level
  if (source != 1) return "its command comes from a stimulus file, not an epoch table";
  const int interEpisode = extended ? in.I16(kInterEpisode + 2 * dac) : in.I16(kOldInterEpisode);
  if (interEpisode != 0) return "it holds the last epoch's level between sweeps";

  std::vector<int> epochByNumber(kOldEpochs, -1);
  for (int e = 0; e < kOldEpochs; ++e) {
    const uint64_t slot = extended ? static_cast<uint64_t>(dac * kOldEpochs + e) : e;
    const int type = in.I16((extended ? kEpochType : kOldEpochType) + 2 * slot);
    if (type == 0) continue;
    const std::string epochName(1, static_cast<char>('A' + e));
    if (type != 1 && type != 2) {
      return UnfollowedEpochNote(epochName, type);
    }
    ProtocolEpoch epoch;
    epoch.kind = type == 1 ? EpochKind::kStep : EpochKind::kRamp;
    epoch.firstLevel = in.F32((extended ? kEpochLevel : kOldEpochLevel) + 4 * slot);
    epoch.levelIncrement = in.F32((extended ? kEpochLevelInc : kOldEpochLevelInc) + 4 * slot);
    if (extended) {
      epoch.firstDuration = in.I32(kEpochDuration + 4 * slot);
      epoch.durationIncrement = in.I32(kEpochDurationInc + 4 * slot);
    } else {
      epoch.firstDuration = in.I16(kOldEpochDuration + 2 * slot);
      epoch.durationIncrement = in.I16(kOldEpochDurationInc + 2 * slot);
    }
    epochByNumber[e] = static_cast<int>(protocol->epochs.size());
    protocol->epochs.push_back(epoch);
  }

  if (!extended && in.I16(kOldListEnable) != 0) return "it varies a parameter by a user list";
  for (int list = 0; extended && list < kUserLists; ++list) {
    if (in.I16(kListEnable + 2 * list) == 0) continue;
    const int code = in.I16(kListParameter + 2 * list);
    const std::string values = in.Text(kListValues + kUserListLength * list, kUserListLength);
    const std::string problem =
        ApplyUserList(code, values, in.I16(kListRepeat + 2 * list) != 0, epochByNumber, protocol);
    if (!problem.empty()) return problem;
  }
  return "";
}

}  // namespace

std::string ReadAbf1(std::string_view bytes, AmplifierFile* file) {
  *file = AmplifierFile{};
  ByteReader in(bytes);
  if (!bytes.starts_with("ABF ")) return "This is not an ABF 1 file.";
  if (!in.Has(0, kOldHeaderSize)) return Truncated("the 2048-byte header");
  const float version = in.F32(kVersion);
  if (!(version >= 1.0f && version < 2.0f)) {
    return "Unsupported ABF version: the header gives " +
           (std::isfinite(version) ? std::to_string(version) : std::string("no number")) +
           "; this reader knows 1.x and 2.x.";
  }
  char versionText[16];
  std::snprintf(versionText, sizeof versionText, "%.2f", version);
  file->format = std::string("ABF ") + versionText;
  const bool extended = version >= kFirstExtendedVersion;
  if (extended && !in.Has(0, kExtendedHeaderSize)) return Truncated("the 6144-byte header");
  if (in.I16(kMsBinFormat) != 0) {
    return "This ABF file stores its numbers in the old Microsoft binary format, which is not "
           "supported.";
  }

  const int mode = in.I16(kMode);
  if (mode == kAbfVariableLengthEvents) {
    return "This ABF file is a variable-length event-driven recording, which is not supported: "
           "only episodic, fixed-length and gap-free recordings are.";
  }
  if (mode < kAbfFixedLengthEvents || mode > kAbfEpisodic) {
    return Corrupt("its recording mode " + std::to_string(mode) + " is unknown");
  }
  const int channels = in.I16(kChannelCount);
  if (channels < 1 || channels > kMaxAmplifierChannels) {
    return Corrupt("it records " + std::to_string(channels) + " channels");
  }
  const int dataFormat = in.I16(kDataFormat);
  if (dataFormat != 0 && dataFormat != 1) {
    return Corrupt("its sample type " + std::to_string(dataFormat) + " is unknown");
  }
  const bool floatSamples = dataFormat == 1;
  const uint64_t sampleBytes = floatSamples ? 4 : 2;
  const float interval = in.F32(kSampleInterval);
  const float secondInterval = in.F32(kSecondInterval);
  if (!(interval > 0) || !std::isfinite(interval)) {
    return Corrupt("its sample interval is not a positive number");
  }
  if (secondInterval != 0 && secondInterval != interval) {
    return "This ABF file changes its sample rate within a sweep, which is not supported.";
  }

  const int64_t total = in.I32(kAcqLength);
  const int64_t ignored = in.I16(kPointsIgnored);
  const int64_t dataStart = static_cast<int64_t>(in.I32(kDataSectionPtr)) * kAbfBlockSize;
  if (total <= 0) return Corrupt("it holds no samples");
  if (total > kMaxAmplifierSamples) {
    return "The recording holds " + std::to_string(total) + " samples; at most " +
           std::to_string(kMaxAmplifierSamples) + " can be opened.";
  }
  if (dataStart <= 0 || ignored < 0) return Corrupt("its data section pointer is wrong");
  const int64_t headerSize = extended ? kExtendedHeaderSize : kOldHeaderSize;
  if (dataStart < headerSize) {
    return Corrupt("its data section starts at byte " + std::to_string(dataStart) +
                   ", inside its " + std::to_string(headerSize) + "-byte header");
  }
  const uint64_t offset = static_cast<uint64_t>(dataStart + ignored * sampleBytes);
  if (!in.Has(offset, static_cast<uint64_t>(total) * sampleBytes)) {
    return Truncated("the data section (" + std::to_string(total) + " samples)");
  }

  file->gapFree = mode == kAbfGapFree;
  int64_t sweepSamples = 0;  // all channels together
  int64_t sweeps = 1;
  if (file->gapFree) {
    sweepSamples = total;
  } else {
    sweeps = in.I32(kEpisodes);
    sweepSamples = in.I32(kSamplesPerEpisode);
    if (sweeps < 1 || sweepSamples < 1) return Corrupt("it records no sweep");
    if (sweeps > kMaxAmplifierSweeps) {
      return "The recording holds " + std::to_string(sweeps) + " sweeps; at most " +
             std::to_string(kMaxAmplifierSweeps) + " can be opened.";
    }
    if (sweeps * sweepSamples != total) {
      return Corrupt(std::to_string(sweeps) + " sweeps of " + std::to_string(sweepSamples) +
                     " samples are not the " + std::to_string(total) + " samples it holds");
    }
  }
  if (sweepSamples % channels != 0) {
    return Corrupt("its sweeps of " + std::to_string(sweepSamples) +
                   " samples do not divide into " + std::to_string(channels) + " channels");
  }
  file->sweeps = static_cast<int>(sweeps);
  file->sweepSamples = sweepSamples / channels;
  // The interval is between two multiplexed samples; one channel is sampled once per scan.
  file->sampleIntervalMs = static_cast<double>(interval) * channels / 1000.0;
  NoteImplausibleInterval(interval, file);

  std::vector<double> factor(channels), shift(channels);
  for (int c = 0; c < channels; ++c) {
    const int physical = in.I16(kSamplingSequence + 2 * c);
    if (physical < 0 || physical >= kPhysicalChannels) {
      return Corrupt("its sampling sequence names channel " + std::to_string(physical));
    }
    AmplifierChannel channel;
    channel.name = in.Text(kChannelNames + kChannelNameLength * physical, kChannelNameLength);
    channel.unit = in.Text(kChannelUnits + kUnitLength * physical, kUnitLength);
    if (channel.name.empty()) channel.name = "IN " + std::to_string(physical);
    ChannelScaling scaling;
    scaling.adcRange = in.F32(kAdcRange);
    scaling.adcResolution = in.I32(kAdcResolution);
    scaling.programmableGain = in.F32(kProgrammableGain + 4 * physical);
    scaling.instrumentScale = in.F32(kInstrumentScale + 4 * physical);
    scaling.instrumentOffset = in.F32(kInstrumentOffset + 4 * physical);
    scaling.signalGain = in.F32(kSignalGain + 4 * physical);
    scaling.signalOffset = in.F32(kSignalOffset + 4 * physical);
    if (extended) {
      if (in.I16(kTelegraphEnable + 2 * physical) != 0) {
        scaling.telegraphGain = in.F32(kTelegraphGain + 4 * physical);
      }
    } else if (in.I16(kAutosampleEnable) != 0 && in.I16(kAutosampleChannel) == physical) {
      scaling.telegraphGain = in.F32(kAutosampleGain);
    }
    if (!floatSamples) {
      const std::string problem = ScalingFactors(scaling, &factor[c], &shift[c]);
      if (!problem.empty()) return Corrupt("channel " + channel.name + ": " + problem);
      NoteImplausibleScaling(channel.name, scaling, file);
    }
    file->channels.push_back(channel);
  }
  if (in.Overran()) return Truncated("a header field");

  DeinterleaveSamples(bytes.substr(offset, static_cast<uint64_t>(total) * sampleBytes),
                      floatSamples, factor, shift, file);
  if (mode == kAbfEpisodic) {
    Protocol rebuilt;
    file->protocolNote = ReadProtocol(in, extended, &rebuilt);
    if (file->protocolNote.empty()) {
      file->protocolNote = CheckProtocolFits(rebuilt, file->sweepSamples, file->sweeps);
    }
    if (in.Overran()) return Truncated("a protocol field");
    if (file->protocolNote.empty()) {
      NoteImplausibleProtocol(rebuilt, file);
      file->protocol = rebuilt;
    }
  } else {
    file->protocolNote = NotEpisodicNote(mode);
  }
  return "";
}
