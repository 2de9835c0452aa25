// What the data readers give beyond the samples of a recording: each trace's step voltage and
// its whole command.
#pragma once

#include <array>
#include <vector>

#include "model/model.h"
#include "model/recording.h"

// Each trace's step voltage (mV) for the six trace-voltage fields: stepVoltages when given,
// otherwise the mean of the trace's voltage samples (a plain sum divided by the count, as the
// text reader always has); a trace beyond those known takes the last known one's. Needs at least
// one sample and one pair.
std::array<double, kMaxTraces> TraceVoltagesOf(const Recording& recording);
// The same for every trace of the recording, and at least six.
std::vector<double> AllTraceVoltagesOf(const Recording& recording);

// A trace's whole command: the levels the reader rebuilt, else the levels of its voltage samples
// (a jump of more than the tolerance starting a new one); empty without either.
std::vector<CommandLevel> CommandLevelsOf(const Recording& recording, int trace);
