// The resource file against ui/pavikuir.h: the menu bar and its keys, the start-up dimmed state,
// and loading failures. (Every control's callback is reached by the tests that drive it.)
#include <QMenu>

#include "program_fixture.h"

using PanelResource = StartedProgram;

// Every command id reaches menuCB through an action; titles and separators exist too.
TEST_F(PanelResource, MenuBarCarriesEveryItem) {
  const int menuBar = GetPanelMenuBar(panelHandle);
  ASSERT_GT(menuBar, 0);
  for (int item = MENU_FILE; item <= MENU_INFO; ++item)
    EXPECT_NE(MenuItemAction(menuBar, item), nullptr) << "item " << item;
  for (int item : {MENU_FILE_SEPARATOR, MENU_EDIT_SEPARATOR})
    EXPECT_TRUE(MenuItemAction(menuBar, item)->isSeparator());
  for (int item : {MENU_FILE, MENU_EDIT, MENU_PANELS})
    EXPECT_NE(MenuItemAction(menuBar, item)->menu(), nullptr);
  for (auto [item, keys] : {std::pair{MENU_OPENDATA, "Ctrl+O"},
                            {MENU_OPENPARAM, "Ctrl+Shift+O"},
                            {MENU_SAVEPARAM, "Ctrl+S"},
                            {MENU_QUIT, "Ctrl+Q"}})
    EXPECT_EQ(MenuItemAction(menuBar, item)->shortcut(), QKeySequence(keys)) << keys;
  EXPECT_LT(GetPanelMenuBar(dclampPanelHandle), 0);
}

// The data-dependent controls and the paste command wait for data and for a copy.
TEST_F(PanelResource, DataControlsAndPasteStartDimmed) {
  for (int id : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE, PANEL_DATACTRL,
                 PANEL_DOFIT})
    EXPECT_EQ(Dimmed(id), 1) << "id " << id;
  for (int id : {PANEL_VM, PANEL_V1, PANEL_VMIN, PANEL_AUTOUPDATE, PANEL_TRACECOLORS})
    EXPECT_EQ(Dimmed(id), 0) << "id " << id;
  int dimmed = 0;
  ASSERT_EQ(GetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENU_PASTE, ATTR_DIMMED, &dimmed), 0);
  EXPECT_EQ(dimmed, 1);
}

// A missing file or panel is refused; a relative name is found beside the executable when the
// current directory lacks it; a discarded handle is unknown.
TEST(LoadPanel, FailuresAndTheFileBesideTheExecutable) {
  EXPECT_LT(LoadPanel(0, "/nonexistent/pavikuir.uir", PANEL), 0);
  EXPECT_LT(LoadPanel(0, BuiltResourceFile(), 99), 0);
  EXPECT_LT(LoadPanel(0, nullptr, PANEL), 0);
  const int panel = LoadPanel(0, "pavikuir.uir", OPTIONS);
  EXPECT_GT(panel, 0);
  DiscardPanel(panel);
  EXPECT_LT(DisplayPanel(panel), 0);
}
