// Leak and capacitive subtraction of an amplifier file's sweeps before they become traces: a
// linear leak fitted where no active current flows, and a control sweep in which no channel opens,
// scaled by the command step and subtracted (P/N-style). The file itself is never changed.
#pragma once

#include <string>
#include <vector>

#include "model/recording.h"
#include "platform/import_choices.h"

// One sweep as the subtraction sees it, whole: its command and its current at each sample.
struct SweepTrace {
  std::vector<CommandLevel> levels;  // the whole command (mV)
  std::vector<double> current;       // nA, one per sample of the sweep
};

struct LeakLine {
  double conductance = 0;  // uS (nA/mV)
  double reversal = 0;     // mV; unused when the conductance is 0
  double offset = 0;       // nA: the constant taken out with the holding alone
};

// The leak of the chosen sweeps: with kHolding the mean current before each sweep's first step
// (as an offset), with kRange g and E of the line through the currents over the holding and the
// stretch. "" or what is missing (a stretch with no sample, a stretch at the holding level only).
std::string FitLeak(const std::vector<double>& times, const std::vector<SweepTrace>& sweeps,
                    const ImportChoices& choices, LeakLine* line);
// Takes the line out of a sweep along its command.
void SubtractLeak(const LeakLine& line, const std::vector<double>& times, SweepTrace* sweep);

// The control's step: how far its first step lies from its holding level (mV); 0 without one.
double StepAmplitude(const std::vector<CommandLevel>& levels);
// Takes the control sweep (its holding current first removed), scaled by the ratio of the two
// steps, out of the sweep. "" or why it cannot (a control without a step).
std::string SubtractControl(const std::vector<double>& times, const SweepTrace& control,
                            SweepTrace* sweep, double* scale);
