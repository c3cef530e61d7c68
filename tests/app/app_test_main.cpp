// The converter's own program, started once in this process: the tests
// drive its real handlers through the main window.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/app/app_test_support.h"

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  quorvant::testing::test_program();
  return RUN_ALL_TESTS();
}
