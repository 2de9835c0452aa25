// Test seams that hand out the toolkit's objects behind handles and ids, and drive the data
// graph's cursor through the real mouse path. Used only by GUI tests (they link QtTest).
#pragma once

#include <QAction>
#include <QPoint>
#include <QWidget>

QWidget* PanelWidget(int panel);                 // the panel's window, null when unknown
QWidget* CtrlWidget(int panel, int control);     // the control's widget, null when unknown
QAction* MenuItemAction(int menuBar, int item);  // the menu item's action, null when unknown
// The widget position of (x, y) in axis units on a graph control; false when no graph.
bool GraphPixelOf(int panel, int graph, double x, double y, QPoint* pixel);

// Presses the left button at fromX on a graph, moves to toX with the button held and releases
// there, as mouse events to the graph widget: the path a user takes to drag cursor 1. With
// fromX == toX it is a click. The press lands at mid-height of the plot area.
bool DragGraphCursor(int panel, int graph, double fromX, double toX);
