// The converter's own program, started once in this process: the tests
// drive its real handlers through the main window.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "tests/app/app_test_support.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  quorvant::testing::test_program();
  const int result = RUN_ALL_TESTS();
  // The program ends its process without destroying its static objects (a
  // conversion job may still be finishing on its thread); so do its tests.
  std::fflush(nullptr);
  std::_Exit(result);
}
