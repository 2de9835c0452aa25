// A started program for GUI tests: the four panels loaded fresh from the built resource file
// into the program's panel handles and filled by InitPanel, as start-up does; discarded after.
#pragma once

#include <gtest/gtest.h>

#include "app/pavik.h"
#include "panels/panels.h"
#include "pavikuir.h"
#include "platform/platform.h"
#include "platform/platform_test.h"
#include "platform/qt/platform_qt_test.h"

inline const char* BuiltResourceFile() {
  return PAVIK_BUILD_DIR "/pavikuir.uir";
}

class StartedProgram : public testing::Test {
 protected:
  void SetUp() override {
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
    for (int panel : {panelHandle, infoPanelHandle, dclampPanelHandle, optionsPanelHandle})
      DiscardPanel(panel);
  }
};
