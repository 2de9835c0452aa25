// Shared ground of the editing, panel and menu tests: a freshly started program with no data,
// data files written by the test, and the user's ways of touching a control (type and Enter,
// click, trigger a menu item).
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "display/display.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"
#include "platform/qt/platform_qt_test.h"
#include "startup_fixture.h"

// The program as start-up leaves it, plus what InitParams does not reset: no traces loaded.
class EditingProgram : public StartedProgram {
 protected:
  void SetUp() override {
    NumTraces = 0;
    NumPoints = 0;
    StartedProgram::SetUp();
    scratch_ = std::filesystem::temp_directory_path() /
               ("pavik-editing-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(scratch_);
  }
  void TearDown() override {
    StartedProgram::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(scratch_, ignored);
    NumTraces = 0;
    NumPoints = 0;
  }

  std::string ScratchPath(const std::string& name) const { return (scratch_ / name).string(); }

  // A data file of `traces` voltage steps of `points` samples each, 0.1 ms apart, after
  // `headerLines` header lines and the layout line; the currents are a decaying exponential
  // scaled per trace so that every trace differs.
  std::string WriteDataFile(const std::string& name, int traces, int points,
                            int headerLines = 13) const {
    const std::string path = ScratchPath(name);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return path;
    for (int h = 0; h < headerLines; ++h) std::fprintf(file, "header line %d\n", h + 1);
    std::fprintf(file, "t");
    for (int k = 0; k < traces; ++k) std::fprintf(file, "\tV%d\tI%d", k + 1, k + 1);
    std::fprintf(file, "\n");
    for (int n = 0; n < points; ++n) {
      std::fprintf(file, "%.6f", n * 1e-4);
      for (int k = 0; k < traces; ++k)
        std::fprintf(file, "\t%.3f\t%.5f", -40.0 + 20.0 * k, (k + 1) * std::exp(-n / 500.0));
      std::fprintf(file, "\n");
    }
    std::fclose(file);
    return path;
  }

  // Reads a data file and draws it, as the open-data command does.
  void LoadAndShow(const std::string& path) {
    ASSERT_EQ(LoadDataFile(path), 1);
    ClearGraph(PANEL_GRAPH, -1);
    ShowData();
  }

  static std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

  static std::vector<int> Plots(int graph) { return GraphPlotHandles(panelHandle, graph); }

  // ---- the user's actions ----

  static QWidget* Widget(int panel, int control) {
    QWidget* widget = CtrlWidget(panel, control);
    EXPECT_NE(widget, nullptr) << "control " << control;
    return widget;
  }

  // Replaces a field's text by typing, and leaves the entry pending (no Enter, focus kept).
  static void Type(int panel, int control, const QString& text) {
    QWidget* widget = Widget(panel, control);
    if (!widget) return;
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);  // select what is there
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClicks(widget, text);
  }

  // Replaces a field's text by typing and commits it with Enter.
  static void TypeAndEnter(int panel, int control, const QString& text) {
    Type(panel, control, text);
    if (QWidget* widget = CtrlWidget(panel, control)) QTest::keyClick(widget, Qt::Key_Return);
  }

  // Types text that has no key of its own (QTest types ASCII only) into a text box, commits it.
  static void TypeText(int panel, int control, const QString& text) {
    QWidget* widget = Widget(panel, control);
    if (!widget) return;
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QTest::keyClick(widget, Qt::Key_Return);
  }

  // A click where the user clicks: a toggle on its box, anything else in its middle.
  static void Click(int panel, int control) {
    QWidget* widget = Widget(panel, control);
    if (!widget) return;
    QPoint where = widget->rect().center();
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(box);
      where = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    }
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
  }

  static void TriggerMenu(int item) {
    QAction* action = MenuItemAction(GetPanelMenuBar(panelHandle), item);
    ASSERT_NE(action, nullptr) << "menu item " << item;
    action->trigger();
  }

  static int IntValue(int panel, int control) {
    int value = -12345;
    GetCtrlVal(panel, control, &value);
    return value;
  }
  static double DoubleValue(int panel, int control) {
    double value = -12345.0;
    GetCtrlVal(panel, control, &value);
    return value;
  }
  static std::string TextValue(int panel, int control) {
    std::string text;
    GetCtrlVal(panel, control, &text);
    return text;
  }

 private:
  std::filesystem::path scratch_;
};
