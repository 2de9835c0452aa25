// The data file's layout line: counting its delimiters and choosing the row layout from them.
#include "io/datafile_layout.h"

#include <algorithm>

namespace {

bool IsFieldSeparator(char c) {
  return c == ' ' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

}  // namespace

int CountLayoutDelimiters(const char* line, int length) {
  if (std::find_if(line, line + length, [](char c) { return c == '\t' || c == ','; }) ==
      line + length) {
    int fields = 0;
    bool inField = false;
    for (int i = 0; i < length; ++i) {
      const bool separator = IsFieldSeparator(line[i]);
      if (!separator && !inField) ++fields;
      inField = !separator;
    }
    return fields - 1;
  }
  int delimiters = 0;
  for (int i = 0; i < length; ++i) {
    if (line[i] == '\t' || line[i] == ',') {
      ++delimiters;
      ++i;  // the character after a delimiter is never a delimiter of its own
    }
  }
  return delimiters;
}

bool RowLayoutFor(int delimiters, RowLayout* layout) {
  if (delimiters < kMinLayoutDelimiters) return false;
  layout->numbersPerRow = delimiters + 1;
  layout->traces = std::min(delimiters / 2, kMaxTraces);
  layout->pairsStored = std::min((delimiters + 1) / 2, kMaxTraces);
  layout->extraColumns = layout->numbersPerRow > kRowNumbersKept;
  return true;
}
