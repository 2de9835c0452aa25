// The GUI tests' main: starts the run-time on the offscreen platform (unless QT_QPA_PLATFORM
// names another), switches the popups to unattended, registers the program's callbacks, runs
// every test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/pavik.h"
#include "platform/platform.h"
#include "platform/platform_test.h"

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // 0: keep a platform the caller chose
  if (InitRunTime(argc, argv) != 0) return 1;
  SetUnattended(true);
  RegisterPavikCallbacks();
  return RUN_ALL_TESTS();
}
