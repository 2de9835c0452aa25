// The parts of the run-time that need no toolkit: the file dialog's filters, and the headless
// run-time that refuses whatever needs a window. (The array routines are the data file's tests.)
#include "platform/file_filters.h"
#include "test_support.h"

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

// Without a toolkit nothing can start: every operation on a panel is refused and nothing made,
// and no work goes to the background (the command line's polish runs where it is called).
TEST(HeadlessRunTime, OperationsOnPanelsAreRefused) {
  double x = 0, y = 0;
  int value = 0;
  std::string text;
  EXPECT_LT(LoadPanel(0, "pavikuir.uir", 4), 0);
  EXPECT_LT(DisplayPanel(1), 0);
  EXPECT_LT(GetCtrlVal(1, 13, &value), 0);
  EXPECT_LT(GetCtrlVal(1, 45, &text), 0);
  EXPECT_LT(GetGraphCursor(1, 36, 1, &x, &y), 0);
  EXPECT_LT(SetMenuBarAttribute(1, 10, ATTR_DIMMED, 0), 0);
  EXPECT_LT(QuitUserInterface(1), 0);
  EXPECT_LT(RunUserInterface(), 0);
  EXPECT_LT(RenderPanelImage(1, 100, 100, &text), 0);
  const int results[] = {HidePanel(1),
                         DiscardPanel(1),
                         SetCtrlVal(1, 13, 2),
                         SetCtrlVal(1, 13, 2.5),
                         SetCtrlVal(1, 45, "x"),
                         SetCtrlAttribute(1, 13, ATTR_DIMMED, 1),
                         GetCtrlAttribute(1, 13, ATTR_DIMMED, &value),
                         ResetTextBox(1, 45, "x"),
                         PlotXY(1, 36, &x, &y, 1, VAL_DOUBLE, VAL_DOUBLE, VAL_SCATTER,
                                VAL_EMPTY_CIRCLE, VAL_SOLID, 1, VAL_RED),
                         DeleteGraphPlot(1, 36, -1, VAL_IMMEDIATE_DRAW),
                         SetGraphCursor(1, 36, 1, 0, 0),
                         SetGraphRegions(1, 36, {}),
                         RunInBackground([] {}),
                         PostToUserInterface([] {})};
  for (int result : results) EXPECT_LT(result, 0);
}
