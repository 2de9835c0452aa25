// What the ABF readers share (byte reads, scaling, deinterleaving, texts, user lists) and the
// entry that recognises which of the three formats a file is.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "io/abf/abf_internal.h"

namespace {

constexpr int kUserListLevelCode = 21;     // 21 + epoch: the epoch's first level
constexpr int kUserListDurationCode = 31;  // 31 + epoch: the epoch's first duration
constexpr int kUserListEpochs = 10;        // the numbering counts ten epochs per output
constexpr int kFirstWaveformCode = 11;     // codes below do not shape a sweep's waveform

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

// ---- byte reads ----

bool ByteReader::Take(uint64_t offset, uint64_t length, void* out) {
  if (!Has(offset, length)) {
    overran_ = true;
    std::memset(out, 0, length);
    return false;
  }
  std::memcpy(out, bytes_.data() + offset, length);
  return true;
}

// ABF files are little-endian, as is every machine Pavik is built for.
static_assert(std::endian::native == std::endian::little, "ABF reads assume a little-endian host");

int16_t ByteReader::I16(uint64_t offset) {
  int16_t value;
  Take(offset, sizeof value, &value);
  return value;
}

int32_t ByteReader::I32(uint64_t offset) {
  int32_t value;
  Take(offset, sizeof value, &value);
  return value;
}

uint32_t ByteReader::U32(uint64_t offset) {
  uint32_t value;
  Take(offset, sizeof value, &value);
  return value;
}

int64_t ByteReader::I64(uint64_t offset) {
  int64_t value;
  Take(offset, sizeof value, &value);
  return value;
}

float ByteReader::F32(uint64_t offset) {
  float value;
  Take(offset, sizeof value, &value);
  return value;
}

std::string ByteReader::Text(uint64_t offset, uint64_t length) {
  if (!Has(offset, length)) {
    overran_ = true;
    return "";
  }
  std::string_view text = bytes_.substr(offset, length);
  text = text.substr(0, text.find('\0'));
  return Latin1ToUtf8(Trim(text));
}

// ---- samples ----

std::string ScalingFactors(const ChannelScaling& s, double* factor, double* shift) {
  const double divisor =
      s.adcResolution * s.instrumentScale * s.signalGain * s.programmableGain * s.telegraphGain;
  *factor = s.adcRange / divisor;
  *shift = s.instrumentOffset - s.signalOffset;
  if (!std::isfinite(*factor) || *factor == 0 || !std::isfinite(*shift)) {
    return "its scaling (range " + std::to_string(s.adcRange) + " V over " +
           std::to_string(s.adcResolution) + " counts, instrument scale " +
           std::to_string(s.instrumentScale) + ", gains " + std::to_string(s.signalGain) + ", " +
           std::to_string(s.programmableGain) + ", " + std::to_string(s.telegraphGain) +
           ") gives no usable factor";
  }
  return "";
}

void DeinterleaveSamples(std::string_view data, bool floatSamples,
                         const std::vector<double>& factor, const std::vector<double>& shift,
                         AmplifierFile* file) {
  const int channels = static_cast<int>(file->channels.size());
  const int64_t n = file->sweepSamples;
  const size_t slots = static_cast<size_t>(file->sweeps) * channels;
  const size_t sampleBytes = floatSamples ? sizeof(float) : sizeof(int16_t);
  if (floatSamples) {
    file->samples.assign(slots, std::vector<double>(n));
  } else {
    file->counts.assign(slots, std::vector<int16_t>(n));
    file->countFactor = factor;
    file->countShift = shift;
  }
  size_t at = 0;
  for (int sweep = 0; sweep < file->sweeps; ++sweep) {
    for (int64_t i = 0; i < n; ++i) {
      for (int c = 0; c < channels; ++c, at += sampleBytes) {
        if (floatSamples) {
          float stored;
          std::memcpy(&stored, data.data() + at, sizeof stored);
          file->samples[sweep * channels + c][i] = stored;  // in the channel's unit already
        } else {
          std::memcpy(&file->counts[sweep * channels + c][i], data.data() + at, sizeof(int16_t));
        }
      }
    }
  }
}

// ---- texts and user lists ----

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

bool ParseUserList(std::string_view text, std::vector<double>* values) {
  values->clear();
  text = Trim(text);
  if (text.empty()) return true;
  while (true) {
    const size_t comma = text.find(',');
    const std::string entry(Trim(text.substr(0, comma)));
    char* end = nullptr;
    const double value = std::strtod(entry.c_str(), &end);
    if (entry.empty() || *end != '\0' || !std::isfinite(value)) return false;
    values->push_back(value);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

std::string ApplyUserList(int code, std::string_view list, bool repeat,
                          const std::vector<int>& epochByNumber, Protocol* protocol) {
  if (code < kFirstWaveformCode) return "";  // inter-sweep timing, conditioning, digital, P/N
  const bool level = code >= kUserListLevelCode && code < kUserListLevelCode + kUserListEpochs;
  const bool duration =
      code >= kUserListDurationCode && code < kUserListDurationCode + kUserListEpochs;
  if (!level && !duration) {
    return "its user list varies a parameter (code " + std::to_string(code) +
           ") that the rebuild does not follow";
  }
  const int number = code - (level ? kUserListLevelCode : kUserListDurationCode);
  std::vector<double> values;
  if (!ParseUserList(list, &values)) return "its user list is not a list of numbers";
  if (values.empty()) return "";
  const std::string epochName(1, static_cast<char>('A' + number));
  if (number >= static_cast<int>(epochByNumber.size()) || epochByNumber[number] < 0) {
    return "its user list varies epoch " + epochName + ", which is not enabled";
  }
  ProtocolEpoch& epoch = protocol->epochs[epochByNumber[number]];
  epoch.repeatList = repeat;
  if (level) {
    epoch.levelList = values;
    return "";
  }
  epoch.durationList.clear();
  for (double value : values) {
    if (value < 0 || value != std::floor(value) || value > static_cast<double>(INT32_MAX)) {
      return "its user list gives epoch " + epochName + " a duration that is not a sample count";
    }
    epoch.durationList.push_back(static_cast<int64_t>(value));
  }
  return "";
}

std::string ModeWords(int mode) {
  switch (mode) {
    case kAbfVariableLengthEvents:
      return "variable-length event-driven";
    case kAbfFixedLengthEvents:
      return "fixed-length event-driven";
    case kAbfGapFree:
      return "gap-free";
    case kAbfHighSpeedOscilloscope:
      return "high-speed oscilloscope";
    case kAbfEpisodic:
      return "episodic";
    default:
      return "unknown (mode " + std::to_string(mode) + ")";
  }
}

std::string NotEpisodicNote(int mode) {
  return ModeWords(mode) + ": no protocol";
}

std::string UnfollowedEpochNote(const std::string& epochName, int type) {
  std::string kind;
  switch (type) {
    case kEpochPulseTrain:
      kind = "a train of rectangular pulses";
      break;
    case kEpochTriangle:
      kind = "a triangle wave";
      break;
    case kEpochCosine:
      kind = "a cosine wave";
      break;
    case kEpochBiphasicTrain:
      kind = "a train of biphasic pulses";
      break;
    default:
      kind = "of a kind Pavik does not know (type " + std::to_string(type) + ")";
  }
  return "epoch " + epochName + " is " + kind + "; only steps and ramps are rebuilt";
}

// ---- the three formats ----

bool IsAmplifierFile(std::string_view head) {
  return head.starts_with("ABF2") || head.starts_with("ABF ") || head.starts_with("ATF");
}

std::string ReadAmplifierFile(std::string_view bytes, AmplifierFile* file) {
  *file = AmplifierFile{};
  if (bytes.starts_with("ABF2")) return ReadAbf2(bytes, file);
  if (bytes.starts_with("ABF ")) return ReadAbf1(bytes, file);
  if (bytes.starts_with("ATF")) return ReadAtf(bytes, file);
  return "This is not an ABF or ATF file: it does not begin with \"ABF\" or \"ATF\".";
}

std::vector<double> SweepSamples(const AmplifierFile& file, int sweep, int channel) {
  const size_t slot = static_cast<size_t>(sweep) * file.channels.size() + channel;
  if (file.counts.empty()) return file.samples[slot];
  const std::vector<int16_t>& stored = file.counts[slot];
  const double factor = file.countFactor[channel], shift = file.countShift[channel];
  std::vector<double> values(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) values[i] = stored[i] * factor + shift;
  return values;
}

double SampleAt(const AmplifierFile& file, int sweep, int channel, int64_t i) {
  const size_t slot = static_cast<size_t>(sweep) * file.channels.size() + channel;
  if (file.counts.empty()) return file.samples[slot][i];
  return file.counts[slot][i] * file.countFactor[channel] + file.countShift[channel];
}
