// The resource file against ui/pavikuir.h: every id on its panel with the expected kind and
// callback, the menu bar, the start-up dimmed state, the selector buttons, the smallest window,
// and loading failures.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <set>

#include "program_fixture.h"

namespace {

// A control's kind: the widget class the resource builds for it.
using Kind = bool (*)(QWidget*);
template <typename W>
bool Is(QWidget* widget) {
  return qobject_cast<W*>(widget) != nullptr;
}
const Kind Double = Is<QDoubleSpinBox>, Int = Is<QSpinBox>, Toggle = Is<QCheckBox>,
           Command = Is<QPushButton>, Text = Is<QLineEdit>, TextArea = Is<QPlainTextEdit>,
           Indicator = Is<QLabel>, Graph = Is<QCustomPlot>;
bool Colour(QWidget* widget) {
  return Is<QFrame>(widget) && !Is<QLabel>(widget);
}
bool Group(QWidget* widget) {
  return !widget->findChildren<QWidget*>().isEmpty();
}

// Controls of one kind and callback ("" for none).
struct Expected {
  Kind kind;
  const char* callback;
  std::vector<int> ids;
};

std::vector<int> Run(int first, int count) {
  std::vector<int> ids;
  for (int n = 0; n < count; ++n) ids.push_back(first + n);
  return ids;
}

std::vector<Expected> MainPanelTable() {
  std::vector<Expected> table = {
      {Double, "paramCB", {PANEL_V1,   PANEL_V2,      PANEL_V3,   PANEL_V4,   PANEL_V5,
                           PANEL_V6,   PANEL_VHOLD,   PANEL_GMAX, PANEL_EREV, PANEL_VM,
                           PANEL_KM,   PANEL_VH,      PANEL_KH,   PANEL_VTM,  PANEL_KTM,
                           PANEL_VTH,  PANEL_KTH,     PANEL_TMLO, PANEL_TMHI, PANEL_THLO,
                           PANEL_THHI, PANEL_BASELINE}},
      {Int, "paramCB", {PANEL_P, PANEL_Q}},
      {Command, "paramCB", {PANEL_DOFIT}},
      {Text, "paramCB", {PANEL_NAME}},
      {Toggle, "paramCB", {PANEL_TRACECOLORS}},
      {Graph, "graph1CB", {PANEL_GRAPH}},
      {Group, "", {PANEL_DATACTRL}},
      {Double,
       "datascaleCB",
       {PANEL_XMIN, PANEL_XMAX, PANEL_YMIN, PANEL_YMAX, PANEL_VMIN, PANEL_VMAX}},
      {Graph, "", {PANEL_TAUGRAPH, PANEL_MHGRAPH, PANEL_RESIDUALS}},
      {Indicator,
       "",
       {PANEL_GOODNESS, PANEL_PARAMFILE, PANEL_FITMSG, PANEL_DATAFILE, PANEL_POLISHMSG}},
      {Colour, "", {PANEL_CURRCOLOR}},
      {Toggle, "autoupCB", {PANEL_AUTOUPDATE}},
      {Toggle, "currentCB", Run(PANEL_FITCURR10, 10)},  // the in-fit toggles run 10 ... 1
      {Command, "currbutCB", Run(PANEL_CURRBUT1, 10)},
      {Text, "labelCB", Run(PANEL_CURRLABEL1, 10)},
      {Toggle, "freeCB", Run(PANEL_FREE_VM, PANEL_FREE_BASELINE - PANEL_FREE_VM + 1)},
      {Command, "polishCB", {PANEL_POLISH, PANEL_CANCELPOLISH}},
  };
  return table;
}

void CheckPanel(int panel, const std::vector<Expected>& table) {
  std::set<int> expectedIds, ids;
  for (const Expected& expected : table) {
    for (int id : expected.ids) {
      expectedIds.insert(id);
      QWidget* widget = CtrlWidget(panel, id);
      ASSERT_NE(widget, nullptr) << "id " << id;
      EXPECT_TRUE(expected.kind(widget))
          << "id " << id << " is a " << widget->metaObject()->className();
      EXPECT_EQ(widget->property("callback").toString().toStdString(), expected.callback)
          << "id " << id;
    }
  }
  for (QWidget* widget : PanelWidget(panel)->findChildren<QWidget*>()) {
    const QVariant id = widget->property("ctrlId");
    if (id.isValid()) {
      EXPECT_TRUE(ids.insert(id.toInt()).second) << "duplicate id " << id.toInt();
    }
  }
  EXPECT_EQ(ids, expectedIds);  // nothing extra either
}

}  // namespace

using PanelResource = StartedProgram;

TEST_F(PanelResource, EveryPanelHasEveryIdWithItsKindAndCallback) {
  CheckPanel(panelHandle, MainPanelTable());
  CheckPanel(dclampPanelHandle,
             {{Command, "dclampCB", {DCLAMP_CLOSE}},
              {Int,
               "dclampCB",
               {DCLAMP_CURRENT, DCLAMP_INT1, DCLAMP_INT2, DCLAMP_INT3, DCLAMP_INT4, DCLAMP_INT5,
                DCLAMP_INT6}},
              {Double,
               "dclampCB",
               {DCLAMP_GLOBAL1, DCLAMP_GLOBAL2, DCLAMP_GLOBAL3, DCLAMP_GLOBAL4, DCLAMP_SETTING1,
                DCLAMP_SETTING2, DCLAMP_SETTING3, DCLAMP_SETTING4, DCLAMP_SETTING5, DCLAMP_SETTING6,
                DCLAMP_SETTING7, DCLAMP_SETTING8}}});
  CheckPanel(optionsPanelHandle, {{Int, "", {OPTIONS_HEADERLINES}},
                                  {Command, "optionsCB", {OPTIONS_CLOSE}},
                                  {Toggle, "pointsCB", {OPTIONS_NORMALISE}}});
  CheckPanel(infoPanelHandle, {{TextArea, "", {INFO_TEXT}}, {Command, "infoCB", {INFO_CLOSE}}});
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
    GetCtrlAttribute(panelHandle, PANEL_CURRBUT1 + n - 1, ATTR_CMD_BUTTON_COLOR, &colour);
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

// The smallest window the layout allows still fits a 1024 x 700 screen.
TEST_F(PanelResource, MainPanelFitsSmallScreen) {
  const QSize minimum = PanelWidget(panelHandle)->minimumSizeHint();
  EXPECT_LE(minimum.width(), 1024);
  EXPECT_LE(minimum.height(), 700);
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
