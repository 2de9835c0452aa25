// Events of the controls as a user makes them: one commit per finished entry, none for a value
// the program sets, which a field widens its range to show.
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

// A typed entry commits once when finished, by Enter or by leaving the field, and holds what was
// typed (exponents understood); leaving after Enter, or Enter again with nothing changed, is no
// second entry.
TEST_F(ControlEvents, EachFinishedEntryCommitsOnce) {
  const struct {
    int control;
    const char* typed;
    bool enter;  // else finished by leaving
  } entries[] = {
      {PANEL_KM, "-0.0125", true}, {PANEL_GMAX, "2.5e-5", false}, {PANEL_CURRLABEL4, "IA", true}};
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
