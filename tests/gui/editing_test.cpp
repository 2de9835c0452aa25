// Parameter editing, the in-fit toggles, selection and names, driven through the main panel's
// real widgets.
#include <QApplication>
#include <QClipboard>
#include <cstring>

#include "editing_fixture.h"

namespace {

using Editing = EditingProgram;

// The y values of one plot of the data graph.
std::vector<double> PlotY(int handle) {
  PlotInfo info{};
  if (!GetPlotInfo(panelHandle, PANEL_GRAPH, handle, &info)) return {};
  return info.y;
}

bool SameRecord(const CurrentParams& a, const CurrentParams& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// ---- storing what is entered ----

// Each control stores into its own field of the selected current and nowhere else.
TEST_F(Editing, ParamCBStoresEveryFieldInItsOwnPlace) {
  struct Case {
    int control;
    double CurrentParams::*field;
  };
  const Case cases[] = {
      {PANEL_VHOLD, &CurrentParams::Vhold}, {PANEL_GMAX, &CurrentParams::Gmax},
      {PANEL_EREV, &CurrentParams::Erev},   {PANEL_VM, &CurrentParams::Vm},
      {PANEL_KM, &CurrentParams::Km},       {PANEL_VH, &CurrentParams::Vh},
      {PANEL_KH, &CurrentParams::Kh},       {PANEL_VTM, &CurrentParams::Vtm},
      {PANEL_KTM, &CurrentParams::Ktm},     {PANEL_VTH, &CurrentParams::Vth},
      {PANEL_KTH, &CurrentParams::Kth},     {PANEL_TMLO, &CurrentParams::Tmlo},
      {PANEL_TMHI, &CurrentParams::Tmhi},   {PANEL_THLO, &CurrentParams::Thlo},
      {PANEL_THHI, &CurrentParams::Thhi},
  };
  Click(panelHandle, PANEL_CURRBUT2);
  double value = 11.25;
  for (const Case& c : cases) {
    const CurrentParams before = params[1];
    TypeAndEnter(panelHandle, c.control, QString::number(value));
    CurrentParams expected = before;
    expected.*c.field = value;
    EXPECT_TRUE(SameRecord(params[1], expected)) << "control " << c.control;
    value += 1.5;
  }
  TypeAndEnter(panelHandle, PANEL_P, "3");
  TypeAndEnter(panelHandle, PANEL_Q, "0");
  EXPECT_EQ(params[1].p, 3);
  EXPECT_EQ(params[1].q, 0);
  EXPECT_EQ(params[0].Vm, 1.0);  // the unselected current is untouched
}

// The six voltage fields are laid out V6, V5, V1 ... V4 by id; each reaches its own trace.
TEST_F(Editing, ParamCBStoresTraceVoltagesAndBaseline) {
  const int fields[kMaxTraces] = {PANEL_V1, PANEL_V2, PANEL_V3, PANEL_V4, PANEL_V5, PANEL_V6};
  for (int k = 0; k < kMaxTraces; ++k)
    TypeAndEnter(panelHandle, fields[k], QString::number(-70 + 5 * k));
  for (int k = 0; k < kMaxTraces; ++k) EXPECT_EQ(status.traceV[k], -70 + 5 * k) << "trace " << k;
  LoadAndShow(WriteDataFile("one.txt", 1, 50));  // the baseline field opens with data
  TypeAndEnter(panelHandle, PANEL_BASELINE, "0.125");
  EXPECT_EQ(status.baseline, 0.125);
}

// ---- automatic update and the fit button ----

// With automatic update off an edit is only stored; the fit button then draws the fits.
TEST_F(Editing, AutoUpdateOffStoresOnlyUntilFitButton) {
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
  const std::vector<int> drawn = Plots(PANEL_GRAPH);
  TypeAndEnter(panelHandle, PANEL_VM, "-20");
  EXPECT_EQ(params[0].Vm, -20.0);
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  EXPECT_TRUE(Plots(PANEL_MHGRAPH).empty());

  Click(panelHandle, PANEL_DOFIT);
  EXPECT_EQ(Plots(PANEL_GRAPH).size(), drawn.size() + 2);  // one summed fit per trace
  EXPECT_FALSE(Plots(PANEL_MHGRAPH).empty());
}

// Switching automatic update on fits at once; from then on every edit redraws.
TEST_F(Editing, AutoUpdateOnRedrawsAtOnceAndAfterEveryEdit) {
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
  Click(panelHandle, PANEL_AUTOUPDATE);
  ASSERT_EQ(status.autoUpdate, 1);
  const std::vector<int> fitted = Plots(PANEL_GRAPH);
  ASSERT_GE(fitted.size(), 2u);
  const std::vector<double> before = PlotY(plotHandles[NumTraces]);
  TypeAndEnter(panelHandle, PANEL_GMAX, "3");
  EXPECT_NE(Plots(PANEL_GRAPH), fitted);
  EXPECT_NE(PlotY(plotHandles[NumTraces]), before);
}

// With automatic update on, switching current 3 in redraws the sum and extends the message.
TEST_F(Editing, CurrentCBWithAutoUpdateRedrawsAndListsCurrent3) {
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
  Click(panelHandle, PANEL_AUTOUPDATE);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1");
  const std::vector<double> alone = PlotY(plotHandles[NumTraces]);

  Click(panelHandle, PANEL_FITCURR3);
  EXPECT_EQ(TextValue(panelHandle, PANEL_FITMSG), "1+3");
  EXPECT_EQ(status.fitCount, 2);
  const std::vector<double> both = PlotY(plotHandles[NumTraces]);
  ASSERT_EQ(both.size(), alone.size());
  EXPECT_NE(both, alone);  // current 3 now adds to the sum
}

// The last current switched off: current 1 stays in the fit, or comes back into it.
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
}

TEST_F(Editing, UpdateFitMessageListsEveryCurrentInOrder) {
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
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
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
  LoadAndShow(WriteDataFile("two.txt", 2, 200));
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

// Edits go to the current selected at the time of the edit.
TEST_F(Editing, ParamCBEditsTheSelectedCurrent) {
  Click(panelHandle, PANEL_CURRBUT10);
  TypeAndEnter(panelHandle, PANEL_EREV, "55");
  EXPECT_EQ(params[9].Erev, 55.0);
  EXPECT_EQ(params[0].Erev, -80.0);
  Click(panelHandle, PANEL_CURRBUT1);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_EREV), -80.0);
}

// ---- a pending entry ----

// A click on any control first finishes the entry being typed, as leaving the field does, also
// where the click takes no focus from the field: the typed value is never lost or misplaced.
TEST_F(Editing, ClickOnAnyControlFirstFinishesThePendingEntry) {
  LoadAndShow(WriteDataFile("two.txt", 2, 200));  // the fit button opens with data
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

// Before data the flag is only stored; after data the traces change colour without a refit.
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
  for (int k = 0; k < NumTraces; ++k) {
    PlotInfo info{};
    ASSERT_TRUE(GetPlotInfo(panelHandle, PANEL_GRAPH, plotHandles[k], &info));
    EXPECT_EQ(info.color, traceColors[k]) << "trace " << k;
  }
  EXPECT_EQ(Plots(PANEL_GRAPH), drawn);
  Click(panelHandle, PANEL_TRACECOLORS);
  PlotInfo info{};
  ASSERT_TRUE(GetPlotInfo(panelHandle, PANEL_GRAPH, plotHandles[2], &info));
  EXPECT_EQ(info.color, VAL_BLACK);
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
