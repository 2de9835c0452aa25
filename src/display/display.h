// The graphs of the main panel: the data graph (measured traces, the zero line, the summed fits,
// the cursor markers, the axis ranges), the steady-state and time-constant curves of the selected
// current, and the bookkeeping of plot handles for the three graphs.
#pragma once

#include <cstdint>

#include "model/model.h"

// plotHandles and pointHandles: every trace and its fit, and the zero line between them
constexpr int kPlotHandleSlots = 2 * kTraceRows + 1;
constexpr int kZeroLineSlot = 24;      // plotHandles slot of the dotted zero line
constexpr int kClearedPlotSlots = 24;  // slots 0 .. 23 are forgotten when the graph is cleared
constexpr int kTraceColorCount = 12;

// ---- the data graph (display.cpp) ----

extern int32_t plotHandles[kPlotHandleSlots];   // traces, then fits, slot 24 the zero line
extern int32_t pointHandles[kPlotHandleSlots];  // cursor marker of trace k
extern const int32_t traceColors[kTraceColorCount];

// The plotHandles slot of trace k's fit: after the traces, stepping over the zero line's slot
// when a recording holds more than twelve traces.
int FitSlot(int trace);
// Trace k's colour: the six colours of old while a recording holds six traces or fewer, else a
// sweep of hues in the order of the traces, so that neighbouring sweeps look alike and any two
// traces can be told apart.
int32_t TraceColor(int trace);

// What a slot keeps of a drawing's result: the handle, or 0 (no plot) when drawing failed, so
// that a failure is never passed back later as -1, "every plot".
int32_t KeptHandle(int plotResult);
void ClearGraph(int graph, int handle);
void ZeroHandles(int graph);
void SetDataAxis();
int ShowData();
int ShowFits();
void EvaluateAndShow();  // DoFit, then the fits and the curves drawn
void ChangeDataColors();
void DoDataCursor();
// The marker shape of recording index's measured points on the steady-state graph.
int RecordingMarker(int index);
void PlaceDataCursor(double timeMs);  // cursor 1 put at a time, the traces marked as by a click
bool DataCursorMarks();               // the cursor marks the traces (it was placed)
int graph1CB(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int datascaleCB(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2);

// ---- curves of the selected current (curves.cpp) ----
constexpr int kCurveGridPoints = 100;  // voltages on the curve graphs
constexpr int kMHHandleSlots = 100;    // slot 0 minf, 1 hinf, 2.. measured points
constexpr int kMHClearedSlots = 14;    // slots reset when the steady-state graph is cleared
extern int32_t MHhandles[kMHHandleSlots];
extern int32_t Tauhandles[2];
// The measured points as I / (V - Erev) (false, the default) or divided by 0.001 * Gmax as well
// (true), so that for a current with q = 0 and p = 1 they fall on the activation curve.
extern bool normaliseMeasuredPoints;
void ShowMH();  // the steady-state curves, and the measured points when the cursor shows any
void PlotMHPoints();
void ShowTau();
