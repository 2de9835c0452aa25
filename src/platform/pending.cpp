// Run-time operations that are declared but not yet built on the toolkit: each does nothing and
// reports failure. Entries leave this file as their real implementations arrive.
#include "platform/platform.h"

namespace {
constexpr int kNotAvailable = -1;
}

int LoadPanel(int, const char*, int) {
  return kNotAvailable;
}
int DisplayPanel(int) {
  return kNotAvailable;
}
int HidePanel(int) {
  return kNotAvailable;
}
int SetPanelAttribute(int, int, const char*) {
  return kNotAvailable;
}
int GetPanelMenuBar(int) {
  return kNotAvailable;
}
int SetMenuBarAttribute(int, int, int, int) {
  return kNotAvailable;
}
int GetMenuBarAttribute(int, int, int, int*) {
  return kNotAvailable;
}
int SavePanelImage(int, const char*, int, int) {
  return kNotAvailable;
}
int SetCtrlVal(int, int, int) {
  return kNotAvailable;
}
int SetCtrlVal(int, int, double) {
  return kNotAvailable;
}
int SetCtrlVal(int, int, const char*) {
  return kNotAvailable;
}
int GetCtrlVal(int, int, int*) {
  return kNotAvailable;
}
int GetCtrlVal(int, int, double*) {
  return kNotAvailable;
}
int GetCtrlVal(int, int, std::string*) {
  return kNotAvailable;
}
int SetCtrlAttribute(int, int, int, int) {
  return kNotAvailable;
}
int SetCtrlAttribute(int, int, int, const char*) {
  return kNotAvailable;
}
int GetCtrlAttribute(int, int, int, int*) {
  return kNotAvailable;
}
int GetCtrlAttribute(int, int, int, std::string*) {
  return kNotAvailable;
}
int SetActiveCtrl(int, int) {
  return kNotAvailable;
}
int ResetTextBox(int, int, const char*) {
  return kNotAvailable;
}
int PlotXY(int, int, const double*, const double*, int, int, int, int, int, int, int, int) {
  return kNotAvailable;
}
int DeleteGraphPlot(int, int, int, int) {
  return kNotAvailable;
}
int SetPlotAttribute(int, int, int, int, int) {
  return kNotAvailable;
}
int SetAxisRange(int, int, int, double, double, int, double, double) {
  return kNotAvailable;
}
int SetGraphCursor(int, int, int, double, double) {
  return kNotAvailable;
}
int GetGraphCursor(int, int, int, double*, double*) {
  return kNotAvailable;
}
