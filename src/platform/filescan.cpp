// Formatted reading of data files: declared, not yet built. Each operation reports failure.
#include "platform/platform.h"

namespace {
constexpr int kNotAvailable = -1;
}

int OpenFile(const char*, int, int, int) { return kNotAvailable; }
int CloseFile(int) { return kNotAvailable; }
int ReadLine(int, char*, int) { return kNotAvailable; }
int ScanFile(int, const char*, std::string*) { return kNotAvailable; }
int ScanFile(int, const char*, double*) { return kNotAvailable; }
