// Events of the controls as a user makes them: one commit per finished entry, step, click or
// menu choice; none for a value the program sets; the close of a window; shortcuts that leave
// text editing alone.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "platform/platform_qt_test.h"
#include "startup_fixture.h"

namespace {
int CountEvents(int control, int event = EVENT_COMMIT) {
  int count = 0;
  for (const DeliveredEvent& delivered : DeliveredEvents())
    if (delivered.control == control && delivered.event == event) ++count;
  return count;
}

// Replaces the field's text as a user would: select all, type, press Enter.
void TypeInto(QWidget* field, const QString& text) {
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}
}  // namespace

class ControlEvents : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    QWidget* window = PanelWidget(panelHandle);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ClearDeliveredEvents();
  }
};

TEST_F(ControlEvents, ProgramSetValuesFireNothing) {
  SetCtrlVal(panelHandle, PANEL_VM, -33.5);
  SetCtrlVal(panelHandle, PANEL_P, 3);
  SetCtrlVal(panelHandle, PANEL_FITCURR4, 1);
  SetCtrlVal(panelHandle, PANEL_AUTOUPDATE, 1);
  ResetTextBox(panelHandle, PANEL_NAME, "Kdr");
  SetCtrlVal(panelHandle, PANEL_CURRLABEL2, "Na");
  // Moving the focus away afterwards must not turn the program's value into an entry.
  CtrlWidget(panelHandle, PANEL_VM)->setFocus();
  CtrlWidget(panelHandle, PANEL_NAME)->setFocus();
  CtrlWidget(panelHandle, PANEL_KM)->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(DeliveredEvents().empty());
}

TEST_F(ControlEvents, TypedNumberAndEnterCommitsOnceAsTyped) {
  QWidget* field = CtrlWidget(panelHandle, PANEL_KM);
  TypeInto(field, "-0.0125");
  EXPECT_EQ(CountEvents(PANEL_KM), 1);
  double value = 0;
  GetCtrlVal(panelHandle, PANEL_KM, &value);
  EXPECT_EQ(value, -0.0125);
  EXPECT_EQ(static_cast<QDoubleSpinBox*>(field)->text(), "-0.0125");
  // Leaving the field after Enter is the same entry, not a second one.
  CtrlWidget(panelHandle, PANEL_VM)->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(CountEvents(PANEL_KM), 1);
  // Enter again with nothing changed commits nothing.
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(CountEvents(PANEL_KM), 1);
}

// An entry finished by leaving the field commits too, and exponents are understood.
TEST_F(ControlEvents, EntryFinishedByLeavingCommitsWithExponent) {
  QWidget* field = CtrlWidget(panelHandle, PANEL_GMAX);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(field, "2.5e-5");
  CtrlWidget(panelHandle, PANEL_EREV)->setFocus();
  QTRY_COMPARE(CountEvents(PANEL_GMAX), 1);
  double value = 0;
  GetCtrlVal(panelHandle, PANEL_GMAX, &value);
  EXPECT_EQ(value, 2.5e-5);
}

TEST_F(ControlEvents, EachArrowStepCommits) {
  QWidget* field = CtrlWidget(panelHandle, PANEL_VH);
  double before = 0, after = 0;
  GetCtrlVal(panelHandle, PANEL_VH, &before);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Up);
  EXPECT_EQ(CountEvents(PANEL_VH), 1);
  QTest::keyClick(field, Qt::Key_Down);
  QTest::keyClick(field, Qt::Key_Down);
  EXPECT_EQ(CountEvents(PANEL_VH), 3);
  GetCtrlVal(panelHandle, PANEL_VH, &after);
  EXPECT_EQ(before, 1.0);
  EXPECT_EQ(after, 0.9);  // steps fit the value: 1 -> 1.1 -> 1 -> 0.9
  QWidget* power = CtrlWidget(panelHandle, PANEL_Q);
  power->setFocus();
  QTest::keyClick(power, Qt::Key_Up);
  EXPECT_EQ(CountEvents(PANEL_Q), 1);
}

TEST_F(ControlEvents, ClicksCommitOnce) {
  QTest::mouseClick(CtrlWidget(panelHandle, PANEL_TRACECOLORS), Qt::LeftButton);
  EXPECT_EQ(CountEvents(PANEL_TRACECOLORS), 1);
  QTest::mouseClick(CtrlWidget(panelHandle, PANEL_CURRBUT3), Qt::LeftButton);
  EXPECT_EQ(CountEvents(PANEL_CURRBUT3), 1);
  SetCtrlAttribute(panelHandle, PANEL_DOFIT, ATTR_DIMMED, 0);
  QTest::mouseClick(CtrlWidget(panelHandle, PANEL_DOFIT), Qt::LeftButton);
  EXPECT_EQ(CountEvents(PANEL_DOFIT), 1);
}

TEST_F(ControlEvents, TypedNameCommitsOnceWhenFinished) {
  QWidget* box = CtrlWidget(panelHandle, PANEL_CURRLABEL4);
  TypeInto(box, "IA");
  EXPECT_EQ(CountEvents(PANEL_CURRLABEL4), 1);
  CtrlWidget(panelHandle, PANEL_VM)->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(CountEvents(PANEL_CURRLABEL4), 1);
  std::string name;
  GetCtrlVal(panelHandle, PANEL_CURRLABEL4, &name);
  EXPECT_EQ(name, "IA");
  EXPECT_EQ(static_cast<QLineEdit*>(box)->maxLength(), 255);
}

// A number outside a field's range widens it, so the field shows what the program holds;
// a field with a range of its own refuses and keeps its value.
TEST_F(ControlEvents, OutOfRangeValuesWidenOrAreRefused) {
  ASSERT_EQ(SetCtrlVal(panelHandle, PANEL_GMAX, 5e12), 0);
  double value = 0;
  GetCtrlVal(panelHandle, PANEL_GMAX, &value);
  EXPECT_EQ(value, 5e12);
  EXPECT_LT(SetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, 11), 0);
  int current = 0;
  GetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, &current);
  EXPECT_GE(current, 1);
  EXPECT_LE(current, 10);
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_P, 2.5), 0);  // an int field holds no fraction
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_VM, std::nan("")), 0);
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_VM, "text"), 0);
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_NAME, std::string(256, 'x').c_str()), 0);
}

TEST_F(ControlEvents, MenuItemCallsMenuCallback) {
  const int menuBar = GetPanelMenuBar(panelHandle);
  MenuItemAction(menuBar, MENU_INFO)->trigger();
  ASSERT_EQ(CountEvents(MENU_INFO), 1);
  EXPECT_EQ(DeliveredEvents().back().panel, menuBar);
  DeliveredEvents();
}

// Ctrl+C in a text field copies its text; Copy Current is Ctrl+Shift+C wherever the focus is.
TEST_F(ControlEvents, CopyShortcutLeavesTextEditingAlone) {
  QWidget* name = CtrlWidget(panelHandle, PANEL_NAME);
  name->setFocus();
  static_cast<QLineEdit*>(name)->selectAll();
  QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(CountEvents(MENU_COPY), 0);
  EXPECT_EQ(QApplication::clipboard()->text(), "1");
  QWidget* field = CtrlWidget(panelHandle, PANEL_VM);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(CountEvents(MENU_COPY), 0);
  EXPECT_EQ(CountEvents(MENU_PASTE), 0);
  QWidget* toggle = CtrlWidget(panelHandle, PANEL_AUTOUPDATE);
  toggle->setFocus();
  QTest::keyClick(toggle, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(CountEvents(MENU_COPY), 0) << "Ctrl+C is never Copy Current";
  QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(CountEvents(MENU_COPY), 1) << "Ctrl+Shift+C is, even from a number field";
}

TEST_F(ControlEvents, ClosingMainWindowGivesCloseEvent) {
  PanelWidget(panelHandle)->close();
  EXPECT_EQ(CountEvents(0, EVENT_CLOSE), 1);
  EXPECT_TRUE(PanelWidget(panelHandle)->isVisible());
}

// A secondary panel has no panel callback: closing its window hides it, nothing else.
TEST_F(ControlEvents, ClosingSecondaryPanelHidesIt) {
  DisplayPanel(optionsPanelHandle);
  ASSERT_TRUE(PanelWidget(optionsPanelHandle)->isVisible());
  PanelWidget(optionsPanelHandle)->close();
  EXPECT_FALSE(PanelWidget(optionsPanelHandle)->isVisible());
  EXPECT_TRUE(DeliveredEvents().empty());
  EXPECT_EQ(DisplayPanel(optionsPanelHandle), 0);  // and can be shown again
  EXPECT_TRUE(PanelWidget(optionsPanelHandle)->isVisible());
}
