// The file dialog's filters built from the run-time's pattern texts.
#include "platform/file_filters.h"

#include <gtest/gtest.h>

// Every file to start with, the listed types offered together and one by one; a default
// pattern in the list starts selected, one not in it is added in front; empty pieces are skipped.
TEST(BuildFileDialogFilters, DefaultAndListedPatterns) {
  const struct {
    const char* defaultSpec;
    const char* list;
    std::vector<std::string> filters;
    int selected;
  } cases[] = {
      {"*.*",
       "*.bu*;*.asc;*.txt",
       {"Listed types (*.bu* *.asc *.txt)", "*.bu* (*.bu*)", "*.asc (*.asc)", "*.txt (*.txt)",
        "All files (*)"},
       4},
      {"*.fit",
       "*.fit;*.V0*",
       {"Listed types (*.fit *.V0*)", "*.fit (*.fit)", "*.V0* (*.V0*)", "All files (*)"},
       1},
      {"*.dat", " *.txt ;;", {"*.dat (*.dat)", "*.txt (*.txt)", "All files (*)"}, 0},
  };
  for (const auto& c : cases) {
    const FileDialogFilters built = BuildFileDialogFilters(c.defaultSpec, c.list);
    EXPECT_EQ(built.filters, c.filters) << c.list;
    EXPECT_EQ(built.selected, c.selected) << c.list;
  }
}
