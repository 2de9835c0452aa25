// The Axon Binary Format 2 reader (pCLAMP 10 and later): the 512-byte file header with its map of
// sections, the protocol, input and output channel sections, the epoch table, user lists, the
// indexed strings and the data section.
#include <algorithm>
#include <cmath>

#include "io/abf/abf_internal.h"

namespace {

constexpr uint64_t kFileInfoSize = 512;
constexpr int kVersionMajor = 2;
// A user list's parameter codes count ten epochs per output up to version 2.06; later versions
// hold fifty epochs, and their codes are not known here.
constexpr int kLastTenEpochMinor = 6;

// Where the section map entries of the file header stand.
constexpr uint64_t kProtocolEntry = 76;
constexpr uint64_t kAdcEntry = 92;
constexpr uint64_t kDacEntry = 108;
constexpr uint64_t kEpochPerDacEntry = 156;
constexpr uint64_t kUserListEntry = 172;
constexpr uint64_t kStringsEntry = 220;
constexpr uint64_t kDataEntry = 236;

// Smallest entries that hold every field read below.
constexpr uint32_t kProtocolBytes = 186;
constexpr uint32_t kAdcBytes = 82;
constexpr uint32_t kDacBytes = 46;
constexpr uint32_t kEpochBytes = 30;
constexpr uint32_t kUserListBytes = 12;

// Field offsets within the file header and within one entry of each section.
namespace file_info {
constexpr uint64_t kEpisodes = 12, kDataFormat = 30;
}
namespace protocol_field {
constexpr uint64_t kMode = 0, kInterval = 2, kSamplesPerEpisode = 22, kAdcRange = 110;
constexpr uint64_t kAdcResolution = 118, kActiveDac = 142, kAlternateDac = 182;
}  // namespace protocol_field
namespace adc_field {
constexpr uint64_t kNumber = 0, kTelegraphEnable = 2, kTelegraphGain = 6;
constexpr uint64_t kProgrammableGain = 28, kInstrumentScale = 40, kInstrumentOffset = 44;
constexpr uint64_t kSignalGain = 48, kSignalOffset = 52, kNameIndex = 74, kUnitIndex = 78;
}  // namespace adc_field
namespace dac_field {
constexpr uint64_t kNumber = 0, kHoldingLevel = 12, kNameIndex = 24, kUnitIndex = 28;
constexpr uint64_t kWaveformEnable = 40, kWaveformSource = 42, kInterEpisodeLevel = 44;
}  // namespace dac_field
namespace epoch_field {
constexpr uint64_t kNumber = 0, kDac = 2, kType = 4, kFirstLevel = 6, kLevelIncrement = 10;
constexpr uint64_t kFirstDuration = 14, kDurationIncrement = 18;
}  // namespace epoch_field
namespace list_field {
constexpr uint64_t kNumber = 0, kParameter = 4, kRepeat = 6, kValuesIndex = 8;
}

constexpr uint64_t kStringsHeaderBytes = 44;  // "SSCH", version, count, sizes, reserved
constexpr int kEpochsPerOutput = 50;          // epoch numbers of the table: 0 (A) to 49

struct Section {
  uint64_t offset = 0;   // bytes from the file start
  uint32_t bytes = 0;    // of one entry
  uint64_t entries = 0;  // count
};

std::string Truncated(const std::string& what) {
  return "The ABF file is truncated: " + what + " lies beyond its end.";
}

std::string Corrupt(const std::string& what) {
  return "The ABF file is corrupt: " + what + ".";
}

// Reads a section map entry; "" or why the section cannot be used. The strings section counts
// strings, not entries: its size is that of one entry.
std::string ReadSection(ByteReader& in, uint64_t entry, const char* name, uint32_t minBytes,
                        bool wholeSection, Section* section) {
  const uint32_t block = in.U32(entry);  // a map entry: block, bytes of one entry, count
  section->bytes = in.U32(entry + 4);
  const int64_t entries = in.I64(entry + 8);
  section->offset = static_cast<uint64_t>(block) * kAbfBlockSize;
  if (entries < 0) return Corrupt(std::string("its ") + name + " section has a negative count");
  section->entries = static_cast<uint64_t>(entries);
  if (section->entries == 0) return "";
  if (section->bytes < minBytes) {
    return Corrupt(std::string("its ") + name + " section has entries of " +
                   std::to_string(section->bytes) + " bytes");
  }
  const uint64_t size = in.Bytes().size();
  const uint64_t records = wholeSection ? 1 : section->entries;
  if (records > size / section->bytes || !in.Has(section->offset, 0) ||
      !in.Has(section->offset, records * section->bytes)) {
    return Truncated(std::string("the ") + name + " section");
  }
  return "";
}

// The indexed strings: index 1 is the first string after the section's header; 0 names none.
std::vector<std::string> ReadStrings(ByteReader& in, const Section& strings) {
  std::vector<std::string> texts;
  if (strings.entries == 0) return texts;
  std::string_view block = in.Bytes().substr(strings.offset, strings.bytes);
  if (!block.starts_with("SSCH") || block.size() < kStringsHeaderBytes) return texts;
  block.remove_prefix(kStringsHeaderBytes);
  while (!block.empty()) {
    const size_t end = block.find('\0');
    texts.push_back(Latin1ToUtf8(block.substr(0, end)));
    if (end == std::string_view::npos) break;
    block.remove_prefix(end + 1);
  }
  return texts;
}

std::string StringAt(const std::vector<std::string>& texts, int32_t index) {
  if (index < 1 || static_cast<size_t>(index) > texts.size()) return "";
  return texts[index - 1];
}

struct Abf2Header {
  int mode = 0;
  int minor = 0;
  double adcRange = 0;
  double adcResolution = 0;
  int activeDac = 0;
  int alternateDac = 0;
  int64_t samplesPerEpisode = 0;  // all channels together
  double intervalUs = 0;          // between two samples of one channel
};

// The output channel that plays the epoch table: the active one if its waveform is on,
// otherwise the first whose waveform is on; -1 for none.
int64_t CommandOutput(ByteReader& in, const Section& dacs, int activeDac) {
  int64_t chosen = -1;
  for (uint64_t d = 0; d < dacs.entries; ++d) {
    const uint64_t at = dacs.offset + d * dacs.bytes;
    if (in.I16(at + dac_field::kWaveformEnable) == 0) continue;
    if (in.I16(at + dac_field::kNumber) == activeDac) return static_cast<int64_t>(d);
    if (chosen < 0) chosen = static_cast<int64_t>(d);
  }
  return chosen;
}

// The protocol of an episodic recording; "" or why its command cannot be rebuilt.
std::string ReadProtocol(ByteReader& in, const Abf2Header& header, const Section& dacs,
                         const Section& epochs, const Section& lists,
                         const std::vector<std::string>& texts, Protocol* protocol) {
  if (header.mode != kAbfEpisodic) return NotEpisodicNote(header.mode);
  if (dacs.entries == 0) return "the file holds no output channel";
  if (header.alternateDac != 0) return "its outputs alternate from sweep to sweep";
  int64_t dac = CommandOutput(in, dacs, header.activeDac);
  const bool waveform = dac >= 0;
  if (!waveform) {  // no waveform: the active output stays at its holding level
    for (uint64_t d = 0; d < dacs.entries && dac < 0; ++d) {
      if (in.I16(dacs.offset + d * dacs.bytes + dac_field::kNumber) == header.activeDac)
        dac = static_cast<int64_t>(d);
    }
    if (dac < 0) dac = 0;
  }
  const uint64_t at = dacs.offset + static_cast<uint64_t>(dac) * dacs.bytes;
  const int dacNumber = in.I16(at + dac_field::kNumber);
  protocol->holdingLevel = in.F32(at + dac_field::kHoldingLevel);
  protocol->commandName = StringAt(texts, in.I32(at + dac_field::kNameIndex));
  protocol->commandUnit = StringAt(texts, in.I32(at + dac_field::kUnitIndex));
  if (protocol->commandName.empty()) protocol->commandName = "Cmd " + std::to_string(dacNumber);
  if (!waveform) return "";
  if (in.I16(at + dac_field::kWaveformSource) != 1)
    return "its command comes from a stimulus file, not an epoch table";
  if (in.I16(at + dac_field::kInterEpisodeLevel) != 0)
    return "it holds the last epoch's level between sweeps";

  std::vector<int> epochByNumber(kEpochsPerOutput, -1);
  std::vector<std::pair<int, ProtocolEpoch>> table;
  for (uint64_t e = 0; e < epochs.entries; ++e) {
    const uint64_t row = epochs.offset + e * epochs.bytes;
    if (in.I16(row + epoch_field::kDac) != dacNumber) continue;
    const int number = in.I16(row + epoch_field::kNumber);
    const int type = in.I16(row + epoch_field::kType);
    if (type == 0) continue;  // disabled
    if (number < 0 || number >= kEpochsPerOutput) return Corrupt("an epoch number is out of range");
    const std::string epochName(1, static_cast<char>('A' + number));
    if (type != 1 && type != 2) {
      return UnfollowedEpochNote(epochName, type);
    }
    ProtocolEpoch epoch;
    epoch.kind = type == 1 ? EpochKind::kStep : EpochKind::kRamp;
    epoch.firstLevel = in.F32(row + epoch_field::kFirstLevel);
    epoch.levelIncrement = in.F32(row + epoch_field::kLevelIncrement);
    epoch.firstDuration = in.I32(row + epoch_field::kFirstDuration);
    epoch.durationIncrement = in.I32(row + epoch_field::kDurationIncrement);
    table.emplace_back(number, epoch);
  }
  std::sort(table.begin(), table.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (size_t i = 0; i < table.size(); ++i) {
    if (i > 0 && table[i].first == table[i - 1].first) return Corrupt("an epoch appears twice");
    epochByNumber[table[i].first] = static_cast<int>(i);
    protocol->epochs.push_back(table[i].second);
  }

  // Clampex files carry nULEnable = 0 even where the sweeps followed the list (as the recorded
  // command of such files shows), so a list of values for this output is taken as in force.
  for (uint64_t l = 0; l < lists.entries; ++l) {
    const uint64_t row = lists.offset + l * lists.bytes;
    if (in.I16(row + list_field::kNumber) != dacNumber) continue;
    const int code = in.I16(row + list_field::kParameter);
    const std::string list = StringAt(texts, in.I32(row + list_field::kValuesIndex));
    if (list.empty()) continue;
    if (header.minor > kLastTenEpochMinor && code >= 11) {
      return "its user list (code " + std::to_string(code) +
             ") is of a file version whose list codes are not known here";
    }
    const std::string problem =
        ApplyUserList(code, list, in.I16(row + list_field::kRepeat) != 0, epochByNumber, protocol);
    if (!problem.empty()) return problem;
  }
  return "";
}

}  // namespace

std::string ReadAbf2(std::string_view bytes, AmplifierFile* file) {
  *file = AmplifierFile{};
  ByteReader in(bytes);
  if (!in.Has(0, kFileInfoSize)) return Truncated("the 512-byte file header");
  if (!bytes.starts_with("ABF2")) return "This is not an ABF 2 file.";
  const int major = static_cast<unsigned char>(bytes[7]);
  Abf2Header header;
  header.minor = static_cast<unsigned char>(bytes[6]);
  file->format = "ABF " + std::to_string(major) + "." + std::to_string(header.minor) + "." +
                 std::to_string(static_cast<unsigned char>(bytes[5])) + "." +
                 std::to_string(static_cast<unsigned char>(bytes[4]));
  if (major != kVersionMajor) {
    return "Unsupported ABF version " + file->format.substr(4) + ": this reader knows 2.x.";
  }

  Section protocol, adcs, dacs, epochs, lists, strings, data;
  struct SectionEntry {
    uint64_t entry;
    const char* name;
    uint32_t minBytes;
    bool wholeSection;
    Section* section;
  };
  const SectionEntry map[] = {{kProtocolEntry, "protocol", kProtocolBytes, false, &protocol},
                              {kAdcEntry, "input channel", kAdcBytes, false, &adcs},
                              {kDacEntry, "output channel", kDacBytes, false, &dacs},
                              {kEpochPerDacEntry, "epoch", kEpochBytes, false, &epochs},
                              {kUserListEntry, "user list", kUserListBytes, false, &lists},
                              {kStringsEntry, "strings", 1, true, &strings},
                              {kDataEntry, "data", 2, false, &data}};
  for (const SectionEntry& s : map) {
    const std::string problem =
        ReadSection(in, s.entry, s.name, s.minBytes, s.wholeSection, s.section);
    if (!problem.empty()) return problem;
  }
  if (data.entries != 0 && data.offset < kFileInfoSize) {
    return Corrupt("its data section starts at byte " + std::to_string(data.offset) +
                   ", inside its " + std::to_string(kFileInfoSize) + "-byte header");
  }
  if (protocol.entries == 0) return Corrupt("it has no protocol section");
  if (adcs.entries == 0) return Corrupt("it records no input channel");
  if (adcs.entries > kMaxAmplifierChannels) {
    return Corrupt("it names " + std::to_string(adcs.entries) + " input channels (at most " +
                   std::to_string(kMaxAmplifierChannels) + ")");
  }

  const uint64_t p = protocol.offset;
  header.mode = in.I16(p + protocol_field::kMode);
  header.intervalUs = in.F32(p + protocol_field::kInterval);
  header.samplesPerEpisode = in.I32(p + protocol_field::kSamplesPerEpisode);
  header.adcRange = in.F32(p + protocol_field::kAdcRange);
  header.adcResolution = in.I32(p + protocol_field::kAdcResolution);
  header.activeDac = in.I16(p + protocol_field::kActiveDac);
  header.alternateDac = in.I16(p + protocol_field::kAlternateDac);
  const int dataFormat = in.I16(file_info::kDataFormat);
  const uint32_t episodes = in.U32(file_info::kEpisodes);

  if (header.mode == kAbfVariableLengthEvents) {
    return "This ABF file is a variable-length event-driven recording, which is not supported: "
           "only episodic, fixed-length and gap-free recordings are.";
  }
  if (header.mode < kAbfFixedLengthEvents || header.mode > kAbfEpisodic) {
    return Corrupt("its recording mode " + std::to_string(header.mode) + " is unknown");
  }
  if (dataFormat != 0 && dataFormat != 1) {
    return Corrupt("its sample type " + std::to_string(dataFormat) + " is unknown");
  }
  const bool floatSamples = dataFormat == 1;
  if (data.entries == 0) return Corrupt("it holds no samples");
  if (data.bytes != (floatSamples ? 4u : 2u)) {
    return Corrupt("its samples are " + std::to_string(data.bytes) + " bytes each, not " +
                   (floatSamples ? "4 (float)" : "2 (16-bit)"));
  }
  if (!(header.intervalUs > 0) || !std::isfinite(header.intervalUs)) {
    return Corrupt("its sample interval is not a positive number");
  }

  const uint64_t channels = adcs.entries;
  if (data.entries > static_cast<uint64_t>(kMaxAmplifierSamples)) {
    return "The recording holds " + std::to_string(data.entries) + " samples; at most " +
           std::to_string(kMaxAmplifierSamples) + " can be opened.";
  }
  file->gapFree = header.mode == kAbfGapFree;
  const uint64_t sweeps = file->gapFree ? 1 : episodes;
  if (sweeps == 0) return Corrupt("it records no sweep");
  if (sweeps > static_cast<uint64_t>(kMaxAmplifierSweeps)) {
    return "The recording holds " + std::to_string(sweeps) + " sweeps; at most " +
           std::to_string(kMaxAmplifierSweeps) + " can be opened.";
  }
  if (data.entries % (channels * sweeps) != 0) {
    return Corrupt(std::to_string(data.entries) + " samples do not divide into " +
                   std::to_string(sweeps) + " sweeps of " + std::to_string(channels) + " channels");
  }
  file->sweeps = static_cast<int>(sweeps);
  file->sweepSamples = static_cast<int64_t>(data.entries / channels / sweeps);
  if (!file->gapFree && header.samplesPerEpisode > 0 &&
      static_cast<uint64_t>(header.samplesPerEpisode) != file->sweepSamples * channels) {
    return Corrupt("its sweeps hold " + std::to_string(file->sweepSamples * channels) +
                   " samples but its protocol says " + std::to_string(header.samplesPerEpisode));
  }
  file->sampleIntervalMs = header.intervalUs / 1000.0;
  NoteImplausibleInterval(header.intervalUs, file);

  const std::vector<std::string> texts = ReadStrings(in, strings);
  std::vector<double> factor(channels), shift(channels);
  for (uint64_t c = 0; c < channels; ++c) {
    const uint64_t at = adcs.offset + c * adcs.bytes;
    AmplifierChannel channel;
    channel.name = StringAt(texts, in.I32(at + adc_field::kNameIndex));
    channel.unit = StringAt(texts, in.I32(at + adc_field::kUnitIndex));
    if (channel.name.empty())
      channel.name = "IN " + std::to_string(in.I16(at + adc_field::kNumber));
    ChannelScaling scaling;
    scaling.adcRange = header.adcRange;
    scaling.adcResolution = header.adcResolution;
    scaling.telegraphGain = in.I16(at + adc_field::kTelegraphEnable) != 0
                                ? in.F32(at + adc_field::kTelegraphGain)
                                : 1.0;
    scaling.programmableGain = in.F32(at + adc_field::kProgrammableGain);
    scaling.instrumentScale = in.F32(at + adc_field::kInstrumentScale);
    scaling.instrumentOffset = in.F32(at + adc_field::kInstrumentOffset);
    scaling.signalGain = in.F32(at + adc_field::kSignalGain);
    scaling.signalOffset = in.F32(at + adc_field::kSignalOffset);
    if (!floatSamples) {
      const std::string problem = ScalingFactors(scaling, &factor[c], &shift[c]);
      if (!problem.empty()) return Corrupt("channel " + channel.name + ": " + problem);
      NoteImplausibleScaling(channel.name, scaling, file);
    }
    file->channels.push_back(channel);
  }
  if (in.Overran()) return Truncated("a header field");

  DeinterleaveSamples(bytes.substr(data.offset, data.entries * data.bytes), floatSamples, factor,
                      shift, file);
  Protocol rebuilt;
  file->protocolNote = ReadProtocol(in, header, dacs, epochs, lists, texts, &rebuilt);
  if (header.mode == kAbfEpisodic && file->protocolNote.empty()) {
    file->protocolNote = CheckProtocolFits(rebuilt, file->sweepSamples, file->sweeps);
  }
  if (in.Overran()) return Truncated("a protocol field");
  if (header.mode == kAbfEpisodic && file->protocolNote.empty()) {
    NoteImplausibleProtocol(rebuilt, file);
    file->protocol = rebuilt;
  }
  return "";
}
