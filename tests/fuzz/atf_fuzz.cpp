// Fuzz target of the ATF reader and of a command typed by hand (both text): arbitrary bytes as
// a file and as a command, with the invariants of amplifier_fuzz.h on every input that is read.
#include "amplifier_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  amplifier_fuzz::CheckRead(bytes, ReadAtf);
  amplifier_fuzz::CheckTypedCommand(bytes);
  return 0;
}
