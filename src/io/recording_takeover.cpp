// The one take-over of a recording, whichever reader made it: commits its samples, trace
// voltages and ranges to the workspace, fills the data controls, offers the protocol's holding
// level as Vhold of the currents in the fit, and tells the reader's notices.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "io.h"
#include "io/recording.h"
#include "pavik.h"
#include "pavikuir.h"
#include "platform/platform.h"

namespace {

constexpr double kRangeMargin = 1.1;        // the current axis spans 1.1 x the extreme currents
constexpr double kStartingExtreme = 10000;  // the running current extremes start at -+ this

std::array<double, kMaxTraces> TraceVoltages(const Recording& recording) {
  if (recording.stepVoltages) return *recording.stepVoltages;
  std::array<double, kMaxTraces> means{};
  const int stored = std::max(recording.pairsStored, 1);
  for (int k = 0; k < kMaxTraces; ++k) {
    if (k >= stored) {
      means[k] = means[stored - 1];
      continue;
    }
    const std::vector<double>& v = recording.voltages[k];
    double sum = 0;
    for (double x : v) sum += x;
    means[k] = v.empty() ? 0 : sum / static_cast<double>(v.size());
  }
  return means;
}

void CommitSamples(const Recording& recording) {
  for (int row = 0; row < kTraceRows; ++row) Clear1D(ydata[row], kMaxPoints);
  Clear1D(timevals, kMaxPoints);
  const int n = static_cast<int>(std::min<size_t>(recording.times.size(), kMaxPoints));
  std::copy(recording.times.begin(), recording.times.begin() + n, timevals);
  for (int k = 0; k < recording.pairsStored && k < kMaxTraces; ++k) {
    std::copy_n(recording.currents[k].begin(), n, ydata[k]);
    std::copy_n(recording.voltages[k].begin(), n, ydata[k] + kVoltageOffset);
  }
  NumPoints = n;
  NumTraces = recording.traces;
  const std::array<double, kMaxTraces> traceV = TraceVoltages(recording);
  std::copy(traceV.begin(), traceV.end(), status.traceV);
}

void CommitRanges() {
  int index = 0;
  double tMin = 0;
  double tMax = 0;
  MaxMin1D(timevals, NumPoints, &tMax, &index, &tMin, &index);
  double yMax = -kStartingExtreme;
  double yMin = kStartingExtreme;
  for (int k = 0; k < NumTraces; ++k) {
    double traceMax = 0;
    double traceMin = 0;
    MaxMin1D(ydata[k], NumPoints, &traceMax, &index, &traceMin, &index);
    yMax = std::max(yMax, traceMax);
    yMin = std::min(yMin, traceMin);
  }
  status.dataTMin = tMin;
  status.dataTMax = tMax;
  status.xMin = tMin;
  status.xMax = tMax;
  status.windowStart = 0;
  status.windowEnd = NumPoints;
  status.dataYMin = kRangeMargin * yMin;
  status.dataYMax = kRangeMargin * yMax;
  status.yMin = status.dataYMin;
  status.yMax = status.dataYMax;
}

void ShowLoadedData() {
  const int voltageFields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3,
                                         PANEL_V4, PANEL_V5, PANEL_V6};
  for (int k = 0; k < kMaxTraces; ++k) SetCtrlVal(panelHandle, voltageFields[k], status.traceV[k]);
  SetCtrlVal(panelHandle, PANEL_XMIN, status.xMin);
  SetCtrlVal(panelHandle, PANEL_XMAX, status.xMax);
  SetCtrlVal(panelHandle, PANEL_YMIN, status.yMin);
  SetCtrlVal(panelHandle, PANEL_YMAX, status.yMax);
  for (int control : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE}) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, 0);
  }
  SetCtrlVal(panelHandle, PANEL_DATAFILE, status.dataFile);
  SetCtrlAttribute(panelHandle, PANEL_DATACTRL, ATTR_DIMMED, 0);
  SetCtrlAttribute(panelHandle, PANEL_DOFIT, ATTR_DIMMED, 0);
}

std::string Millivolts(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g mV", value);
  return text;
}

// The recording was made holding at this level, so the currents being fitted start from it: their
// Vhold is set, and the user is told which changed (a parameter file read later sets its own).
std::string OfferHoldingLevel(double holding) {
  std::string changed;
  for (int i = 0; i < kMaxCurrents; ++i) {
    if (!status.fitCurrent[i] || params[i].Vhold == holding) continue;
    changed += (changed.empty() ? "" : ", ") + std::string(params[i].name) + " (was " +
               Millivolts(params[i].Vhold) + ")";
    params[i].Vhold = holding;
  }
  if (changed.empty()) return "";
  SetPanelParams(status.selCurrent - 1);
  return "The recording holds at " + Millivolts(holding) +
         " before the step, so Vhold of the currents in the fit was set to it: " + changed + ".";
}

}  // namespace

void TakeOverRecording(const Recording& recording) {
  CommitSamples(recording);
  CommitRanges();
  status.dataLoaded = 1;
  std::snprintf(status.dataFile, sizeof status.dataFile, "%s", recording.name.c_str());
  ShowLoadedData();
  std::vector<std::string> notices = recording.notices;
  if (recording.holdingLevel) {
    if (std::string told = OfferHoldingLevel(*recording.holdingLevel); !told.empty())
      notices.push_back(told);
  }
  if (notices.empty()) return;
  std::string message = notices[0];
  for (size_t i = 1; i < notices.size(); ++i) message += "\n\n" + notices[i];
  MessagePopup("Data file", message.c_str());
}
