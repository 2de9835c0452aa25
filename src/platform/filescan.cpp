// Formatted reading of data files: declared, not yet built. Each operation reports failure.
#include "platform/platform.h"

namespace {
constexpr int kNotAvailable = -1;
}

int OpenFile(const char*, int, int, int) {
  int CloseFile(int) {
    int ReadLine(int, char*, int) {
      int ScanFile(int, const char*, std::string*) {
        int ScanFile(int, const char*, double*) {
