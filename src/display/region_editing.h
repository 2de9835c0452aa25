// The regions left out of the fit and the noise region on the data graph: what the user marks
// there goes into the loaded recording, and the recording's regions are what the graph shows.
#pragma once

void InitRegionEditing();  // lets the user mark regions on the data graph
void ShowRegions();        // draws the loaded recording's regions and offers the noise region
