// The drag handles of the curve graphs: fitting the selected current's curves with the mouse.
#pragma once

// Routes the handles of both curve graphs to the drag handling, and gives the parameter fields
// arrow steps that fit their values. Called once the main panel is loaded.
void InitCurveHandles();
// Puts the handles of the selected current on graph (PANEL_MHGRAPH or PANEL_TAUGRAPH), where its
// curves stand now.
void PlaceCurveHandles(int graph);
