// The file dialog's filters, built from the run-time's pattern text ("*.fit", "*.bu*;*.asc;*.txt").
// No toolkit types, so the conversion is tested without an application.
#pragma once

#include <string>
#include <vector>

struct FileDialogFilters {
  std::vector<std::string> filters;  // name filters in the toolkit's "Title (*.a *.b)" form
  int selected;                      // index of the filter the dialog starts with
};

// defaultSpec is the starting pattern, typeList patterns separated by semicolons; "*.*" means
// every file (also those without a dot in their name).
FileDialogFilters BuildFileDialogFilters(const std::string& defaultSpec,
                                         const std::string& typeList);
