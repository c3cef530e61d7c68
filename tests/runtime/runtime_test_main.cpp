// The runtime is one object per process: this test program initialises it
// once, over a template with one window, scripted dialogs and a recording
// desktop, before any test runs.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/runtime/runtime_test_support.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
  quorvant::testing::initialise_test_runtime();
  return RUN_ALL_TESTS();
}
