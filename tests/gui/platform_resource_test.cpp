// The resource file against ui/pavikuir.h: every id on its panel with the expected kind and
// callback, the start-up dimmed state, the selector buttons, and loading failures.
#include <qcustomplot.h>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <set>

#include "platform/qt/platform_qt_test.h"
#include "startup_fixture.h"

namespace {
enum Kind { Double, Int, Toggle, Command, Text, TextArea, Indicator, Colour, Graph, Group };

struct Expected {
  int id;
  Kind kind;
  const char* callback;  // "" for none
};

bool IsKind(QWidget* widget, Kind kind) {
  switch (kind) {
    case Double:
      return qobject_cast<QDoubleSpinBox*>(widget);
    case Int:
      return qobject_cast<QSpinBox*>(widget);
    case Toggle:
      return qobject_cast<QCheckBox*>(widget);
    case Command:
      return qobject_cast<QPushButton*>(widget);
    case Text:
      return qobject_cast<QLineEdit*>(widget);
    case TextArea:
      return qobject_cast<QPlainTextEdit*>(widget);
    case Indicator:
      return qobject_cast<QLabel*>(widget);
    case Graph:
      return qobject_cast<QCustomPlot*>(widget);
    case Colour:
      return qobject_cast<QFrame*>(widget) && !qobject_cast<QLabel*>(widget);
    case Group:
      return widget->findChildren<QWidget*>().size() > 0;
  }
  return false;
}

std::vector<Expected> MainPanelTable() {
  std::vector<Expected> table = {
      {PANEL_V6, Double, "paramCB"},
      {PANEL_V5, Double, "paramCB"},
      {PANEL_V1, Double, "paramCB"},
      {PANEL_V2, Double, "paramCB"},
      {PANEL_V3, Double, "paramCB"},
      {PANEL_V4, Double, "paramCB"},
      {PANEL_P, Int, "paramCB"},
      {PANEL_Q, Int, "paramCB"},
      {PANEL_VHOLD, Double, "paramCB"},
      {PANEL_GMAX, Double, "paramCB"},
      {PANEL_EREV, Double, "paramCB"},
      {PANEL_VM, Double, "paramCB"},
      {PANEL_KM, Double, "paramCB"},
      {PANEL_VH, Double, "paramCB"},
      {PANEL_KH, Double, "paramCB"},
      {PANEL_VTM, Double, "paramCB"},
      {PANEL_KTM, Double, "paramCB"},
      {PANEL_VTH, Double, "paramCB"},
      {PANEL_KTH, Double, "paramCB"},
      {PANEL_TMLO, Double, "paramCB"},
      {PANEL_TMHI, Double, "paramCB"},
      {PANEL_THLO, Double, "paramCB"},
      {PANEL_THHI, Double, "paramCB"},
      {PANEL_DOFIT, Command, "paramCB"},
      {PANEL_GRAPH, Graph, "graph1CB"},
      {PANEL_DATACTRL, Group, ""},
      {PANEL_XMAX, Double, "datascaleCB"},
      {PANEL_BASELINE, Double, "paramCB"},
      {PANEL_YMIN, Double, "datascaleCB"},
      {PANEL_YMAX, Double, "datascaleCB"},
      {PANEL_XMIN, Double, "datascaleCB"},
      {PANEL_TAUGRAPH, Graph, ""},
      {PANEL_MHGRAPH, Graph, ""},
      {PANEL_RESIDUALS, Graph, ""},
      {PANEL_GOODNESS, Indicator, ""},
      {PANEL_NAME, Text, "paramCB"},
      {PANEL_TRACECOLORS, Toggle, "paramCB"},
      {PANEL_PARAMFILE, Indicator, ""},
      {PANEL_FITMSG, Indicator, ""},
      {PANEL_DATAFILE, Indicator, ""},
      {PANEL_CURRCOLOR, Colour, ""},
      {PANEL_VMIN, Double, "datascaleCB"},
      {PANEL_VMAX, Double, "datascaleCB"},
      {PANEL_AUTOUPDATE, Toggle, "autoupCB"},
  };
  for (int n = 1; n <= 10; ++n) {
    table.push_back({35 - n, Toggle, "currentCB"});  // PANEL_FITCURR1 is 34
    table.push_back({PANEL_CURRBUT1 + n - 1, Command, "currbutCB"});
    table.push_back({PANEL_CURRLABEL1 + n - 1, Text, "labelCB"});
  }
  for (int id = PANEL_FREE_VM; id <= PANEL_FREE_BASELINE; ++id)
    table.push_back({id, Toggle, "freeCB"});
  table.push_back({PANEL_POLISH, Command, "polishCB"});
  table.push_back({PANEL_CANCELPOLISH, Command, "polishCB"});
  table.push_back({PANEL_POLISHMSG, Indicator, ""});
  return table;
}

std::vector<Expected> DclampTable() {
  std::vector<Expected> table = {{DCLAMP_CLOSE, Command, "dclampCB"},
                                 {DCLAMP_CURRENT, Int, "dclampCB"}};
  for (int id : {DCLAMP_INT1, DCLAMP_INT2, DCLAMP_INT3, DCLAMP_INT4, DCLAMP_INT5, DCLAMP_INT6})
    table.push_back({id, Int, "dclampCB"});
  for (int id : {DCLAMP_GLOBAL1, DCLAMP_GLOBAL2, DCLAMP_GLOBAL3, DCLAMP_GLOBAL4, DCLAMP_SETTING1,
                 DCLAMP_SETTING2, DCLAMP_SETTING3, DCLAMP_SETTING4, DCLAMP_SETTING5,
                 DCLAMP_SETTING6, DCLAMP_SETTING7, DCLAMP_SETTING8})
    table.push_back({id, Double, "dclampCB"});
  return table;
}

std::set<int> IdsOn(int panel) {
  std::set<int> ids;
  for (QWidget* widget : PanelWidget(panel)->findChildren<QWidget*>()) {
    const QVariant id = widget->property("ctrlId");
    if (id.isValid()) {
      EXPECT_TRUE(ids.insert(id.toInt()).second) << "duplicate id " << id.toInt();
    }
  }
  return ids;
}

void CheckPanel(int panel, const std::vector<Expected>& table) {
  std::set<int> expectedIds;
  for (const Expected& expected : table) {
    expectedIds.insert(expected.id);
    QWidget* widget = CtrlWidget(panel, expected.id);
    ASSERT_NE(widget, nullptr) << "id " << expected.id;
    EXPECT_TRUE(IsKind(widget, expected.kind))
        << "id " << expected.id << " is a " << widget->metaObject()->className();
    EXPECT_EQ(widget->property("callback").toString().toStdString(), expected.callback)
        << "id " << expected.id;
  }
  EXPECT_EQ(IdsOn(panel), expectedIds);  // nothing extra either
}
}  // namespace

using PanelResource = StartedProgram;

TEST_F(PanelResource, MainPanelHasEveryIdWithItsKindAndCallback) {
  CheckPanel(panelHandle, MainPanelTable());
}

TEST_F(PanelResource, SecondaryPanelsHaveEveryIdWithItsKindAndCallback) {
  CheckPanel(dclampPanelHandle, DclampTable());
  CheckPanel(optionsPanelHandle, {{OPTIONS_HEADERLINES, Int, ""},
                                  {OPTIONS_CLOSE, Command, "optionsCB"},
                                  {OPTIONS_NORMALISE, Toggle, "pointsCB"}});
  CheckPanel(infoPanelHandle, {{INFO_TEXT, TextArea, ""}, {INFO_CLOSE, Command, "infoCB"}});
}

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
  EXPECT_EQ(MenuItemAction(menuBar, MENU_OPENDATA)->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(MenuItemAction(menuBar, MENU_OPENPARAM)->shortcut(), QKeySequence("Ctrl+Shift+O"));
  EXPECT_EQ(MenuItemAction(menuBar, MENU_SAVEPARAM)->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(MenuItemAction(menuBar, MENU_QUIT)->shortcut(), QKeySequence("Ctrl+Q"));
  EXPECT_LT(GetPanelMenuBar(dclampPanelHandle), 0);
}

// The data-dependent controls and the paste command wait for data and for a copy.
TEST_F(PanelResource, DataControlsAndPasteStartDimmed) {
  for (int id : {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_BASELINE, PANEL_DATACTRL,
                 PANEL_DOFIT}) {
    int dimmed = 0;
    ASSERT_EQ(GetCtrlAttribute(panelHandle, id, ATTR_DIMMED, &dimmed), 0);
    EXPECT_EQ(dimmed, 1) << "id " << id;
  }
  int dimmed = 0;
  ASSERT_EQ(GetMenuBarAttribute(GetPanelMenuBar(panelHandle), MENU_PASTE, ATTR_DIMMED, &dimmed), 0);
  EXPECT_EQ(dimmed, 1);
  for (int id : {PANEL_VM, PANEL_V1, PANEL_VMIN, PANEL_AUTOUPDATE, PANEL_TRACECOLORS}) {
    ASSERT_EQ(GetCtrlAttribute(panelHandle, id, ATTR_DIMMED, &dimmed), 0);
    EXPECT_EQ(dimmed, 0) << "id " << id;
  }
  // Un-dimming the group and its fields makes them usable, as the data reader does.
  for (int id : {PANEL_DATACTRL, PANEL_XMIN}) SetCtrlAttribute(panelHandle, id, ATTR_DIMMED, 0);
  EXPECT_TRUE(CtrlWidget(panelHandle, PANEL_XMIN)->isEnabled());
}

// Labels "1" to "10", ten different colours, none too close to another.
TEST_F(PanelResource, SelectorButtonsNumberedInDistinctColours) {
  std::vector<int> colours;
  for (int n = 1; n <= 10; ++n) {
    std::string label;
    int colour = -1;
    ASSERT_EQ(GetCtrlAttribute(panelHandle, PANEL_CURRBUT1 + n - 1, ATTR_LABEL_TEXT, &label), 0);
    EXPECT_EQ(label, std::to_string(n));
    ASSERT_EQ(GetCtrlAttribute(panelHandle, PANEL_CURRBUT1 + n - 1, ATTR_CMD_BUTTON_COLOR, &colour),
              0);
    colours.push_back(colour);
  }
  for (size_t i = 0; i < colours.size(); ++i)
    for (size_t j = i + 1; j < colours.size(); ++j) {
      const int dr = ((colours[i] >> 16) & 255) - ((colours[j] >> 16) & 255);
      const int dg = ((colours[i] >> 8) & 255) - ((colours[j] >> 8) & 255);
      const int db = (colours[i] & 255) - (colours[j] & 255);
      EXPECT_GT(dr * dr + dg * dg + db * db, 40 * 40) << "buttons " << i + 1 << " and " << j + 1;
    }
}

TEST_F(PanelResource, ConstantNameIsTheControlsName) {
  std::string name;
  ASSERT_EQ(GetCtrlAttribute(panelHandle, PANEL_KM, ATTR_CONSTANT_NAME, &name), 0);
  EXPECT_EQ(name, "PANEL_KM");
}

// ---- loading failures ----

TEST(LoadPanel, MissingFileOrPanelIsNegative) {
  EXPECT_LT(LoadPanel(0, "/nonexistent/pavikuir.uir", PANEL), 0);
  EXPECT_LT(LoadPanel(0, BuiltResourceFile(), 99), 0);
  EXPECT_LT(LoadPanel(0, nullptr, PANEL), 0);
}

// A relative name is found beside the executable when the current directory lacks it.
TEST(LoadPanel, RelativeNameFoundBesideExecutable) {
  const int panel = LoadPanel(0, "pavikuir.uir", OPTIONS);
  EXPECT_GT(panel, 0);
  DiscardPanel(panel);
  EXPECT_LT(DisplayPanel(panel), 0);  // a discarded handle is unknown
}
