// NEURON mechanisms of the workspace's currents written into a folder, for the menu's export
// and the command line's --export-nmodl.
#pragma once

#include <string>
#include <vector>

#include "io/nmodl.h"

// The currents numbered (1-based), or with none given the currents in the fit, as they stand.
std::vector<NmodlCurrent> WorkspaceNmodlCurrents(const std::vector<int>& numbers);
std::string TodaysDate();  // "2026-05-01", local time
// Writes each file into folder, made when missing, through the safe save; "" or why not (the
// files written before a failure stay). written receives the paths saved.
std::string WriteNmodlFiles(const std::string& folder, const NmodlExport& mechanisms,
                            std::vector<std::string>* written);
