// The file dialog's filters built from the run-time's pattern texts.
#include "platform/file_filters.h"

#include <gtest/gtest.h>

// The data dialog: every file to start with, the listed types offered together and one by one.
TEST(BuildFileDialogFilters, EveryFileSpecSelectsAllFiles) {
  const FileDialogFilters built = BuildFileDialogFilters("*.*", "*.bu*;*.asc;*.txt");
  ASSERT_EQ(built.filters.size(), 5u);
  EXPECT_EQ(built.filters[0], "Listed types (*.bu* *.asc *.txt)");
  EXPECT_EQ(built.filters[1], "*.bu* (*.bu*)");
  EXPECT_EQ(built.filters[3], "*.txt (*.txt)");
  EXPECT_EQ(built.filters[built.selected], "All files (*)");
}

// The parameter dialogs: the default pattern is one of the listed types and starts selected.
TEST(BuildFileDialogFilters, DefaultSpecInListIsSelected) {
  const FileDialogFilters built = BuildFileDialogFilters("*.fit", "*.fit;*.V0*");
  EXPECT_EQ(built.filters[built.selected], "*.fit (*.fit)");
  EXPECT_EQ(built.filters.back(), "All files (*)");
}

// A default pattern not in the list is added in front, and empty pieces are skipped.
TEST(BuildFileDialogFilters, DefaultSpecNotInListIsAdded) {
  const FileDialogFilters built = BuildFileDialogFilters("*.dat", " *.txt ;;");
  ASSERT_EQ(built.filters.size(), 3u);
  EXPECT_EQ(built.filters[0], "*.dat (*.dat)");
  EXPECT_EQ(built.selected, 0);
  EXPECT_EQ(built.filters[1], "*.txt (*.txt)");
}
