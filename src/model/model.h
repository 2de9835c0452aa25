// The workspace (parameter records of the ten model currents, the fit status, the dynamic-clamp
// settings, the trace arrays) and the model that evaluates the currents over the loaded traces.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/import_choices.h"

struct Recording;

// ---- capacities ----
constexpr int kMaxCurrents = 10;  // the parameter file holds ten currents
constexpr int kMaxTraces = 6;     // a data row holds at most six voltage/current pairs
// Traces an amplifier recording may hold (every sweep of a family; the sodium family has 37).
constexpr int kMaxRecordingTraces = kMaxImportedTraces;
constexpr int kMaxPoints = 5000;                 // samples per trace
constexpr int kTraceRows = kMaxRecordingTraces;  // rows of ydata and yfits
constexpr int kTraceRowLength = 10000;           // a ydata row: 5000 currents, then 5000 voltages
constexpr int kVoltageOffset = 5000;             // where the voltage samples of a ydata row start
constexpr int kTraceVSlots = 10;                 // room in traceV and loadedV (six used)
constexpr int kNameSize = 256;        // a current name: 255 characters and the terminator
constexpr char kNameSeparator = ',';  // between names in the parameter file: never in a name
constexpr int kParamFileSize = 256;   // the parameter file path: 255 characters
constexpr int kDataFileSize = 260;    // the data file path: 259 characters
constexpr int kCurrentSettings = 8;   // dynamic-clamp settings per current
constexpr int kGlobalSettings = 4;    // dynamic-clamp settings for all currents
constexpr int kIntSettings = 6;       // integer dynamic-clamp settings
constexpr int kColorSlots = 11;       // colors is indexed by current number 1 to 10

// ---- records ----
struct CurrentParams {
  double Vm;             // half-activation voltage of minf (mV)
  double Vh;             // half-inactivation voltage of hinf (mV)
  double Km;             // slope of minf; negative: minf rises with V
  double Kh;             // slope of hinf; positive: hinf falls with V
  double Tmhi;           // first limit of taum
  double Tmlo;           // second limit of taum
  double Thhi;           // first limit of tauh
  double Thlo;           // second limit of tauh
  double Vtm;            // midpoint of the taum sigmoid (mV)
  double Vth;            // midpoint of the tauh sigmoid (mV)
  double Ktm;            // slope of the taum sigmoid
  double Kth;            // slope of the tauh sigmoid
  double Vhold;          // holding potential before the step; sets minf0 and hinf0 (mV)
  double Gmax;           // maximal conductance
  double Erev;           // reversal potential (mV)
  int32_t p;             // power of the activation variable m
  int32_t q;             // power of the inactivation variable h (0 removes inactivation)
  char name[kNameSize];  // the current's name, NUL-terminated
};

struct FitStatus {
  int32_t fitCurrent[kMaxCurrents];  // 1: current i is evaluated and summed in the fit
  double traceV[kTraceVSlots];       // step voltage of each trace (mV)
  double loadedV[kTraceVSlots];      // trace voltages of the last parameter file read; unused
  int32_t windowStart;               // first sample of the analysis window
  int32_t windowEnd;                 // end of the analysis window, exclusive
  double baseline;                   // offset added to every sample of every model current
  int32_t selCurrent;                // selected current, 1-based
  double xMin, xMax;                 // time range of the data graph = the analysis window
  double yMin, yMax;                 // current range of the data graph
  double vMin, vMax;                 // voltage range of the two curve graphs (mV)
  int32_t dataLoaded;                // 1 once a data file has been read
  int32_t paramFileLoaded;           // 1 once a parameter file has been read
  int32_t autoUpdate;                // 1: every parameter edit re-evaluates the model
  int32_t colorTraces;               // 1: measured traces in the trace colours, 0: black
  int32_t fitCount;                  // number of set fitCurrent flags
  char paramFile[kParamFileSize];    // path of the parameter file last read
  int32_t headerLines;               // header lines the data reader skips
  double dataTMin, dataTMax;         // smallest and largest sample time of the data
  int32_t cursorIndex;               // sample at data-graph cursor 1
  char dataFile[kDataFileSize];      // path of the loaded data file
  double dataYMin, dataYMax;         // 1.1 x the extreme measured currents
};

struct DclampSettings {
  double currentSetting[kCurrentSettings][kMaxCurrents];  // [k][i]: setting k of current i
  double globalSetting[kGlobalSettings];                  // settings for all currents
  int32_t intSetting[kIntSettings];                       // integer settings
};

// ---- the workspace ----
extern CurrentParams params[kMaxCurrents];
extern CurrentParams copyCurr;  // the copy buffer of copy and paste
extern FitStatus status;
extern DclampSettings dclamp;
extern int32_t NumTraces;  // traces loaded, 0 to 6 (to 64 from an amplifier file)
extern int32_t NumPoints;  // samples per trace, 0 to 5000
extern double timevals[kMaxPoints];
extern double ydata[kTraceRows][kTraceRowLength];
extern double yfits[kMaxCurrents][kTraceRows][kMaxPoints];  // currents only, no voltage half
extern double V;                                            // voltage of the trace being evaluated
extern int32_t colors[kColorSlots];  // selector-button colour of current 1 to 10
// The loaded recording. The trace arrays above are its view for the code paths that have always
// read and written them; ViewedRecording brings it up to date with them.
extern Recording loadedRecording;

// ---- workspace state ----
// The selected current's index (selCurrent - 1), or -1 when selCurrent names none of 1 to 10
// (it always names one after start-up, but an index built from it must never leave params).
int SelectedIndex();
CurrentParams* SelectedCurrent();  // params[SelectedIndex()], or null
int LoadedPoints();                // NumPoints as a loop bound within 0 .. kMaxPoints
int LoadedTraces();                // NumTraces as a loop bound within 0 .. kTraceRows
// The step voltage of a trace: the field's for the first six (the parameter file keeps those),
// the recording's own beyond them.
double TraceStepVoltage(int trace);
int InitParams();
void ZeroFitCurrents();
void ZeroYFits(int currentIndex);

// ---- the model ----
// The loaded recording as the trace arrays, the trace voltages and the analysis window now show it.
const Recording& ViewedRecording();
// Evaluates the currents in the fit over the loaded recording into yfits; draws nothing.
int DoFit();
int CalcThisCurrent(int currentIndex);  // one current into yfits, in or out of the fit
// Trace trace's sum of the included currents' curves, added in the order of the currents, as the
// data graph, the residual strip and the goodness line show it: the last evaluation's sum while
// it still stands for yfits, otherwise summed from yfits. Valid until the next evaluation.
const std::vector<double>& SummedFit(int trace);
void SumIncludedCurrents(int trace, int points, double* sum);
double GetPower(double x, int32_t n);
void SetDataXIndexes();
