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

// ---- storing what is entered ----

// Each control stores into its own place (a field of the selected current, a trace voltage, the
// baseline) and nowhere else. The six voltage fields are laid out V6, V5, V1 ... V4 by id.
TEST_F(Editing, ParamCBStoresEveryFieldInItsOwnPlace) {
  LoadTwoTraces();
  Click(panelHandle, PANEL_CURRBUT2);
  CurrentParams& c = params[1];
  const std::pair<int, double*> cases[] = {
      {PANEL_VHOLD, &c.Vhold},
      {PANEL_GMAX, &c.Gmax},
      {PANEL_EREV, &c.Erev},
      {PANEL_VM, &c.Vm},
      {PANEL_KM, &c.Km},
      {PANEL_VH, &c.Vh},
      {PANEL_KH, &c.Kh},
      {PANEL_VTM, &c.Vtm},
      {PANEL_KTM, &c.Ktm},
      {PANEL_VTH, &c.Vth},
      {PANEL_KTH, &c.Kth},
      {PANEL_TMLO, &c.Tmlo},
      {PANEL_TMHI, &c.Tmhi},
      {PANEL_THLO, &c.Thlo},
      {PANEL_THHI, &c.Thhi},
      {PANEL_V1, &status.traceV[0]},
      {PANEL_V2, &status.traceV[1]},
      {PANEL_V3, &status.traceV[2]},
      {PANEL_V4, &status.traceV[3]},
      {PANEL_V5, &status.traceV[4]},
      {PANEL_V6, &status.traceV[5]},
      {PANEL_BASELINE, &status.baseline},
  };
  double value = 11.25;
  for (const auto& [control, where] : cases) {
    const std::string before = WorkspaceBytes();
    const double old = *where;
    TypeAndEnter(panelHandle, control, QString::number(value));
    EXPECT_EQ(*where, value) << "control " << control;
    *where = old;
    EXPECT_EQ(WorkspaceBytes(), before) << "control " << control << " stored elsewhere too";
    *where = value;
    value += 1.5;
  }
  TypeAndEnter(panelHandle, PANEL_P, "3");
  TypeAndEnter(panelHandle, PANEL_Q, "0");
  EXPECT_EQ(c.p, 3);
  EXPECT_EQ(c.q, 0);
  EXPECT_EQ(params[0].Vm, 1.0);  // the unselected current is untouched
}

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
  EXPECT_EQ(status.fitCurrent[0], 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1");

  Click(panelHandle, PANEL_FITCURR4);
  Click(panelHandle, PANEL_FITCURR1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "4");
  Click(panelHandle, PANEL_FITCURR4);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR1), 1);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR4), 0);
  EXPECT_EQ(status.fitCount, 1);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1");

  for (int id : {PANEL_FITCURR10, PANEL_FITCURR4, PANEL_FITCURR3}) Click(panelHandle, id);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+3+4+10");
  for (int i = 0; i < kMaxCurrents; ++i) status.fitCurrent[i] = 1;
  SetFitCurrents();
  UpdateFitMessage();
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+2+3+4+5+6+7+8+9+10");
  EXPECT_EQ(status.fitCount, kMaxCurrents);
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR7), 1);
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

// The selector button of current 7 shows it, takes on its colour and redraws only the curves.
TEST_F(Editing, CurrbutCBSelectsCurrent7AndRedrawsOnlyTheCurves) {
  params[6].Vm = -33.5;
  params[6].Gmax = 7.0;
  std::snprintf(params[6].name, sizeof params[6].name, "%s", "Kdr");
  LoadTwoTraces();
  Click(panelHandle, PANEL_DOFIT);
  Click(panelHandle, PANEL_FITCURR2);
  const std::vector<int> data = Plots(PANEL_GRAPH);
  const std::vector<int> mh = Plots(PANEL_MHGRAPH);
  const std::vector<int> tau = Plots(PANEL_TAUGRAPH);
  int buttonColor = -1;
  GetCtrlAttribute(panelHandle, PANEL_CURRBUT7, ATTR_CMD_BUTTON_COLOR, &buttonColor);

  Click(panelHandle, PANEL_CURRBUT7);
  EXPECT_EQ(status.selCurrent, 7);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -33.5);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_GMAX), 7.0);
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "Kdr");
  EXPECT_EQ(colors[7], buttonColor);
  for (auto [control, attribute] : {std::pair{PANEL_CURRCOLOR, ATTR_INDICATOR_COLOR},
                                    std::pair{PANEL_MHGRAPH, ATTR_GRAPH_FRAME_COLOR},
                                    std::pair{PANEL_TAUGRAPH, ATTR_GRAPH_FRAME_COLOR}}) {
    int color = -1;
    GetCtrlAttribute(panelHandle, control, attribute, &color);
    EXPECT_EQ(color, buttonColor) << "control " << control;
  }
  EXPECT_EQ(Plots(PANEL_GRAPH), data);
  EXPECT_NE(Plots(PANEL_MHGRAPH), mh);
  EXPECT_NE(Plots(PANEL_TAUGRAPH), tau);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+2");
  EXPECT_EQ(IntValue(panelHandle, PANEL_FITCURR7), 0);
}

// A selector button whose label names no current selects nothing (and writes no colour slot).
TEST_F(Editing, CurrbutCBIgnoresLabelsOutsideOneToTen) {
  for (const char* label : {"11", "0", "x", "99999999999999999999"}) {
    SetCtrlAttribute(panelHandle, PANEL_CURRBUT3, ATTR_LABEL_TEXT, label);
    Click(panelHandle, PANEL_CURRBUT3);
    EXPECT_EQ(status.selCurrent, 1) << label;
  }
  SetCtrlAttribute(panelHandle, PANEL_CURRBUT3, ATTR_LABEL_TEXT, "3");
  Click(panelHandle, PANEL_CURRBUT3);
  EXPECT_EQ(status.selCurrent, 3);
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

// The name box and a current's own name control follow each other only for the selected one.
TEST_F(Editing, NamesEditedInBothPlaces) {
  Click(panelHandle, PANEL_CURRBUT2);
  TypeAndEnter(panelHandle, PANEL_NAME, "INa");
  EXPECT_STREQ(params[1].name, "INa");
  EXPECT_EQ(TextValue(panelHandle, PANEL_CURRLABEL2), "INa");
  TypeAndEnter(panelHandle, PANEL_CURRLABEL2, "INaT");
  EXPECT_STREQ(params[1].name, "INaT");
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "INaT");
  Click(panelHandle, PANEL_CURRBUT1);
  TypeAndEnter(panelHandle, PANEL_CURRLABEL2, "INaP");
  EXPECT_STREQ(params[1].name, "INaP");
  EXPECT_EQ(TextValue(panelHandle, PANEL_NAME), "1");
  EXPECT_STREQ(params[0].name, "1");
}

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

// ---- trace colours ----

// Before data the flag is only stored; after data the traces change colour without a refit, and
// back to black.
TEST_F(Editing, TraceColorsBeforeAndAfterData) {
  Click(panelHandle, PANEL_TRACECOLORS);
  EXPECT_EQ(status.colorTraces, 1);
  EXPECT_TRUE(Plots(PANEL_GRAPH).empty());
  Click(panelHandle, PANEL_TRACECOLORS);
  EXPECT_EQ(status.colorTraces, 0);

  LoadAndShow(WriteDataFile("three.txt", 3, 100));
  Click(panelHandle, PANEL_DOFIT);
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  Click(panelHandle, PANEL_TRACECOLORS);
  for (int k = 0; k < NumTraces; ++k)
    EXPECT_EQ(Plot(PANEL_GRAPH, plotHandles[k]).color, traceColors[k]) << "trace " << k;
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  Click(panelHandle, PANEL_TRACECOLORS);
  for (int k = 0; k < NumTraces; ++k) EXPECT_EQ(Plot(PANEL_GRAPH, plotHandles[k]).color, VAL_BLACK);
}
