// The steady-state and time-constant curves of the selected current on the two curve graphs,
// and the measured conductances at the data-graph cursor beside the steady-state curves.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "display/curve_handles.h"
#include "display/display.h"
#include "display/panel_handles.h"
#include "model/command.h"
#include "model/kinetics.h"
#include "model/model.h"
#include "model/recording.h"
#include "model/session_recordings.h"
#include "pavikuir.h"
#include "platform/platform.h"

int32_t MHhandles[kMHHandleSlots];
int32_t Tauhandles[2];
bool normaliseMeasuredPoints = false;

namespace {

constexpr int kEveryPoint = 1;
constexpr int kFirstPointSlot = 2;  // MHhandles: 0 minf, 1 hinf, then one point per trace

// The voltage grid: vMin, then 99 steps of (vMax - vMin) / 100; vMax itself is not on it.
void FillGrid(double* v) {
  for (int j = 0; j < kCurveGridPoints; ++j) {
    v[j] = status.vMin + j * (status.vMax - status.vMin) / kCurveGridPoints;
  }
}

int PlotCurve(int graph, const double* v, const double* curve, int color) {
  return KeptHandle(PlotXY(panelHandle, graph, v, curve, kCurveGridPoints, VAL_DOUBLE, VAL_DOUBLE,
                           VAL_CONNECTED_POINTS, VAL_SIMPLE_DOT, VAL_SOLID, kEveryPoint, color));
}

}  // namespace

void ShowMH() {
  const CurrentParams* selected = SelectedCurrent();
  if (selected == nullptr) return;
  const CurrentParams& c = *selected;
  double v[kCurveGridPoints], minf[kCurveGridPoints], hinf[kCurveGridPoints];
  FillGrid(v);
  for (int j = 0; j < kCurveGridPoints; ++j) {
    minf[j] = kinetics::SteadyState(v[j], c.Vm, c.Km);
    hinf[j] = kinetics::SteadyState(v[j], c.Vh, c.Kh);
  }
  ClearGraph(PANEL_MHGRAPH, VAL_ALL_PLOTS);
  MHhandles[0] = PlotCurve(PANEL_MHGRAPH, v, minf, VAL_BLUE);
  MHhandles[1] = PlotCurve(PANEL_MHGRAPH, v, hinf, VAL_GREEN);
  if (pointHandles[0] != 0) PlotMHPoints();
  PlaceCurveHandles(PANEL_MHGRAPH);
}

namespace {

// Following the whole command, a family that differs in one level before the cursor's (a
// prepulse family, steps before a common tail) gives points of the current at the cursor,
// normalised to the largest, against that level: the inactivation or activation curve by eye.
bool PlotConditioningPoints(int s) {
  if (loadedRecording.commandMode != CommandMode::kSteps) return false;
  std::vector<TraceCommand> shown(
      loadedRecording.commands.begin(),
      loadedRecording.commands.begin() +
          std::min<size_t>(LoadedTraces(), loadedRecording.commands.size()));
  const std::optional<std::vector<double>> levels = ConditioningLevels(shown, timevals[s]);
  if (!levels) return false;
  double largest = 0;
  for (size_t k = 0; k < levels->size(); ++k)
    if (std::abs(ydata[k][s]) > std::abs(largest)) largest = ydata[k][s];
  if (largest == 0) return false;
  for (size_t k = 0; k < levels->size(); ++k) {
    const double fraction = ydata[k][s] / largest;
    int32_t& slot = MHhandles[kFirstPointSlot + k];
    if (slot != 0) ClearGraph(PANEL_MHGRAPH, slot);
    slot = KeptHandle(PlotXY(panelHandle, PANEL_MHGRAPH, &(*levels)[k], &fraction, 1, VAL_DOUBLE,
                             VAL_DOUBLE, VAL_SCATTER, VAL_EMPTY_CIRCLE, VAL_SOLID, kEveryPoint,
                             VAL_RED));
  }
  return true;
}

}  // namespace

namespace {

std::vector<int32_t> otherRecordingPoints;      // one plot per recording not shown
constexpr int kOtherRecordingColor = 0x8B0000;  // dark red: the shown recording's points stand out

// The measured conductances of a recording not shown, at the cursor it was left with, in its
// marker shape: one model is fitted to every recording, so all of them bear on its curves.
void PlotOtherRecordingsPoints(const CurrentParams& c) {
  for (int32_t handle : otherRecordingPoints) ClearGraph(PANEL_MHGRAPH, handle);
  otherRecordingPoints.clear();
  const int shown = ShownRecordingIndex();
  for (int i = 0; i < RecordingCount(); ++i) {
    const Recording& recording = RecordingAt(i);
    if (i == shown || !recording.view) continue;
    const int s = recording.view->cursorIndex;
    if (s < 0 || s >= recording.Samples()) continue;
    std::vector<double> voltages, conductances;
    for (int k = 0; k < recording.traces && static_cast<size_t>(k) < recording.commands.size();
         ++k) {
      const double stepVoltage = recording.commands[k].step;
      double g = recording.currents[k][s] / (stepVoltage - c.Erev);
      if (normaliseMeasuredPoints) g /= 0.001 * c.Gmax;
      voltages.push_back(stepVoltage);
      conductances.push_back(g);
    }
    otherRecordingPoints.push_back(
        KeptHandle(PlotXY(panelHandle, PANEL_MHGRAPH, voltages.data(), conductances.data(),
                          static_cast<int>(voltages.size()), VAL_DOUBLE, VAL_DOUBLE, VAL_SCATTER,
                          RecordingMarker(i), VAL_SOLID, kEveryPoint, kOtherRecordingColor)));
  }
}

}  // namespace

int RecordingMarker(int index) {
  constexpr int kMarkers[] = {VAL_EMPTY_CIRCLE, VAL_EMPTY_SQUARE, VAL_EMPTY_TRIANGLE,
                              VAL_EMPTY_DIAMOND, VAL_CROSS};
  return kMarkers[index % std::size(kMarkers)];
}

void PlotMHPoints() {
  const CurrentParams* selected = SelectedCurrent();
  if (LoadedPoints() == 0 || selected == nullptr) return;
  const CurrentParams& c = *selected;
  PlotOtherRecordingsPoints(c);
  const int s = std::clamp(status.cursorIndex, 0, LoadedPoints() - 1);
  if (PlotConditioningPoints(s)) return;
  const int marker = RecordingMarker(ShownRecordingIndex());
  for (int k = 0; k < LoadedTraces(); ++k) {
    // The measured current over the driving force: neither Gmax nor the model's 0.001 enter.
    const double stepVoltage = TraceStepVoltage(k);
    double g = ydata[k][s] / (stepVoltage - c.Erev);
    // Optionally as a fraction of the current's full conductance (the model's 0.001 turns nS into
    // nA per mV), on the scale of the steady-state curves.
    if (normaliseMeasuredPoints) g /= 0.001 * c.Gmax;
    int32_t& slot = MHhandles[kFirstPointSlot + k];
    if (slot != 0) ClearGraph(PANEL_MHGRAPH, slot);
    slot = KeptHandle(PlotXY(panelHandle, PANEL_MHGRAPH, &stepVoltage, &g, 1, VAL_DOUBLE,
                             VAL_DOUBLE, VAL_SCATTER, marker, VAL_SOLID, kEveryPoint, VAL_RED));
  }
}

void ShowTau() {
  const CurrentParams* selected = SelectedCurrent();
  if (selected == nullptr) return;
  const CurrentParams& c = *selected;
  double v[kCurveGridPoints], taum[kCurveGridPoints], tauh[kCurveGridPoints];
  FillGrid(v);
  for (int j = 0; j < kCurveGridPoints; ++j) {
    taum[j] = kinetics::TimeConstant(v[j], c.Tmhi, c.Tmlo, c.Vtm, c.Ktm);
    tauh[j] = kinetics::TimeConstant(v[j], c.Thhi, c.Thlo, c.Vth, c.Kth);
  }
  ClearGraph(PANEL_TAUGRAPH, VAL_ALL_PLOTS);
  Tauhandles[0] = PlotCurve(PANEL_TAUGRAPH, v, taum, VAL_BLUE);
  Tauhandles[1] = PlotCurve(PANEL_TAUGRAPH, v, tauh, VAL_GREEN);
  PlaceCurveHandles(PANEL_TAUGRAPH);
}
