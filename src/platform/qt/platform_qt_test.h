// Test seams that need the toolkit: the objects behind handles and ids, the data graph's cursor
// driven through the real mouse path, and the read-back of graphs. Used only by GUI tests.
#pragma once

#include <QAction>
#include <QPoint>
#include <QWidget>
#include <vector>

#include "platform/qt/graph_state.h"  // PlotInfo

QWidget* PanelWidget(int panel);                 // the panel's window, null when unknown
QWidget* CtrlWidget(int panel, int control);     // the control's widget, null when unknown
QAction* MenuItemAction(int menuBar, int item);  // the menu item's action, null when unknown
// Chooses item k of a control's right-button menu as a user would; false when it has none.
bool ChooseCtrlMenuItem(int panel, int control, int item);
// The widget position of (x, y) in axis units on a graph control; false when no graph.
bool GraphPixelOf(int panel, int graph, double x, double y, QPoint* pixel);

// Presses the left button at fromX on a graph, moves to toX with the button held and releases
// there, as mouse events to the graph widget: the path a user takes to drag cursor 1. With
// fromX == toX it is a click. The press lands at mid-height of the plot area.
bool DragGraphCursor(int panel, int graph, double fromX, double toX);

// ---- graphs ----
std::vector<int> GraphPlotHandles(int panel, int graph);  // live plots, in order of creation
bool GetPlotInfo(int panel, int graph, int handle, PlotInfo* info);
bool GetAxisRange(int panel, int graph, double* xMin, double* xMax, double* yMin, double* yMax);
