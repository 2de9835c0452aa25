// The data file's layout line: how many delimiters it shows, and which row layout that gives
// (numbers per row, traces, voltage/current pairs stored).
#pragma once

#include "model/model.h"

constexpr int kLayoutLineLimit = 1 << 20;  // characters of a layout line read; longer is refused
constexpr int kRowNumbersKept = 1 + 2 * kMaxTraces;  // time and six voltage/current pairs: 13
constexpr int kMinLayoutDelimiters = 2;              // time, voltage, current: one trace

struct RowLayout {
  int numbersPerRow;  // numbers that make one row: delimiters + 1
  int traces;         // NumTraces: complete voltage/current pairs kept, at most six
  int pairsStored;    // pairs whose voltage is stored (a last pair may lack its current)
  bool extraColumns;  // the rows hold more than the thirteen numbers that are kept
};

// The delimiter count r of a layout line of length bytes. With tabs or commas: each tab or comma
// counts, and the character right after one is passed over, so ",," and ",\t" count once.
// Without either: the space-separated fields less one; -1 for a line with no field at all.
int CountLayoutDelimiters(const char* line, int length);
// The row layout for r delimiters; false when r is below kMinLayoutDelimiters.
bool RowLayoutFor(int delimiters, RowLayout* layout);
