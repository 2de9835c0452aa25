// The amplifier's own files (Axon Binary Format 2 and 1, Axon Text Format): the record their
// readers return (sweeps of scaled samples per channel, the sample interval, the protocol that
// drove the command output), the readers, and the command waveform rebuilt from the protocol.
// The readers take the file's bytes and never touch the disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Samples of all sweeps and channels together that a file may hold: 64 Mi doubles are 512 MiB,
// far beyond any voltage-clamp family, and a header can never make a reader allocate more.
constexpr int64_t kMaxAmplifierSamples = int64_t{1} << 26;
constexpr int kMaxAmplifierChannels = 16;     // ABF records at most 16 input channels
constexpr int kMaxAmplifierSweeps = 1 << 16;  // far beyond a family; bounds the per-sweep work
// Clampex holds the output at the holding level for the first 1/64 of every sweep, then plays the
// epochs in order, then returns to the holding level.
constexpr int64_t kHoldingFractionOfSweep = 64;

enum class EpochKind {
  kStep,  // the level for the whole epoch
  kRamp,  // a straight line from the level before the epoch to the epoch's level
};

// One epoch of the protocol's waveform table, with its changes from sweep to sweep.
struct ProtocolEpoch {
  EpochKind kind = EpochKind::kStep;
  double firstLevel = 0;          // command units, in the first sweep
  double levelIncrement = 0;      // added for each further sweep
  int64_t firstDuration = 0;      // samples per channel, in the first sweep
  int64_t durationIncrement = 0;  // added for each further sweep
  // A user list replaces the first value and its increment: entry k is the value of sweep k.
  std::vector<double> levelList;
  std::vector<int64_t> durationList;
  bool repeatList = false;  // past its end a list starts again; otherwise its last value holds
};

// The protocol that drove the command output, checked to fit every sweep of the file.
struct Protocol {
  std::string commandName;            // the output channel ("Cmd 0")
  std::string commandUnit;            // "mV" in voltage clamp
  double holdingLevel = 0;            // command units
  std::vector<ProtocolEpoch> epochs;  // the enabled epochs in their order (none: holding only)
};

struct AmplifierChannel {
  std::string name;  // "IN 0"
  std::string unit;  // "pA", "mV", "µA" (UTF-8), as the file gives it
};

struct AmplifierFile {
  std::string format;           // "ABF 2.0.0.0", "ABF 1.83", "ATF 1.0"
  bool gapFree = false;         // one continuous recording, read as one sweep
  int sweeps = 0;               // at least 1
  int64_t sweepSamples = 0;     // samples of one channel in one sweep, at least 1
  double sampleIntervalMs = 0;  // between two samples of one channel
  double startTimeMs = 0;       // time of each sweep's first sample from the sweep start
  std::vector<AmplifierChannel> channels;
  // The samples of [sweep * channels + channel], held one of two ways (SweepSamples gives
  // either in the channel's unit): the values themselves (float and text files), or a 16-bit
  // file's counts, scaled when a sweep is asked for, so that a large file is held in its own
  // size rather than four times over.
  std::vector<std::vector<double>> samples;
  std::vector<std::vector<int16_t>> counts;
  std::vector<double> countFactor;  // per channel: value = count x factor + shift
  std::vector<double> countShift;
  std::optional<Protocol> protocol;  // when the command of every sweep can be rebuilt
  std::string protocolNote;          // why it cannot, when the file has a protocol
  std::vector<std::string> notices;  // values no amplifier produces, read as the file says
};

// ---- readers: "" on success, otherwise what is wrong; the record is then to be dropped ----
// The format is recognised by the first bytes: "ABF2", "ABF " or "ATF".
bool IsAmplifierFile(std::string_view head);
std::string ReadAmplifierFile(std::string_view bytes, AmplifierFile* file);
std::string ReadAbf2(std::string_view bytes, AmplifierFile* file);
std::string ReadAbf1(std::string_view bytes, AmplifierFile* file);
std::string ReadAtf(std::string_view bytes, AmplifierFile* file);
// "" or the refusal of a file whose first bytes declare more samples than can be opened, said
// before the rest is read; the readers check the whole of what they read again.
std::string CheckDeclaredSize(std::string_view head);

// The samples of one sweep and channel (both 0-based, within range), in the channel's unit
// after the full scaling chain.
std::vector<double> SweepSamples(const AmplifierFile& file, int sweep, int channel);
// One of them, sample i, as SweepSamples gives it, without making the sweep's vector.
double SampleAt(const AmplifierFile& file, int sweep, int channel, int64_t i);

// ---- the protocol's waveform ----
struct EpochSpan {
  int epoch;          // index into Protocol::epochs
  int64_t start;      // first sample
  int64_t end;        // one past the last sample
  double startLevel;  // the level just before the epoch (where a ramp starts)
  double level;       // the epoch's level in this sweep
};
double EpochLevel(const ProtocolEpoch& epoch, int sweep);      // sweep 0-based
int64_t EpochDuration(const ProtocolEpoch& epoch, int sweep);  // samples
int64_t FirstEpochSample(int64_t sweepSamples);                // where the first epoch starts
std::vector<EpochSpan> SweepEpochSpans(const Protocol& protocol, int64_t sweepSamples, int sweep);
// The command output of one sweep, one value per sample, in command units.
std::vector<double> CommandWaveform(const Protocol& protocol, int64_t sweepSamples, int sweep);
// The step: the first step epoch whose level differs from the holding level in some sweep.
std::optional<int> StepEpoch(const Protocol& protocol, int sweeps);
// "" when every sweep's epochs are well formed and end within the sweep, otherwise why not.
std::string CheckProtocolFits(const Protocol& protocol, int64_t sweepSamples, int sweeps);
