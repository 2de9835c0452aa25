// The recording of a bundled example in the program's data file layout (its parameter file is
// written by the program's own writer).
#pragma once

#include <string>
#include <vector>

constexpr int kExampleHeaderLines = 13;  // what the data reader skips at start-up

struct ExampleTrace {
  double stepVoltage;           // mV, written in every row of the voltage column
  std::vector<double> current;  // nA per sample, noise included, rounded as written
  std::vector<double> clean;    // nA per sample without noise (not written)
};

struct ExampleRecording {
  std::vector<std::string> header;  // exactly kExampleHeaderLines lines
  std::vector<double> timeSeconds;  // one per sample, rounded as written
  std::vector<ExampleTrace> traces;
};

// Values as they read back from the file's text, so the tool fits what the program will load.
double RoundedTime(double seconds);
double RoundedCurrent(double nanoamperes);

bool WriteExampleRecording(const std::string& path, const ExampleRecording& recording);
