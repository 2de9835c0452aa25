// The size an ABF header declares, looked at before the rest of the file is read, so that a file
// declaring more samples than can be opened is refused without being read whole.
#include <cstdint>
#include <cstring>

#include "io/abf/abf_file.h"

namespace {

// Where each version's header gives the count of samples of all channels and sweeps.
constexpr size_t kAbf1AcqLength = 10;     // lActualAcqLength, int32
constexpr size_t kAbf2DataEntries = 244;  // the data section's entry count, int64

template <typename T>
bool Field(std::string_view head, size_t offset, T* value) {
  if (head.size() < offset + sizeof(T)) return false;
  std::memcpy(value, head.data() + offset, sizeof(T));  // ABF is little-endian, as this machine
  return true;
}

}  // namespace

std::string CheckDeclaredSize(std::string_view head) {
  int64_t declared = 0;
  if (head.starts_with("ABF2")) {
    if (!Field(head, kAbf2DataEntries, &declared)) return "";
  } else if (head.starts_with("ABF ")) {
    int32_t total = 0;
    if (!Field(head, kAbf1AcqLength, &total)) return "";
    declared = total;
  }
  if (declared <= kMaxAmplifierSamples) return "";  // the reader judges the rest
  return "The recording holds " + std::to_string(declared) + " samples; at most " +
         std::to_string(kMaxAmplifierSamples) + " can be opened.";
}
