// What the two ABF readers share: bounds-checked little-endian reads of the file's bytes, the
// scaling chain of an input channel, the samples' deinterleaving, texts and user lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/abf/abf_file.h"

constexpr int64_t kAbfBlockSize = 512;  // ABF sections start on 512-byte blocks

// Operation modes of an ABF recording.
constexpr int kAbfVariableLengthEvents = 1;
constexpr int kAbfFixedLengthEvents = 2;
constexpr int kAbfGapFree = 3;
constexpr int kAbfHighSpeedOscilloscope = 4;
constexpr int kAbfEpisodic = 5;

// Kinds of epoch beside the step (1) and the ramp (2), as the file numbers them.
constexpr int kEpochPulseTrain = 3;
constexpr int kEpochTriangle = 4;
constexpr int kEpochCosine = 5;
constexpr int kEpochBiphasicTrain = 7;  // 6 is no longer used

// Reads numbers at byte offsets of a file. A read past the end gives 0 and marks the reader,
// so that a parser may read a whole header and ask once whether it was all there.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  int16_t I16(uint64_t offset);
  int32_t I32(uint64_t offset);
  uint32_t U32(uint64_t offset);
  int64_t I64(uint64_t offset);
  float F32(uint64_t offset);
  // length bytes from offset, cut at the first NUL and trimmed of spaces.
  std::string Text(uint64_t offset, uint64_t length);
  bool Overran() const { return overran_; }
  std::string_view Bytes() const { return bytes_; }

 private:
  bool Take(uint64_t offset, uint64_t length, void* out);
  std::string_view bytes_;
  bool overran_ = false;
};

// The gains and offsets that turn a stored 16-bit sample into the channel's unit.
struct ChannelScaling {
  double adcRange = 0;          // volts at full scale
  double adcResolution = 0;     // counts at full scale
  double instrumentScale = 1;   // volts at the ADC per user unit
  double instrumentOffset = 0;  // user units at 0 V
  double signalGain = 1;        // signal conditioner
  double signalOffset = 0;      // user units
  double programmableGain = 1;  // ADC programmable gain
  double telegraphGain = 1;     // the amplifier's telegraphed extra gain (1 when none)
};
// The factor and shift of value = stored x factor + shift; "" or why the chain is unusable.
std::string ScalingFactors(const ChannelScaling& scaling, double* factor, double* shift);

// Splits interleaved samples (channel after channel, sample after sample) of sweeps x
// sweepSamples x channels, each either int16 (scaled) or float32 (taken as they are), into
// file->samples. The caller has checked that data holds all of them.
void DeinterleaveSamples(std::string_view data, bool floatSamples,
                         const std::vector<double>& factor, const std::vector<double>& shift,
                         AmplifierFile* file);

// A text from the file as UTF-8: Latin-1 bytes (µ is 0xB5 in ABF units) become their UTF-8 form.
std::string Latin1ToUtf8(std::string_view text);

// A user list's values ("-80, -60, -40"); false when an entry is not a finite number.
bool ParseUserList(std::string_view text, std::vector<double>* values);

// Applies a user list that varies parameter code (10 epochs numbering: 21 + e an epoch's level,
// 31 + e its duration) to the epochs of the output. "" when applied or when the parameter does
// not shape the waveform of a sweep; otherwise why the waveform cannot follow it.
// epochByNumber maps the table's epoch number (0 = A) to the index in protocol->epochs, -1
// when that epoch is disabled.
std::string ApplyUserList(int code, std::string_view list, bool repeat,
                          const std::vector<int>& epochByNumber, Protocol* protocol);

// Values no amplifier produces, each added to file->notices with the field named; the file is
// still read as it says (plausibility.cpp).
void NoteImplausibleScaling(const std::string& channel, const ChannelScaling& s,
                            AmplifierFile* file);
void NoteImplausibleInterval(double intervalUs, AmplifierFile* file);
void NoteImplausibleProtocol(const Protocol& protocol, AmplifierFile* file);

std::string ModeWords(int mode);  // "variable-length event-driven" etc., for messages
// Why a recording of a mode other than episodic has no command to rebuild.
std::string NotEpisodicNote(int mode);
// Why the command is not rebuilt when an epoch is neither a step nor a ramp, in plain words
// ("epoch F is a train of rectangular pulses; only steps and ramps are rebuilt").
std::string UnfollowedEpochNote(const std::string& epochName, int type);
