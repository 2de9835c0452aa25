// A command typed by hand for a file whose protocol cannot be rebuilt, written the way protocol
// editors describe a family: the holding level, then rows of a start time, a level and the
// level's increment from one sweep to the next.
//
//   -80; 10: -60 +10; 60: -80
//
// holds at -80 mV, steps at 10 ms to -60 mV in sweep 1, -50 mV in sweep 2 and so on, and returns
// to -80 mV at 60 ms. Rows are separated by ';'; times are in ms from the sweep's start, levels
// and increments in mV; numbers are written with a point.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TypedCommandRow {
  double startMs;    // from the sweep's start; 0 for the holding level
  double level;      // mV in the first sweep
  double increment;  // mV added per sweep
};

// Rows may not start on the same sample nor outside the sweep, so a sweep's shape is known.
struct SweepShape {
  double lengthMs;    // the sweep's length (infinite: the text alone is checked)
  double intervalMs;  // between samples (0: not known)
};

// Reads the typed text; "" and the rows, or what is wrong with it naming the row (rows unset).
std::string ParseTypedCommand(std::string_view text, const SweepShape& sweep,
                              std::vector<TypedCommandRow>* rows);

// The first sample (from the sweep's start) that holds a row: a level starts on a sample.
long long TypedRowSample(const TypedCommandRow& row, double intervalMs);

// A row's level in a sweep (1-based).
double TypedRowLevel(const TypedCommandRow& row, int sweep);
