// Shared ground of the GUI tests: a scratch folder and the files written into it, the built
// program run as a separate process, the started program (the four panels loaded fresh from the
// built resource file, the workspace reset), and the user's ways of touching a control (type and
// Enter, click, trigger a menu item).
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../unit/test_support.h"
#include "app/pavik.h"
#include "app/polish_window.h"
#include "display/display.h"
#include "fit/fit_settings.h"
#include "io/io.h"
#include "model/model.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "platform/platform_test.h"
#include "platform/qt/platform_qt_test.h"

inline const char* BuiltResourceFile() {
  return PAVIK_BUILD_DIR "/pavikuir.uir";
}
inline const std::string kExamples = PAVIK_EXAMPLES "/";
inline const std::string kTestData = PAVIK_TEST_DATA "/";

// ---- files ----

// A by-eye start for the polish: the potassium example's kinetics some way off its bundled fit.
inline void Roughen(CurrentParams& k) {
  k.Gmax *= 0.8, k.Vm += 6.0, k.Km *= 1.25, k.Tmhi *= 1.4, k.Tmlo *= 0.7, k.Vtm -= 5.0;
}

// A data file of `traces` voltage steps (-40, -20, 0 ... mV) of `points` samples 0.1 ms apart,
// after `headerLines` header lines and the layout line; the currents are (k + 1) exp(-n / 500),
// so that every trace differs. Returns the path.
inline std::string WriteDataFile(const std::string& path, int traces, int points,
                                 int headerLines = 13) {
  std::string text;
  char number[64];
  for (int h = 0; h < headerLines; ++h) text += "header line " + std::to_string(h + 1) + "\n";
  text += "t";
  for (int k = 0; k < traces; ++k)
    text += "\tV" + std::to_string(k + 1) + "\tI" + std::to_string(k + 1);
  text += "\n";
  for (int n = 0; n < points; ++n) {
    std::snprintf(number, sizeof number, "%.6f", n * 1e-4);
    text += number;
    for (int k = 0; k < traces; ++k) {
      std::snprintf(number, sizeof number, "\t%.3f\t%.5f", -40.0 + 20.0 * k,
                    (k + 1) * std::exp(-n / 500.0));
      text += number;
    }
    text += "\n";
  }
  return WriteBytes(path, text);
}

// ---- the built program ----

struct ProgramRun {
  int exitCode;
  std::string out, err;
};

// Runs a program; stdoutFile, when given, receives its standard output, and input is what it
// reads from standard input (a pipe).
inline ProgramRun RunProgram(const QString& program, const QStringList& args,
                             const QString& stdoutFile = {}, const QByteArray& input = {}) {
  QProcess process;
  if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
  process.start(program, args);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(120000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

inline const QString kProgram = QStringLiteral(PAVIK_BUILD_DIR "/pavik");

inline ProgramRun Pavik(const QStringList& args, const QString& stdoutFile = {},
                        const QByteArray& input = {}) {
  return RunProgram(kProgram, args, stdoutFile, input);
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The overall RMS figure --fits printed on standard error, -1 for "not available", NaN for none.
inline double PrintedRms(const std::string& err) {
  const size_t at = err.find("samples that count: all ");
  if (at == std::string::npos) return NAN;
  const std::string rest = err.substr(at + 24);
  return rest.rfind("not available", 0) == 0 ? -1.0 : std::strtod(rest.c_str(), nullptr);
}

// ---- the started program ----

class StartedProgram : public testing::Test {
 protected:
  void SetUp() override {
    ResetWorkspace();
    ClearDeliveredEvents();
    ClearRecordedMessages();
    ClearFileSelectAnswers();
    ClearQuestionAnswers();
    panelHandle = LoadPanel(0, BuiltResourceFile(), PANEL);
    ASSERT_GT(panelHandle, 0);
    infoPanelHandle = LoadPanel(0, BuiltResourceFile(), INFO);
    dclampPanelHandle = LoadPanel(0, BuiltResourceFile(), DCLAMP);
    optionsPanelHandle = LoadPanel(0, BuiltResourceFile(), OPTIONS);
    InitPanel();
    DisplayPanel(panelHandle);
  }
  void TearDown() override {
    StopPolishForQuit();
    for (int panel : {panelHandle, infoPanelHandle, dclampPanelHandle, optionsPanelHandle})
      DiscardPanel(panel);
    ResetWorkspace();
  }

  // What start-up's InitParams leaves to others: no traces, no regions, raw measured points,
  // no cursor markers.
  static void ResetWorkspace() {
    NumTraces = 0;
    NumPoints = 0;
    ResetFitterState(&loadedRecording);
    normaliseMeasuredPoints = false;
    std::fill(std::begin(pointHandles), std::end(pointHandles), 0);
  }

  std::string ScratchPath(const std::string& name) const { return scratch_.File(name); }
  std::string WriteDataFile(const std::string& name, int traces, int points,
                            int headerLines = 13) const {
    return ::WriteDataFile(ScratchPath(name), traces, points, headerLines);
  }

  // Reads a data file and draws it, as the open-data command does.
  static void LoadAndShow(const std::string& path) {
    ASSERT_EQ(LoadDataFile(path), 1);
    ClearGraph(PANEL_GRAPH, -1);
    ShowData();
  }

  static std::vector<int> Plots(int graph) { return GraphPlotHandles(panelHandle, graph); }
  static PlotInfo Plot(int graph, int handle) {
    PlotInfo info{};
    EXPECT_TRUE(GetPlotInfo(panelHandle, graph, handle, &info)) << "plot " << handle;
    return info;
  }

  // ---- the user's actions ----

  static QWidget* Widget(int panel, int control) {
    QWidget* widget = CtrlWidget(panel, control);
    EXPECT_NE(widget, nullptr) << "control " << control;
    return widget;
  }

  // Shortcuts reach the active window only.
  static void ActivateMainWindow() {
    QWidget* window = PanelWidget(panelHandle);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
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
    Type(panel, control, "");
    QWidget* widget = Widget(panel, control);
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

  // Opens a file through the menu, the dialog answered with it.
  static void OpenThroughMenu(int item, const std::string& path) {
    QueueFileSelectAnswer(VAL_EXISTING_FILE_SELECTED, path);
    TriggerMenu(item);
  }

  // Runs the event loop, performs `action` from inside it, and tells whether the loop ended by
  // itself (a watchdog ends it after a few seconds otherwise).
  template <typename Action>
  static bool LoopEndsAfter(Action action) {
    bool watchdogFired = false;
    QTimer::singleShot(0, action);
    QTimer watchdog;  // stopped when this returns, so it never fires into a later loop
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&watchdogFired] {
      watchdogFired = true;
      QuitUserInterface(1);
    });
    watchdog.start(3000);
    RunUserInterface();
    return !watchdogFired;
  }

  // ---- what the controls hold ----

  // The events delivered to a control; a menu item's come from the menu bar.
  static int Events(int panel, int control, int event = EVENT_COMMIT) {
    int count = 0;
    for (const DeliveredEvent& delivered : DeliveredEvents())
      count += delivered.panel == panel && delivered.control == control && delivered.event == event;
    return count;
  }
  static int Commits(int control) { return Events(panelHandle, control); }
  static int MenuBar() { return GetPanelMenuBar(panelHandle); }
  template <typename T>
  static T Value(int panel, int control) {
    T value{};
    EXPECT_EQ(GetCtrlVal(panel, control, &value), 0) << "control " << control;
    return value;
  }
  static int IntValue(int panel, int control) { return Value<int>(panel, control); }
  static double DoubleValue(int panel, int control) { return Value<double>(panel, control); }
  static std::string TextValue(int panel, int control) {
    return Value<std::string>(panel, control);
  }
  static int Dimmed(int control) {
    int dimmed = -1;
    GetCtrlAttribute(panelHandle, control, ATTR_DIMMED, &dimmed);
    return dimmed;
  }

 private:
  TestFolder scratch_;
};
