// Parameter editing, automatic update, the in-fit toggles, selection, a pending entry, names and
// trace colours, driven through the main panel's real widgets.
#include <QApplication>
#include <QClipboard>
#include <cstring>

#include "program_fixture.h"

namespace {

class Editing : public StartedProgram {
 protected:
  // Two traces drawn; the baseline field and the fit button open with data.
  void LoadTwoTraces() { LoadAndShow(WriteDataFile("two.txt", 2, 200)); }
  static std::vector<double> FitOfTrace1() { return Plot(PANEL_GRAPH, plotHandles[NumTraces]).y; }
};

}  // namespace

// ---- automatic update and the fit button ----

// Off, an edit is only stored and the fit button draws the fits; switched on, it fits at once,
// and from then on every edit and every in-fit toggle redraws.
TEST_F(Editing, AutomaticUpdateDecidesWhenEditsRedraw) {
  LoadTwoTraces();
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  TypeAndEnter(panelHandle, PANEL_VM, "-20");
  EXPECT_EQ(params[0].Vm, -20.0);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  EXPECT_TRUE(Plots(PANEL_MHGRAPH).empty());
  Click(panelHandle, PANEL_DOFIT);
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), drawn.size() + 2);  // one summed fit per trace
  EXPECT_FALSE(Plots(PANEL_MHGRAPH).empty());

  TypeAndEnter(panelHandle, PANEL_VM, "-10");
  const std::vector<double> stale = FitOfTrace1();
  Click(panelHandle, PANEL_AUTOUPDATE);
  ASSERT_EQ(status.autoUpdate, 1);
  const std::vector<double> alone = FitOfTrace1();
  EXPECT_NE(alone, stale);
  TypeAndEnter(panelHandle, PANEL_GMAX, "3");
  const std::vector<double> edited = FitOfTrace1();
  EXPECT_NE(edited, alone);
  Click(panelHandle, PANEL_FITCURR3);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+3");
  EXPECT_EQ(status.fitCount, 2);
  EXPECT_NE(FitOfTrace1(), edited);  // current 3 now adds to the sum
}

// The last current switched off: current 1 stays in the fit, or comes back into it; the message
// lists every current in the fit in order.
TEST_F(Editing, GetFitCurrentKeepsOneCurrentInTheFit) {
  Click(panelHandle, PANEL_FITCURR1);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR1), 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1");
  Click(panelHandle, PANEL_FITCURR4);
  Click(panelHandle, PANEL_FITCURR1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "4");
  Click(panelHandle, PANEL_FITCURR4);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR1), 1);
  EXPECT_EQ(status.fitCount, 1);
  for (int id : {PANEL_FITCURR10, PANEL_FITCURR4, PANEL_FITCURR3}) Click(panelHandle, id);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+3+4+10");
  EXPECT_EQ(status.fitCount, 4);
}

// A slope entered as 0 is stored, but the model (which would divide by it) is not evaluated.
TEST_F(Editing, ParamCBStoresZeroSlopeWithoutRedrawing) {
  LoadTwoTraces();
  Click(panelHandle, PANEL_AUTOUPDATE);
  for (int slope : {PANEL_KM, PANEL_KH, PANEL_KTM, PANEL_KTH}) {
    const std::vector<int> data = Plots(PANEL_GRAPH);
    const std::vector<int> curves = Plots(PANEL_MHGRAPH);
    TypeAndEnter(panelHandle, slope, "0");
    EXPECT_EQ(DoubleValue(panelHandle, slope), 0.0);
    EXPECT_EQ(Plots(PANEL_GRAPH), data) << "slope " << slope;
    EXPECT_EQ(Plots(PANEL_MHGRAPH), curves) << "slope " << slope;
    TypeAndEnter(panelHandle, slope, "2");  // a real slope again: redraws
    EXPECT_NE(Plots(PANEL_GRAPH), data) << "slope " << slope;
  }
  TypeAndEnter(panelHandle, PANEL_KH, "0");
  EXPECT_EQ(params[0].Kh, 0.0);
}

// ---- selection ----

// The selector button of current 7 shows it and redraws only the curves.
TEST_F(Editing, CurrbutCBSelectsCurrent7AndRedrawsOnlyTheCurves) {
  params[6].Vm = -33.5;
  std::snprintf(params[6].name, sizeof params[6].name, "%s", "Kdr");
  LoadTwoTraces();
  Click(panelHandle, PANEL_DOFIT);
  const std::vector<int> data = Plots(PANEL_GRAPH);
  const std::vector<int> mh = Plots(PANEL_MHGRAPH);
  Click(panelHandle, PANEL_CURRBUT7);
  EXPECT_EQ(status.selCurrent, 7);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -33.5);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "Kdr");
  EXPECT_EQ(Plots(PANEL_GRAPH), data);
  EXPECT_NE(Plots(PANEL_MHGRAPH), mh);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR7), 0);
}

// ---- a pending entry ----

// A click on any control first finishes the entry being typed, as leaving the field does, also
// where the click takes no focus from the field: the typed value is never lost or misplaced.
TEST_F(Editing, ClickOnAnyControlFirstFinishesThePendingEntry) {
  LoadTwoTraces();
  const std::pair<const char*, void (*)()> clicks[] = {
      {"selector button", [] { Click(panelHandle, PANEL_CURRBUT2); }},
      {"in-fit toggle", [] { Click(panelHandle, PANEL_FITCURR3); }},
      {"fit button", [] { Click(panelHandle, PANEL_DOFIT); }},
      {"data graph", [] { DragGraphCursor(panelHandle, PANEL_GRAPH, 5, 5); }},
      {"menu", [] { TriggerMenu(MENU_CLIPBOARD); }},
  };
  int entry = 0;
  for (const auto& [what, click] : clicks) {
    ++entry;
    Click(panelHandle, PANEL_CURRBUT1);
    Type(panelHandle, PANEL_VM, QString::number(-entry));
    click();
    EXPECT_EQ(params[0].Vm, -entry) << what;
    Click(panelHandle, PANEL_CURRBUT1);
    Type(panelHandle, PANEL_NAME, QString("I%1").arg(entry));
    click();
    EXPECT_EQ(std::string(params[0].name), "I" + std::to_string(entry)) << what;
  }
}

// ---- names ----

// A long name fits the 255-byte field whole characters at a time, and the box shows what was kept.
TEST_F(Editing, LongNamesAreKeptWithinTheField) {
  TypeAndEnter(panelHandle, PANEL_NAME, QString(300, 'x'));
  EXPECT_EQ(std::strlen(params[0].name), 255u);

  // 200 two-byte characters pass the box's 255-character limit but not the 255-byte field
  TypeText(panelHandle, PANEL_CURRLABEL3, QString(200, QChar(0x00E9)));
  const std::string kept = params[2].name;
  EXPECT_EQ(kept.size(), 254u);  // 127 whole characters
  EXPECT_EQ(QString::fromUtf8(kept.c_str()), QString(127, QChar(0x00E9)));
  EXPECT_EQ(TextValue(panelHandle, PANEL_CURRLABEL3), kept);
}

// The names line separates the names by commas: a name box refuses a comma (and a line end) and
// says why, and a comma that reaches a name some other way is not stored either.
TEST_F(Editing, NamesNeverHoldAComma) {
  TypeAndEnter(panelHandle, PANEL_NAME, "Na,fast");  // key by key: the comma alone is refused
  EXPECT_STREQ(params[0].name, "Nafast");
  EXPECT_NE(Widget(panelHandle, PANEL_CURRLABEL2)->toolTip().indexOf("comma"), -1);

  QWidget* box = Widget(panelHandle, PANEL_CURRLABEL2);
  for (const char* pasted : {"K,slow", "K\nslow"}) {  // pasted whole: refused whole
    QApplication::clipboard()->setText(pasted);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_STREQ(params[1].name, "2");
    EXPECT_EQ(TextValue(panelHandle, PANEL_CURRLABEL2), "2");
  }

  SetCtrlVal(panelHandle, PANEL_CURRLABEL3, "Ca,L");
  labelCB(panelHandle, PANEL_CURRLABEL3, EVENT_COMMIT, nullptr, 0, 0);
  EXPECT_STREQ(params[2].name, "3");
  EXPECT_EQ(TextValue(panelHandle, PANEL_CURRLABEL3), "3");
  EXPECT_EQ(RecordedMessages().size(), 1u);
}
