// Events of the controls as a user makes them: one commit per finished entry, none for a value
// the program sets, which a field widens its range to show and shows to seven digits.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>

#include "program_fixture.h"

class ControlEvents : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    ActivateMainWindow();
    ClearDeliveredEvents();
  }
  static void Leave() {
    CtrlWidget(panelHandle, PANEL_VM)->setFocus();
    QApplication::processEvents();
  }
};

// A value the program sets fires nothing, shows at most seven significant digits, and is kept
// exactly however the focus moves.
TEST_F(ControlEvents, ProgramSetValuesFireNothing) {
  SetCtrlVal(panelHandle, PANEL_VM, -7.555785773931933);
  SetCtrlVal(panelHandle, PANEL_XMAX, 7.800000000000001);
  SetCtrlVal(panelHandle, PANEL_P, 3);
  SetCtrlVal(panelHandle, PANEL_FITCURR4, 1);
  SetCtrlVal(panelHandle, PANEL_AUTOUPDATE, 1);
  ResetTextBox(panelHandle, PANEL_NAME, "Kdr");
  SetCtrlVal(panelHandle, PANEL_CURRLABEL2, "Na");
  // Moving the focus away afterwards must not turn the program's value into an entry.
  CtrlWidget(panelHandle, PANEL_VM)->setFocus();
  CtrlWidget(panelHandle, PANEL_NAME)->setFocus();
  CtrlWidget(panelHandle, PANEL_KM)->setFocus();
  CtrlWidget(panelHandle, PANEL_XMAX)->setFocus();
  CtrlWidget(panelHandle, PANEL_KM)->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(DeliveredEvents().empty());
  EXPECT_EQ(static_cast<QDoubleSpinBox*>(Widget(panelHandle, PANEL_VM))->text(), "-7.555786");
  EXPECT_EQ(static_cast<QDoubleSpinBox*>(Widget(panelHandle, PANEL_XMAX))->text(), "7.8");
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_VM), -7.555785773931933);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_XMAX), 7.800000000000001);
}

// A typed entry commits once when finished, by Enter or by leaving the field, and holds what was
// typed (exponents understood); leaving after Enter, or Enter again with nothing changed, is no
// second entry.
TEST_F(ControlEvents, EachFinishedEntryCommitsOnce) {
  const struct {
    int control;
    const char* typed;
    bool enter;  // else finished by leaving
  } entries[] = {{PANEL_KM, "-0.0125", true},
                 {PANEL_GMAX, "2.5e-5", false},
                 {PANEL_VH, "-1.23456789", true},  // stored as typed, shown to seven digits
                 {PANEL_CURRLABEL4, "IA", true}};
  for (const auto& e : entries) {
    SCOPED_TRACE(e.typed);
    QWidget* field = Widget(panelHandle, e.control);
    Type(panelHandle, e.control, e.typed);
    if (e.enter) QTest::keyClick(field, Qt::Key_Return);
    Leave();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Commits(e.control) > 0; }, 1000));
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Return);
    Leave();
    EXPECT_EQ(Commits(e.control), 1);
    if (qobject_cast<QLineEdit*>(field))
      EXPECT_EQ(TextValue(panelHandle, e.control), e.typed);
    else
      EXPECT_EQ(DoubleValue(panelHandle, e.control), std::stod(e.typed));
  }
  EXPECT_EQ(static_cast<QDoubleSpinBox*>(Widget(panelHandle, PANEL_KM))->text(), "-0.0125");
  EXPECT_EQ(static_cast<QDoubleSpinBox*>(Widget(panelHandle, PANEL_VH))->text(), "-1.234568");
  EXPECT_EQ(static_cast<QLineEdit*>(Widget(panelHandle, PANEL_CURRLABEL4))->maxLength(), 255);
}

// A number outside a field's range widens it, so the field shows what the program holds;
// a field with a range of its own refuses and keeps its value.
TEST_F(ControlEvents, OutOfRangeValuesWidenOrAreRefused) {
  ASSERT_EQ(SetCtrlVal(panelHandle, PANEL_GMAX, 5e12), 0);
  EXPECT_EQ(DoubleValue(panelHandle, PANEL_GMAX), 5e12);
  EXPECT_LT(SetCtrlVal(dclampPanelHandle, DCLAMP_CURRENT, 11), 0);
  EXPECT_EQ(IntValue(dclampPanelHandle, DCLAMP_CURRENT), 1);
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_P, 2.5), 0);  // an int field holds no fraction
  EXPECT_LT(SetCtrlVal(panelHandle, PANEL_VM, std::nan("")), 0);
}
